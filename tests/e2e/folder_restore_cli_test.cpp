// quillmark-cli folder restore as a process: what a sync client leaves of a customized folder (the
// icon copy and the sidecar, no desktop.ini, no mark) scanned as ini-missing and put back; the
// sidecar policy of folder apply; hostile sidecars and several copies refused by name; --dry-run,
// --json and --quiet. Wine keeps no read-only mark on folders, so a restore there reports
// mark-not-kept, as it would on a file system that drops the mark.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/base/text.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_sidecar.h"
#include "tests/support/cli_runner_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/process_win.h"

namespace {

using qmtest::Quote;
using qmtest::RunCli;

class FolderRestoreCliTest : public qmtest::FolderCliFixture {
protected:
    FolderRestoreCliTest() : FolderCliFixture(L"qm-restore") {}

    // What the next PC gets: desktop.ini gone and the folder without marks.
    static void LoseWhatSyncLoses(const std::wstring& folder) {
        const std::wstring ini = folder + L"\\desktop.ini";
        SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(DeleteFileW(ini.c_str()));
        ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL));
    }
    static bool Contains(const std::wstring& text, const std::wstring& part) {
        return text.find(part) != std::wstring::npos;
    }
};

// Apply with a colour and a tooltip and --sidecar always; lose desktop.ini and the mark; scan
// says ini-missing and fails; restore gives back the same keys; the folder scans clean again.
TEST_F(FolderRestoreCliTest, AFolderLostBySyncIsScannedAndRestored) {
    const std::wstring f = dir.MakeFolder(L"Taxes 2026");
    auto r = RunCli(dir, L"folder apply " + Quote(f) + L" --color #3A7BD5 --tip \"Taxes\" --sidecar always");
    ASSERT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    const auto keys = qmtest::ShellClassInfoLines(f);
    const std::wstring copy = qm::ReadFolderCustomization(f).IconFile;
    ASSERT_TRUE(qm::IsSafeCopyName(copy));
    ASSERT_TRUE(qmtest::Exists(f + L"\\Quillmark.folder.ini"));
    EXPECT_EQ(qmtest::Attributes(f + L"\\Quillmark.folder.ini") & 0x7, DWORD{FILE_ATTRIBUTE_HIDDEN});

    LoseWhatSyncLoses(f);
    r = RunCli(dir, L"folder scan " + Quote(f));
    EXPECT_EQ(r.exit, 1u);
    EXPECT_EQ(r.out, L"broken\tini-missing\t" + f + L"\t\n");

    r = RunCli(dir, L"folder restore " + Quote(f) + L" --dry-run");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_EQ(r.out, L"would-restore\tini-missing\t" + f + L"\t\n");
    EXPECT_FALSE(qmtest::Exists(f + L"\\desktop.ini"));

    r = RunCli(dir, L"folder restore " + Quote(f) + L" --json");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_TRUE(Contains(r.out, L"\"result\":\"restored\"")) << qm::WideToUtf8(r.out);
    const bool kept = !qmtest::RunningUnderWine();
    EXPECT_TRUE(Contains(r.out, kept ? L"\"markKept\":true" : L"\"markKept\":false")) << qm::WideToUtf8(r.out);
    EXPECT_EQ(Contains(r.err, L"mark-not-kept"), !kept) << qm::WideToUtf8(r.err);
    EXPECT_EQ(qmtest::ShellClassInfoLines(f), keys);
    EXPECT_EQ(qmtest::Attributes(f + L"\\desktop.ini") & 0x7, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});

    // Wine dropped the read-only mark: the system mark stands in for it, as Windows keeps it.
    if (!kept) SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_SYSTEM);
    r = RunCli(dir, L"folder scan " + Quote(f));
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.out);
    // Nothing left to do: --quiet says nothing.
    r = RunCli(dir, L"folder restore " + Quote(f) + L" --quiet");
    EXPECT_EQ(r.exit, 0u);
    EXPECT_EQ(r.out, L"");

    // repair puts back what sync lost too.
    LoseWhatSyncLoses(f);
    r = RunCli(dir, L"folder repair " + Quote(f));
    EXPECT_EQ(r.out.substr(0, 9), L"restored\t") << qm::WideToUtf8(r.out);
    EXPECT_EQ(qmtest::ShellClassInfoLines(f), keys);
}

// Outside a sync root (Wine has no Cloud Files) the default writes no sidecar; never writes none;
// a word other than always, synced or never is refused.
TEST_F(FolderRestoreCliTest, TheSidecarPolicyOfApply) {
    const struct {
        const wchar_t* option;
        bool written;
    } cases[] = {
        {L"", false}, {L" --sidecar synced", false}, {L" --sidecar never", false}, {L" --sidecar always", true}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.option));
        const std::wstring f = dir.MakeFolder(L"p" + std::to_wstring(n++));
        const auto r = RunCli(dir, L"folder apply " + Quote(f) + L" --color #102030" + c.option);
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        EXPECT_EQ(qmtest::Exists(f + L"\\Quillmark.folder.ini"), c.written);
    }
    const std::wstring f = dir.MakeFolder(L"bad");
    const auto r = RunCli(dir, L"folder apply " + Quote(f) + L" --color #102030 --sidecar sometimes");
    EXPECT_EQ(r.exit, 2u);
    EXPECT_TRUE(Contains(r.err, L"--sidecar takes always, synced or never")) << qm::WideToUtf8(r.err);
    EXPECT_FALSE(qmtest::Exists(f + L"\\desktop.ini"));
}

// A sidecar naming a file outside the folder, and several copies without a sidecar: named on
// standard error, the run fails, and the folders stay as they were; with --recursive the other
// folders are restored.
TEST_F(FolderRestoreCliTest, WhatCannotBeRestoredIsNamedAndLeftAlone) {
    const std::wstring tree = dir.MakeFolder(L"tree");
    const std::wstring hostile = dir.MakeFolder(L"tree\\hostile"), several = dir.MakeFolder(L"tree\\several"),
                       one = dir.MakeFolder(L"tree\\one");
    qmtest::WriteBytes(hostile + L"\\OstrelQuillmark3_1.ico", icons.IcoFile(1));
    qmtest::WriteBytes(hostile + L"\\Quillmark.folder.ini",
                       qm::SidecarBytes({L"..\\..\\OstrelQuillmark3_1.ico", L"0", L"x"}));
    qmtest::WriteBytes(several + L"\\OstrelQuillmark3_1.ico", icons.IcoFile(1));
    qmtest::WriteBytes(several + L"\\OstrelQuillmark3_2.ico", icons.IcoFile(2));
    qmtest::WriteBytes(one + L"\\OstrelQuillmark3_3.ico", icons.IcoFile(3));

    const auto r = RunCli(dir, L"folder restore " + Quote(tree) + L" --recursive");
    EXPECT_EQ(r.exit, 1u);
    EXPECT_TRUE(Contains(r.err, hostile + L": not-restorable: the sidecar names a file outside the folder"))
        << qm::WideToUtf8(r.err);
    EXPECT_TRUE(Contains(r.err, several + L": not-restorable: several copies")) << qm::WideToUtf8(r.err);
    EXPECT_TRUE(Contains(r.out, L"not-restorable\tini-missing\t" + hostile)) << qm::WideToUtf8(r.out);
    EXPECT_FALSE(qmtest::Exists(hostile + L"\\desktop.ini"));
    EXPECT_FALSE(qmtest::Exists(several + L"\\desktop.ini"));
    EXPECT_EQ(qmtest::ShellClassInfoLines(one),
              (std::vector<std::wstring>{L"IconFile=OstrelQuillmark3_3.ico", L"IconIndex=0", L"Infotip=",
                                         L"ConfirmFileOp=0"}));
}

}  // namespace
