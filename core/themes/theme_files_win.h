#pragma once
// What the theme store and the toolbar folder hold: the files and folders the windows list.
#include <string>
#include <vector>

namespace qm {

// The theme files of a store folder (with trailing backslash) matching "*.ICL", in the order the
// search returns them, names with extension; folders are skipped.
std::vector<std::wstring> FindThemeFiles(const std::wstring& storeFolder);

// Two file names or paths compared as the file system does: ordinal, without case.
bool SameName(const std::wstring& a, const std::wstring& b);

// One entry of the theme lists.
struct ThemeFile {
    std::wstring name;  // file name with extension
    std::wstring path;
};
// The themes of both store folders (with trailing backslash): the shipped ones in FindThemeFiles
// order, each replaced by the user's file of the same name (compared without case) when there is
// one, then the user's other themes. One folder is listed once when both are the same.
std::vector<ThemeFile> ListStoreThemes(const std::wstring& userFolder, const std::wstring& shippedFolder);

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
