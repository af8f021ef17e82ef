// The sidecar copy mode leaves beside desktop.ini, the scan states of what a sync client loses
// (ini-missing, not-marked), and the restore that puts it back, in process. Wine has no
// cldapi.dll and keeps no read-only mark on folders: qm::SetSyncRootSeam says which folders lie in
// a sync root, and qm::SetCurrentAttributesSeam answers a folder's marks as Windows keeps them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_restore_win.h"
#include "core/folder/folder_scan_win.h"
#include "core/folder/folder_sidecar_win.h"
#include "core/icons/picture_codec_win.h"
#include "core/settings/current_language.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"

namespace {

using qm::CallerProfile;

// The sync-root answer, the sidecar policy and the marks Windows would keep, for one test.
class SyncWorld {
public:
    explicit SyncWorld(bool inSyncRoot) {
        qm::SetSyncRootSeam([inSyncRoot](const std::wstring&) { return inSyncRoot; });
        // A folder keeps the read-only mark the engine gives it (Wine drops it); files are as
        // the platform has them.
        qm::SetAttributeObserver([this](const std::wstring& path, DWORD a) {
            calls.push_back({path, a});
            if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) folderMarks[qm::UpperAscii(path)] = a;
        });
        qm::SetCurrentAttributesSeam([this](const std::wstring& path) {
            const DWORD platform = GetFileAttributesW(path.c_str());
            const auto it = folderMarks.find(qm::UpperAscii(path));
            if (platform == INVALID_FILE_ATTRIBUTES || !(platform & FILE_ATTRIBUTE_DIRECTORY) ||
                it == folderMarks.end())
                return platform;
            return (platform & ~DWORD{FILE_ATTRIBUTE_READONLY}) | (it->second & FILE_ATTRIBUTE_READONLY);
        });
    }
    ~SyncWorld() {
        qm::SetSyncRootSeam(nullptr);
        qm::SetAttributeObserver(nullptr);
        qm::SetCurrentAttributesSeam(nullptr);
        qm::SetSidecarPolicy(qm::SidecarPolicy::Synced);
    }
    SyncWorld(const SyncWorld&) = delete;
    SyncWorld& operator=(const SyncWorld&) = delete;

    // What the next PC gets: no desktop.ini, the folder without marks.
    void LoseWhatSyncLoses(const std::wstring& folder) {
        const std::wstring ini = folder + L"\\desktop.ini";
        SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(DeleteFileW(ini.c_str()));
        ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL));
        folderMarks.erase(qm::UpperAscii(folder));
    }
    std::vector<DWORD> For(const std::wstring& path) const {
        std::vector<DWORD> out;
        for (const auto& [p, a] : calls)
            if (qm::SamePath(p, path)) out.push_back(a);
        return out;
    }

    std::vector<std::pair<std::wstring, DWORD>> calls;
    std::map<std::wstring, DWORD> folderMarks;
};

std::string States(const qm::FolderScan& scan) {
    std::wstring out;
    for (auto s : qm::ScanStates(scan)) out += std::wstring(s) + L" ";
    return qm::WideToUtf8(out);
}

bool Has(const qm::FolderScan& scan, std::wstring_view state) {
    const auto states = qm::ScanStates(scan);
    return std::find(states.begin(), states.end(), state) != states.end();
}

// Every file of a folder with its bytes and attributes, and the folder's own attributes.
std::map<std::wstring, std::pair<std::vector<std::uint8_t>, DWORD>> StateOf(const std::wstring& folder) {
    std::map<std::wstring, std::pair<std::vector<std::uint8_t>, DWORD>> out;
    for (const auto& name : qmtest::ListFolder(folder)) {
        const std::wstring path = folder + L"\\" + name;
        const DWORD a = qmtest::Attributes(path);
        out[name] = {a & FILE_ATTRIBUTE_DIRECTORY ? std::vector<std::uint8_t>{} : qmtest::ReadBytes(path), a};
    }
    out[L"."] = {{}, qmtest::Attributes(folder)};
    return out;
}

class SidecarTest : public testing::Test {
protected:
    void SetUp() override {
        qm::CurrentLanguage() = L"English";
        icons.AddGenerated(3);
        ico = dir / L"pick.ico";
        qmtest::WriteBytes(ico, icons.IcoFile(2));
    }
    qmtest::TempDir dir{L"qm-sidecar"};
    qmtest::SettingsFileGuard settings;
    qmtest::FolderMessageCapture messages;
    qmtest::IconSet icons;
    std::wstring ico;
};

// Copy mode in a sync root: an icon with a tooltip, and a colour. The sidecar and the copy are
// hidden only; after desktop.ini and the folder's mark are lost, scan says ini-missing (broken)
// and restore gives back the same keys and attributes, so the scan is clean again.
TEST_F(SidecarTest, ACustomizationLostBySyncIsRestoredFromTheSidecar) {
    SyncWorld world(true);
    const std::vector<std::uint8_t> colour = qm::MakeColourFolderIcon({0x3A, 0x7B, 0xD5});
    for (bool made : {false, true}) {
        SCOPED_TRACE(made ? "colour" : "icon");
        const std::wstring f = dir.MakeFolder(made ? L"colour" : L"icon");
        const qm::FolderCustomization record{f, ico, L"0", L"Taxes 2026"};
        ASSERT_TRUE(made ? qm::ApplyMadeIconToFolder(record, colour, CallerProfile::MainWindow)
                         : qm::ApplyIconToFolder(record, CallerProfile::MainWindow, qm::ApplyMode::Copy));
        const auto keys = qmtest::ShellClassInfoLines(f);
        const auto copy = qm::ReadFolderCustomization(f).IconFile;
        ASSERT_TRUE(qm::IsSafeCopyName(copy)) << qm::WideToUtf8(copy);
        const std::wstring sidecar = f + L"\\Quillmark.folder.ini";
        ASSERT_TRUE(qmtest::Exists(sidecar));
        EXPECT_EQ(qmtest::Attributes(sidecar) & 0x7, DWORD{FILE_ATTRIBUTE_HIDDEN});
        EXPECT_EQ(world.For(f + L"\\" + copy), std::vector<DWORD>{FILE_ATTRIBUTE_HIDDEN});
        EXPECT_EQ(qmtest::ReadBytes(sidecar), qm::SidecarBytes({copy, L"0", L"Taxes 2026"}));
        EXPECT_FALSE(qm::ScanFolder(f).Broken());

        world.LoseWhatSyncLoses(f);
        const qm::FolderScan lost = qm::ScanFolder(f);
        EXPECT_TRUE(lost.iniMissing);
        EXPECT_TRUE(lost.Broken());
        EXPECT_TRUE(lost.Customized());
        EXPECT_TRUE(Has(lost, L"ini-missing"));

        world.calls.clear();
        const qm::RestoreResult result = qm::RestoreFolder(lost);
        EXPECT_EQ(result.outcome, qm::RestoreOutcome::Restored) << qm::WideToUtf8(result.why);
        EXPECT_TRUE(result.markKept);
        EXPECT_EQ(qmtest::ShellClassInfoLines(f), keys);
        EXPECT_EQ(world.For(f), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
        EXPECT_EQ(world.For(f + L"\\desktop.ini"), std::vector<DWORD>{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
        EXPECT_EQ(world.For(f + L"\\" + copy), std::vector<DWORD>{FILE_ATTRIBUTE_HIDDEN});
        EXPECT_EQ(world.For(sidecar), std::vector<DWORD>{FILE_ATTRIBUTE_HIDDEN});
        const qm::FolderScan after = qm::ScanFolder(f);
        EXPECT_FALSE(after.iniMissing);
        EXPECT_FALSE(after.Broken()) << States(after);
        // Nothing more to do.
        EXPECT_EQ(qm::PlanRestore(after).outcome, qm::RestoreOutcome::NothingToDo);
    }
}

// Outside a sync root the default writes no sidecar and the copy keeps hidden and system;
// always and never do what they say, in a sync root or not; a reset removes the sidecar.
TEST_F(SidecarTest, ThePolicyDecidesWhereASidecarIsWritten) {
    const struct {
        qm::SidecarPolicy policy;
        bool inSyncRoot, written;
    } cases[] = {
        {qm::SidecarPolicy::Synced, false, false}, {qm::SidecarPolicy::Synced, true, true},
        {qm::SidecarPolicy::Always, false, true},  {qm::SidecarPolicy::Always, true, true},
        {qm::SidecarPolicy::Never, false, false},  {qm::SidecarPolicy::Never, true, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(n);
        SyncWorld world(c.inSyncRoot);
        qm::SetSidecarPolicy(c.policy);
        const std::wstring f = dir.MakeFolder(L"f" + std::to_wstring(n++));
        ASSERT_TRUE(qm::ApplyIconToFolder({f, ico, L"0", L"tip"}, CallerProfile::MainWindow, qm::ApplyMode::Copy));
        EXPECT_EQ(qmtest::Exists(f + L"\\Quillmark.folder.ini"), c.written);
        const auto copy = qm::ReadFolderCustomization(f).IconFile;
        EXPECT_EQ(world.For(f + L"\\" + copy),
                  std::vector<DWORD>{c.inSyncRoot ? DWORD{FILE_ATTRIBUTE_HIDDEN}
                                                  : DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}});
        // A link-mode apply leaves no sidecar that would name the old copy.
        if (c.written) {
            settings.SetCopyIco(L"0");
            ASSERT_TRUE(qm::ApplyIconToFolder({f, ico, L"0", L"tip"}, CallerProfile::Extension));
            EXPECT_EQ(qm::ReadFolderCustomization(f).IconFile, ico);
            EXPECT_FALSE(qmtest::Exists(f + L"\\Quillmark.folder.ini"));
            ASSERT_TRUE(qm::ApplyIconToFolder({f, ico, L"0", L"tip"}, CallerProfile::MainWindow, qm::ApplyMode::Copy));
            ASSERT_TRUE(qmtest::Exists(f + L"\\Quillmark.folder.ini"));
        }
        ASSERT_TRUE(qm::ResetIconOfFolder(f, CallerProfile::MainWindow));
        EXPECT_FALSE(qmtest::Exists(f + L"\\Quillmark.folder.ini"));
    }
}

// A sidecar arrives from elsewhere. Each damaged or hostile one gives its message, and the restore
// changes nothing in the folder.
TEST_F(SidecarTest, AHostileSidecarGivesItsMessageAndChangesNothing) {
    SyncWorld world(true);
    auto text = [](const std::wstring& body) {
        std::vector<std::uint8_t> bytes{0xFF, 0xFE};
        const auto b = qm::EncodeUtf16Le(body);
        bytes.insert(bytes.end(), b.begin(), b.end());
        return bytes;
    };
    const std::wstring good = L"[Quillmark]\r\nIconFile=OstrelQuillmark3_12.ico\r\nIconIndex=0\r\nInfotip=t\r\n";
    auto cut = text(good);
    cut.resize(cut.size() - 5);
    std::vector<std::uint8_t> huge = text(good);
    huge.resize(5000, 0x20);
    const std::string utf8 = qm::WideToUtf8(good);
    auto named = [&](const std::wstring& name) {
        return text(L"[Quillmark]\r\nIconFile=" + name + L"\r\nIconIndex=0\r\nInfotip=t\r\n");
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const wchar_t* message;
    } cases[] = {
        {"cut", cut, L"the sidecar is cut short"},
        {"huge", huge, L"the sidecar is larger than 4 KB"},
        {"utf-8", std::vector<std::uint8_t>(utf8.begin(), utf8.end()),
         L"the sidecar is not UTF-16LE text with its mark"},
        {"no section", text(L"[Other]\r\nIconFile=OstrelQuillmark3_12.ico\r\n"),
         L"the sidecar has no [Quillmark] section"},
        {"outside", named(L"C:\\Windows\\OstrelQuillmark3_12.ico"), L"the sidecar names a file outside the folder"},
        {"parent", named(L"..\\OstrelQuillmark3_12.ico"), L"the sidecar names a file outside the folder"},
        {"dots", named(L"OstrelQuillmark3_..ico"), L"the sidecar names a file outside the folder"},
        {"stream", named(L"OstrelQuillmark3_12.ico:evil"), L"the sidecar names a file outside the folder"},
        {"not a copy", named(L"notes.ico"), L"the sidecar names a file that is not a Quillmark icon copy"},
        {"not an icon", named(L"OstrelQuillmark3_99.ico"), L"the sidecar names a file that is not an icon"},
        {"a folder", named(L"OstrelQuillmark3_dir.ico"), L"the sidecar names a file that is not an icon"},
        {"missing", named(L"OstrelQuillmark3_404.ico"), L"the sidecar names a file that is not an icon"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring f = dir.MakeFolder(L"h" + std::to_wstring(n++));
        qmtest::WriteBytes(f + L"\\OstrelQuillmark3_12.ico", icons.IcoFile(0));
        qmtest::WriteBytes(f + L"\\OstrelQuillmark3_99.ico", {'n', 'o', 't'});
        CreateDirectoryW((f + L"\\OstrelQuillmark3_dir.ico").c_str(), nullptr);
        qmtest::WriteBytes(f + L"\\Quillmark.folder.ini", c.bytes);
        const auto before = StateOf(f);
        const qm::FolderScan scan = qm::ScanFolder(f);
        ASSERT_TRUE(scan.iniMissing);
        const qm::RestoreResult result = qm::RestoreFolder(scan);
        EXPECT_EQ(result.outcome, qm::RestoreOutcome::NotRestorable);
        EXPECT_EQ(result.why, c.message);
        EXPECT_TRUE(StateOf(f) == before);
        EXPECT_FALSE(qmtest::Exists(f + L"\\desktop.ini"));
    }
}

// Without a sidecar (a folder customized outside a sync root and moved into one): the only copy is
// taken; with several the folder is not restorable; a copy that is no icon is never named.
TEST_F(SidecarTest, WithoutASidecarOnlyTheOneCopyIsTaken) {
    SyncWorld world(false);
    const std::wstring one = dir.MakeFolder(L"one");
    qmtest::WriteBytes(one + L"\\OstrelQuillmark3_5.ico", icons.IcoFile(1));
    qmtest::WriteUtf16File(one + L"\\desktop.ini", L"[.ShellClassInfo]\r\nInfotip=kept\r\n");
    const qm::FolderScan scan = qm::ScanFolder(one);
    ASSERT_TRUE(scan.iniMissing);
    EXPECT_EQ(qm::RestoreFolder(scan).outcome, qm::RestoreOutcome::Restored);
    EXPECT_EQ(qmtest::ShellClassInfoLines(one),
              (std::vector<std::wstring>{L"Infotip=kept", L"IconFile=OstrelQuillmark3_5.ico", L"IconIndex=0",
                                         L"ConfirmFileOp=0"}));
    EXPECT_FALSE(qmtest::Exists(one + L"\\Quillmark.folder.ini"));  // not in a sync root

    const std::wstring several = dir.MakeFolder(L"several");
    qmtest::WriteBytes(several + L"\\OstrelQuillmark3_5.ico", icons.IcoFile(1));
    qmtest::WriteBytes(several + L"\\OstrelQuillmark3_6.ico", icons.IcoFile(2));
    const auto before = StateOf(several);
    const qm::RestoreResult r = qm::RestoreFolder(qm::ScanFolder(several));
    EXPECT_EQ(r.outcome, qm::RestoreOutcome::NotRestorable);
    EXPECT_EQ(r.why, L"several copies");
    EXPECT_TRUE(StateOf(several) == before);

    const std::wstring bogus = dir.MakeFolder(L"bogus");
    qmtest::WriteBytes(bogus + L"\\OstrelQuillmark3_5.ico", {'M', 'Z'});
    EXPECT_EQ(qm::RestoreFolder(qm::ScanFolder(bogus)).outcome, qm::RestoreOutcome::NotRestorable);
    EXPECT_FALSE(qmtest::Exists(bogus + L"\\desktop.ini"));
}

// desktop.ini is there but the folder has neither mark: not-marked. The restore sets the mark and
// reads it back; a mark that did not stay is reported, not failed.
TEST_F(SidecarTest, AFolderWithoutItsMarkIsNotMarkedAndAMarkNotKeptIsReported) {
    SyncWorld world(true);
    const std::wstring f = dir.MakeFolder(L"unmarked");
    ASSERT_TRUE(qm::ApplyIconToFolder({f, ico, L"0", L"tip"}, CallerProfile::MainWindow, qm::ApplyMode::Copy));
    EXPECT_FALSE(qm::ScanFolder(f).notMarked);
    world.folderMarks.clear();  // the read-only mark is gone, desktop.ini stays
    const qm::FolderScan scan = qm::ScanFolder(f);
    EXPECT_TRUE(scan.notMarked);
    EXPECT_FALSE(scan.iniMissing);
    EXPECT_TRUE(scan.Broken());
    EXPECT_TRUE(Has(scan, L"not-marked"));
    const auto keys = qmtest::ShellClassInfoLines(f);
    world.calls.clear();
    qm::RestoreResult r = qm::RestoreFolder(scan);
    EXPECT_EQ(r.outcome, qm::RestoreOutcome::Restored);
    EXPECT_TRUE(r.markKept);
    EXPECT_EQ(world.For(f), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(qmtest::ShellClassInfoLines(f), keys);
    EXPECT_FALSE(qm::ScanFolder(f).Broken());

    // A folder that does not keep the mark (as Wine, or a file system that drops it).
    qm::SetCurrentAttributesSeam([](const std::wstring& path) { return GetFileAttributesW(path.c_str()) & ~1u; });
    r = qm::RestoreFolder(qm::ScanFolder(f));
    EXPECT_EQ(r.outcome, qm::RestoreOutcome::Restored);
    EXPECT_FALSE(r.markKept);
}

// A sidecar that cannot be written (here a folder is in its place) ends the apply with the
// platform's words, and the apply's rollback puts the folder back: desktop.ini's bytes, the old
// copy, no new copy.
TEST_F(SidecarTest, ARefusedSidecarWritePutsTheFolderBack) {
    SyncWorld world(true);
    const std::wstring f = dir.MakeFolder(L"refused");
    ASSERT_TRUE(qm::ApplyIconToFolder({f, ico, L"0", L"old"}, CallerProfile::MainWindow, qm::ApplyMode::Copy));
    const std::wstring sidecar = f + L"\\Quillmark.folder.ini";
    SetFileAttributesW(sidecar.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileW(sidecar.c_str()));
    ASSERT_TRUE(CreateDirectoryW(sidecar.c_str(), nullptr));
    const auto iniBefore = qmtest::ReadBytes(f + L"\\desktop.ini");
    const auto copiesBefore = qmtest::CopiesIn(f);

    const auto outcome = qmtest::RunStep([&] {
        return qm::ApplyIconToFolder({f, ico, L"0", L"new"}, CallerProfile::MainWindow, qm::ApplyMode::Copy);
    });
    EXPECT_FALSE(outcome.changed);
    EXPECT_FALSE(outcome.error.empty());
    EXPECT_EQ(qmtest::ReadBytes(f + L"\\desktop.ini"), iniBefore);
    EXPECT_EQ(qmtest::CopiesIn(f), copiesBefore);
}

}  // namespace
