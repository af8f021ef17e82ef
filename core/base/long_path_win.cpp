#include "core/base/long_path_win.h"

#include <windows.h>

#include "core/base/module_path_win.h"

namespace qm {

namespace {
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";
}  // namespace

bool PassesClassicPathLimit(std::wstring_view path) {
    return path.size() >= MAX_PATH || path.substr(0, kLongPrefix.size()) == kLongPrefix;
}

std::wstring LongPathForm(std::wstring_view path) {
    if (path.size() < MAX_PATH) return std::wstring(path);
    return FullLongPathForm(path);
}

std::wstring FullLongPathForm(std::wstring_view path) {
    if (path.substr(0, kLongPrefix.size()) == kLongPrefix) return std::wstring(path);
    // The long form is taken as it stands: make it absolute with backslashes and without "."
    // and ".." first, as the platform does with an ordinary path.
    const std::wstring full = FullPath(std::wstring(path));
    const bool absolute = (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') || full.rfind(L"\\\\", 0) == 0;
    if (!absolute) return full;  // the platform gave no full path
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') return std::wstring(kLongUncPrefix) + full.substr(2);
    return std::wstring(kLongPrefix) + full;
}

std::wstring ShellPathForm(std::wstring_view path) {
    if (path.substr(0, kLongUncPrefix.size()) == kLongUncPrefix)
        return L"\\\\" + std::wstring(path.substr(kLongUncPrefix.size()));
    if (path.substr(0, kLongPrefix.size()) == kLongPrefix) return std::wstring(path.substr(kLongPrefix.size()));
    return std::wstring(path);
}

namespace {
// The attributes of what the path names; INVALID_FILE_ATTRIBUTES (and the platform's error) when
// nothing is there.
DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(LongPathForm(path).c_str()); }
}  // namespace

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    return attributes != INVALID_FILE_ATTRIBUTES;
}

bool IsExistingFolder(const std::wstring& path) {
    const DWORD attributes = AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    return attributes != INVALID_FILE_ATTRIBUTES;
}

bool IsExistingPath(const std::wstring& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace qm
