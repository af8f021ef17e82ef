// The own profile access's rules on bytes: the encodings kept, line endings, names without case,
// where new keys and sections go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/text.h"
#include "core/settings/profile_text.h"

namespace {

const qm::ProfileCodec& kCodec = qm::PortableProfileCodec();

std::vector<std::uint8_t> B(const std::string& s) { return {s.begin(), s.end()}; }

std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>((c >> 8) & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

TEST(ProfileText, EachEncodingIsReadAndWrittenAsItIs) {
    const std::wstring before = L"[S]\r\nK=\u0444\r\n";
    const std::wstring after = L"[S]\r\nK=\u0444\r\nNew=\u00e9\u6587\r\n";
    struct Case {
        std::string in, out;
        qm::ProfileEncoding encoding;
    };
    const Case cases[] = {
        {Utf16(before, false), Utf16(after, false), qm::ProfileEncoding::Utf16Le},
        {Utf16(before, true), Utf16(after, true), qm::ProfileEncoding::Utf16Be},
        {"\xEF\xBB\xBF" + qm::WideToUtf8(before), "\xEF\xBB\xBF" + qm::WideToUtf8(after), qm::ProfileEncoding::Utf8},
        {"[S]\r\nK=\xF1\r\n", "[S]\r\nK=\xF1\r\nNew=\xE9?\r\n", qm::ProfileEncoding::Ansi},  // the code page's "?"
    };
    for (const Case& c : cases) {
        qm::ProfileText text(B(c.in), kCodec);
        EXPECT_EQ(text.Encoding(), c.encoding);
        text.Write(L"s", L"New", L"\u00e9\u6587");
        EXPECT_EQ(text.Bytes(), B(c.out));
    }
}

TEST(ProfileText, ChangesOnlyTheKeysLineAndPlacesNewOnes) {
    struct Case {
        const char *in, *section, *key, *value, *out;
    };
    const Case cases[] = {
        {"", "S", "K", "v", "[S]\r\nK=v\r\n"},
        {"[a]\r\nk=1", "S", "K", "v", "[a]\r\nk=1\r\n[S]\r\nK=v\r\n"},  // the last line gets its ending
        {"[s]\nk = 1 \n\n[t]\n", "S", "K", "2", "[s]\nk=2\n\n[t]\n"},   // LF kept, blank line kept
        {"[s]\r\na=1\r\n\r\n[t]\r\n", "S", "b", "2", "[s]\r\na=1\r\nb=2\r\n\r\n[t]\r\n"},
        {"[s]\r\nK\r\nK=2\r\n", "s", "k", "3", "[s]\r\nK=3\r\nK=2\r\n"},  // the first key, even without "="
        {"[s]\r\n;K=c\r\n", "s", "K", "v", "[s]\r\n;K=c\r\nK=v\r\n"},     // a comment is no key
        {"[s]\r\nK=1\r\n[S]\r\nK=2\r\n", "S", "K", "9", "[s]\r\nK=9\r\n[S]\r\nK=2\r\n"},
        {"[s\r\nK=1\r\n", "s", "K", "v", "[s\r\nK=1\r\n[s]\r\nK=v\r\n"},  // no "]": not a section
        {"[s]\r\nK=1\r", "s", "K", "v", "[s]\r\nK=v\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        qm::ProfileText text(B(c.in), kCodec);
        text.Write(qm::AsciiToWide(c.section), qm::AsciiToWide(c.key), qm::AsciiToWide(c.value));
        const auto bytes = text.Bytes();
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.out);
        EXPECT_EQ(text.Read(qm::AsciiToWide(c.section), qm::AsciiToWide(c.key)), qm::AsciiToWide(c.value));
    }
}

TEST(ProfileText, ReadsAsTheProfileReader) {
    const qm::ProfileText text(B(" [ Sec ] \r\n  Key  =  \"quoted value\"  \r\nOdd='x\r\nBare\r\nE=\r\n"), kCodec);
    EXPECT_EQ(text.Read(L"sec", L"KEY"), L"quoted value");
    EXPECT_EQ(text.Read(L"Sec", L"Odd"), L"'x");
    EXPECT_EQ(text.Read(L"Sec", L"Bare"), std::nullopt);  // a key without "=" reads as missing
    EXPECT_EQ(text.Read(L"Sec", L"E"), L"");
    EXPECT_EQ(text.Read(L"Sec", L"None"), std::nullopt);
    EXPECT_EQ(text.Read(L"Other", L"Key"), std::nullopt);
    // A UTF-16 file cut at an odd byte keeps it.
    const std::string odd = Utf16(L"[S]\r\nK=1", false) + "\x41";
    EXPECT_EQ(qm::ProfileText(B(odd), kCodec).Bytes(), B(odd));
    // Written after, the odd byte goes, so the new text is read where it stands.
    qm::ProfileText cut(B(odd), kCodec);
    cut.Write(L"T", L"K", L"v");
    const qm::ProfileText again(cut.Bytes(), kCodec);
    EXPECT_EQ(again.Read(L"T", L"K"), L"v");
    EXPECT_EQ(again.Read(L"S", L"K"), L"1");
}

// UTF-8 with a mark and UTF-16BE, which Windows' profile functions cannot read, become UTF-16LE
// with every line and ending as it was; the readable encodings are recognised as such.
TEST(ProfileText, RewritesAsUtf16LeKeepingEveryLine) {
    const std::wstring text = L"; c\n[S]\r\nK=\u0444\u6587\r\n\r\n[T]\nX=1\r";  // mixed endings, a CR last
    const struct {
        std::string in;
        qm::ProfileEncoding encoding;
        bool readable;
    } cases[] = {
        {Utf16(text, true), qm::ProfileEncoding::Utf16Be, false},
        {"\xEF\xBB\xBF" + qm::WideToUtf8(text), qm::ProfileEncoding::Utf8, false},
        {Utf16(text, false), qm::ProfileEncoding::Utf16Le, true},
        {"[S]\r\nK=\xF1\r\n", qm::ProfileEncoding::Ansi, true},
    };
    for (const auto& c : cases) {
        qm::ProfileText t(B(c.in), kCodec);
        EXPECT_EQ(t.Encoding(), c.encoding);
        EXPECT_EQ(qm::ProfileText::PlatformReads(t.Encoding()), c.readable);
        if (c.encoding == qm::ProfileEncoding::Ansi) continue;
        EXPECT_EQ(t.RewriteAsUtf16Le(), c.encoding != qm::ProfileEncoding::Utf16Le);
        EXPECT_EQ(t.Encoding(), qm::ProfileEncoding::Utf16Le);
        EXPECT_EQ(t.Bytes(), B(Utf16(text, false)));
        // A write after the rewrite is in UTF-16LE too.
        t.Write(L"T", L"Y", L"\u00e9");
        EXPECT_EQ(t.Bytes(), B(Utf16(L"; c\n[S]\r\nK=\u0444\u6587\r\n\r\n[T]\nX=1\r\nY=\u00e9\r\n", false)));
    }
    // A UTF-16BE file cut at an odd byte loses it in the rewrite.
    qm::ProfileText odd(B(Utf16(L"[S]\r\nK=1", true) + "\x41"), kCodec);
    odd.RewriteAsUtf16Le();
    EXPECT_EQ(odd.Bytes(), B(Utf16(L"[S]\r\nK=1", false)));
}

}  // namespace
