#pragma once
// An INI file's bytes read and changed by the rules of the platform's private-profile functions,
// for files those functions cannot reach (paths past MAX_PATH) and for the writes that must keep
// a file whole (desktop.ini):
// - encoding: UTF-16LE behind FF FE, UTF-16BE behind FE FF, UTF-8 behind EF BB BF, else the ANSI
//   code page; a change is written in the encoding the file has, unless the file is first
//   rewritten as UTF-16LE (Windows' profile functions read only UTF-16LE and the ANSI code page);
// - lines end at LF (a CR before it belongs to the ending); blanks around names and values do
//   not count; "[name]" starts a section (up to the last "]"); "key=value" lines, a line without
//   "=" is a key without value (read as missing, replaced by a write); section and key names
//   compare without case, the first match wins;
// - a read value loses one pair of surrounding quotes ("..." or '...');
// - a write replaces the value of the key's line, adds a missing key after the last line of its
//   section, and a missing section at the end of the file; every other byte stays as it was.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// What the platform supplies: the ANSI code page and its comparison of names without case.
struct ProfileCodec {
    std::wstring (*ansiToWide)(std::string_view);
    std::string (*wideToAnsi)(std::wstring_view);
    bool (*sameName)(std::wstring_view, std::wstring_view);
};

// Where there is no platform (native builds): Latin-1 stands in for the ANSI code page, ASCII
// case for the platform's comparison.
const ProfileCodec& PortableProfileCodec();

enum class ProfileEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

class ProfileText {
public:
    ProfileText(std::span<const std::uint8_t> bytes, const ProfileCodec& codec);

    ProfileEncoding Encoding() const { return encoding_; }
    // Windows' profile functions (and so Explorer, for desktop.ini) read UTF-16LE behind its mark
    // and the ANSI code page only; a UTF-8 mark glues to the first line, UTF-16BE is read as bytes.
    static bool PlatformReads(ProfileEncoding encoding) {
        return encoding == ProfileEncoding::Utf16Le || encoding == ProfileEncoding::Ansi;
    }
    // Every line in UTF-16LE behind its mark, its text and line ending as they were; false when the
    // file already was.
    bool RewriteAsUtf16Le();
    // The value as the profile reader gives it, or nothing when the section or key is missing.
    std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) const;
    void Write(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    std::vector<std::uint8_t> Bytes() const;

    // The bytes of a new file holding one key: UTF-16LE with its byte-order mark.
    static std::vector<std::uint8_t> NewFile(std::wstring_view section, std::wstring_view key, std::wstring_view value);

private:
    struct Line {
        std::string raw;     // the line's bytes with its ending
        std::wstring text;   // decoded, without the ending
        bool ended = false;  // by a LF
        bool cr = false;     // a CR stands before the LF (or last in the file)
    };
    enum class Kind { Blank, Section, Key };
    struct Parsed {
        Kind kind = Kind::Blank;
        std::wstring_view name;   // section or key name, trimmed
        std::wstring_view value;  // trimmed; keys only
        bool hasValue = false;    // the line has "="
        std::size_t nameEnd = 0;  // in text: where the key's name ends
    };
    static Parsed Parse(const std::wstring& text);
    std::wstring Decode(std::string_view raw) const;
    std::string Encode(std::wstring_view text) const;
    void EndLine(Line& line) const;
    Line MakeLine(std::wstring text) const;
    // First line of the section, and one past its last line; nothing when missing.
    std::optional<std::pair<std::size_t, std::size_t>> FindSection(std::wstring_view section) const;

    const ProfileCodec& codec_;
    ProfileEncoding encoding_ = ProfileEncoding::Ansi;
    std::string bom_;
    std::vector<Line> lines_;
};

}  // namespace qm
