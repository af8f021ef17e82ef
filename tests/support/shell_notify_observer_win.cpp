#include "tests/support/shell_notify_observer_win.h"

#include <shlobj.h>

namespace qmtest {

namespace {
constexpr UINT kNotifyMessage = WM_APP + 77;

// Paths of any length (a folder deep in a tree passes MAX_PATH).
std::wstring PathOf(PCIDLIST_ABSOLUTE pidl) {
    std::wstring buf(32768, L'\0');
    if (!pidl || !SHGetPathFromIDListEx(pidl, buf.data(), static_cast<DWORD>(buf.size()), GPFIDL_DEFAULT)) return {};
    buf.resize(wcslen(buf.c_str()));
    return buf;
}
}  // namespace

ShellNotifyObserver::ShellNotifyObserver() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QmShellNotifyObserver";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PIDLIST_ABSOLUTE desktop = nullptr;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop);
    SHChangeNotifyEntry entry{desktop, TRUE};
    registration_ = SHChangeNotifyRegister(hwnd_, SHCNRF_InterruptLevel | SHCNRF_ShellLevel | SHCNRF_NewDelivery,
                                           SHCNE_ALLEVENTS, kNotifyMessage, 1, &entry);
    CoTaskMemFree(desktop);
}

ShellNotifyObserver::~ShellNotifyObserver() {
    if (registration_) SHChangeNotifyDeregister(registration_);
    if (hwnd_) DestroyWindow(hwnd_);
}

std::vector<ShellEvent> ShellNotifyObserver::Events() {
    MSG m;
    for (int round = 0; round < 5; ++round) {
        while (PeekMessageW(&m, hwnd_, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(10);
    }
    return events_;
}

LRESULT CALLBACK ShellNotifyObserver::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kNotifyMessage) {
        auto* self = reinterpret_cast<ShellNotifyObserver*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        PIDLIST_ABSOLUTE* pidls = nullptr;
        LONG event = 0;
        HANDLE lock = SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wp), static_cast<DWORD>(lp), &pidls, &event);
        if (lock) {
            if (self) self->events_.push_back({event, PathOf(pidls ? pidls[0] : nullptr)});
            SHChangeNotification_Unlock(lock);
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace qmtest
