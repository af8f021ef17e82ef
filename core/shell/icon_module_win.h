#pragma once
// Where a system module's icons are: Windows 10 1903 and later keep the icon groups of modules such
// as shell32.dll and imageres.dll in "SystemResources\<module>.mun" of the Windows folder, and the
// module itself holds none.
#include <string>

namespace qm {

// The module itself when it has icon groups; else the .mun of its file name in the Windows
// folder's SystemResources (GetSystemFolders, so a test may give its own) when that exists; else
// the module.
std::wstring IconGroupsFileOf(const std::wstring& module);

}  // namespace qm
