// Reading a folder's customization back, the attribute seam and the shell notification pair.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "core/base/file_attributes_win.h"
#include "core/folder/folder_files_win.h"
#include "core/settings/ini_file_win.h"
#include "tests/support/files_win.h"
#include "tests/support/shell_notify_observer_win.h"

namespace {

TEST(ReadFolderCustomization, MissingFileGivesThreeEmptyFields) {
    qmtest::TempDir dir;
    const auto c = qm::ReadFolderCustomization(dir.path());
    EXPECT_EQ(c.Folder, dir.path());
    EXPECT_EQ(c.IconFile, L"");
    EXPECT_EQ(c.IconIndex, L"");
    EXPECT_EQ(c.Infotip, L"");
}

TEST(ReadFolderCustomization, ReadsTheThreeKeysInAnyEncoding) {
    qmtest::TempDir dir;
    const std::wstring a = dir.MakeFolder(L"ansi"), u = dir.MakeFolder(L"unicode \x00e9\x6587");
    qmtest::WriteAnsiFile(a + L"\\desktop.ini",
                          "[.ShellClassInfo]\r\nIconFile=C:\\Icons\\Metal.icl\r\nIconIndex=12\r\nInfotip=Holiday\r\n"
                          "ConfirmFileOp=0\r\n[ViewState]\r\nMode=4\r\n");
    const auto ca = qm::ReadFolderCustomization(a);
    EXPECT_EQ(ca.IconFile, L"C:\\Icons\\Metal.icl");
    EXPECT_EQ(ca.IconIndex, L"12");
    EXPECT_EQ(ca.Infotip, L"Holiday");

    qmtest::WriteUtf16File(u + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nIconFile=OstrelQuillmark3_40752.ico\r\nIconIndex=0\r\n"
                           L"Infotip=\x0424\x043e\x0442\x043e \x2605\r\n");
    const auto cu = qm::ReadFolderCustomization(u);
    EXPECT_EQ(cu.IconFile, L"OstrelQuillmark3_40752.ico");  // bare copy name as stored
    EXPECT_EQ(cu.IconIndex, L"0");
    EXPECT_EQ(cu.Infotip, L"\x0424\x043e\x0442\x043e \x2605");
}

TEST(ReadFolderCustomization, UnicodeTooltipRoundTripsThroughANewFile) {
    qmtest::TempDir dir;
    const std::wstring tip = L"\x65e5\x672c\x8a9e \x0391\x03b2\x03b3 \xd83d\xde00";
    qm::IniFile(qm::DesktopIniPathOf(dir.path())).WriteString(qm::kShellClassInfo, qm::kInfotipKey, tip);
    EXPECT_EQ(qm::ReadFolderCustomization(dir.path()).Infotip, tip);
}

TEST(SetAttributes, ReplacesTheWholeSetAndIsObserved) {
    qmtest::TempDir dir;
    const std::wstring file = dir / L"f.ico";
    qmtest::WriteBytes(file, {1, 2, 3});
    std::vector<std::pair<std::wstring, DWORD>> calls;
    qm::SetAttributeObserver([&](const std::wstring& p, DWORD a) { calls.emplace_back(p, a); });
    ASSERT_TRUE(qm::SetAttributes(file, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(qmtest::Attributes(file) & 0x7, DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(qm::SetAttributes(file, FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(qmtest::Attributes(file) & 0x7, DWORD(FILE_ATTRIBUTE_HIDDEN));  // system is gone
    EXPECT_FALSE(qm::SetAttributes(dir / L"missing", FILE_ATTRIBUTE_NORMAL));
    qm::SetAttributeObserver(nullptr);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], std::make_pair(file, DWORD(0x6)));
    EXPECT_EQ(calls[1].second, DWORD(0x2));
}

// In a cloud sync root a folder carries the user's pin state and the provider's bits; Wine keeps
// none of them, so the seam answers the present attributes as Windows would. Every change keeps
// them, whatever it sets (NORMAL is valid only alone, so it gives way to them).
TEST(SetAttributes, KeepsThePinStateAndTheOtherBitsWindowsOwns) {
    qmtest::TempDir dir;
    const std::wstring folder = dir.MakeFolder(L"OneDrive folder");
    const struct {
        DWORD present, asked, expected;
    } cases[] = {
        {FILE_ATTRIBUTE_DIRECTORY | qm::kAttributePinned, FILE_ATTRIBUTE_READONLY,
         FILE_ATTRIBUTE_READONLY | qm::kAttributePinned},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | qm::kAttributeUnpinned | qm::kAttributeRecallOnOpen,
         FILE_ATTRIBUTE_NORMAL, qm::kAttributeUnpinned | qm::kAttributeRecallOnOpen},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_OFFLINE | qm::kAttributeRecallOnDataAccess,
         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_OFFLINE | qm::kAttributeRecallOnDataAccess},
        // Bits that are ours to replace go as before.
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_READONLY,
         FILE_ATTRIBUTE_READONLY},
        {FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.present << " " << c.asked);
        std::vector<DWORD> asked;
        qm::SetCurrentAttributesSeam([&](const std::wstring&) { return c.present; });
        qm::SetAttributeObserver([&](const std::wstring&, DWORD a) { asked.push_back(a); });
        EXPECT_TRUE(qm::SetAttributes(folder, c.asked));
        qm::SetAttributeObserver(nullptr);
        qm::SetCurrentAttributesSeam(nullptr);
        EXPECT_EQ(asked, std::vector<DWORD>{c.expected});
    }
}

TEST(NotifyFolderCustomized, SendsAttributesForTheFolderThenUpdateItemForDesktopIni) {
    qmtest::TempDir dir;
    const std::wstring folder = dir.MakeFolder(L"Photos \x00e9");
    qm::IniFile(qm::DesktopIniPathOf(folder)).WriteString(qm::kShellClassInfo, qm::kInfotipKey, L"x");
    qmtest::ShellNotifyObserver observer;
    observer.Events();
    observer.Clear();
    qm::NotifyFolderCustomized(folder);
    const auto events = observer.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].event, SHCNE_ATTRIBUTES);
    EXPECT_EQ(_wcsicmp(events[0].path.c_str(), folder.c_str()), 0) << events[0].path;
    EXPECT_EQ(events[1].event, SHCNE_UPDATEITEM);
    EXPECT_EQ(_wcsicmp(events[1].path.c_str(), (folder + L"\\desktop.ini").c_str()), 0) << events[1].path;
}

TEST(SeedCopyNamesForProcess, TwoSeedingsGiveDifferentSequences) {
    qm::SeedCopyNamesForProcess();
    const auto first = qm::CopyNames().NextName();
    Sleep(2);
    qm::SeedCopyNamesForProcess();
    EXPECT_NE(qm::CopyNames().NextName(), first);
}

}  // namespace
