#include "tests/support/cli_runner_win.h"

#include "core/base/text.h"
#include "core/icons/icon_library_writer.h"
#include "tests/support/console_process_win.h"
#include "tests/support/process_win.h"

namespace qmtest {

CliResult RunCli(const TempDir& dir, const std::wstring& arguments) {
    // Files of their own per run: under Wine a process may be signalled as ended shortly before
    // the handles it inherited are closed.
    static int run = 0;
    const std::wstring n = std::to_wstring(run++);
    const std::wstring outPath = dir / (L"cli" + n + L".out"), errPath = dir / (L"cli" + n + L".err");
    CliResult r;
    std::wstring failure;
    r.exit = RunConsoleProgram(Quote(BuildFolder() + L"\\quillmark-cli.exe") + L" " + arguments, outPath, errPath,
                               120000, &failure);
    const auto o = ReadBytes(outPath), e = ReadBytes(errPath);
    r.out = qm::Utf8ToWide(std::string(o.begin(), o.end()));
    // A run that gave no exit code says why where the tests print the tool's errors.
    r.err = failure.empty() ? qm::Utf8ToWide(std::string(e.begin(), e.end())) : failure;
    return r;
}

FolderCliFixture::FolderCliFixture(const wchar_t* folderHint) : dir(folderHint) {
    icons.AddGenerated(6);
    library = dir / L"Metal.icl";
    WriteBytes(library, qm::BuildNeIconLibrary(icons.Icons()));
}

}  // namespace qmtest
