#pragma once
// The context-menu theme: settings "Theme"/"name" (a file name in the theme store), resolved to a
// path in the theme store of the reading module. Read afresh at every call.
//
// The store is two folders when the module's folder cannot be written (an all-users installation):
// the themes shipped in "samples" next to the module (read-only, listed) and the user's own
// "samples" in the data folder (see data_folder_win.h), where installs and deletes go; a user's
// theme of the same name wins. When the module's folder can be written, both are the same folder.
#include <string>

namespace qm {

inline constexpr wchar_t kDefaultThemeName[] = L"WindowsXP.icl";

// folder (with trailing backslash) + "samples\".
std::wstring ThemeStoreFolderIn(const std::wstring& folder);
// The user's store of a module in moduleFolder: ThemeStoreFolderIn(DataFolderFor(moduleFolder)).
std::wstring UserThemeFolderIn(const std::wstring& moduleFolder);
// The user's store of this module (where themes are installed and deleted).
std::wstring UserThemeFolder();
// The shipped themes next to this module.
std::wstring ShippedThemeFolder();

// The theme name from the settings file of a module in moduleFolder; "WindowsXP.icl" when the key
// is missing or anything fails.
std::wstring ReadThemeNameIn(const std::wstring& moduleFolder);
std::wstring ReadThemeName();

// The path of a theme file name: in the user's store when it is there, otherwise among the
// shipped themes (whether or not the file exists there).
std::wstring ResolveThemeIn(const std::wstring& moduleFolder, const std::wstring& name);
std::wstring ResolveTheme(const std::wstring& name);

// ResolveThemeIn(moduleFolder, the theme name).
std::wstring CurrentThemePathIn(const std::wstring& moduleFolder);
// The same for the folder of this module (the program's executable or the extension's library).
std::wstring CurrentThemePath();

}  // namespace qm
