#include "core/base/message_owner_win.h"

namespace qm {

namespace {
thread_local HWND t_owner = nullptr;
}  // namespace

HWND ThreadMessageOwner() noexcept { return t_owner; }

ThreadMessageOwnerScope::ThreadMessageOwnerScope(HWND owner) noexcept : previous_(t_owner) { t_owner = owner; }

ThreadMessageOwnerScope::~ThreadMessageOwnerScope() { t_owner = previous_; }

int ShowUserMessage(const std::wstring& text, const std::wstring& caption, UINT flags) {
    return MessageBoxExW(t_owner, text.c_str(), caption.c_str(), flags, 0);
}

}  // namespace qm
