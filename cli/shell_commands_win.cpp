// quillmark-cli shell status [--json]: where the folder menu stands on this machine, one line per
// fact (the classic handler and its approval, the Windows 11 menu's package, the Windows build).
#include "cli/command_table.h"
#include "core/shell/shell_status_win.h"

#include <cstdio>

namespace qm::cli {

namespace {

constexpr std::wstring_view kUsage = L"shell status [--json]";

int RunShell(const std::vector<std::wstring>& args) {
    const bool json = args.size() == 2 && args[1] == L"--json";
    if (args.empty() || args[0] != L"status" || (args.size() == 2 && !json) || args.size() > 2) {
        Err(L"usage:\n  quillmark-cli shell status [--json]\n");
        return kExitUsage;
    }
    const ShellStatus status = CurrentShellStatus();
    if (json) {
        const std::string text = ShellStatusJson(status);
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        Out(ShellStatusText(status));
    }
    return kExitOk;
}

const CommandGroupRegistrar registrar{L"shell", kUsage, &RunShell};

}  // namespace

}  // namespace qm::cli
