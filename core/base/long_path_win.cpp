#include "core/base/long_path_win.h"

#include <windows.h>

namespace qm {

namespace {
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";
}  // namespace

bool PassesClassicPathLimit(std::wstring_view path) {
    return path.size() >= MAX_PATH || path.substr(0, kLongPrefix.size()) == kLongPrefix;
}

std::wstring LongPathForm(std::wstring_view path) {
    if (path.size() < MAX_PATH || path.substr(0, kLongPrefix.size()) == kLongPrefix) return std::wstring(path);
    // The long form is taken as it stands: make it absolute with backslashes and without "."
    // and ".." first, as the platform does with an ordinary path.
    const std::wstring in(path);
    std::wstring full(in.size() + MAX_PATH, L'\0');
    DWORD n = GetFullPathNameW(in.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n + 1);
        n = GetFullPathNameW(in.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (n == 0 || n >= full.size()) return in;
    full.resize(n);
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') return std::wstring(kLongUncPrefix) + full.substr(2);
    return std::wstring(kLongPrefix) + full;
}

std::wstring ShellPathForm(std::wstring_view path) {
    if (path.substr(0, kLongUncPrefix.size()) == kLongUncPrefix)
        return L"\\\\" + std::wstring(path.substr(kLongUncPrefix.size()));
    if (path.substr(0, kLongPrefix.size()) == kLongPrefix) return std::wstring(path.substr(kLongPrefix.size()));
    return std::wstring(path);
}

}  // namespace qm
