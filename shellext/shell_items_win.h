#pragma once
// The items Explorer's Windows 11 menu hands its commands: an IShellItemArray of the selected
// items (or, on a folder's background, of that folder).
#include <windows.h>
#include <shobjidl.h>

#include <string>
#include <vector>

namespace qm::shellext {

// The file-system paths of the items, in order; empty when there is no array, no item, or an
// item without a file-system path (a virtual item, a search result's container).
std::vector<std::wstring> FileSystemPaths(IShellItemArray* items);

// The paths of the items when every one is an existing file-system folder; empty otherwise.
std::vector<std::wstring> SelectedFolders(IShellItemArray* items);

}  // namespace qm::shellext
