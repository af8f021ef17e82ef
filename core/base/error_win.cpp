#include <windows.h>

#include "core/base/error.h"
#include "core/base/handles_win.h"

namespace qm {

std::wstring SystemErrorText(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const UniqueLocal buffer(text);
    std::wstring message = n && text ? std::wstring(text, n) : L"I/O error " + std::to_wstring(error);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}

}  // namespace qm
