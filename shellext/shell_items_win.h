#pragma once
// The items Explorer's Windows 11 menu hands its commands: an IShellItemArray of the selected
// items (or, on a folder's background, of that folder).
#include <windows.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "core/base/handles_win.h"

namespace qm::shellext {

// The file-system paths of the items, in order; empty when there is no array, no item, or an
// item without a file-system path (a virtual item, a search result's container).
std::vector<std::wstring> FileSystemPaths(IShellItemArray* items);

// The paths of the items when every one is an existing file-system folder; empty otherwise.
std::vector<std::wstring> SelectedFolders(IShellItemArray* items);

// Whether a path lies on a network share or a removable or optical medium, told from the path
// alone (a UNC name, or the drive type of its letter), without touching the medium.
bool IsOnSlowMedium(const std::wstring& path);

// Whether any item's path lies on such a medium.
bool AnyOnSlowMedium(IShellItemArray* items);

// The folder the site's view shows (IServiceProvider -> SID_SFolderView -> IFolderView::GetFolder)
// as a one-item array; empty when the site has no such view or folder.
qm::ComPtr<IShellItemArray> SiteFolder(IUnknown* site);

// `items` when it holds any item; otherwise, as on a folder's or the desktop's background, where
// Explorer hands no array or an empty one, the site's folder.
qm::ComPtr<IShellItemArray> ItemsOrSiteFolder(IShellItemArray* items, IUnknown* site);

}  // namespace qm::shellext
