// The server's registry entries: the class key with its in-process server key, the shell's
// approval list and the handler key that offers the menu on file-system folders.
#include <windows.h>

#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/module_path_win.h"
#include "core/shell/registry_win.h"
#include "shellext/failure_trail_win.h"
#include "shellext/folder_menu_win.h"
#include "shellext/server_win.h"

namespace qm::shellext {

namespace {

constexpr const wchar_t* kApprovedKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr const wchar_t* kHandlerKey = L"Directory\\shellex\\ContextMenuHandlers\\PelmoContextMenu";

// The trail gets the registry's own error for the key; the caller, the fixed message.
[[noreturn]] void FailRegistryEntry(LSTATUS status, const std::wstring& key) {
    ReportFailure("TFolContMenuFactory::UpdateRegistry", HRESULT_FROM_WIN32(static_cast<DWORD>(status)), key);
    throw UserError(L"Error creating system registry entry");
}

// Creates HKEY_CLASSES_ROOT\subKey when missing and sets one string value (empty name = default).
void WriteClassesRootString(const std::wstring& subKey, std::wstring_view valueName, const std::wstring& data) {
    LSTATUS status = ERROR_SUCCESS;
    const UniqueKey key = CreateKey(HKEY_CLASSES_ROOT, subKey, KEY_SET_VALUE, &status);
    if (!key) FailRegistryEntry(status, L"HKEY_CLASSES_ROOT\\" + subKey);
    status = SetStringValue(key.get(), valueName, data);
    if (status != ERROR_SUCCESS) FailRegistryEntry(status, L"HKEY_CLASSES_ROOT\\" + subKey);
}

// The library's file, in its short (8.3) form when the path holds a blank. A volume without
// short names gives the long path back, which the shell reads as well.
std::wstring ServerPath() {
    std::wstring path = ModulePath();
    if (path.find(L' ') == std::wstring::npos) return path;
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::wstring shortPath(needed, L'\0');
    const DWORD n = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
    if (n == 0 || n >= needed) return path;
    shortPath.resize(n);
    return shortPath;
}

}  // namespace

void TFolContMenuFactory::UpdateRegistry(bool doRegister) {
    const std::wstring clsidText = ClassIdText(kFolderMenuClsid);
    if (clsidText.empty()) throw UserError(L"Error creating system registry entry");
    const std::wstring classKey = L"CLSID\\" + clsidText;
    const std::wstring serverKey = classKey + L"\\InprocServer32";

    if (doRegister) {
        WriteClassesRootString(classKey, L"", kDescription);
        WriteClassesRootString(serverKey, L"", ServerPath());
    } else {
        DeleteKey(HKEY_CLASSES_ROOT, serverKey);
        DeleteKey(HKEY_CLASSES_ROOT, classKey);
    }

    SetApproval(doRegister, clsidText);

    if (doRegister) {
        WriteClassesRootString(kHandlerKey, L"", clsidText);
        WriteClassesRootString(serverKey, L"ThreadingModel", L"Apartment");
    } else {
        DeleteTree(HKEY_CLASSES_ROOT, kHandlerKey);
    }
}

void TFolContMenuFactory::SetApproval(bool doRegister, const std::wstring& clsidText) {
    const UniqueKey key = CreateKey(HKEY_LOCAL_MACHINE, kApprovedKey, KEY_SET_VALUE | KEY_QUERY_VALUE);
    if (!key) return;  // no right to write HKEY_LOCAL_MACHINE: nothing to approve, nothing reported
    if (doRegister) {
        SetStringValue(key.get(), clsidText, kDescription);
    } else {
        DeleteValue(key.get(), clsidText);
    }
}

}  // namespace qm::shellext
