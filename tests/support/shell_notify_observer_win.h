#pragma once
// Receives the shell's change notifications in this process (a message-only window registered
// with SHChangeNotifyRegister). Wine delivers SHChangeNotify only to listeners in the same process.
#include <windows.h>

#include <string>
#include <vector>

namespace qmtest {

struct ShellEvent {
    LONG event;
    std::wstring path;  // the first item as a path
};

class ShellNotifyObserver {
public:
    ShellNotifyObserver();
    ~ShellNotifyObserver();
    ShellNotifyObserver(const ShellNotifyObserver&) = delete;
    ShellNotifyObserver& operator=(const ShellNotifyObserver&) = delete;

    // Delivers pending notifications and returns all received so far.
    std::vector<ShellEvent> Events();
    void Clear() { events_.clear(); }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    ULONG registration_ = 0;
    std::vector<ShellEvent> events_;
};

}  // namespace qmtest
