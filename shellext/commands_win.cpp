#include "shellext/commands_win.h"

#include <shellapi.h>

#include <optional>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/base/module_path_win.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_engine_win.h"
#include "core/settings/language_support.h"
#include "core/themes/theme_path_win.h"
#include "shellext/folder_menu_win.h"
#include "shellext/menu_layout_win.h"
#include "shellext/failure_trail_win.h"
#include "shellext/server_win.h"

namespace qm::shellext {

namespace {
// A program path with a blank is quoted, so that the started program reads its arguments from
// after its own name and no shorter prefix of the path can be taken for the program.
std::wstring ProgramForCommandLine(const std::wstring& program) {
    return program.find_first_of(L" \t") == std::wstring::npos ? program : L"\"" + program + L"\"";
}
}  // namespace

std::wstring MainProgramPath() {
    std::wstring folder = ModuleFolder();
    if (folder.empty() || folder.back() != L'\\') folder.push_back(L'\\');
    return folder + L"Quillmark.exe";
}

HRESULT ApplyThemeIcon(const std::wstring& folder, const std::wstring& themePath, UINT icon) {
    FolderCustomization record;
    record.Folder = folder;
    record.IconFile = themePath;
    record.IconIndex = std::to_wstring(icon);
    return ApplyIconToFolder(record, CallerProfile::Extension) ? S_OK : HRESULT_FROM_WIN32(ERROR_CANCELLED);
}

void ResetFolder(const std::wstring& folder) { ResetIconOfFolder(folder, CallerProfile::Extension); }

HRESULT StartMainProgram(const std::wstring& parameters) {
    const std::wstring program = MainProgramPath();
    SetLastError(ERROR_SUCCESS);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", program.c_str(), parameters.c_str(), L"", SW_SHOWNORMAL));
    if (result > 32) return S_OK;
    // The error codes ShellExecute answers below 32 are Win32 codes where they have one.
    return GetLastError() != ERROR_SUCCESS ? LastErrorResult()
           : result > 0                    ? HRESULT_FROM_WIN32(static_cast<DWORD>(result))
                                           : E_FAIL;
}

HRESULT StartCustomIconWindow(const std::wstring& folder) {
    // The program path, two blanks, the switch, a blank and the quoted folder.
    std::wstring line = ProgramForCommandLine(MainProgramPath()) + L"  /CUSTOM \"" + folder + L"\"";
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

// ---- the classic menu's commands ------------------------------------------------------------

HRESULT TFolContMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    const HRESULT real = Guarded("TFolContMenu::InvokeCommand", [&]() -> HRESULT {
        if (!info) return E_INVALIDARG;
        const auto verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
        if ((verb >> 16) != 0) return E_FAIL;  // a verb given as a string: no command has one
        return DoInvokeCommand(static_cast<UINT>(verb & 0xFFFF));
    });
    // The answers stay S_OK for a command that ran (one stopped by a message the user saw
    // included), E_INVALIDARG for an entry that is not ours, E_FAIL for any other failure; the
    // trail has the real result.
    if (real == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return S_OK;
    return SUCCEEDED(real) || real == E_INVALIDARG ? real : E_FAIL;
}

HRESULT TFolContMenu::DoInvokeCommand(UINT offset) {
    // The submenu entry carries no command; no entry of the menu has an offset beyond its icons.
    const std::optional<MenuEntry> entry = MenuEntryOfOffset(offset, iconEntries_);
    if (!entry) return E_INVALIDARG;
    std::vector<std::wstring> folders;
    if (!FFolderPath.empty()) folders.push_back(FFolderPath);
    if (entry->kind == MenuEntry::Kind::Command) return RunCommand(*entry->command, folders);
    if (folders.empty()) return E_FAIL;
    return ApplyThemeIcon(FFolderPath, CurrentThemePath(), entry->icon);
}

}  // namespace qm::shellext
