// Folders deep in a tree: apply, re-apply and reset on folders whose paths are 240 to 1,000
// characters long, in copy and link mode, from the main window, the custom icon window and the
// extension, with an earlier desktop.ini holding other sections. The file calls run under
// Windows' path limit (WindowsPathLimit: Wine itself takes paths of any length), so a call that
// would fail on Windows fails here too.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_profiles.h"
#include "core/icons/icon_library_writer.h"
#include "core/settings/current_language.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/shell_notify_observer_win.h"
#include "tests/support/windows_path_limit_win.h"

using qm::CallerProfile;
using qmtest::Prefixed;

namespace {

constexpr DWORD kHS = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The sections of the earlier desktop.ini around .ShellClassInfo, as text.
const std::wstring kBefore = L"[ViewState]\r\nMode=\r\nVid=\r\nFolderType=Pictures\r\n";
const std::wstring kAfter = L"[{F29F85E0-4FF9-1068-AB91-08002B27B3D9}]\r\nProp2=31,Holiday \u00e9t\u00e9\r\n";
const std::wstring kEarlier = kBefore + L"[.ShellClassInfo]\r\nConfirmFileOp=0\r\n" + kAfter;

// The text of a desktop.ini: UTF-16LE behind its mark, else ANSI.
std::wstring TextOf(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return qm::DecodeUtf16Le(std::span<const std::uint8_t>(bytes).subspan(2));
    return qm::AnsiToWide(std::string(bytes.begin(), bytes.end()));
}

// What the text holds before the .ShellClassInfo section and from the next section on.
std::pair<std::wstring, std::wstring> AroundShellClassInfo(const std::wstring& text) {
    const std::size_t start = text.find(L"[.ShellClassInfo]");
    if (start == std::wstring::npos) return {text, {}};
    const std::size_t next = text.find(L"\r\n[", start);
    return {text.substr(0, start), next == std::wstring::npos ? std::wstring() : text.substr(next + 2)};
}

using qmtest::Outcome;
using qmtest::RunStep;

// Whether a notification for `sent` arrived as `received`. Wine's shell names no item past
// MAX_PATH: the item it makes of a longer path is cut to its first MAX_PATH - 1 characters
// (ILCreateFromPath fails, SHSimpleIDListFromPath cuts; a cut at a backslash reads back with it),
// so under Wine a long path arrives as that start; one sent in the long form would arrive as
// "\\?\..." and match nothing.
bool AsTheShellDelivers(const std::wstring& sent, const std::wstring& received) {
    if (sent.size() < MAX_PATH || !qmtest::RunningUnderWine()) return qm::SamePath(sent, received);
    std::wstring start = received;
    if (!start.empty() && start.back() == L'\\') start.pop_back();
    return start.size() >= MAX_PATH - 2 && start.size() < sent.size() &&
           qm::SamePath(sent.substr(0, start.size()), start);
}

class FolderLongPath : public testing::Test {
protected:
    void SetUp() override {
        qm::CurrentLanguage() = L"English";
        icons.AddGenerated(5);
        library = dir / L"Deep.icl";
        qmtest::WriteBytes(library, qm::BuildNeIconLibrary(icons.Icons()));
    }

    qmtest::TempDir dir{L"qm-deep"};
    qmtest::SettingsFileGuard settings;
    qmtest::FolderMessageCapture messages;
    qmtest::IconSet icons;
    std::wstring library;
};

TEST_F(FolderLongPath, ApplyReapplyAndResetWorkOnFoldersOfAnyLength) {
    struct Case {
        std::size_t length;
        bool copyMode;
        CallerProfile caller;
        bool utf16;  // the earlier desktop.ini's encoding (else ANSI)
    };
    std::vector<Case> cases;
    bool utf16 = true;
    for (std::size_t length : {240u, 259u, 260u, 261u, 300u, 1000u})
        for (bool copyMode : {true, false})
            for (CallerProfile caller :
                 {CallerProfile::MainWindow, CallerProfile::CustomIconWindow, CallerProfile::Extension}) {
                cases.push_back({length, copyMode, caller, utf16});
                utf16 = !utf16;
            }

    int n = 0;
    for (const Case& c : cases) {
        const std::wstring folder = qmtest::FolderOfLength(dir.MakeFolder(L"c" + std::to_wstring(n++)), c.length);
        ASSERT_EQ(folder.size(), c.length);
        SCOPED_TRACE(std::to_string(c.length) + " characters, " + (c.copyMode ? "copy" : "link") + " mode, " +
                     (c.caller == CallerProfile::Extension          ? "extension"
                      : c.caller == CallerProfile::CustomIconWindow ? "custom icon window"
                                                                    : "main window") +
                     (c.utf16 ? ", UTF-16 desktop.ini" : ", ANSI desktop.ini"));
        const std::wstring ini = qm::DesktopIniPathOf(folder);
        if (c.utf16)
            qmtest::WriteUtf16File(Prefixed(ini), kEarlier);
        else
            qmtest::WriteAnsiFile(Prefixed(ini), qm::WideToAnsi(kEarlier));
        SetFileAttributesW(Prefixed(ini).c_str(), kHS);
        const std::vector<std::uint8_t> keep = {'k', 'e', 'p', 't'};
        qmtest::WriteBytes(Prefixed(folder + L"\\keep.txt"), keep);
        settings.SetCopyIco(c.copyMode ? L"1" : L"0");
        const CallerProfile caller = c.caller;
        const DWORD iniHidden = caller == CallerProfile::Extension ? FILE_ATTRIBUTE_HIDDEN : kHS;

        qmtest::ShellNotifyObserver observer;
        qmtest::AttributeRecorder recorder;
        qmtest::WindowsPathLimit limit;
        // Checks the folder after an apply of icon `index`.
        auto checkApplied = [&](int index, const char* what) {
            SCOPED_TRACE(what);
            const qm::FolderCustomization read = qm::ReadFolderCustomization(folder);
            const auto copies = qmtest::CopiesIn(Prefixed(folder));
            if (c.copyMode) {
                ASSERT_EQ(copies.size(), 1u);
                EXPECT_EQ(read.IconFile, copies[0]);
                EXPECT_EQ(read.IconIndex, L"0");
                EXPECT_EQ(qmtest::ReadBytes(Prefixed(folder + L"\\" + copies[0])), icons.IcoFile(index));
                EXPECT_EQ(qmtest::Attributes(Prefixed(folder + L"\\" + copies[0])) & kHS, iniHidden);
            } else {
                EXPECT_TRUE(copies.empty());
                EXPECT_EQ(read.IconFile, library);
                EXPECT_EQ(read.IconIndex, std::to_wstring(index));
            }
            EXPECT_EQ(read.Infotip, caller == CallerProfile::Extension ? L"" : L"Deep tip");
            EXPECT_EQ(qmtest::Attributes(Prefixed(ini)) & kHS, iniHidden);
            EXPECT_EQ(recorder.For(folder), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
        };
        auto checkOthersKept = [&](const char* what) {
            SCOPED_TRACE(what);
            const std::vector<std::uint8_t> bytes = qmtest::ReadBytes(Prefixed(ini));
            ASSERT_GE(bytes.size(), 2u);
            EXPECT_EQ(bytes[0] == 0xFF && bytes[1] == 0xFE, c.utf16);  // the encoding it had
            const auto [before, after] = AroundShellClassInfo(TextOf(bytes));
            EXPECT_EQ(before, kBefore);
            EXPECT_EQ(after, kAfter);
            EXPECT_EQ(qmtest::ReadBytes(Prefixed(folder + L"\\keep.txt")), keep);
        };
        std::vector<qmtest::ShellEvent> sent;
        qm::SetNotificationObserver([&](long event, const std::wstring& path) { sent.push_back({event, path}); });
        auto checkNotified = [&](const char* what) {
            SCOPED_TRACE(what);
            // The engine names the folder as the shell knows it, without the long-path prefix.
            ASSERT_GE(sent.size(), 2u) << qmtest::DescribeEvents(sent);
            const std::vector<qmtest::ShellEvent> lastSent(sent.end() - 2, sent.end());
            EXPECT_TRUE(qmtest::SameEvents(lastSent, qmtest::NotificationPairs(folder)))
                << qmtest::DescribeEvents(sent);
            for (const auto& e : sent) EXPECT_NE(e.path.rfind(L"\\\\?\\", 0), 0u) << qm::WideToUtf8(e.path);
            sent.clear();
            // And the shell's listeners receive them; Wine's shell makes no item of a path of
            // 1,000 characters, so there nothing arrives under Wine.
            const auto events = observer.Events();
            observer.Clear();
            if (c.length >= 1000 && qmtest::RunningUnderWine()) return;
            ASSERT_GE(events.size(), 2u) << qmtest::DescribeEvents(events);
            const std::vector<qmtest::ShellEvent> last(events.end() - 2, events.end());
            const auto expected = qmtest::NotificationPairs(folder);
            for (std::size_t i = 0; i < 2; ++i) {
                EXPECT_EQ(last[i].event, expected[i].event);
                EXPECT_TRUE(AsTheShellDelivers(expected[i].path, last[i].path))
                    << qm::WideToUtf8(last[i].path) << " (" << last[i].path.size() << ") for "
                    << qm::WideToUtf8(expected[i].path) << " (" << expected[i].path.size() << ")";
            }
        };

        const std::wstring tip = caller == CallerProfile::Extension ? L"" : L"Deep tip";
        Outcome o = RunStep([&] { return qm::ApplyIconToFolder({folder, library, L"2", tip}, caller); });
        EXPECT_TRUE(o.changed);
        EXPECT_EQ(o.error, L"");
        checkApplied(2, "apply");
        checkOthersKept("apply");
        checkNotified("apply");

        recorder.Clear();
        o = RunStep([&] { return qm::ApplyIconToFolder({folder, library, L"4", tip}, caller); });
        EXPECT_TRUE(o.changed);
        EXPECT_EQ(o.error, L"");
        checkApplied(4, "re-apply");
        checkOthersKept("re-apply");
        checkNotified("re-apply");

        recorder.Clear();
        o = RunStep([&] { return qm::ResetIconOfFolder(folder, caller); });
        EXPECT_TRUE(o.changed);
        EXPECT_EQ(o.error, L"");
        const qm::FolderCustomization read = qm::ReadFolderCustomization(folder);
        EXPECT_EQ(read.IconFile, L"");
        EXPECT_EQ(read.IconIndex, L"");
        EXPECT_EQ(read.Infotip, L"");
        EXPECT_EQ(qmtest::CopiesIn(Prefixed(folder)).size(),
                  c.copyMode && caller != CallerProfile::Extension ? 1u : 0u);
        EXPECT_EQ(recorder.For(folder),
                  std::vector<DWORD>{caller == CallerProfile::Extension ? DWORD{FILE_ATTRIBUTE_NORMAL}
                                                                        : DWORD{FILE_ATTRIBUTE_READONLY}});
        checkOthersKept("reset");
        checkNotified("reset");

        qm::SetNotificationObserver(nullptr);
        EXPECT_TRUE(limit.Refused().empty()) << qm::WideToUtf8(limit.Refused().front());
        EXPECT_TRUE(messages.Messages().empty());
    }
}

}  // namespace
