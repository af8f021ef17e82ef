#include "core/base/message_owner_win.h"

namespace qm {

namespace {
thread_local HWND t_owner = nullptr;
}  // namespace

HWND ThreadMessageOwner() noexcept { return t_owner; }

ThreadMessageOwnerScope::ThreadMessageOwnerScope(HWND owner) noexcept : previous_(t_owner) { t_owner = owner; }

ThreadMessageOwnerScope::~ThreadMessageOwnerScope() { t_owner = previous_; }

}  // namespace qm
