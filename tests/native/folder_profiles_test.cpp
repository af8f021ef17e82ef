// The text rules of the apply: which record names an icon, the index conversion, bare copy names
// and their resolution inside the folder, the IconResource value.
#include <gtest/gtest.h>

#include "core/folder/folder_profiles.h"

using qm::FolderCustomization;

namespace {

TEST(FolderProfiles, IconChosenNeedsFileAndIndexOtherThanMinusOne) {
    struct Case {
        const wchar_t* file;
        const wchar_t* index;
        bool chosen;
    } cases[] = {
        {L"C:\\a.icl", L"5", true},  {L"C:\\a.icl", L"0", true}, {L"C:\\a.icl", L"-1", false},
        {L"C:\\a.icl", L"", false},  {L"", L"3", false},         {L"", L"", false},
        {L"C:\\a.icl", L"-2", true},
    };
    for (const auto& c : cases) {
        FolderCustomization r{L"C:\\f", c.file, c.index, L""};
        EXPECT_EQ(qm::IconChosen(r), c.chosen) << c.file << " / " << c.index;
    }
}

TEST(FolderProfiles, IconIndexIsAStrictDecimalInteger) {
    struct Case {
        const wchar_t* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {L"0", 0},
        {L"5", 5},
        {L"-1", -1},
        {L"+7", 7},
        {L"007", 7},
        {L"2147483647", 2147483647},
        {L"-2147483648", -2147483647 - 1},
        {L"2147483648", std::nullopt},
        {L"-2147483649", std::nullopt},
        {L"99999999999999999999999", std::nullopt},
        {L"", std::nullopt},
        {L"-", std::nullopt},
        {L"1x", std::nullopt},
        {L" 3", std::nullopt},
        {L"0x10", std::nullopt},
        {L"\x0661", std::nullopt},  // Arabic-Indic digit one
    };
    for (const auto& c : cases) EXPECT_EQ(qm::ParseIconIndex(c.text), c.value) << c.text;
}

TEST(FolderProfiles, BareNamesAreResolvedInsideTheFolder) {
    struct Case {
        const wchar_t* folder;
        const wchar_t* file;
        bool bare;
        const wchar_t* resolved;
    } cases[] = {
        {L"C:\\f", L"OstrelQuillmark3_40752.ico", true, L"C:\\f\\OstrelQuillmark3_40752.ico"},
        {L"C:\\f\\", L"x.ico", true, L"C:\\f\\x.ico"},
        {L"C:\\f", L"C:\\lib\\a.icl", false, L"C:\\lib\\a.icl"},
        {L"C:\\f", L"sub\\x.ico", false, L"sub\\x.ico"},
        {L"C:\\f", L"D:x.ico", false, L"D:x.ico"},
        {L"C:\\f", L"\\\\server\\share\\x.ico", false, L"\\\\server\\share\\x.ico"},
        {L"C:\\f", L"", false, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qm::IsBareFileName(c.file), c.bare) << c.file;
        EXPECT_EQ(qm::ResolveInFolder(c.folder, c.file), c.resolved) << c.file;
    }
}

TEST(FolderProfiles, IconResourceNamesTheSameIcon) {
    EXPECT_EQ(qm::IconResourceValue(L"C:\\lib\\a.icl", L"5"), L"C:\\lib\\a.icl,5");
    EXPECT_EQ(qm::IconResourceValue(L"OstrelQuillmark3_1.ico", L"0"), L"OstrelQuillmark3_1.ico,0");
    EXPECT_EQ(qm::IconResourceValue(L"", L""), L"");
    EXPECT_EQ(qm::IconResourceValue(L"", L"3"), L"");
}

TEST(FolderProfiles, SamePathIgnoresAsciiCaseAndSeparatorKind) {
    EXPECT_TRUE(qm::SamePath(L"C:\\F\\OstrelQuillmark3_1.ico", L"c:/f/OSTRELQUILLMARK3_1.ICO"));
    EXPECT_FALSE(qm::SamePath(L"C:\\f\\a.ico", L"C:\\f\\b.ico"));
    EXPECT_FALSE(qm::SamePath(L"C:\\f\\a.ico", L"C:\\f\\a.ico2"));
}

TEST(FolderProfiles, ProfilesDifferOnlyWhereTheCallersDo) {
    using qm::CallerProfile;
    const auto& main = qm::ApplyProfileFor(CallerProfile::MainWindow);
    const auto& custom = qm::ApplyProfileFor(CallerProfile::CustomIconWindow);
    const auto& ext = qm::ApplyProfileFor(CallerProfile::Extension);
    EXPECT_EQ(main.caller, CallerProfile::MainWindow);
    EXPECT_EQ(custom.caller, CallerProfile::CustomIconWindow);
    EXPECT_EQ(ext.caller, CallerProfile::Extension);
    // Both program windows share the write-test text but not its caption.
    EXPECT_EQ(main.writeTestFailed.text, custom.writeTestFailed.text);
    EXPECT_NE(main.writeTestFailed.caption, custom.writeTestFailed.caption);
    EXPECT_NE(main.writeTestFailed.text, ext.writeTestFailed.text);
    EXPECT_FALSE(ext.emptyFolder.Present());
    EXPECT_TRUE(custom.nothingToApply.Present());
    EXPECT_FALSE(main.nothingToApply.Present());
    EXPECT_FALSE(ext.writesInfotip);
    EXPECT_EQ(ext.desktopIniAfterApply, qm::kAttrHidden);
    EXPECT_EQ(main.desktopIniAfterApply, qm::kAttrHidden | qm::kAttrSystem);
    EXPECT_EQ(qm::ResetProfileFor(CallerProfile::CustomIconWindow).caller, CallerProfile::MainWindow);
    EXPECT_TRUE(qm::ResetProfileFor(CallerProfile::Extension).makesWriteTest);
    EXPECT_FALSE(qm::ResetProfileFor(CallerProfile::MainWindow).makesWriteTest);
}

}  // namespace
