#pragma once
// The one route by which the program, the shell extension and the window framework show a message
// box to the user: ShowUserMessage, owned by this thread's message owner. Code that shows messages
// on behalf of a window makes that window the owner for a scope (ThreadMessageOwnerScope); scopes
// nest and each gives the previous owner back at its end. None by default.
#include <windows.h>

#include <string>

namespace qm {

HWND ThreadMessageOwner() noexcept;

// Makes `owner` this thread's message owner for the life of the object; the previous one comes
// back at its end.
class ThreadMessageOwnerScope {
public:
    explicit ThreadMessageOwnerScope(HWND owner) noexcept;
    ~ThreadMessageOwnerScope();
    ThreadMessageOwnerScope(const ThreadMessageOwnerScope&) = delete;
    ThreadMessageOwnerScope& operator=(const ThreadMessageOwnerScope&) = delete;

private:
    HWND previous_;
};

// A message box owned by this thread's message owner, in the system's language for its buttons
// (MessageBoxExW, language 0). `flags`: MB_OK, MB_YESNO, an icon ... Returns the button pressed.
int ShowUserMessage(const std::wstring& text, const std::wstring& caption, UINT flags = MB_OK);

}  // namespace qm
