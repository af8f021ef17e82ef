#pragma once
#include <string>

namespace qm {

// The main window's frame before its pages exist: caption, fixed client size, centred.
int RunPlaceholderMainWindow(const wchar_t* applicationTitle, const std::wstring& folder);

}  // namespace qm
