#pragma once
// Where Explorer's Windows 11 menu finds the picture of each icon entry: it takes icon
// locations ("file,index" or "file,-resource id"), which it loads itself. A PE theme gives its
// own path with each group's resource id; an .ico theme its own path. An NE theme, which the
// platform no longer reads, gives .ico files written into the user's cache: one folder per
// version of the theme file (its path, size and time of last write), written once, missing files
// made again, the folders of other versions removed when a new one is made.
#include <windows.h>

#include <string>
#include <vector>

#include "shellext/theme_icons_win.h"

namespace qm::shellext {

// The cache of the menu's icon files: UserCacheFolder() + "MenuIcons\", trailing backslash.
std::wstring MenuIconCacheFolder();

// One location per icon of the theme (Count() of them); empty for an icon that gives none.
std::vector<std::wstring> MenuIconLocations(const std::wstring& themePath, const ThemeIcons& theme);

}  // namespace qm::shellext
