#include "tests/support/process_win.h"

#include "ui/form_win.h"

namespace qmtest {

ChildProcess::ChildProcess(const std::wstring& commandLine, const std::wstring& workingFolder) {
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingFolder.empty() ? nullptr : workingFolder.c_str(), &si, &pi)) {
        process_.reset(pi.hProcess);
        CloseHandle(pi.hThread);
        pid_ = pi.dwProcessId;
    } else {
        startError_ = GetLastError();
    }
}

ChildProcess::~ChildProcess() {
    if (running()) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool ChildProcess::running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool ChildProcess::Wait(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_.get(), &code);
    return code;
}

namespace {
struct Search {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};
BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && (!s->visibleOnly || IsWindowVisible(hwnd))) s->found.push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD processId, bool visibleOnly) {
    Search s{processId, visibleOnly, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::vector<HWND> ChildProcess::TopWindows() const { return TopLevelWindowsOf(pid_); }

HWND ChildProcess::WaitForWindow(const std::wstring& caption, DWORD timeoutMs) const {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        for (HWND h : TopWindows())
            if (caption.empty() || WindowCaption(h) == caption) return h;
        Sleep(50);
    } while (GetTickCount64() < end && running());
    return nullptr;
}

std::wstring WindowCaption(HWND hwnd) { return ui::WindowText(hwnd); }

std::wstring WindowClass(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

std::wstring Quote(const std::wstring& s) { return L"\"" + s + L"\""; }

}  // namespace qmtest
