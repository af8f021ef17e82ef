#pragma once
// Names in the theme store, without the platform: which files the store takes and what they are
// called there.
#include <string>
#include <string_view>

namespace qm {

// The part after the last backslash or slash.
std::wstring_view FileNameOf(std::wstring_view path);
// A file name without its last extension ("Metal.ICL" -> "Metal"); the display name of a theme.
std::wstring_view WithoutExtension(std::wstring_view fileName);

// ".ICL" in any case: an icon library the store takes under its own name.
bool IsIconLibraryPath(std::wstring_view path);
// A file named "iColorFolder.dll" in any case: a theme library of iColorFolder.
bool IsColorFolderLibraryPath(std::wstring_view path);

// Whether a text can be a file name in the store: not empty, not "." or "..", no path separators,
// no characters that file names cannot hold, no trailing dot or blank.
bool IsPlainFileName(std::wstring_view name);

// The store's file name for an iColorFolder library: its description + ".icl"; the library's own
// name with the extension ".icl" when there is no description or it is no plain file name.
std::wstring ColorFolderThemeFileName(std::wstring_view libraryPath, std::wstring_view description);

}  // namespace qm
