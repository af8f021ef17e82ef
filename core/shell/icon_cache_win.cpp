#include "core/shell/icon_cache_win.h"

#include <windows.h>
#include <wininet.h>  // before shlobj.h: declares the Active Desktop interface
#include <shlobj.h>

#include <string>

#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/shell/registry_win.h"

namespace qm {

namespace {
constexpr wchar_t kMetricsKey[] = L"Control Panel\\Desktop\\WindowMetrics\\";
constexpr wchar_t kShellIconSize[] = L"Shell Icon Size";

// The text's decimal number (an optional sign, then digits), or 32 when it is not one.
long IconSizeOf(const std::wstring& text) {
    std::size_t i = (!text.empty() && (text[0] == L'-' || text[0] == L'+')) ? 1 : 0;
    if (i == text.size()) return 32;
    long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9' || value > 100000000) return 32;
        value = value * 10 + (text[i] - L'0');
    }
    return text[0] == L'-' ? -value : value;
}

BOOL CALLBACK SendSettingChange(HWND hwnd, LPARAM) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kSettingChangeTimeoutMs, &result);
    return TRUE;
}

// ie4uinit.exe -show (Windows 10 and later) rebuilds the icon cache that the steps above no
// longer reach there. Started and left to run: the program does not wait for it.
void RunSystemIconCacheRefresh() {
    wchar_t system[MAX_PATH] = {};
    if (!GetSystemDirectoryW(system, MAX_PATH)) return;
    const std::wstring exe = std::wstring(system) + L"\\ie4uinit.exe";
    if (!IsExistingFile(exe)) return;
    std::wstring cmd = L"\"" + exe + L"\" -show";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    ProcessInformation started;  // not waited for: both handles go at once
    CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                   started.put());
}
}  // namespace

void BroadcastSettingChange() { EnumWindows(SendSettingChange, 0); }

bool ApplyActiveDesktopChanges() {
    static const CLSID kActiveDesktop = {0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
    static const IID kIActiveDesktop = {0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
    const ComApartment apartment(COINIT_APARTMENTTHREADED);
    ComPtr<IActiveDesktop> desktop;  // released before the apartment is left
    const bool obtained = SUCCEEDED(CoCreateInstance(kActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, kIActiveDesktop,
                                                     desktop.put_void())) &&
                          desktop;
    if (obtained) desktop->ApplyChanges(AD_APPLY_SAVE | AD_APPLY_HTMLGEN | AD_APPLY_REFRESH | AD_APPLY_FORCE);
    return obtained;
}

void RefreshDesktopWithoutActiveDesktop() {
    if (HWND progman = FindWindowW(L"Progman", L"Program Manager")) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(progman, WM_COMMAND, 0xA065, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kSettingChangeTimeoutMs,
                            &result);
        return;
    }
    BroadcastSettingChange();
}

void RefreshDesktop() {
    if (!ApplyActiveDesktopChanges()) RefreshDesktopWithoutActiveDesktop();
}

void RebuildIconCache() {
    wchar_t windows[MAX_PATH] = {};
    if (GetWindowsDirectoryW(windows, MAX_PATH)) DeleteFileW((std::wstring(windows) + L"\\ShellIconCache").c_str());

    std::wstring old;
    if (!ReadRegString(HKEY_CURRENT_USER, kMetricsKey, kShellIconSize, old)) old.clear();
    WriteRegString(HKEY_CURRENT_USER, kMetricsKey, kShellIconSize, std::to_wstring(IconSizeOf(old) + 1));
    BroadcastSettingChange();
    if (old.empty()) old = L"32";
    WriteRegString(HKEY_CURRENT_USER, kMetricsKey, kShellIconSize, old);
    BroadcastSettingChange();
    RefreshDesktop();

    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    RunSystemIconCacheRefresh();
}

}  // namespace qm
