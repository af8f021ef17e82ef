// The string lookup's steps without a platform: trimming, keys, line breaks, the lookup over a
// dictionary, and the language-file template.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "core/base/text.h"
#include "core/settings/language_keys.h"
#include "core/settings/language_lookup.h"
#include "core/settings/language_template.h"
#include "core/settings/text_rooms.h"

namespace {

using qm::LookUpText;

TEST(LanguageLookup, TrimRemovesEveryCodeUpTo32) {
    const std::wstring all = std::wstring(L"\x01\x09\x0a\x0d\x1f ") + L"a b" + L"\x20\x10\x00";
    EXPECT_EQ(qm::TrimLowCodes(std::wstring_view(all.data(), all.size())), L"a b");
    EXPECT_EQ(qm::TrimLowCodes(L"  \t "), L"");
    EXPECT_EQ(qm::TrimLowCodes(L"\x21x\x7f"), L"\x21x\x7f");  // 33 and 127 are kept
}

TEST(LanguageLookup, LineBreakIsLineFeedThenCarriageReturn) {
    EXPECT_EQ(qm::ExpandLineBreaks(L"a/nb/n/n"), L"a\n\rb\n\r\n\r");
    EXPECT_EQ(qm::ExpandLineBreaks(L"/"), L"/");
    EXPECT_EQ(qm::ExpandLineBreaks(L"n/"), L"n/");
    EXPECT_EQ(qm::ExpandLineBreaks(L"//nn"), L"/\n\rn");
    EXPECT_EQ(qm::ExpandLineBreaks(L"/N"), L"/N");
}

TEST(LanguageLookup, KeysAreTrimmedAndLoseTrailingDots) {
    struct Case {
        const wchar_t* english;
        const wchar_t* key;
        bool dots;
    } cases[] = {
        {L"Select folder...", L"Select folder", true},
        {L"Sorry ...", L"Sorry", true},
        {L" Info: ", L"Info:", false},
        {L" Icon cache ", L"Icon cache", false},
        {L"Change contex menu icon-theme ...", L"Change contex menu icon-theme", true},
        {L"Double click to setup it as current language ", L"Double click to setup it as current language", false},
        {L"Wait.... ", L"Wait.", true},  // only the last three dots go
        {L"...", L"", true},
        {L"..", L"..", false},
        {L"Change /nicon", L"Change /nicon", false},  // a key keeps its "/n"
        {L"", L"", false},
    };
    for (const auto& c : cases) {
        const auto k = qm::NormaliseLanguageKey(c.english);
        EXPECT_EQ(k.key, c.key) << c.english;
        EXPECT_EQ(k.dotsRemoved, c.dots) << c.english;
    }
}

// A language file as a map; keys compare without case, like the platform's reader.
struct Dictionary {
    std::map<std::wstring, std::wstring> entries;
    std::vector<std::wstring> asked;
    qm::DictionaryReader Reader() {
        return [this](const std::wstring& key) {
            asked.push_back(key);
            for (const auto& [k, v] : entries)
                if (qm::UpperAscii(k) == qm::UpperAscii(key)) return v;
            return key;
        };
    }
};

TEST(LanguageLookup, TableOfLookups) {
    struct Case {
        const wchar_t* english;
        std::map<std::wstring, std::wstring> file;
        const wchar_t* expected;
    } cases[] = {
        // no line for the text: normalised, trailing dots written as " ..."
        {L" Info: ", {}, L"Info:"},
        {L"Select folder...", {}, L"Select folder ..."},
        {L"Sorry ...", {}, L"Sorry ..."},
        {L"Change /nicon", {}, L"Change \n\ricon"},
        // a translation
        {L"Apply", {{L"Apply", L"Anwenden"}}, L"Anwenden"},
        {L"Select icon...", {{L"select icon", L"Symbol w\u00e4hlen"}}, L"Symbol w\u00e4hlen ..."},
        {L"Close", {{L"Close", L"Zeile/nzwei"}}, L"Zeile\n\rzwei"},
        {L" Icon cache ", {{L"Icon cache", L" Cache "}}, L" Cache "},  // the value is not trimmed
        // a line with nothing (or only blanks) behind "=": the text as written
        {L"Sorry ...", {{L"Sorry", L""}}, L"Sorry ..."},
        {L"Select folder...", {{L"Select folder", L"  "}}, L"Select folder..."},
        {L" Info: /n", {{L"Info: /n", L""}}, L" Info: \n\r"},
        // whitespace only: the empty text
        {L"   ", {{L"", L"x"}}, L""},
        {L"...", {}, L"..."},
    };
    for (auto& c : cases) {
        Dictionary dict{c.file, {}};
        EXPECT_EQ(LookUpText(c.english, false, dict.Reader()), c.expected) << c.english;
    }
}

TEST(LanguageLookup, BuiltInEnglishReadsNothingAndKeepsTheText) {
    Dictionary dict{{{L"Sorry", L"Pardon"}}, {}};
    const std::wstring tools =
        L"Rebuilds all Explorer icons and removes unused Explorer icons from memory. /n /n Rebuild icon";
    EXPECT_EQ(LookUpText(L"Sorry ...", true, dict.Reader()), L"Sorry ...");
    EXPECT_EQ(LookUpText(tools, true, dict.Reader()),
              L"Rebuilds all Explorer icons and removes unused Explorer icons from memory. \n\r \n\r Rebuild icon");
    EXPECT_EQ(LookUpText(L"  ", true, dict.Reader()), L"  ");
    EXPECT_TRUE(dict.asked.empty());
}

TEST(LanguageLookup, TheKeyAskedForIsTheNormalisedText) {
    Dictionary dict;
    LookUpText(L" Select custom icon... ", false, dict.Reader());
    LookUpText(L"About Quillmark...", false, dict.Reader());
    EXPECT_EQ(dict.asked, (std::vector<std::wstring>{L"Select custom icon", L"About Quillmark"}));
}

TEST(LanguageLookup, AFailingReaderGivesTheTextAsWritten) {
    const qm::DictionaryReader failing = [](const std::wstring&) -> std::optional<std::wstring> {
        return std::nullopt;  // the file cannot be read
    };
    EXPECT_EQ(LookUpText(L"Select folder.../nnow", false, failing), L"Select folder...\n\rnow");
}

TEST(LanguageKeys, EveryTextIsAUsableKey) {
    for (std::string_view english : qm::texts::kAll) {
        EXPECT_EQ(english.find('='), std::string_view::npos) << english;  // "=" cannot be in a key
        for (char c : english) EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80) << english;
        EXPECT_FALSE(qm::NormaliseLanguageKey(qm::AsciiToWide(english)).key.empty()) << english;
    }
}

TEST(LanguageTemplate, OneEmptyLinePerNormalisedKey) {
    const auto keys = qm::LanguageTemplateKeys();
    // "Select folder" and "Select folder..." share a key; "Sorry ..." is stored as "Sorry".
    EXPECT_EQ(std::count(keys.begin(), keys.end(), L"Select folder"), 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), L"Sorry"), 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), L"Info:"), 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), L"Change /nicon"), 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), L"Sorry, occured error when copying  theme"), 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), L"Select folder..."), 0);

    const std::wstring text = qm::LanguageTemplateText();
    ASSERT_EQ(text.rfind(L"[info]\r\n\r\n[Dict]\r\n", 0), 0u);
    // Each key line, preceded by the comment with its room when a window shows the text.
    std::size_t lines = 0, comments = 0;
    for (std::size_t pos = text.find(L"[Dict]\r\n") + 8; pos < text.size(); ++lines) {
        auto end = text.find(L"\r\n", pos);
        ASSERT_NE(end, std::wstring::npos);
        std::wstring line = text.substr(pos, end - pos);
        ASSERT_LT(lines, keys.size());
        const qm::TextRoom* room = qm::FindTextRoom(keys[lines]);
        if (room) {
            EXPECT_EQ(line, qm::TextRoomComment(*room));
            ++comments;
            pos = end + 2;
            end = text.find(L"\r\n", pos);
            ASSERT_NE(end, std::wstring::npos);
            line = text.substr(pos, end - pos);
        }
        EXPECT_EQ(line, keys[lines] + L"=");
        pos = end + 2;
    }
    EXPECT_EQ(lines, keys.size());
    EXPECT_EQ(comments, qm::TextRooms().size());  // every room belongs to a key

    const auto file = qm::LanguageTemplateFile();
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(file[0], 0xFF);
    EXPECT_EQ(file[1], 0xFE);
    EXPECT_EQ(qm::DecodeUtf16Le(std::span(file).subspan(2)), text);
}

TEST(LanguageTemplate, StatesTheRoomOfWindowTexts) {
    const qm::TextRoom* save = qm::FindTextRoom(L"Save Options");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(qm::TextRoomComment(*save), L"; room: " + std::to_wstring(save->width) + L" px at 96 DPI");
    const qm::TextRoom* hint =
        qm::FindTextRoom(L"Double click on theme to set it as theme for Quillmark context menu.");
    ASSERT_NE(hint, nullptr);
    ASSERT_GT(hint->lines, 1);
    EXPECT_EQ(qm::TextRoomComment(*hint), L"; room: " + std::to_wstring(hint->width) + L" px at 96 DPI, " +
                                              std::to_wstring(hint->lines) + L" lines");
    EXPECT_EQ(qm::FindTextRoom(L"Info"), nullptr);  // a message box caption: no fixed room
    const std::wstring text = qm::LanguageTemplateText();
    EXPECT_NE(text.find(qm::TextRoomComment(*save) + L"\r\nSave Options=\r\n"), std::wstring::npos);
}

TEST(Text, Utf16LeRoundTrip) {
    const std::wstring text = qm::Utf8ToWide("a\xc3\xa9\xe6\x96\x87\xf0\x9f\x98\x80");
    const auto bytes = qm::EncodeUtf16Le(text);
    EXPECT_EQ(bytes.size(), 10u);  // a, e-acute, one CJK, one surrogate pair
    EXPECT_EQ(qm::WideToUtf8(qm::DecodeUtf16Le(bytes)), "a\xc3\xa9\xe6\x96\x87\xf0\x9f\x98\x80");
}

}  // namespace
