// The shipped themes and language files as the platform reads them under Wine: the shell's icon
// extraction counts and extracts every icon our reader finds, and the string lookup, through the
// platform's profile reader, gives every key's translation as the file holds it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/icons/icon_library.h"
#include "core/settings/language_keys.h"
#include "core/settings/language_lookup.h"
#include "core/settings/language_support.h"
#include "tests/support/files_win.h"

namespace {

std::vector<std::wstring> Matching(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return names;
}

TEST(ShippedThemesUnderWine, ExtractIconExCountsAndExtractsWhatOurReaderFinds) {
    const std::wstring samples = qmtest::SourceFolder() + L"\\data\\samples";
    const auto themes = Matching(samples, L"*.icl");
    ASSERT_GE(themes.size(), 4u);
    for (const auto& name : themes) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        const std::wstring path = samples + L"\\" + name;
        qm::IconLibrary library;
        ASSERT_TRUE(library.Open(path));
        const UINT count = ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0);
        EXPECT_EQ(static_cast<int>(count), library.Count());
        for (int i = 0; i < library.Count(); ++i) {
            // One at a time: Wine fills only the first slot when asked for several.
            HICON large = nullptr, small = nullptr;
            EXPECT_EQ(ExtractIconExW(path.c_str(), i, &large, &small, 1), 2u) << i;
            EXPECT_NE(large, nullptr) << i;
            EXPECT_NE(small, nullptr) << i;
            if (large) DestroyIcon(large);
            if (small) DestroyIcon(small);
        }
    }
}

// Section Dict of a UTF-16LE language file, read line by line as a translator wrote it.
std::wstring ValueInFile(const std::wstring& text, const std::wstring& key) {
    std::size_t at = 0;
    bool inDict = false;
    while (at < text.size()) {
        std::size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == L'\r' || line.back() == L' ')) line.pop_back();
        if (!line.empty() && line.front() == L'[') {
            inDict = _wcsicmp(line.c_str(), L"[Dict]") == 0;
            continue;
        }
        const auto eq = line.find(L'=');
        if (inDict && eq != std::wstring::npos && line.substr(0, eq) == key) return line.substr(eq + 1);
    }
    return L"";
}

TEST(ShippedLanguagesUnderWine, TheLookupGivesEveryTranslationAsWritten) {
    const std::wstring data = qmtest::SourceFolder() + L"\\data\\";
    const auto files = Matching(data + L"langs", L"*.ini");
    ASSERT_GE(files.size(), 3u);
    for (const auto& name : files) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        const std::wstring text = qmtest::ReadTextFile(data + L"langs\\" + name);
        const qm::LanguageProfile profile{qm::LanguageLookup::Program, data, name};
        for (std::string_view english : qm::texts::kAll) {
            SCOPED_TRACE(std::string(english));
            const std::wstring wide(english.begin(), english.end());
            const auto key = qm::NormaliseLanguageKey(wide);
            const std::wstring value = ValueInFile(text, key.key);
            ASSERT_FALSE(value.empty());
            std::wstring expected = value + (key.dotsRemoved ? L" ..." : L"");
            EXPECT_EQ(qm::TranslateTextWith(profile, wide), qm::ExpandLineBreaks(expected));
        }
        EXPECT_GE(qm::LanguageInfoIn(data, name, L"NativeName").size(), 4u);
        EXPECT_FALSE(qm::LanguageInfoIn(data, name, L"Ver").empty());
    }
}

}  // namespace
