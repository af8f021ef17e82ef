#include "tests/support/console_process_win.h"

#include <cstdio>

#include "core/base/handles_win.h"

namespace qmtest {

namespace {
qm::UniqueFile OpenOutput(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (path.empty())
        return qm::UniqueFile(CreateFileW(L"NUL", GENERIC_WRITE, share, &inherit, OPEN_EXISTING, 0, nullptr));
    return qm::UniqueFile(CreateFileW(path.c_str(), GENERIC_WRITE, share, &inherit, CREATE_ALWAYS, 0, nullptr));
}

// Says which step failed and why, with GetLastError (read first) and the command line.
DWORD Failed(const std::wstring& step, const std::wstring& commandLine, std::wstring* failure) {
    const DWORD error = GetLastError();
    const std::wstring text =
        L"RunConsoleProgram: " + step + L" failed, error " + std::to_wstring(error) + L", command line: " + commandLine;
    std::fwprintf(stderr, L"%ls\n", text.c_str());
    std::fflush(stderr);
    if (failure) *failure = text;
    return kNotStarted;
}
}  // namespace

DWORD RunConsoleProgram(const std::wstring& commandLine, const std::wstring& outPath, const std::wstring& errPath,
                        DWORD timeoutMs, std::wstring* failure) {
    const qm::UniqueFile out = OpenOutput(outPath);
    if (!out) return Failed(L"opening the output " + outPath, commandLine, failure);
    const qm::UniqueFile err = OpenOutput(errPath);
    if (!err) return Failed(L"opening the error output " + errPath, commandLine, failure);
    STARTUPINFOW si{sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out.get();
    si.hStdError = err.get();
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return Failed(L"CreateProcessW", commandLine, failure);
    const qm::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 99);
        WaitForSingleObject(process.get(), 5000);
    }
    DWORD code = kNotStarted;
    if (!GetExitCodeProcess(process.get(), &code)) return Failed(L"GetExitCodeProcess", commandLine, failure);
    return code;
}

}  // namespace qmtest
