#pragma once
#include <string>

namespace qm {

// The process-wide name of the current language: "English", "Default" or the file name of a
// language file. Set by the program entry and by windows that read `CurLang` again.
std::wstring& CurrentLanguage();

}  // namespace qm
