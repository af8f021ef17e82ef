#include "tests/support/console_process_win.h"

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
}  // namespace

DWORD RunConsoleProgram(const std::wstring& commandLine, const std::wstring& outPath, const std::wstring& errPath,
                        DWORD timeoutMs) {
    const qm::UniqueFile out = OpenOutput(outPath), err = OpenOutput(errPath);
    if (!out || !err) return kNotStarted;
    STARTUPINFOW si{sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out.get();
    si.hStdError = err.get();
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return kNotStarted;
    const qm::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 99);
        WaitForSingleObject(process.get(), 5000);
    }
    DWORD code = kNotStarted;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

}  // namespace qmtest
