#include "core/settings/ini_file_win.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "core/base/error.h"
#include "core/base/file_bytes_win.h"
#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/base/text.h"
#include "core/settings/profile_text.h"
#include "core/settings/read_or_fall_back.h"

namespace qm {

namespace {

// A desktop.ini or settings file larger than this is not an INI file the layer rewrites.
constexpr std::uint64_t kMaxOwnFileBytes = 64ull << 20;

bool SameNameWithoutCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

const ProfileCodec& PlatformCodec() {
    static const ProfileCodec codec{
        [](std::string_view s) { return AnsiToWide(s); },
        [](std::wstring_view s) { return WideToAnsi(s); },
        &SameNameWithoutCase,
    };
    return codec;
}

std::optional<std::wstring> OwnRead(const std::wstring& path, std::wstring_view section, std::wstring_view key) {
    UniqueFile file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    const auto bytes = ReadFileBytes(file.get(), kMaxOwnFileBytes);
    if (!bytes) return std::nullopt;
    return ProfileText(*bytes, PlatformCodec()).Read(section, key);
}

struct KeyWrite {
    std::wstring_view section, key, value;
};

// Writes the key (none: only the rewrite), first rewriting a file the profile functions cannot
// read as UTF-16LE when `platformEncoding` asks for it. False when the platform refuses; the file
// is then as it was. A missing file is created holding the key alone.
bool OwnWrite(const std::wstring& path, const KeyWrite* write, bool platformEncoding) {
    const std::wstring longPath = LongPathForm(path);
    UniqueFile file(CreateFileW(longPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        if (!write) return true;
        // A new file: UTF-16LE with its byte-order mark, removed again when it cannot be finished.
        UniqueFile created(
            CreateFileW(longPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!created) return false;
        const auto bytes = ProfileText::NewFile(write->section, write->key, write->value);
        const bool done = WriteFileBytesAt(created.get(), 0, bytes);
        created.reset();
        if (!done) DeleteFileW(longPath.c_str());
        return done;
    }
    const auto before = ReadFileBytes(file.get(), kMaxOwnFileBytes);
    if (!before) return false;
    ProfileText text(*before, PlatformCodec());
    if (platformEncoding && !ProfileText::PlatformReads(text.Encoding())) text.RewriteAsUtf16Le();
    if (write) text.Write(write->section, write->key, write->value);
    const std::vector<std::uint8_t> after = text.Bytes();
    // Only the bytes from the first change on are written; when the medium refuses them (a full
    // disk), the old ones go back.
    const std::size_t from = static_cast<std::size_t>(
        std::mismatch(before->begin(), before->end(), after.begin(), after.end()).first - before->begin());
    if (from == after.size() && after.size() == before->size()) return true;
    if (WriteFileBytesAt(file.get(), from, std::span(after).subspan(from))) return true;
    const DWORD error = GetLastError();
    WriteFileBytesAt(file.get(), from, std::span(*before).subspan(from));
    SetLastError(error);
    return false;
}

}  // namespace

bool IniFile::UsesOwnAccess() const { return access_ != IniAccess::Platform || PassesClassicPathLimit(path_); }

std::wstring IniFile::ReadString(std::wstring_view section, std::wstring_view key, std::wstring_view def) const {
    if (UsesOwnAccess()) {
        std::wstring value = OwnRead(path_, section, key).value_or(std::wstring(def));
        if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
        return value;
    }
    const std::wstring s(section), k(key), d(def);
    std::wstring buf(kMaxValueLength + 1, L'\0');
    const DWORD n = GetPrivateProfileStringW(s.c_str(), k.c_str(), d.c_str(), buf.data(),
                                             static_cast<DWORD>(buf.size()), path_.c_str());
    buf.resize(n);
    return buf;
}

std::optional<std::wstring> IniFile::TryReadString(std::wstring_view section, std::wstring_view key,
                                                   std::wstring_view def) const noexcept {
    return TryReading([&] { return ReadString(section, key, def); });
}

std::wstring IniFile::ReadStringOr(std::wstring_view section, std::wstring_view key, std::wstring_view fallback) const {
    return ReadingOr([&] { return ReadString(section, key, fallback); }, fallback);
}

std::vector<std::wstring> IniFile::ReadStrings(std::wstring_view section, std::span<const std::wstring_view> keys,
                                               std::wstring_view def, ProfileEncoding* encoding) const {
    std::vector<std::wstring> values(keys.size(), std::wstring(def));
    if (encoding) *encoding = ProfileEncoding::Ansi;
    UniqueFile file(CreateFileW(LongPathForm(path_).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return values;
    const auto bytes = ReadFileBytes(file.get(), kMaxOwnFileBytes);
    if (!bytes) return values;
    const ProfileText text(*bytes, PlatformCodec());
    if (encoding) *encoding = text.Encoding();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (auto value = text.Read(section, keys[i])) values[i] = std::move(*value);
        if (values[i].size() > kMaxValueLength) values[i].resize(kMaxValueLength);
    }
    return values;
}

bool CreateUtf16IniFile(const std::wstring& path) {
    const std::wstring longPath = LongPathForm(path);
    UniqueFile f(CreateFileW(longPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    static const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    if (WriteFile(f.get(), bom, sizeof bom, &written, nullptr) && written == sizeof bom) return true;
    const DWORD error = GetLastError();
    f.reset();
    DeleteFileW(longPath.c_str());
    SetLastError(error);
    return false;
}

void IniFile::RaiseWriteError() const { throw UserError(FormatMessageText(L"Unable to write to %s", path_)); }

void IniFile::WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value) const {
    if (path_.empty()) RaiseWriteError();
    if (UsesOwnAccess()) {
        const KeyWrite write{section, key, value};
        if (!OwnWrite(path_, &write, access_ == IniAccess::OwnInPlatformEncoding)) RaiseWriteError();
        return;
    }
    if (!IsExistingPath(path_) && !CreateUtf16IniFile(path_) && GetLastError() != ERROR_FILE_EXISTS) RaiseWriteError();
    const std::wstring s(section), k(key), v(value);
    if (!WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), path_.c_str())) RaiseWriteError();
}

void IniFile::RewriteInPlatformEncoding() const {
    if (path_.empty()) RaiseWriteError();
    if (!OwnWrite(path_, nullptr, true)) RaiseWriteError();
}

}  // namespace qm
