#pragma once
// The INI access layer: Unicode private-profile functions, no caching. Used for the settings file
// and for desktop.ini. A file this layer creates starts with a UTF-16LE byte-order mark, so the
// platform keeps writing it as UTF-16 and non-ANSI text survives; an existing file keeps its
// encoding, except that a file the platform must read (desktop.ini) is rewritten as UTF-16LE when
// its encoding is one Windows' profile functions cannot read (UTF-8 with a mark, UTF-16BE).
//
// The profile functions cannot reach a file whose path has MAX_PATH characters or more; such a
// file is read and written by the layer's own access (ProfileText, by the same rules, through the
// long form of the path). The own access is also chosen where a write must keep the file whole:
// it writes only the bytes that change and puts them back when the medium refuses the rest.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/profile_text.h"

namespace qm {

enum class IniAccess {
    Platform,  // the profile functions, the own access past MAX_PATH
    Own,       // always the own access
    // Always the own access; a write first rewrites a file the profile functions cannot read as
    // UTF-16LE with its mark (every line kept), in the same write.
    OwnInPlatformEncoding,
};

class IniFile {
public:
    // Longest value read in full; a longer one is cut here.
    static constexpr std::size_t kMaxValueLength = 2047;

    IniFile() = default;
    explicit IniFile(std::wstring path, IniAccess access = IniAccess::Platform) : access_(access) {
        Open(std::move(path));
    }

    // Binds to a path; touches nothing on disk, a missing file is no error.
    void Open(std::wstring path) { path_ = std::move(path); }
    void Close() { path_.clear(); }
    const std::wstring& Path() const { return path_; }

    // The stored value, or `def` when the file, the section or the key is missing.
    std::wstring ReadString(std::wstring_view section, std::wstring_view key, std::wstring_view def) const;

    // Read or fall back: as ReadString, but a read that fails (no memory for the value) gives
    // nothing (TryReadString) or `fallback` (ReadStringOr, which is also the value of a missing
    // file, section or key) instead of an error.
    std::optional<std::wstring> TryReadString(std::wstring_view section, std::wstring_view key,
                                              std::wstring_view def) const noexcept;
    std::wstring ReadStringOr(std::wstring_view section, std::wstring_view key, std::wstring_view fallback) const;

    // Several keys of one section from one read of the file (always the own access), each `def`
    // when missing, in the order asked.
    // `encoding`, when given, receives the file's encoding (Ansi for a missing file).
    std::vector<std::wstring> ReadStrings(std::wstring_view section, std::span<const std::wstring_view> keys,
                                          std::wstring_view def, ProfileEncoding* encoding = nullptr) const;

    // Stores the key, creating file and section as needed; an empty value stays an empty key.
    // Throws UserError "Unable to write to %s" when the platform refuses the write.
    void WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value) const;

    // Rewrites an existing file the profile functions cannot read as UTF-16LE with its mark, every
    // line kept; a missing or readable file stays as it is. Throws UserError as WriteString does.
    void RewriteInPlatformEncoding() const;

private:
    bool UsesOwnAccess() const;
    [[noreturn]] void RaiseWriteError() const;
    std::wstring path_;
    IniAccess access_ = IniAccess::Platform;
};

// Creates an empty file holding only the UTF-16LE byte-order mark; false when the file exists or
// cannot be created (a file it could not finish is removed again).
bool CreateUtf16IniFile(const std::wstring& path);

}  // namespace qm
