// quillmark-cli: the console tool. Dispatches `quillmark-cli GROUP ARGS...` to a command group.
#include <cstdio>
#include <exception>

#include "cli/command_table.h"
#include "core/base/error.h"
#include "core/base/text.h"
#include "version.rc.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace qm::cli {

std::vector<CommandGroup>& CommandGroups() {
    static std::vector<CommandGroup> groups;
    return groups;
}

void Out(std::wstring_view text) {
    const std::string utf8 = WideToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

void Err(std::wstring_view text) {
    const std::string utf8 = WideToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

namespace {

// Every command line of every group, then the tool's own options; to standard output when asked
// for (--help), to standard error after a mistake.
void PrintUsage(void (*write)(std::wstring_view)) {
    write(L"usage:\n");
    for (const CommandGroup& g : CommandGroups()) {
        std::wstring_view usage = g.usage;
        while (!usage.empty()) {
            const auto end = usage.find(L'\n');
            write(L"  quillmark-cli ");
            write(usage.substr(0, end));
            write(L"\n");
            if (end == std::wstring_view::npos) break;
            usage.remove_prefix(end + 1);
        }
    }
    write(L"  quillmark-cli --version\n  quillmark-cli --help\n");
}

int Run(std::vector<std::wstring> args) {
    if (args.empty()) {
        PrintUsage(&Err);
        return kExitUsage;
    }
    if (args.size() == 1 && (args[0] == L"--help" || args[0] == L"-h")) {
        PrintUsage(&Out);
        return kExitOk;
    }
    if (args.size() == 1 && args[0] == L"--version") {
        Out(L"Quillmark " + Utf8ToWide(QM_VERSION_TEXT) + L"\n");
        return kExitOk;
    }
    for (const CommandGroup& g : CommandGroups()) {
        if (args[0] == g.name) {
            args.erase(args.begin());
            try {
                return g.run(args);
            } catch (const UserError& e) {
                Err(e.text() + L"\n");
                return kExitFailed;
            } catch (const std::exception& e) {
                Err(L"error: " + Utf8ToWide(e.what()) + L"\n");
                return kExitFailed;
            }
        }
    }
    Err(L"unknown command: " + args[0] + L"\n");
    PrintUsage(&Err);
    return kExitUsage;
}

}  // namespace
}  // namespace qm::cli

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return qm::cli::Run(std::move(args));
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.push_back(qm::Utf8ToWide(argv[i]));
    return qm::cli::Run(std::move(args));
}
#endif
