#pragma once
// What the theme store and the toolbar folder hold: the files and folders the windows list.
#include <string>
#include <vector>

namespace qm {

// The theme files of a store folder (with trailing backslash) matching "*.ICL", in the order the
// search returns them, names with extension; folders are skipped.
std::vector<std::wstring> FindThemeFiles(const std::wstring& storeFolder);

// The file name without its extension (the theme's display name).
std::wstring NameWithoutExtension(const std::wstring& fileName);
// The path with its extension replaced by ".txt": where a theme's description lies.
std::wstring DescriptionPathOf(const std::wstring& themePath);

// The toolbar folder: the program's folder + "toolbar".
std::wstring ToolbarFolder();
// The entries of the toolbar folder as the main window lists them after "Default": every entry
// except "." and "..", hidden and system ones left out, in the order of the enumeration.
std::vector<std::wstring> ListToolbarThemes(const std::wstring& toolbarFolder);

}  // namespace qm
