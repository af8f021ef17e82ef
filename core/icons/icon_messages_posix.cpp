#include <cstdio>

#include "core/base/text.h"
#include "core/icons/icon_messages.h"

namespace qm {

// The line on standard error (the Windows side shows a message box).
void ShowIconMessageByDefault(const std::wstring& text) { std::fprintf(stderr, "%s\n", WideToUtf8(text).c_str()); }

}  // namespace qm
