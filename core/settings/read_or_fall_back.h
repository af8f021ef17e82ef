#pragma once
// "Read or fall back": the one place where a read with a documented fallback (a missing setting,
// an unreadable language file) turns a failure into that fallback, so that no caller catches and
// swallows errors of its own. Used by the INI layer (IniFile::TryReadString, ReadStringOr).
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace qm {

// The text `read` gives, or nothing when it fails (throws).
template <class Read>
std::optional<std::wstring> TryReading(Read&& read) noexcept {
    try {
        return std::optional<std::wstring>(std::forward<Read>(read)());
    } catch (...) {
        return std::nullopt;
    }
}

// The text `read` gives, or `fallback` when it fails.
template <class Read>
std::wstring ReadingOr(Read&& read, std::wstring_view fallback) {
    if (std::optional<std::wstring> text = TryReading(std::forward<Read>(read))) return std::move(*text);
    return std::wstring(fallback);
}

}  // namespace qm
