#include <gtest/gtest.h>

#include <set>

#include "core/folder/folder_customization.h"

using qm::CallerProfile;

TEST(CopyNames, NumbersStayBelow20000AndNamesHaveTheirLength) {
    qm::CopyNameGenerator gen;
    gen.Seed(12345);
    std::set<std::wstring> names;
    for (int i = 0; i < 5000; ++i) {
        const auto n = gen.NextNumber();
        ASSERT_LT(n, 20000u);
        const auto name = gen.NextName();
        ASSERT_GE(name.size(), 23u);
        ASSERT_LE(name.size(), 31u);
        ASSERT_EQ(name.rfind(L"OstrelQuillmark3_", 0), 0u);
        names.insert(name);
    }
    EXPECT_GT(names.size(), 4900u);  // practically no repeats
    EXPECT_EQ(qm::MakeCopyName(407, 52), L"OstrelQuillmark3_40752.ico");
    EXPECT_EQ(qm::MakeCopyName(0, 0), L"OstrelQuillmark3_00.ico");
}

TEST(CopyNames, SameSeedSameSequenceOtherSeedOther) {
    qm::CopyNameGenerator a, b, c;
    a.Seed(7);
    b.Seed(7);
    c.Seed(8);
    EXPECT_EQ(a.NextName(), b.NextName());
    EXPECT_NE(a.NextName(), c.NextName());
}

TEST(CopyNames, RecognitionRulesPerCaller) {
    struct Case {
        const wchar_t* name;
        bool program;
        bool extension;
    };
    const Case cases[] = {
        {L"OstrelQuillmark3_40752.ico", true, true},   {L"ostrelquillmark3_1.ICO", true, true},
        {L"OstrelQuillmark2_40752.ico", true, false},  // another digit: only the program
        {L"OstrelQuillmark.ico", true, false},         // no digit
        {L"OstrelQuillmark3.ico", true, true},         {L"OstrelQuillmar.ico", false, false},
        {L"OstrelQuillmark3_40752.png", false, false}, {L"My OstrelQuillmark3_1.ico", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qm::IsCopyNameFor(CallerProfile::MainWindow, c.name), c.program) << c.name;
        EXPECT_EQ(qm::IsCopyNameFor(CallerProfile::CustomIconWindow, c.name), c.program) << c.name;
        EXPECT_EQ(qm::IsCopyNameFor(CallerProfile::Extension, c.name), c.extension) << c.name;
    }
}

TEST(FolderPaths, DesktopIniPathDoesNotDoubleTheBackslash) {
    EXPECT_EQ(qm::DesktopIniPathOf(L"C:\\Data\\Photos"), L"C:\\Data\\Photos\\desktop.ini");
    EXPECT_EQ(qm::DesktopIniPathOf(L"D:\\"), L"D:\\desktop.ini");
    EXPECT_EQ(qm::WithTrailingBackslash(L"C:\\x"), L"C:\\x\\");
}

TEST(Attributes, PerProfile) {
    const auto& program = qm::AttributesFor(CallerProfile::MainWindow);
    const auto& ext = qm::AttributesFor(CallerProfile::Extension);
    EXPECT_EQ(program.desktopIniAfterApply, 0x6u);
    EXPECT_EQ(program.copyAfterWrite, 0x6u);
    EXPECT_EQ(program.folderAfterReset, 0x1u);
    EXPECT_EQ(ext.desktopIniAfterApply, 0x2u);
    EXPECT_EQ(ext.copyAfterWrite, 0x2u);
    EXPECT_EQ(ext.folderAfterReset, 0x80u);
    EXPECT_EQ(program.folderAfterApply, 0x1u);
    EXPECT_EQ(ext.folderAfterApply, 0x1u);
    EXPECT_EQ(&qm::AttributesFor(CallerProfile::CustomIconWindow), &program);
}
