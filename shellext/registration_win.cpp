// The server's registry entries: the class key with its in-process server key, the shell's
// approval list and the handler key that offers the menu on file-system folders.
#include <windows.h>

#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/module_path_win.h"
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

LSTATUS SetString(HKEY key, const wchar_t* valueName, const std::wstring& data) {
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));  // with the zero
    return RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes);
}

// Creates HKEY_CLASSES_ROOT\subKey when missing and sets one string value (nullptr = default).
void WriteClassesRootString(const std::wstring& subKey, const wchar_t* valueName, const std::wstring& data) {
    HKEY raw = nullptr;
    const LSTATUS created = RegCreateKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            KEY_SET_VALUE, nullptr, &raw, nullptr);
    if (created != ERROR_SUCCESS) FailRegistryEntry(created, L"HKEY_CLASSES_ROOT\\" + subKey);
    const UniqueKey key(raw);
    const LSTATUS set = SetString(key.get(), valueName, data);
    if (set != ERROR_SUCCESS) FailRegistryEntry(set, L"HKEY_CLASSES_ROOT\\" + subKey);
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
        WriteClassesRootString(classKey, nullptr, kDescription);
        WriteClassesRootString(serverKey, nullptr, ServerPath());
    } else {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, serverKey.c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, classKey.c_str());
    }

    SetApproval(doRegister, clsidText);

    if (doRegister) {
        WriteClassesRootString(kHandlerKey, nullptr, clsidText);
        WriteClassesRootString(serverKey, L"ThreadingModel", L"Apartment");
    } else {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kHandlerKey);
        RegDeleteKeyW(HKEY_CLASSES_ROOT, kHandlerKey);
    }
}

void TFolContMenuFactory::SetApproval(bool doRegister, const std::wstring& clsidText) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kApprovedKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS) {
        return;  // no right to write HKEY_LOCAL_MACHINE: nothing to approve, nothing reported
    }
    const UniqueKey key(raw);
    if (doRegister) {
        SetString(key.get(), clsidText.c_str(), kDescription);
    } else {
        RegDeleteValueW(key.get(), clsidText.c_str());
    }
}

}  // namespace qm::shellext
