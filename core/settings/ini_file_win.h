#pragma once
// The INI access layer: Unicode private-profile functions, no caching. Used for the settings file
// and for desktop.ini. A file this layer creates starts with a UTF-16LE byte-order mark, so the
// platform keeps writing it as UTF-16 and non-ANSI text survives; an existing file keeps its encoding.
#include <string>
#include <string_view>

namespace qm {

class IniFile {
public:
    // Longest value read in full; a longer one is cut here.
    static constexpr std::size_t kMaxValueLength = 2047;

    IniFile() = default;
    explicit IniFile(std::wstring path) { Open(std::move(path)); }

    // Binds to a path; touches nothing on disk, a missing file is no error.
    void Open(std::wstring path) { path_ = std::move(path); }
    void Close() { path_.clear(); }
    const std::wstring& Path() const { return path_; }

    // The stored value, or `def` when the file, the section or the key is missing.
    std::wstring ReadString(std::wstring_view section, std::wstring_view key, std::wstring_view def) const;

    // Stores the key, creating file and section as needed; an empty value stays an empty key.
    // Throws UserError "Unable to write to %s" when the platform refuses the write.
    void WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value) const;

private:
    [[noreturn]] void RaiseWriteError() const;
    std::wstring path_;
};

// Creates an empty file holding only the UTF-16LE byte-order mark; false when the file exists or
// cannot be created.
bool CreateUtf16IniFile(const std::wstring& path);

}  // namespace qm
