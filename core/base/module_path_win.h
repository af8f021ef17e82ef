#pragma once
#include <string>

namespace qm {

// Folder of the module this code is linked into (the program's executable, or the extension's own
// library when built into it), with a trailing backslash.
std::wstring ModuleFolder();

// Full path of that module.
std::wstring ModulePath();

// Folder of a path (everything up to and including its last backslash or slash).
std::wstring FolderOf(const std::wstring& path);

// The path made absolute against the current directory (GetFullPathNameW); unchanged when the
// platform gives no full path.
std::wstring FullPath(const std::wstring& path);

}  // namespace qm
