#include <windows.h>

#include "core/base/message_owner_win.h"
#include "core/icons/icon_messages.h"

namespace qm {

// A plain message box with an OK button, owned by the thread's message owner, shown as it is (no
// translation).
void ShowIconMessageByDefault(const std::wstring& text) { ShowUserMessage(text, L"Quillmark", MB_OK); }

}  // namespace qm
