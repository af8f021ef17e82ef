// TWrenIcoObj: the three loaders, their messages and failure table, and SaveToFile.
#include <gtest/gtest.h>

#include "core/base/error.h"
#include "core/icons/icon_messages.h"
#include "core/icons/icon_probe.h"
#include "core/icons/icon_container.h"
#include "tests/support/icon_fixtures.h"

using namespace qm;
using qmtest::IconSet;
using qmtest::IconTempDir;

namespace {

struct Loader {
    TWrenIcoObj icon;
    std::vector<std::wstring> messages;
    bool Load(const std::wstring& file, std::int32_t index, std::uint8_t kind) {
        ScopedIconMessageSink sink([this](const std::wstring& text) { messages.push_back(text); });
        icon.LoadFromFile(file, index, kind);
        return icon.Loaded;
    }
};

std::vector<std::uint8_t> Library(bool pe, int icons) {
    IconSet set;
    set.AddGenerated(icons);
    return pe ? BuildPeIconLibrary(set.Icons()) : BuildNeIconLibrary(set.Icons());
}

std::wstring Expected(const wchar_t* loader, const std::wstring& file, const std::wstring& tail,
                      const wchar_t* failure) {
    return std::wstring(L"TWrenIcoObj.") + loader + L"\r\n\r\nException in file \"" + file + L"\"" + tail +
           L"\r\n\r\n" + failure;
}

}  // namespace

TEST(TWrenIcoObj, NewContainerIsEmpty) {
    TWrenIcoObj icon;
    EXPECT_FALSE(icon.Loaded);
    EXPECT_EQ(icon.Header, IconHeader{});
    for (std::size_t i = 0; i < kMaxIconImages; ++i) {
        EXPECT_TRUE(icon.Images[i].empty());
        EXPECT_EQ(icon.Entries[i], IconDirectoryEntry{});
    }
}

TEST(TWrenIcoObj, IndexSelectsTheGroupInBothModuleKinds) {
    IconTempDir dir;
    IconSet set;
    set.AddGenerated(3);
    const std::wstring ne = dir.Write(L"three.icl", BuildNeIconLibrary(set.Icons()));
    const std::wstring pe = dir.Write(L"three.dll", BuildPeIconLibrary(set.Icons()));
    struct Case {
        std::wstring file;
        std::uint8_t kind;
        std::int32_t index;
        int expectedIcon;  // -1: not loaded
        std::wstring message;
    } cases[] = {
        {ne, kSourceNe, 0, 0, L""},
        {ne, kSourceNe, 2, 2, L""},
        {ne, kSourceNe, 3, -1, L""},
        {ne, kSourceNe, -1, -1, L""},
        {pe, kSourcePe, 2, 2, L""},
        {pe, kSourcePe, -5, 0, L""},
        {pe, kSourcePe, 3, -1, Expected(L"LoadFromPE", pe, L", icon #3", L"No icon with specified index")},
        {ne, kSourceStream, 0, -1, L""},
        {ne, 200, 0, -1, L""},
    };
    for (const Case& c : cases) {
        Loader l;
        EXPECT_EQ(l.Load(c.file, c.index, c.kind), c.expectedIcon >= 0) << c.index;
        if (c.expectedIcon >= 0) {
            EXPECT_EQ(l.icon.IcoBytes(), set.IcoFile(static_cast<std::size_t>(c.expectedIcon)));
        }
        if (c.message.empty()) {
            EXPECT_TRUE(l.messages.empty()) << c.index;
        } else {
            ASSERT_EQ(l.messages.size(), 1u);
            EXPECT_EQ(l.messages[0], c.message);
        }
    }
}

TEST(TWrenIcoObj, IcoLoadsWholeFileWhateverTheIndex) {
    IconTempDir dir;
    const auto bytes = qmtest::MakeIcoFile({{16, 16, 4, 3}, {32, 32, 32, 4}, {48, 48, 8, 5}});
    const std::wstring file = dir.Write(L"a.ico", bytes);
    Loader l;
    ASSERT_TRUE(l.Load(file, 7, kSourceIco));
    EXPECT_EQ(l.icon.Header.Count, 3);
    EXPECT_EQ(l.icon.IcoBytes(), bytes);
    EXPECT_TRUE(l.messages.empty());
}

TEST(TWrenIcoObj, FailureTable) {
    IconTempDir dir;
    auto shortIco = qmtest::MakeIcoFile({{16, 16, 4, 3}, {32, 32, 32, 4}});
    shortIco.resize(shortIco.size() - 10);
    auto badHeader = qmtest::MakeIcoFile({{16, 16, 4, 3}});
    qmtest::Put16(badHeader, 2, 2);
    auto tooMany = qmtest::MakeIcoFile({{16, 16, 4, 3}});
    qmtest::Put16(tooMany, 4, 33);
    const std::wstring missing = dir.File(L"missing.icl");
    const std::wstring shortFile = dir.Write(L"short.ico", shortIco);
    const std::wstring headerFile = dir.Write(L"type.ico", badHeader);
    const std::wstring tooManyFile = dir.Write(L"many.ico", tooMany);
    const std::wstring notNe = dir.Write(L"plain.icl", std::vector<std::uint8_t>(200, 0x41));
    auto cut = Library(false, 2);
    cut.resize(cut.size() - 100);
    const std::wstring cutNe = dir.Write(L"cut.icl", cut);
    const std::wstring tiny = dir.Write(L"tiny.icl", {'M', 'Z', 0, 0});
    struct Case {
        std::wstring file;
        std::uint8_t kind;
        std::int32_t index;
        std::wstring message;  // empty: no message
    } cases[] = {
        {missing, kSourceIco, 0, L""},
        {shortFile, kSourceIco, 0, Expected(L"LoadFromIC", shortFile, L"", L"Read beyond end of file")},
        {headerFile, kSourceIco, 0,
         Expected(L"LoadFromIC", headerFile, L"", L"Invalid icon resource header - Type <> 1")},
        {tooManyFile, kSourceIco, 0,
         Expected(L"LoadFromIC", tooManyFile, L"", L"Invalid icon resource header - Count > 32")},
        {notNe, kSourceNe, 0, L""},
        {cutNe, kSourceNe, 1, Expected(L"LoadFromNE", cutNe, L", icon #1", L"Read beyond end of file")},
        {tiny, kSourceNe, 4, Expected(L"LoadFromNE", tiny, L", icon #4", L"Read beyond end of file")},
    };
    for (const Case& c : cases) {
        Loader l;
        EXPECT_FALSE(l.Load(c.file, c.index, c.kind));
        if (c.message.empty()) {
            EXPECT_TRUE(l.messages.empty());
        } else {
            ASSERT_EQ(l.messages.size(), 1u) << c.message;
            EXPECT_EQ(l.messages[0], c.message);
        }
    }
    // A missing NE file is a failed open, reported with the platform's text.
    Loader l;
    EXPECT_FALSE(l.Load(missing, 0, kSourceNe));
    ASSERT_EQ(l.messages.size(), 1u);
    EXPECT_EQ(l.messages[0].rfind(Expected(L"LoadFromNE", missing, L", icon #0", L""), 0), 0u);
    EXPECT_GT(l.messages[0].size(), Expected(L"LoadFromNE", missing, L", icon #0", L"").size());
}

TEST(TWrenIcoObj, UnmappableModuleRaisesAndClearsLoaded) {
    IconTempDir dir;
    const std::wstring ico = dir.Write(L"a.ico", qmtest::MakeIcoFile({{16, 16, 4, 3}}));
    const std::wstring ne = dir.Write(L"a.icl", Library(false, 1));
    for (const std::wstring& file : {ico, ne, dir.File(L"missing.dll")}) {
        Loader l;
        ASSERT_TRUE(l.Load(ico, 0, kSourceIco));
        try {
            l.Load(file, 0, kSourcePe);
            ADD_FAILURE() << "no error raised";
        } catch (const UserError& e) {
            EXPECT_EQ(e.text(), L"Failed loading EXE/DLL");
        }
        EXPECT_FALSE(l.icon.Loaded);
        EXPECT_TRUE(l.icon.Images[0].empty());
        EXPECT_TRUE(l.messages.empty());
    }
}

TEST(TWrenIcoObj, SecondLoadHoldsOnlyTheSecondIconsImages) {
    IconTempDir dir;
    std::vector<qmtest::ImageSpec> five;
    for (int i = 0; i < 5; ++i) five.push_back({16 + 8 * i, 16 + 8 * i, 32, static_cast<std::uint32_t>(i)});
    const std::wstring big = dir.Write(L"five.ico", qmtest::MakeIcoFile(five));
    const auto twoBytes = qmtest::MakeIcoFile({{16, 16, 4, 9}, {32, 32, 4, 8}});
    const std::wstring two = dir.Write(L"two.ico", twoBytes);
    Loader l;
    ASSERT_TRUE(l.Load(big, 0, kSourceIco));
    ASSERT_EQ(l.icon.Header.Count, 5);
    ASSERT_TRUE(l.Load(two, 0, kSourceIco));
    EXPECT_EQ(l.icon.Header.Count, 2);
    for (std::size_t i = 2; i < kMaxIconImages; ++i) {
        EXPECT_TRUE(l.icon.Images[i].empty()) << i;
        EXPECT_EQ(l.icon.Entries[i], IconDirectoryEntry{}) << i;
    }
    EXPECT_EQ(l.icon.IcoBytes(), twoBytes);
    // A failed load after a good one leaves nothing held.
    EXPECT_FALSE(l.Load(dir.File(L"missing.ico"), 0, kSourceIco));
    EXPECT_TRUE(l.icon.Images[0].empty());
}

TEST(TWrenIcoObj, SaveWritesTheIconAndRaisesWhenTheFileCannotBeCreated) {
    IconTempDir dir;
    IconSet set;
    set.AddGenerated(2);
    const std::wstring pe = dir.Write(L"lib.dll", BuildPeIconLibrary(set.Icons()));
    Loader l;
    ASSERT_TRUE(l.Load(pe, 1, kSourcePe));
    const std::wstring out = dir.File(L"copy.ico");
    ASSERT_TRUE(l.icon.SaveToFile(out));
    EXPECT_EQ(qmtest::ReadAll(out), set.IcoFile(1));
    // Entries hold the offsets of the written file.
    EXPECT_EQ(l.icon.Entries[0].ImageOffset, icon_header::kSize + icon_directory_entry::kSize * l.icon.Header.Count);
    const std::wstring nowhere = dir.File(L"no-such-folder/copy.ico");
    EXPECT_THROW(l.icon.SaveToFile(nowhere), UserError);
    EXPECT_FALSE(qmtest::FileExists(nowhere));
}
