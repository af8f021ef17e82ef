// The commands behind the submenu: applying a theme icon and resetting run here, on the shell's
// thread; the custom icon, theme and About windows are the main program's, started on its own.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "core/folder/folder_customization.h"
#include "core/folder/folder_engine_win.h"
#include "core/themes/theme_path_win.h"
#include "shellext/folder_menu_win.h"
#include "shellext/server_win.h"

namespace qm::shellext {

namespace {
// A program path with a blank is quoted, so that the started program reads its arguments from
// after its own name and no shorter prefix of the path can be taken for the program.
std::wstring ProgramForCommandLine(const std::wstring& program) {
    return program.find_first_of(L" \t") == std::wstring::npos ? program : L"\"" + program + L"\"";
}
}  // namespace

HRESULT TFolContMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    return Guarded([&]() -> HRESULT {
        if (!info) return E_INVALIDARG;
        const auto verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
        if ((verb >> 16) != 0) return E_FAIL;  // a verb given as a string: no command has one
        return DoInvokeCommand(static_cast<UINT>(verb & 0xFFFF));
    });
}

HRESULT TFolContMenu::DoInvokeCommand(UINT offset) {
    switch (offset) {
        case kSubmenuOffset: return E_INVALIDARG;  // the submenu entry carries no command
        case kCustomIconOffset: return FFolderPath.empty() ? E_FAIL : StartCustomIconWindow();
        case kResetOffset:
            if (FFolderPath.empty()) return E_FAIL;
            // The reset ran: a refusal has been shown to the user by its own message.
            ResetIconOfFolder(FFolderPath, CallerProfile::Extension);
            return S_OK;
        case kThemeOffset: return StartMainProgram(L"/theme");
        case kAboutOffset: return StartMainProgram(L"/about");
        default: break;
    }
    const UINT icon = offset - kFirstIconOffset;
    if (icon >= iconEntries_) return E_INVALIDARG;  // no entry of the menu has this offset
    if (FFolderPath.empty()) return E_FAIL;
    FolderCustomization record;
    record.Folder = FFolderPath;
    record.IconFile = CurrentThemePath();
    record.IconIndex = std::to_wstring(icon);
    ApplyIconToFolder(record, CallerProfile::Extension);  // reports its own failures
    return S_OK;
}

HRESULT TFolContMenu::StartMainProgram(const std::wstring& parameters) const {
    const std::wstring program = MainProgramPath();
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", program.c_str(), parameters.c_str(), L"", SW_SHOWNORMAL));
    return result > 32 ? S_OK : E_FAIL;
}

HRESULT TFolContMenu::StartCustomIconWindow() const {
    // The program path, two blanks, the switch, a blank and the quoted folder.
    std::wstring line = ProgramForCommandLine(MainProgramPath()) + L"  /CUSTOM \"" + FFolderPath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    return S_OK;  // the program runs on its own; nobody waits for it
}

}  // namespace qm::shellext
