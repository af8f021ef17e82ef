// Applying icons to real folders, per caller profile: the desktop.ini keys and their order, the
// copies made and removed, the attributes asked for and read back, the notifications, the
// messages shown in real message boxes, and every way an apply stops.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <tuple>

#include "core/base/error.h"
#include "core/base/file_attributes_win.h"
#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/settings/current_language.h"
#include "core/settings/settings_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/shell_notify_observer_win.h"

using qm::CallerProfile;
using qm::FolderCustomization;
using qmtest::Attributes;
using qmtest::CopiesIn;
using qmtest::Exists;
using qmtest::ShellEvent;

namespace {

constexpr DWORD kHS = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr int kLibraryIcons = 7;

const std::wstring kProgramNoRights =
    L"Sorry, but Quillmark cannot change icon of this folder. \n\rrights to write to this folder";
const std::wstring kExtensionNoRights =
    L"Sorry, but Quillmark cannot change icon of this folder. \n\r Because this folder on read-onle media or you "
    L"do not have rights to write to this folder";

const char* Name(CallerProfile p) {
    switch (p) {
        case CallerProfile::MainWindow: return "MainWindow";
        case CallerProfile::CustomIconWindow: return "CustomIconWindow";
        case CallerProfile::Extension: break;
    }
    return "Extension";
}

bool IsProgram(CallerProfile p) { return p != CallerProfile::Extension; }

class ApplyTest : public testing::Test {
protected:
    void SetUp() override {
        qm::CurrentLanguage() = L"English";
        icons.AddGenerated(kLibraryIcons);
        ne = dir / L"Metal.icl";
        pe = dir / L"tools.dll";
        ico = dir / L"single.ico";
        qmtest::WriteBytes(ne, qm::BuildNeIconLibrary(icons.Icons()));
        qmtest::WriteBytes(pe, qm::BuildPeIconLibrary(icons.Icons()));
        qmtest::WriteBytes(ico, icons.IcoFile(3));
        shell.Events();
        shell.Clear();
    }

    // A folder holding two old copies: one of both rules, one of the program's rule only.
    std::wstring FolderWithOldCopies(const std::wstring& name) {
        const std::wstring f = dir.MakeFolder(name);
        qmtest::WriteBytes(f + L"\\OstrelQuillmark3_77.ico", icons.IcoFile(0));
        qmtest::WriteBytes(f + L"\\ostrelquillmarkZ.ico", icons.IcoFile(0));
        SetFileAttributesW((f + L"\\OstrelQuillmark3_77.ico").c_str(), kHS);
        return f;
    }

    std::vector<ShellEvent> TakeEvents() {
        auto e = shell.Events();
        shell.Clear();
        return e;
    }

    qmtest::TempDir dir{L"qm-apply"};
    qmtest::SettingsFileGuard settings;
    qmtest::AttributeRecorder attributes;
    qmtest::ShellNotifyObserver shell;
    qmtest::MessageBoxWatcher boxes;
    qmtest::IconSet icons;
    std::wstring ne, pe, ico;
};

// ---- copy mode: one source of each kind, each profile ----

enum class Source { Ico, Ne, Pe };

class CopyModeTest : public ApplyTest, public testing::WithParamInterface<std::tuple<Source, CallerProfile>> {};

TEST_P(CopyModeTest, ExtractsTheIconIntoOneHiddenCopyNamedByABareName) {
    const auto [source, caller] = GetParam();
    settings.SetCopyIco(L"1");
    const std::wstring f = FolderWithOldCopies(L"target");
    const std::wstring file = source == Source::Ico ? ico : source == Source::Ne ? ne : pe;
    // Position 5 of a library; an .ico file is taken whole whatever the position.
    const int expectedIcon = source == Source::Ico ? 3 : 5;
    TakeEvents();

    ASSERT_TRUE(qm::ApplyIconToFolder({f, file, L"5", L"My tip"}, caller));

    const auto copies = CopiesIn(f);
    std::wstring copy;
    for (const auto& c : copies)
        if (c != L"ostrelquillmarkZ.ico") copy = c;
    ASSERT_FALSE(copy.empty());
    EXPECT_EQ(copy.rfind(L"OstrelQuillmark3_", 0), 0u) << copy;
    EXPECT_GE(copy.size(), 23u);
    EXPECT_LE(copy.size(), 31u);
    EXPECT_EQ(qmtest::ReadBytes(f + L"\\" + copy), icons.IcoFile(expectedIcon));

    // The program removed both old copies, the extension only the one of its own rule.
    const std::vector<std::wstring> expectedCopies =
        IsProgram(caller) ? std::vector<std::wstring>{copy} : std::vector<std::wstring>{copy, L"ostrelquillmarkZ.ico"};
    EXPECT_EQ(copies, expectedCopies);

    std::vector<std::wstring> keys{L"IconFile=" + copy, L"IconIndex=0"};
    if (IsProgram(caller)) keys.push_back(L"Infotip=My tip");
    keys.push_back(L"ConfirmFileOp=0");
    EXPECT_EQ(qmtest::ShellClassInfoLines(f), keys);

    const DWORD fileAttrs = IsProgram(caller) ? kHS : FILE_ATTRIBUTE_HIDDEN;
    EXPECT_EQ(Attributes(f + L"\\" + copy) & 0x7, fileAttrs);
    EXPECT_EQ(Attributes(f + L"\\desktop.ini") & 0x7, fileAttrs);
    EXPECT_EQ(attributes.For(f + L"\\" + copy), std::vector<DWORD>{fileAttrs});
    EXPECT_EQ(attributes.For(f + L"\\desktop.ini"), std::vector<DWORD>{fileAttrs});  // new file: no write test
    // READONLY on a folder does not stick under Wine: the request is what can be checked.
    EXPECT_EQ(attributes.For(f), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});

    // The removal's pair (old copies were there for both rules), then the apply's.
    EXPECT_TRUE(qmtest::SameEvents(TakeEvents(), qmtest::NotificationPairs(f, 2)));
    EXPECT_TRUE(boxes.Seen().empty());
}

INSTANTIATE_TEST_SUITE_P(SourcesAndCallers, CopyModeTest,
                         testing::Combine(testing::Values(Source::Ico, Source::Ne, Source::Pe),
                                          testing::Values(CallerProfile::MainWindow, CallerProfile::CustomIconWindow,
                                                          CallerProfile::Extension)),
                         [](const auto& info) {
                             const Source s = std::get<0>(info.param);
                             return std::string(s == Source::Ico  ? "Ico"
                                                : s == Source::Ne ? "Ne"
                                                                  : "Pe") +
                                    "_" + Name(std::get<1>(info.param));
                         });

// ---- link mode and sources that give no copy ----

class CallerTest : public ApplyTest, public testing::WithParamInterface<CallerProfile> {};

TEST_P(CallerTest, LinkModeNamesTheSourceAndPosition) {
    const CallerProfile caller = GetParam();
    settings.SetCopyIco(L"0");
    const std::wstring f = FolderWithOldCopies(L"link");
    TakeEvents();
    ASSERT_TRUE(qm::ApplyIconToFolder({f, ne, L"5", L"Tip"}, caller));

    std::vector<std::wstring> keys{L"IconFile=" + ne, L"IconIndex=5"};
    if (IsProgram(caller)) keys.push_back(L"Infotip=Tip");
    keys.push_back(L"ConfirmFileOp=0");
    EXPECT_EQ(qmtest::ShellClassInfoLines(f), keys);
    // No copy is made; the program removes the old ones first, the extension leaves them.
    const auto expected = IsProgram(caller)
                              ? std::vector<std::wstring>{}
                              : std::vector<std::wstring>{L"OstrelQuillmark3_77.ico", L"ostrelquillmarkZ.ico"};
    EXPECT_EQ(CopiesIn(f), expected);
    EXPECT_EQ(attributes.For(f), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(Attributes(f + L"\\desktop.ini") & 0x7, IsProgram(caller) ? kHS : FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(qmtest::SameEvents(TakeEvents(), qmtest::NotificationPairs(f, IsProgram(caller) ? 2 : 1)));
    EXPECT_TRUE(boxes.Seen().empty());
}

// A folder in a sync root that the user pinned ("Always keep on this device") keeps its pin and
// the provider's bits through an apply and a reset; the seam answers the present attributes as
// Windows would (Wine keeps none of them).
TEST_P(CallerTest, ApplyAndResetKeepThePinState) {
    const CallerProfile caller = GetParam();
    settings.SetCopyIco(L"1");
    const std::wstring f = FolderWithOldCopies(L"pinned");
    const DWORD owned = qm::kAttributePinned | FILE_ATTRIBUTE_OFFLINE;
    qm::SetCurrentAttributesSeam([&](const std::wstring& path) {
        const DWORD now = GetFileAttributesW(path.c_str());
        return now == INVALID_FILE_ATTRIBUTES ? now : now | owned;
    });
    struct Restore {
        ~Restore() { qm::SetCurrentAttributesSeam(nullptr); }
    } restore;
    ASSERT_TRUE(qm::ApplyIconToFolder({f, ne, L"5", L"Tip"}, caller));
    ASSERT_TRUE(qm::ResetIconOfFolder(f, caller));
    ASSERT_FALSE(attributes.Calls().empty());
    for (const auto& [path, asked] : attributes.Calls()) {
        EXPECT_EQ(asked & owned, owned) << qm::WideToUtf8(path) << " " << std::hex << asked;
        EXPECT_FALSE(asked & FILE_ATTRIBUTE_NORMAL) << qm::WideToUtf8(path);  // NORMAL is valid only alone
    }
    const DWORD reset = IsProgram(caller) ? FILE_ATTRIBUTE_READONLY : 0;
    EXPECT_EQ(attributes.For(f), (std::vector<DWORD>{FILE_ATTRIBUTE_READONLY | owned, reset | owned}));
}

TEST_P(CallerTest, CopyModeLinksWhatGivesNoIcon) {
    const CallerProfile caller = GetParam();
    settings.SetCopyIco(L"1");
    const std::wstring notes = dir / L"notes.txt";
    qmtest::WriteAnsiFile(notes, std::string(200, 'x'));
    const std::wstring tiny = dir / L"tiny.ico";
    qmtest::WriteBytes(tiny, std::vector<std::uint8_t>(40, 0));
    struct Case {
        std::wstring file, index;
    } cases[] = {
        {notes, L"2"},  // the probe does not recognise it
        {tiny, L"0"},   // shorter than any header
        {ne, L"9"},     // a library without that position: nothing loaded, no message
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::wstring f = FolderWithOldCopies(L"nolink" + std::to_wstring(n++));
        ASSERT_TRUE(qm::ApplyIconToFolder({f, c.file, c.index, L"T"}, caller)) << c.file;
        std::vector<std::wstring> keys{L"IconFile=" + c.file, L"IconIndex=" + c.index};
        if (IsProgram(caller)) keys.push_back(L"Infotip=T");
        keys.push_back(L"ConfirmFileOp=0");
        EXPECT_EQ(qmtest::ShellClassInfoLines(f), keys) << c.file;
        // The program's old copies go as in link mode; the extension removes only after an extraction.
        EXPECT_EQ(CopiesIn(f).size(), IsProgram(caller) ? 0u : 2u) << c.file;
        EXPECT_EQ(attributes.For(f), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
    }
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_P(CallerTest, ReapplyClearsAHiddenSystemDesktopIniFirstAndKeepsForeignEntries) {
    const CallerProfile caller = GetParam();
    settings.SetCopyIco(L"0");
    const std::wstring f = dir.MakeFolder(L"again");
    const std::wstring foreign = L"[ViewState]\r\nMode=4\r\n";
    qmtest::WriteUtf16File(f + L"\\desktop.ini", foreign +
                                                     L"[.ShellClassInfo]\r\nIconFile=C:\\old.icl\r\nIconIndex=1\r\n"
                                                     L"Infotip=Old\r\nConfirmFileOp=0\r\nOwner=someone\r\n");
    SetFileAttributesW((f + L"\\desktop.ini").c_str(), kHS);

    ASSERT_TRUE(qm::ApplyIconToFolder({f, ne, L"2", L"New"}, caller));
    const DWORD after = IsProgram(caller) ? kHS : FILE_ATTRIBUTE_HIDDEN;
    EXPECT_EQ(attributes.For(f + L"\\desktop.ini"), (std::vector<DWORD>{FILE_ATTRIBUTE_NORMAL, after}));
    const std::wstring text = qmtest::ReadTextFile(f + L"\\desktop.ini");
    EXPECT_EQ(text.find(foreign), 0u) << text;
    const std::wstring tip = IsProgram(caller) ? L"Infotip=New" : L"Infotip=Old";
    EXPECT_EQ(qmtest::ShellClassInfoLines(f), (std::vector<std::wstring>{L"IconFile=" + ne, L"IconIndex=2", tip,
                                                                         L"ConfirmFileOp=0", L"Owner=someone"}));
}

TEST_P(CallerTest, AHiddenFolderIsAfterwardsOnlyReadOnly) {
    const CallerProfile caller = GetParam();
    settings.SetCopyIco(L"0");
    const std::wstring f = dir.MakeFolder(L"hidden");
    SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(qm::ApplyIconToFolder({f, ne, L"1", L""}, caller));
    EXPECT_EQ(attributes.For(f), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(Attributes(f) & kHS, 0u);  // replaced, not combined
}

TEST_P(CallerTest, OnReadOnlyMediaTheWriteTestStopsWithTheCallersMessage) {
    const CallerProfile caller = GetParam();
    const std::wstring media = qmtest::ReadOnlyMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no read-only medium (needs root)";
    const std::wstring locked = media + L"\\Locked";
    const auto before = qmtest::ReadBytes(locked + L"\\desktop.ini");
    const auto listing = qmtest::ListFolder(locked);
    for (const wchar_t* mode : {L"1", L"0"}) {
        settings.SetCopyIco(mode);
        EXPECT_FALSE(qm::ApplyIconToFolder({locked, ne, L"5", L"Tip"}, caller));
    }
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u);
    for (const auto& box : seen) {
        EXPECT_EQ(box.text, IsProgram(caller) ? kProgramNoRights : kExtensionNoRights);
        EXPECT_EQ(box.caption, caller == CallerProfile::CustomIconWindow ? L"Warning" : L"Sorry ...");
        EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
    }
    EXPECT_EQ(qmtest::ReadBytes(locked + L"\\desktop.ini"), before);
    EXPECT_EQ(qmtest::ListFolder(locked), listing);
    EXPECT_TRUE(attributes.For(locked).empty());
    EXPECT_TRUE(TakeEvents().empty());
}

TEST_P(CallerTest, ARefusedKeyWriteRaisesTheWriteError) {
    const CallerProfile caller = GetParam();
    settings.SetCopyIco(L"0");
    // A desktop.ini that is a folder: the write test passes, the first key write is refused.
    const std::wstring f = dir.MakeFolder(L"refused");
    CreateDirectoryW((f + L"\\desktop.ini").c_str(), nullptr);
    std::vector<std::wstring> folders{f};
    // On a read-only medium without desktop.ini the write test does not run at all.
    if (const std::wstring media = qmtest::ReadOnlyMediaFolder(); !media.empty()) folders.push_back(media);
    TakeEvents();
    for (const auto& folder : folders) {
        attributes.Clear();
        try {
            qm::ApplyIconToFolder({folder, ne, L"5", L"Tip"}, caller);
            ADD_FAILURE() << "no error for " << qm::WideToUtf8(folder);
        } catch (const qm::UserError& e) {
            EXPECT_EQ(e.text(), L"Unable to write to " + folder + L"\\desktop.ini");
        }
        EXPECT_TRUE(attributes.For(folder).empty());
    }
    // Old copies go only once every key is written, so not even the program's removal is notified.
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_TRUE(boxes.Seen().empty());
}

// Also a source that is gone: linking the folder to it could never show an icon.
TEST_P(CallerTest, ASourceThatCannotBeMappedStopsBeforeAnythingIsRemoved) {
    const CallerProfile caller = GetParam();
    settings.SetCopyIco(L"1");
    const std::wstring broken = dir / L"broken.dll";
    qmtest::WriteBytes(broken, qmtest::UnmappablePeFile());
    const std::pair<std::wstring, std::wstring> cases[] = {
        {broken, L"Failed loading EXE/DLL"},
        // A file that is gone: the platform's words for it.
        {dir / L"missing.icl", qm::SystemErrorText(ERROR_FILE_NOT_FOUND)},
        {dir / L"no such folder\\missing.icl", qm::SystemErrorText(ERROR_PATH_NOT_FOUND)},
    };
    int n = 0;
    for (const auto& [source, message] : cases) {
        const std::wstring f = FolderWithOldCopies(L"broken" + std::to_wstring(n++));
        try {
            qm::ApplyIconToFolder({f, source, L"0", L"Tip"}, caller);
            ADD_FAILURE() << "no error for " << qm::WideToUtf8(source);
        } catch (const qm::UserError& e) {
            EXPECT_EQ(e.text(), message);
        }
        EXPECT_EQ(CopiesIn(f).size(), 2u);
        EXPECT_FALSE(Exists(f + L"\\desktop.ini"));
        EXPECT_TRUE(TakeEvents().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Callers, CallerTest,
                         testing::Values(CallerProfile::MainWindow, CallerProfile::CustomIconWindow,
                                         CallerProfile::Extension),
                         [](const auto& info) { return std::string(Name(info.param)); });

// ---- the program windows' own paths ----

TEST_F(ApplyTest, WithoutFolderTheProgramWindowsWarnAndTheExtensionSaysNothing) {
    EXPECT_FALSE(qm::ApplyIconToFolder({L"", ne, L"1", L"t"}, CallerProfile::MainWindow));
    EXPECT_FALSE(qm::ApplyIconToFolder({L"", ne, L"1", L"t"}, CallerProfile::CustomIconWindow));
    EXPECT_FALSE(qm::ApplyIconToFolder({L"", ne, L"1", L""}, CallerProfile::Extension));
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u);
    for (const auto& box : seen) {
        EXPECT_EQ(box.caption, L"Warning");
        EXPECT_EQ(box.text, L"Please select folder");
    }
    EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(ApplyTest, TooltipOnlyWritesInfotipAndConfirmFileOpAndRemovesNothing) {
    struct Case {
        CallerProfile caller;
        const wchar_t* copyIco;
        FolderCustomization record;  // Folder filled in below
    } cases[] = {
        {CallerProfile::MainWindow, L"1", {L"", L"", L"", L"Only a tip"}},
        {CallerProfile::MainWindow, L"1", {L"", ne, L"", L"Only a tip"}},
        {CallerProfile::CustomIconWindow, L"1", {L"", L"", L"-1", L"Only a tip"}},
        {CallerProfile::CustomIconWindow, L"0", {L"", L"", L"-1", L"Only a tip"}},
    };
    int n = 0;
    for (auto c : cases) {
        settings.SetCopyIco(c.copyIco);
        c.record.Folder = FolderWithOldCopies(L"tip" + std::to_wstring(n++));
        attributes.Clear();
        TakeEvents();
        ASSERT_TRUE(qm::ApplyIconToFolder(c.record, c.caller));
        EXPECT_EQ(qmtest::ShellClassInfoLines(c.record.Folder),
                  (std::vector<std::wstring>{L"Infotip=Only a tip", L"ConfirmFileOp=0"}));
        EXPECT_EQ(CopiesIn(c.record.Folder).size(), 2u);
        EXPECT_EQ(attributes.For(c.record.Folder), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
        EXPECT_EQ(Attributes(c.record.Folder + L"\\desktop.ini") & 0x7, kHS);
        EXPECT_TRUE(qmtest::SameEvents(TakeEvents(), qmtest::NotificationPairs(c.record.Folder, 1)));
    }
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(ApplyTest, MainWindowInLinkModeWritesTheIconKeysAsTheyStand) {
    settings.SetCopyIco(L"0");
    const std::wstring f = FolderWithOldCopies(L"asis");
    ASSERT_TRUE(qm::ApplyIconToFolder({f, L"", L"", L"Tip"}, CallerProfile::MainWindow));
    EXPECT_EQ(qmtest::ShellClassInfoLines(f),
              (std::vector<std::wstring>{L"IconFile=", L"IconIndex=", L"Infotip=Tip", L"ConfirmFileOp=0"}));
    EXPECT_TRUE(CopiesIn(f).empty());
}

TEST_F(ApplyTest, CustomIconWindowWithNeitherIconNorTooltipAsksForOne) {
    for (const wchar_t* mode : {L"1", L"0"}) {
        settings.SetCopyIco(mode);
        const std::wstring f = FolderWithOldCopies(std::wstring(L"nothing") + mode);
        EXPECT_FALSE(qm::ApplyIconToFolder({f, L"", L"-1", L""}, CallerProfile::CustomIconWindow));
        EXPECT_FALSE(Exists(f + L"\\desktop.ini"));
        EXPECT_EQ(CopiesIn(f).size(), 2u);
    }
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u);
    for (const auto& box : seen) {
        EXPECT_EQ(box.caption, L"Warning");
        EXPECT_EQ(box.text, L"Please select icon or enter description for folder.");
    }
    EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(ApplyTest, AnIndexThatIsNoNumberStopsTheCopyModeBeforeAnyChange) {
    settings.SetCopyIco(L"1");
    for (auto caller : {CallerProfile::MainWindow, CallerProfile::CustomIconWindow}) {
        const std::wstring f =
            FolderWithOldCopies(std::wstring(L"nan") + (caller == CallerProfile::MainWindow ? L"m" : L"c"));
        try {
            qm::ApplyIconToFolder({f, ne, L"5a", L"Tip"}, caller);
            ADD_FAILURE() << "no error";
        } catch (const qm::UserError& e) {
            EXPECT_EQ(e.text(), L"'5a' is not a valid integer value");
        }
        EXPECT_EQ(CopiesIn(f).size(), 2u);
        EXPECT_FALSE(Exists(f + L"\\desktop.ini"));
    }
    EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(ApplyTest, MessagesPassThroughTheCallersLookup) {
    const std::wstring lang = L"qm-engine-test.ini";
    settings.WriteLanguageFile(lang,
                               L"Please select folder=Bitte einen Ordner w\x00e4hlen\r\nWarning=Warnung\r\n"
                               L"Sorry=Entschuldigung\r\n");
    qm::CurrentLanguage() = lang;
    EXPECT_FALSE(qm::ApplyIconToFolder({L"", ne, L"1", L""}, CallerProfile::MainWindow));
    EXPECT_FALSE(qm::ResetIconOfFolder(L"", CallerProfile::MainWindow));
    auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u);
    for (const auto& box : seen) {
        EXPECT_EQ(box.caption, L"Warnung");
        EXPECT_EQ(box.text, L"Bitte einen Ordner w\x00e4hlen");
    }

    // The extension reads its language from the settings file, not from the program's variable.
    const std::wstring media = qmtest::ReadOnlyMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no read-only medium (needs root) for the extension's message";
    qm::CurrentLanguage() = L"English";
    qm::WriteSetting(qm::kCurLangSetting, lang);
    EXPECT_FALSE(qm::ApplyIconToFolder({media + L"\\Locked", ne, L"1", L""}, CallerProfile::Extension));
    seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].caption, L"Entschuldigung ...");
    EXPECT_EQ(seen[2].text, kExtensionNoRights);
}

}  // namespace
