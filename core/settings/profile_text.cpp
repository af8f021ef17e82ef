#include "core/settings/profile_text.h"

#include "core/base/text.h"

namespace qm {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' || c == 0x1A;
}

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::size_t UnitSize(ProfileEncoding e) {
    return e == ProfileEncoding::Utf16Le || e == ProfileEncoding::Utf16Be ? 2 : 1;
}

std::wstring Latin1ToWide(std::string_view s) { return std::wstring(s.begin(), s.end()); }
std::string WideToLatin1(std::wstring_view s) {
    std::string out;
    for (wchar_t c : s) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return out;
}
bool SameAscii(std::wstring_view a, std::wstring_view b) { return UpperAscii(a) == UpperAscii(b); }

}  // namespace

const ProfileCodec& PortableProfileCodec() {
    static const ProfileCodec codec{&Latin1ToWide, &WideToLatin1, &SameAscii};
    return codec;
}

ProfileText::ProfileText(std::span<const std::uint8_t> bytes, const ProfileCodec& codec) : codec_(codec) {
    auto starts = [&](std::initializer_list<std::uint8_t> mark) {
        return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
    };
    if (starts({0xFF, 0xFE})) {
        encoding_ = ProfileEncoding::Utf16Le;
        bom_.assign("\xFF\xFE");
    } else if (starts({0xFE, 0xFF})) {
        encoding_ = ProfileEncoding::Utf16Be;
        bom_.assign("\xFE\xFF");
    } else if (starts({0xEF, 0xBB, 0xBF})) {
        encoding_ = ProfileEncoding::Utf8;
        bom_.assign("\xEF\xBB\xBF");
    }
    const std::size_t unit = UnitSize(encoding_);
    std::size_t pos = bom_.size();
    const std::size_t end = bytes.size();
    while (pos < end) {
        std::size_t stop = pos;
        bool ended = false;
        while (stop < end) {
            const std::size_t left = end - stop;
            if (left < unit) {  // an odd trailing byte of a UTF-16 file stays as it is
                stop = end;
                break;
            }
            const bool lf = unit == 1
                                ? bytes[stop] == '\n'
                                : (encoding_ == ProfileEncoding::Utf16Le ? bytes[stop] == '\n' && bytes[stop + 1] == 0
                                                                         : bytes[stop] == 0 && bytes[stop + 1] == '\n');
            stop += unit;
            if (lf) {
                ended = true;
                break;
            }
        }
        Line line;
        line.raw.assign(reinterpret_cast<const char*>(bytes.data()) + pos, stop - pos);
        line.ended = ended;
        std::string_view body(line.raw);
        if (ended) body.remove_suffix(unit);
        line.text = Decode(body);
        line.cr = !line.text.empty() && line.text.back() == L'\r';
        if (line.cr) line.text.pop_back();
        lines_.push_back(std::move(line));
        pos = stop;
    }
}

std::wstring ProfileText::Decode(std::string_view raw) const {
    const auto* data = reinterpret_cast<const std::uint8_t*>(raw.data());
    switch (encoding_) {
        case ProfileEncoding::Utf16Le: return DecodeUtf16Le(std::span<const std::uint8_t>(data, raw.size()));
        case ProfileEncoding::Utf16Be: {
            std::wstring out;
            for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
                out.push_back(static_cast<wchar_t>(data[i] << 8 | data[i + 1]));
            return out;
        }
        case ProfileEncoding::Utf8: return Utf8ToWide(raw);
        case ProfileEncoding::Ansi: break;
    }
    return codec_.ansiToWide(raw);
}

std::string ProfileText::Encode(std::wstring_view text) const {
    switch (encoding_) {
        case ProfileEncoding::Utf16Le: {
            const auto bytes = EncodeUtf16Le(text);
            return std::string(bytes.begin(), bytes.end());
        }
        case ProfileEncoding::Utf16Be: {
            std::string out;
            for (wchar_t c : text) {
                out.push_back(static_cast<char>((c >> 8) & 0xFF));
                out.push_back(static_cast<char>(c & 0xFF));
            }
            return out;
        }
        case ProfileEncoding::Utf8: return WideToUtf8(text);
        case ProfileEncoding::Ansi: break;
    }
    return codec_.wideToAnsi(text);
}

ProfileText::Parsed ProfileText::Parse(const std::wstring& text) {
    Parsed p;
    const std::wstring_view line = Trim(text);
    if (line.empty()) return p;
    if (line.front() == L'[') {
        const std::size_t close = line.rfind(L']');
        if (close != std::wstring_view::npos && close > 0) {
            p.kind = Kind::Section;
            p.name = Trim(line.substr(1, close - 1));
            return p;
        }
    }
    p.kind = Kind::Key;
    const std::size_t start = static_cast<std::size_t>(line.data() - text.data());
    const std::size_t eq = line.find(L'=');
    p.name = Trim(line.substr(0, eq));
    p.nameEnd = static_cast<std::size_t>(p.name.data() - text.data()) + p.name.size();
    if (p.name.empty()) p.nameEnd = start;
    if (eq != std::wstring_view::npos) {
        p.value = Trim(line.substr(eq + 1));
        p.hasValue = true;
    }
    return p;
}

std::optional<std::pair<std::size_t, std::size_t>> ProfileText::FindSection(std::wstring_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Parsed p = Parse(lines_[i].text);
        if (p.kind != Kind::Section || !codec_.sameName(p.name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && Parse(lines_[end].text).kind != Kind::Section) ++end;
        return std::make_pair(i, end);
    }
    return std::nullopt;
}

std::optional<std::wstring> ProfileText::Read(std::wstring_view section, std::wstring_view key) const {
    const auto range = FindSection(section);
    if (!range) return std::nullopt;
    for (std::size_t i = range->first + 1; i < range->second; ++i) {
        const Parsed p = Parse(lines_[i].text);
        if (p.kind != Kind::Key || !codec_.sameName(p.name, key)) continue;
        if (!p.hasValue) return std::nullopt;
        std::wstring_view v = p.value;
        if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        return std::wstring(v);
    }
    return std::nullopt;
}

void ProfileText::EndLine(Line& line) const {
    if (line.ended) return;
    // An odd byte that ends a UTF-16 file is no character; text written after it would be read
    // shifted by one byte.
    if (line.raw.size() % UnitSize(encoding_)) line.raw.pop_back();
    line.raw += Encode(line.cr ? L"\n" : L"\r\n");
    line.ended = true;
    line.cr = true;
}

ProfileText::Line ProfileText::MakeLine(std::wstring text) const {
    Line line;
    line.raw = Encode(text + L"\r\n");
    line.text = std::move(text);
    line.ended = true;
    line.cr = true;
    return line;
}

void ProfileText::Write(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const auto range = FindSection(section);
    if (!range) {
        if (!lines_.empty()) EndLine(lines_.back());
        lines_.push_back(MakeLine(L"[" + std::wstring(section) + L"]"));
        lines_.push_back(MakeLine(std::wstring(key) + L"=" + std::wstring(value)));
        return;
    }
    std::size_t last = range->first;  // the section's last line that is not blank
    for (std::size_t i = range->first + 1; i < range->second; ++i) {
        const Parsed p = Parse(lines_[i].text);
        if (p.kind == Kind::Blank) continue;
        last = i;
        if (!codec_.sameName(p.name, key)) continue;
        // The key's line keeps what stands before the name's end and its own line ending.
        Line& line = lines_[i];
        std::wstring text = line.text.substr(0, p.nameEnd) + L"=" + std::wstring(value);
        const std::wstring ending = std::wstring(line.cr ? L"\r" : L"") + (line.ended ? L"\n" : L"");
        line.raw = Encode(text + ending);
        line.text = std::move(text);
        return;
    }
    EndLine(lines_[last]);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1),
                  MakeLine(std::wstring(key) + L"=" + std::wstring(value)));
}

bool ProfileText::RewriteAsUtf16Le() {
    if (encoding_ == ProfileEncoding::Utf16Le) return false;
    for (Line& line : lines_) {
        const std::wstring ending = std::wstring(line.cr ? L"\r" : L"") + (line.ended ? L"\n" : L"");
        const auto bytes = EncodeUtf16Le(line.text + ending);
        line.raw.assign(bytes.begin(), bytes.end());
    }
    encoding_ = ProfileEncoding::Utf16Le;
    bom_.assign("\xFF\xFE");
    return true;
}

std::vector<std::uint8_t> ProfileText::Bytes() const {
    std::vector<std::uint8_t> out(bom_.begin(), bom_.end());
    for (const Line& line : lines_) out.insert(out.end(), line.raw.begin(), line.raw.end());
    return out;
}

std::vector<std::uint8_t> ProfileText::NewFile(std::wstring_view section, std::wstring_view key,
                                               std::wstring_view value) {
    std::vector<std::uint8_t> out = {0xFF, 0xFE};
    const auto body = EncodeUtf16Le(L"[" + std::wstring(section) + L"]\r\n" + std::wstring(key) + L"=" +
                                    std::wstring(value) + L"\r\n");
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace qm
