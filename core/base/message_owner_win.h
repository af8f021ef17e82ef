#pragma once
// The window that owns the message boxes this thread shows where the caller has no window of its
// own (the shell extension: Explorer's window for the time of a command). None by default.
#include <windows.h>

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

}  // namespace qm
