// Stands in for a system program the installer runs (PowerShell, certutil: Wine's own are stubs
// that do nothing and exit 0). Each start appends one record to "<name>.calls.txt" beside itself,
// UTF-8: the command line, then QM_MSIX and QM_DIR from its environment, each on a line of its
// own, then a line "--". It exits with the number in "<name>.exitcode" beside itself (decimal or
// 0x hex), 0 without that file.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "core/base/text.h"

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD n = GetEnvironmentVariableW(name, value, 32768);
    return n > 0 && n < 32768 ? std::wstring(value, n) : L"(unset)";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    if (n == 0 || n >= MAX_PATH * 4) return 1;
    const std::wstring path(self, n);
    const std::string record = qm::WideToUtf8(GetCommandLineW()) + "\n" + qm::WideToUtf8(Environment(L"QM_MSIX")) +
                               "\n" + qm::WideToUtf8(Environment(L"QM_DIR")) + "\n--\n";
    HANDLE file = CreateFileW((path + L".calls.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    HANDLE code = CreateFileW((path + L".exitcode").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (code == INVALID_HANDLE_VALUE) return 0;
    char text[32] = {};
    DWORD read = 0;
    ReadFile(code, text, sizeof text - 1, &read, nullptr);
    CloseHandle(code);
    return static_cast<int>(std::strtoul(text, nullptr, 0));
}
