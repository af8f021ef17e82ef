// Resetting folders and removing icon copies, on real folders: the keys left, the attributes asked
// for and read back, the copies removed or kept, the notifications, the messages shown.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_profiles.h"
#include "core/settings/current_language.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/shell_notify_observer_win.h"

using qm::CallerProfile;
using qmtest::Attributes;
using qmtest::Exists;

namespace {

// Foreign entries around ours. Wine's profile writer rewrites the whole file and drops blanks
// around "=" in lines it did not change (Windows keeps such lines as they are), so the fixture
// writes them without blanks: then the bytes must come back unchanged on both.
const std::wstring kForeignBefore = L"; made by hand\r\n[ViewState]\r\nMode=4\r\nVid=\r\n";
const std::wstring kForeignAfter = L"[{F29F85E0-4FF9-1068-AB91-08002B27B3D9}]\r\nProp5=31,Author\r\n";

class ResetTest : public testing::Test {
protected:
    void SetUp() override { qm::CurrentLanguage() = L"English"; }

    // A folder as a copy-mode apply of the program leaves it, with foreign entries around ours.
    std::wstring CustomizedFolder(const std::wstring& name, const std::wstring& extraKeys = L"") {
        const std::wstring f = dir.MakeFolder(name);
        qmtest::WriteUtf16File(
            f + L"\\desktop.ini",
            kForeignBefore +
                L"[.ShellClassInfo]\r\nIconFile=OstrelQuillmark3_40752.ico\r\n"
                L"IconIndex=0\r\n" +
                extraKeys + L"Infotip=Holiday\r\nConfirmFileOp=0\r\nLocalizedResourceName=Ferien\r\n" + kForeignAfter);
        qmtest::WriteBytes(f + L"\\OstrelQuillmark3_40752.ico", qmtest::MakeIcoFile(qmtest::LibraryIconSpecs(1)));
        SetFileAttributesW((f + L"\\OstrelQuillmark3_40752.ico").c_str(),
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        SetFileAttributesW((f + L"\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        return f;
    }

    static void ExpectEmptiedKeysAndForeignContent(const std::wstring& folder, bool hasResource = false) {
        const std::wstring text = qmtest::ReadTextFile(folder + L"\\desktop.ini");
        std::vector<std::wstring> expected{L"IconFile=", L"IconIndex="};
        if (hasResource) expected.push_back(L"IconResource=");
        expected.insert(expected.end(), {L"Infotip=", L"ConfirmFileOp=0", L"LocalizedResourceName=Ferien"});
        EXPECT_EQ(qmtest::SectionLines(text, L".ShellClassInfo"), expected) << text;
        EXPECT_NE(text.find(kForeignBefore), std::wstring::npos) << text;
        EXPECT_NE(text.find(kForeignAfter), std::wstring::npos) << text;
    }

    qmtest::TempDir dir{L"qm-reset"};
    qmtest::SettingsFileGuard settings;
    qmtest::AttributeRecorder attributes;
    qmtest::ShellNotifyObserver shell;
    qmtest::MessageBoxWatcher boxes;
};

TEST_F(ResetTest, MainWindowEmptiesTheKeysKeepsTheCopyAndMarksTheFolderReadOnly) {
    const std::wstring f = CustomizedFolder(L"main");
    const DWORD iniBefore = Attributes(f + L"\\desktop.ini");
    shell.Events();
    shell.Clear();
    ASSERT_TRUE(qm::ResetIconOfFolder(f, CallerProfile::MainWindow));

    ExpectEmptiedKeysAndForeignContent(f);
    EXPECT_TRUE(Exists(f + L"\\OstrelQuillmark3_40752.ico"));
    EXPECT_EQ(attributes.For(f), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
    // The file is cleared for the rewrite (Windows refuses a hidden system file; Wine would not)
    // and put back.
    EXPECT_EQ(attributes.For(f + L"\\desktop.ini"), (std::vector<DWORD>{FILE_ATTRIBUTE_NORMAL, iniBefore}));
    EXPECT_EQ(Attributes(f + L"\\desktop.ini") & 0x7, DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const auto events = shell.Events();
    EXPECT_TRUE(qmtest::SameEvents(events, qmtest::NotificationPairs(f))) << qmtest::DescribeEvents(events);
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(ResetTest, ExtensionEmptiesTheKeysRemovesTheCopyAndClearsTheFolder) {
    const std::wstring f = CustomizedFolder(L"ext");
    SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_HIDDEN);
    shell.Events();
    shell.Clear();
    ASSERT_TRUE(qm::ResetIconOfFolder(f, CallerProfile::Extension));

    ExpectEmptiedKeysAndForeignContent(f);
    EXPECT_FALSE(Exists(f + L"\\OstrelQuillmark3_40752.ico"));
    EXPECT_EQ(attributes.For(f), std::vector<DWORD>{FILE_ATTRIBUTE_NORMAL});
    EXPECT_EQ(Attributes(f) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY), 0u);
    // The write test made desktop.ini normal, and it stays so.
    EXPECT_EQ(attributes.For(f + L"\\desktop.ini"), std::vector<DWORD>{FILE_ATTRIBUTE_NORMAL});
    EXPECT_EQ(Attributes(f + L"\\desktop.ini") & 0x7, 0u);
    // The removal's own pair comes first, then the reset's.
    const auto events = shell.Events();
    EXPECT_TRUE(qmtest::SameEvents(events, qmtest::NotificationPairs(f, 2))) << qmtest::DescribeEvents(events);
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(ResetTest, AnExistingIconResourceIsEmptiedAndNoneIsAdded) {
    const std::wstring with = CustomizedFolder(L"with", L"IconResource=C:\\Windows\\system32\\shell32.dll,4\r\n");
    const std::wstring without = CustomizedFolder(L"without");
    for (auto caller : {CallerProfile::MainWindow, CallerProfile::Extension}) {
        ASSERT_TRUE(qm::ResetIconOfFolder(with, caller));
        ExpectEmptiedKeysAndForeignContent(with, true);
        ASSERT_TRUE(qm::ResetIconOfFolder(without, caller));
        ExpectEmptiedKeysAndForeignContent(without, false);
    }
}

TEST_F(ResetTest, MainWindowWithoutFolderShowsItsWarning) {
    EXPECT_FALSE(qm::ResetIconOfFolder(L"", CallerProfile::MainWindow));
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Warning");
    EXPECT_EQ(seen[0].text, L"Please select folder");
    EXPECT_EQ(seen[0].buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(shell.Events().empty());
}

TEST_F(ResetTest, ExtensionOnReadOnlyMediaShowsItsMessageAndChangesNothing) {
    const std::wstring media = qmtest::ReadOnlyMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no read-only medium (needs root)";
    const std::wstring locked = media + L"\\Locked";
    const auto before = qmtest::ReadBytes(locked + L"\\desktop.ini");

    EXPECT_FALSE(qm::ResetIconOfFolder(locked, CallerProfile::Extension));
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Sorry ...");
    EXPECT_EQ(seen[0].text,
              L"Sorry, but Quillmark cannot change icon of this folder. \n\r Because this folder on read-onle media "
              L"or you do not have rights to write to this folder");
    EXPECT_EQ(qmtest::ReadBytes(locked + L"\\desktop.ini"), before);
    EXPECT_TRUE(shell.Events().empty());
}

TEST_F(ResetTest, MainWindowOnReadOnlyMediaRaisesTheWriteError) {
    const std::wstring media = qmtest::ReadOnlyMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no read-only medium (needs root)";
    const std::wstring locked = media + L"\\Locked";
    const auto before = qmtest::ReadBytes(locked + L"\\desktop.ini");
    try {
        qm::ResetIconOfFolder(locked, CallerProfile::MainWindow);
        ADD_FAILURE() << "no error";
    } catch (const qm::UserError& e) {
        EXPECT_EQ(e.text(), L"Unable to write to " + locked + L"\\desktop.ini");
    }
    EXPECT_EQ(qmtest::ReadBytes(locked + L"\\desktop.ini"), before);
    EXPECT_TRUE(attributes.For(locked).empty());  // stopped before the attributes
    EXPECT_TRUE(shell.Events().empty());
}

TEST_F(ResetTest, ARefusedKeyWriteStopsBeforeAttributesAndNotification) {
    // A desktop.ini that is a folder cannot be written as a file.
    const std::wstring f = dir.MakeFolder(L"odd");
    CreateDirectoryW((f + L"\\desktop.ini").c_str(), nullptr);
    for (auto caller : {CallerProfile::MainWindow, CallerProfile::Extension}) {
        shell.Events();
        shell.Clear();
        attributes.Clear();
        try {
            qm::ResetIconOfFolder(f, caller);
            ADD_FAILURE() << "no error";
        } catch (const qm::UserError& e) {
            EXPECT_EQ(e.text(), L"Unable to write to " + f + L"\\desktop.ini");
        }
        EXPECT_TRUE(attributes.For(f).empty());
        EXPECT_TRUE(shell.Events().empty());
    }
}

// ---- ClearAllIcons ----

struct NameCase {
    const wchar_t* name;
    bool programRemoves;
    bool extensionRemoves;
};

const NameCase kNames[] = {
    {L"OstrelQuillmark3_40752.ico", true, true},
    {L"OSTRELQUILLMARK3_1.ICO", true, true},
    {L"ostrelquillmark3_19999123.ico", true, true},
    {L"ostrelquillmarkx.ico", true, false},  // the prefix in lower case, then another letter
    {L"OstrelQuillmark2_55.ico", true, false},
    {L"OstrelQuillmark.ico", true, false},
    {L"OstrelQuillmark3.ico", true, true},  // 20 characters, the first 16 match
    {L"Other.ico", false, false},
    {L"OstrelQuillmark3_1.txt", false, false},
    {L"My OstrelQuillmark3_1.ico", false, false},
};

class ClearAllIconsTest : public ResetTest, public testing::WithParamInterface<CallerProfile> {};

TEST_P(ClearAllIconsTest, RemovesExactlyTheCopiesOfItsRuleWhateverTheirAttributes) {
    const CallerProfile rule = GetParam();
    const std::wstring f = dir.MakeFolder(L"copies");
    const DWORD kinds[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
                           FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN};
    int n = 0;
    for (const auto& c : kNames) {
        qmtest::WriteBytes(f + L"\\" + c.name, {1, 2, 3});
        SetFileAttributesW((f + L"\\" + c.name).c_str(), kinds[n++ % 4]);
    }
    // A folder with a copy's name is no copy; neither is desktop.ini.
    CreateDirectoryW((f + L"\\OstrelQuillmark3_9.ico").c_str(), nullptr);
    qmtest::WriteBytes(f + L"\\OstrelQuillmark3_9.ico\\inside.txt", {1});
    qmtest::WriteUtf16File(f + L"\\desktop.ini", L"[.ShellClassInfo]\r\nIconFile=OstrelQuillmark3_40752.ico\r\n");
    shell.Events();
    shell.Clear();

    std::size_t expectedMatches = 0;
    for (const auto& c : kNames)
        expectedMatches += (rule == CallerProfile::Extension ? c.extensionRemoves : c.programRemoves);
    EXPECT_EQ(qm::ClearAllIcons(f, rule), expectedMatches);

    for (const auto& c : kNames) {
        const bool removed = rule == CallerProfile::Extension ? c.extensionRemoves : c.programRemoves;
        EXPECT_EQ(Exists(f + L"\\" + c.name), !removed) << c.name;
        // Each removed copy was made normal before its deletion; nothing else was touched.
        EXPECT_EQ(attributes.For(f + L"\\" + c.name).empty(), !removed) << c.name;
        for (DWORD a : attributes.For(f + L"\\" + c.name)) EXPECT_EQ(a, DWORD(FILE_ATTRIBUTE_NORMAL));
    }
    EXPECT_TRUE(Exists(f + L"\\OstrelQuillmark3_9.ico\\inside.txt"));
    EXPECT_TRUE(Exists(f + L"\\desktop.ini"));
    const auto events = shell.Events();
    EXPECT_TRUE(qmtest::SameEvents(events, qmtest::NotificationPairs(f))) << qmtest::DescribeEvents(events);
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_P(ClearAllIconsTest, AFolderWithoutIconsIsNotifiedOnlyByTheProgram) {
    const CallerProfile rule = GetParam();
    const std::wstring f = dir.MakeFolder(L"plain");
    qmtest::WriteBytes(f + L"\\notes.txt", {1});
    shell.Events();
    shell.Clear();
    EXPECT_EQ(qm::ClearAllIcons(f, rule), 0u);
    const auto events = shell.Events();
    if (rule == CallerProfile::Extension)
        EXPECT_TRUE(events.empty()) << qmtest::DescribeEvents(events);
    else
        EXPECT_TRUE(qmtest::SameEvents(events, qmtest::NotificationPairs(f))) << qmtest::DescribeEvents(events);
    EXPECT_TRUE(Exists(f + L"\\notes.txt"));
    EXPECT_TRUE(attributes.Calls().empty());
}

TEST_P(ClearAllIconsTest, KeepsTheCopyTheFolderIsAboutToBeLinkedTo) {
    const std::wstring f = dir.MakeFolder(L"keep");
    for (const wchar_t* name : {L"OstrelQuillmark3_1.ico", L"OstrelQuillmark3_2.ico"})
        qmtest::WriteBytes(f + L"\\" + name, {1});
    EXPECT_EQ(qm::ClearAllIcons(f, GetParam(), f + L"\\ostrelquillmark3_2.ICO"), 1u);
    EXPECT_FALSE(Exists(f + L"\\OstrelQuillmark3_1.ico"));
    EXPECT_TRUE(Exists(f + L"\\OstrelQuillmark3_2.ico"));
}

// A copy in use cannot be deleted: it stays, and no box appears. Wine's shell shows no error box
// for a failed delete where Windows does unless FOF_NOERRORUI is set, so the flags of every delete
// asked of the shell are checked too.
TEST_P(ClearAllIconsTest, ACopyInUseStaysWithoutTheShellsErrorBox) {
    const std::wstring f = dir.MakeFolder(L"in-use");
    const std::wstring copy = f + L"\\OstrelQuillmark3_7.ico";
    qmtest::WriteBytes(copy, {1, 2, 3});
    qmtest::FileOperationRecorder operations;
    {
        qm::UniqueFile open(CreateFileW(copy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(open);
        qm::ClearAllIcons(f, GetParam());
    }
    EXPECT_TRUE(Exists(copy));
    ASSERT_FALSE(operations.Requests().empty());
    for (const qm::FileOperationRequest& r : operations.Requests()) {
        EXPECT_EQ(r.operation, UINT(FO_DELETE));
        EXPECT_TRUE(qm::SamePath(r.source, copy)) << qm::WideToUtf8(r.source);
        EXPECT_EQ(r.flags, 0x414u);
        EXPECT_FALSE(r.succeeded);
    }
    EXPECT_TRUE(boxes.Seen().empty());
}

INSTANTIATE_TEST_SUITE_P(Rules, ClearAllIconsTest, testing::Values(CallerProfile::MainWindow, CallerProfile::Extension),
                         [](const auto& info) {
                             return info.param == CallerProfile::Extension ? "Extension" : "Program";
                         });

}  // namespace
