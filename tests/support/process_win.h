#pragma once
// Whole processes for end-to-end tests: start a program with a command line, find its windows,
// wait for it to end. A process still running when its owner goes is terminated.
#include <windows.h>

#include <string>
#include <vector>

#include "core/base/handles_win.h"

namespace qmtest {

class ChildProcess {
public:
    // CreateProcessW with the whole command line (program name first) in `workingFolder` (or the
    // current folder when empty). Check running() afterwards.
    explicit ChildProcess(const std::wstring& commandLine, const std::wstring& workingFolder = L"");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    // GetLastError of a CreateProcessW that failed (0 when it started).
    DWORD startError() const { return startError_; }
    DWORD pid() const { return pid_; }
    bool running() const;
    // Waits for the end; false on timeout.
    bool Wait(DWORD timeoutMs);
    DWORD ExitCode() const;

    // Visible top-level windows of the process (captions and handles).
    std::vector<HWND> TopWindows() const;
    // Waits for a visible top-level window with this caption (any caption when empty).
    HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs = 15000) const;

private:
    qm::UniqueKernelHandle process_;
    DWORD pid_ = 0;
    DWORD startError_ = 0;
};

// The top-level windows of a process (the visible ones only, or all), in Z order.
std::vector<HWND> TopLevelWindowsOf(DWORD processId, bool visibleOnly = true);
std::wstring WindowCaption(HWND hwnd);
std::wstring WindowClass(HWND hwnd);
// The command line's program part quoted.
std::wstring Quote(const std::wstring& s);

}  // namespace qmtest
