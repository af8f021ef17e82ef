// ProbeIconFile: kinds and counts by content and extension, and the mapping to SourceKind.
#include <gtest/gtest.h>

#include <cwchar>

#include "core/base/error.h"
#include "core/icons/binary_layouts.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_probe.h"
#include "tests/support/icon_fixtures.h"

using namespace qm;
using qmtest::IconSet;

TEST(ProbeIconFile, KindsAndCounts) {
    qmtest::IconTempDir dir;
    IconSet set;
    set.AddGenerated(3);
    const auto ico = qmtest::MakeIcoFile({{16, 16, 4, 1}, {32, 32, 32, 2}, {48, 48, 8, 3}});
    const auto ne = BuildNeIconLibrary(set.Icons());
    const auto pe = BuildPeIconLibrary(set.Icons());
    auto win2 = ne;
    qmtest::Put16(win2, dos_header::kSize + ne_header::kExpectedWindowsVersion, 0x0200);
    auto noResources = ne;
    qmtest::Put16(noResources, dos_header::kSize + ne_header::kResidentNames, ne_header::kSize);
    const auto noIcons = BuildPeIconLibrary({});
    auto zeroCountIco = ico;
    qmtest::Put16(zeroCountIco, icon_header::kCount, 0);
    std::vector<std::uint8_t> dos = ne;
    qmtest::Put16(dos, dos_header::kRelocationTable, 0x1E);
    std::vector<std::uint8_t> le = ne;
    qmtest::Put16(le, dos_header::kSize + ne_header::kMagic, 0x454C);  // "LE"
    std::vector<std::uint8_t> cutNeHeader(ne.begin(), ne.begin() + 0x60);
    struct Case {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        std::int32_t kind, count;
        bool result;
    } cases[] = {
        {L"sample.ico", ico, kIconFileIco, 1, true},
        {L"SAMPLE.ICO", ico, kIconFileIco, 1, true},
        {L"zero.ico", zeroCountIco, kIconFileUnknown, 0, false},
        {L"tool.ico", pe, kIconFileUnknown, 0, false},
        {L"sample.bin", ico, kIconFileUnknown, 0, false},
        {L"lib.icl", ne, kIconFileNe, 3, true},
        {L"lib.ICL.dll", ne, kIconFileNe, 3, true},
        {L"lib.dll", pe, kIconFilePe, 3, true},
        {L"pe-named.icl", pe, kIconFilePe, 3, true},
        {L"win2.icl", win2, kIconFileUnknown, 0, false},
        {L"nores.icl", noResources, kIconFileUnknown, 0, false},
        {L"noicons.dll", noIcons, kIconFilePe, 0, false},
        {L"forty.ico", std::vector<std::uint8_t>(ico.begin(), ico.begin() + 40), kIconFileUnknown, 0, false},
        {L"forty.dll", std::vector<std::uint8_t>(pe.begin(), pe.begin() + 40), kIconFileUnknown, 0, false},
        {L"dos.exe", dos, kIconFileUnknown, 0, false},
        {L"le.dll", le, kIconFileUnknown, 0, false},
        {L"cut.icl", cutNeHeader, kIconFileUnknown, 0, false},
        {L"empty.ico", {}, kIconFileUnknown, 0, false},
    };
    for (const Case& c : cases) {
        const std::wstring file = dir.Write(c.name, c.bytes);
        std::int32_t kind = -7, count = -7;
        EXPECT_EQ(ProbeIconFile(file, kind, count), c.result) << qmtest::ReadAll(file).size();
        EXPECT_EQ(kind, c.kind) << std::string(c.name, c.name + wcslen(c.name));
        EXPECT_EQ(count, c.count) << std::string(c.name, c.name + wcslen(c.name));
    }
}

TEST(ProbeIconFile, UnopenableFilesAreUnknown) {
    qmtest::IconTempDir dir;
    for (const std::wstring& file : {dir.File(L"missing.ico"), dir.path()}) {
        std::int32_t kind = -7, count = -7;
        EXPECT_FALSE(ProbeIconFile(file, kind, count));
        EXPECT_EQ(kind, kIconFileUnknown);
        EXPECT_EQ(count, 0);
    }
}

TEST(SourceKindFor, MapsEveryKind) {
    EXPECT_EQ(SourceKindFor(kIconFileIco), kSourceIco);
    EXPECT_EQ(SourceKindFor(kIconFileNe), kSourceNe);
    EXPECT_EQ(SourceKindFor(kIconFilePe), kSourcePe);
    EXPECT_EQ(SourceKindFor(kIconFileStream), kSourceStream);
    for (std::int32_t other : {0, 5, -1, 1000}) EXPECT_FALSE(SourceKindFor(other).has_value()) << other;
}

TEST(IconLibrary, CountsAndGroupsOfEveryKind) {
    qmtest::IconTempDir dir;
    IconSet set;
    set.AddGenerated(4);
    struct Case {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        IconFileKind kind;
        int count;
    } cases[] = {
        {L"a.ico", set.IcoFile(2), kIconFileIco, 1},
        {L"a.icl", BuildNeIconLibrary(set.Icons()), kIconFileNe, 4},
        {L"a.dll", BuildPeIconLibrary(set.Icons()), kIconFilePe, 4},
        {L"a.txt", std::vector<std::uint8_t>(100, 'x'), kIconFileUnknown, 0},
    };
    for (const Case& c : cases) {
        IconLibrary lib;
        ASSERT_TRUE(lib.Open(dir.Write(c.name, c.bytes)));
        EXPECT_EQ(lib.Kind(), c.kind);
        ASSERT_EQ(lib.Count(), c.count);
        for (int i = 0; i < c.count; ++i) {
            IconGroupData g;
            ASSERT_TRUE(lib.Group(i, g));
            EXPECT_EQ(IcoFileBytes(g), set.IcoFile(c.kind == kIconFileIco ? 2 : static_cast<std::size_t>(i)));
            const auto dirBytes = lib.GroupDirectory(i);
            EXPECT_EQ(dirBytes.size(), 6 + 14 * g.entries.size());
        }
        IconGroupData g;
        std::wstring failure;
        EXPECT_FALSE(lib.Group(c.count, g, &failure));
        EXPECT_EQ(failure, kMsgNoIconAtIndex);
        EXPECT_FALSE(lib.Group(-1, g, &failure));
    }
    IconLibrary missing;
    EXPECT_FALSE(missing.Open(dir.File(L"missing.icl")));
    EXPECT_EQ(missing.Count(), 0);
}

TEST(IconLibraryWriter, RefusesWhatTheFormatsCannotHold) {
    IconSet set;
    set.AddGenerated(1);
    std::vector<LibraryIcon> icons = set.Icons();
    icons.push_back(LibraryIcon{});  // an icon without images
    EXPECT_THROW(BuildNeIconLibrary(icons), UserError);
    EXPECT_THROW(BuildPeIconLibrary(icons), UserError);
    std::vector<LibraryIcon> twins = set.Icons();
    twins[0].name = L"same";
    twins.push_back(twins[0]);
    twins[1].name = L"SAME";
    EXPECT_THROW(BuildPeIconLibrary(twins), UserError);
}

TEST(IconLibraryWriter, ThousandIconsFitTheNeAlignment) {
    IconSet set;
    set.AddGenerated(1000);
    const auto ne = BuildNeIconLibrary(set.Icons());
    NeIconIndex index;
    ASSERT_EQ(IndexNeIcons(ByteView(ne.data(), ne.size()), index), NeIndexResult::kOk);
    EXPECT_EQ(index.groupCount, 1000u);
    EXPECT_GT(index.alignShift, 4);  // more than 1 MB of images
    IconGroupData g;
    std::wstring failure;
    ASSERT_TRUE(ReadNeGroup(ByteView(ne.data(), ne.size()), index, 999, g, failure)) << failure;
    EXPECT_EQ(IcoFileBytes(g), set.IcoFile(999));
}
