#pragma once
// Paths longer than the platform's classic limit. A file or attribute call takes a path of
// MAX_PATH (260) characters or more only in its long form, "\\?\C:\..." or "\\?\UNC\server\...";
// the shell knows the same item by its ordinary form.
#include <string>
#include <string_view>

namespace qm {

// The path as a file or attribute call takes it: unchanged while shorter than MAX_PATH, else
// made absolute and normalised (as the platform would) and given the "\\?\" prefix.
std::wstring LongPathForm(std::wstring_view path);
// The long form whatever the length: names below it are then taken as they are (a trailing dot
// or blank, a device name such as "CON" are not normalised away).
std::wstring FullLongPathForm(std::wstring_view path);

// The path as the shell knows it: a "\\?\" or "\\?\UNC\" prefix taken off.
std::wstring ShellPathForm(std::wstring_view path);

// True when the platform's classic calls (the profile functions, the shell's file operation)
// cannot take the path: MAX_PATH characters or more, or already in the long form.
bool PassesClassicPathLimit(std::wstring_view path);

// True for an existing file (not a folder), for an existing folder, and for either, by a path of
// any length. When the answer is false, GetLastError gives the platform's reason.
bool IsExistingFile(const std::wstring& path);
bool IsExistingFolder(const std::wstring& path);
bool IsExistingPath(const std::wstring& path);

}  // namespace qm
