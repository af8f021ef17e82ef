#pragma once
// The error that leaves a handler: carries the user-visible message text. The window framework
// catches it at message dispatch and shows the text in a message box; the shell extension turns
// it into an HRESULT at its COM boundary.
#include <stdexcept>
#include <string>

namespace qm {

class UserError : public std::runtime_error {
public:
    explicit UserError(std::wstring text);
    const std::wstring& text() const noexcept { return text_; }

private:
    std::wstring text_;
};

// Replaces the first "%s" of a message template with an argument, as the messages name it.
std::wstring FormatMessageText(std::wstring_view templ, std::wstring_view arg);

#ifdef _WIN32
// The platform's own text for a system error code, without its trailing line break.
std::wstring SystemErrorText(unsigned long error);
#endif

}  // namespace qm
