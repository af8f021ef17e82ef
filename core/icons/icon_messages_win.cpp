#include <windows.h>

#include "core/icons/icon_messages.h"

namespace qm {

// A plain message box with an OK button, without owner, shown as it is (no translation).
void ShowIconMessageByDefault(const std::wstring& text) { MessageBoxW(nullptr, text.c_str(), L"Quillmark", MB_OK); }

}  // namespace qm
