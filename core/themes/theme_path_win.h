#pragma once
// The context-menu theme: settings "Theme"/"name" (a file name in the theme store), resolved to a
// path in the "samples" folder next to the reading module. Read afresh at every call.
#include <string>

namespace qm {

inline constexpr wchar_t kDefaultThemeName[] = L"WindowsXP.icl";

// moduleFolder (with trailing backslash) + "samples\".
std::wstring ThemeStoreFolderIn(const std::wstring& moduleFolder);
// The theme store next to this module.
std::wstring ThemeStoreFolder();

// The theme name from the settings file in moduleFolder; "WindowsXP.icl" when the key is
// missing or anything fails.
std::wstring ReadThemeNameIn(const std::wstring& moduleFolder);
std::wstring ReadThemeName();

// moduleFolder + "samples\" + the theme name. Returned whether or not the file exists.
std::wstring CurrentThemePathIn(const std::wstring& moduleFolder);
// The same for the folder of this module (the program's executable or the extension's library).
std::wstring CurrentThemePath();

}  // namespace qm
