#include "shellext/failure_trail_win.h"

#include <cstdio>

#include "core/base/text.h"
#include "shellext/test_seams_win.h"

namespace qm::shellext {

ShellSeams& Seams() noexcept {
    static ShellSeams seams;
    return seams;
}

void ReportFailure(const char* site, HRESULT hr, const std::wstring& detail) noexcept {
    try {
        // Win32 errors by their own code, which the system's message table knows.
        const unsigned long code = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : hr;
        wchar_t number[16] = {};
        std::swprintf(number, 16, L"0x%08lX", static_cast<unsigned long>(hr));
        std::wstring line =
            L"quillshell: " + AsciiToWide(site ? site : "?") + L": " + number + L" " + SystemErrorText(code);
        if (!detail.empty()) line += L" (" + detail + L")";
        line += L"\n";
        if (Seams().trail) {
            Seams().trail(line.c_str());
        } else {
            OutputDebugStringW(line.c_str());
        }
    } catch (...) {
        OutputDebugStringW(L"quillshell: a failure whose line could not be made\n");
    }
}

HRESULT LastErrorResult() noexcept {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace qm::shellext

extern "C" qm::shellext::ShellSeams* WINAPI QuillshellSeams() { return &qm::shellext::Seams(); }
