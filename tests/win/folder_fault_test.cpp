// Faults and hostile files around the folder engine and the settings: a desktop.ini of a
// megabyte with other sections, a desktop.ini another program holds open without sharing, a
// settings file of garbage bytes, long paths and folder names outside the ANSI code page, a disk
// that fills while the icon copy is written, a medium that turns read-only after the write test.
// Each time: what the user is told (a message or nothing) and that nothing else is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/icons/icon_library_writer.h"
#include "core/settings/current_language.h"
#include "core/settings/settings_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"

using qm::CallerProfile;

namespace {

using qmtest::Outcome;
using qmtest::RunStep;

std::string Bytes(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

// The bytes before the .ShellClassInfo section and from the next section on.
struct OtherSections {
    std::string before, after;
};
OtherSections Split(const std::string& text) {
    const std::size_t start = text.find("[.ShellClassInfo]");
    if (start == std::string::npos) return {text, {}};
    const std::size_t next = text.find("\r\n[", start);
    return {text.substr(0, start), next == std::string::npos ? std::string() : text.substr(next + 2)};
}

class FolderFault : public testing::Test {
protected:
    void SetUp() override {
        qm::CurrentLanguage() = L"English";
        icons.AddGenerated(4);
        library = dir / L"Faults.icl";
        qmtest::WriteBytes(library, qm::BuildNeIconLibrary(icons.Icons()));
        settings.SetCopyIco(L"0");  // link mode: the desktop.ini is the only file written
    }
    // Applies the library's icon 2 and then resets, each with the given profile.
    Outcome Apply(const std::wstring& folder, CallerProfile caller = CallerProfile::MainWindow) {
        return RunStep([&] { return qm::ApplyIconToFolder({folder, library, L"2", L"Tip"}, caller); });
    }
    Outcome Reset(const std::wstring& folder, CallerProfile caller = CallerProfile::MainWindow) {
        return RunStep([&] { return qm::ResetIconOfFolder(folder, caller); });
    }

    qmtest::TempDir dir{L"qm-fault"};
    qmtest::SettingsFileGuard settings;
    qmtest::FolderMessageCapture messages;
    qmtest::IconSet icons;
    std::wstring library;
};

TEST_F(FolderFault, MegabyteDesktopIniKeepsItsOtherSectionsByteForByte) {
    std::string head = "[Big.Before]\r\n";
    for (int i = 0; head.size() < 512 * 1024; ++i)
        head += "Key" + std::to_string(i) + "=" + std::string(60, 'a' + i % 26) + "\r\n";
    std::string tail = "[Big.After]\r\n";
    for (int i = 0; tail.size() < 512 * 1024; ++i)
        tail += "Other" + std::to_string(i) + "=" + std::string(50, 'A' + i % 26) + "\r\n";
    const std::string original = head + "[.ShellClassInfo]\r\nConfirmFileOp=0\r\n" + tail;
    ASSERT_GE(original.size(), 1024u * 1024u);

    for (CallerProfile caller : {CallerProfile::MainWindow, CallerProfile::Extension}) {
        SCOPED_TRACE(static_cast<int>(caller));
        const std::wstring f = dir.MakeFolder(L"big" + std::to_wstring(static_cast<int>(caller)));
        const std::wstring ini = qm::DesktopIniPathOf(f);
        qmtest::WriteAnsiFile(ini, original);

        const Outcome applied = Apply(f, caller);
        EXPECT_TRUE(applied.changed);
        EXPECT_EQ(applied.error, L"");
        EXPECT_EQ(qm::ReadFolderCustomization(f).IconFile, library);
        OtherSections now = Split(Bytes(qmtest::ReadBytes(ini)));
        EXPECT_TRUE(now.before == head) << "before the section: " << now.before.size() << " bytes, was " << head.size();
        EXPECT_TRUE(now.after == tail) << "after the section: " << now.after.size() << " bytes, was " << tail.size();

        const Outcome reset = Reset(f, caller);
        EXPECT_TRUE(reset.changed);
        EXPECT_EQ(reset.error, L"");
        EXPECT_EQ(qm::ReadFolderCustomization(f).IconFile, L"");
        now = Split(Bytes(qmtest::ReadBytes(ini)));
        EXPECT_TRUE(now.before == head);
        EXPECT_TRUE(now.after == tail);
    }
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(FolderFault, DesktopIniHeldOpenWithoutSharingIsReportedAndKept) {
    const std::string original = "[.ShellClassInfo]\r\nIconFile=C:\\old.ico\r\nIconIndex=0\r\n[Keep]\r\nA=1\r\n";
    for (CallerProfile caller : {CallerProfile::MainWindow, CallerProfile::Extension}) {
        SCOPED_TRACE(static_cast<int>(caller));
        const std::wstring f = dir.MakeFolder(L"locked" + std::to_wstring(static_cast<int>(caller)));
        const std::wstring ini = qm::DesktopIniPathOf(f);
        qmtest::WriteAnsiFile(ini, original);
        const std::size_t messagesBefore = messages.Messages().size();
        Outcome applied, reset;
        {
            qm::UniqueFile lock(CreateFileW(ini.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(lock);
            applied = Apply(f, caller);
            reset = Reset(f, caller);
        }
        std::printf("locked desktop.ini: apply %d \"%s\", reset %d \"%s\", %zu messages\n", applied.changed,
                    qm::WideToUtf8(applied.error).c_str(), reset.changed, qm::WideToUtf8(reset.error).c_str(),
                    messages.Messages().size() - messagesBefore);
        // Neither reports a change it could not make, and the user is told.
        for (const Outcome* o : {&applied, &reset}) {
            EXPECT_TRUE(!o->changed || !o->error.empty());
            EXPECT_TRUE(!o->error.empty() || messages.Messages().size() > messagesBefore);
        }
        EXPECT_EQ(Bytes(qmtest::ReadBytes(ini)), original);
        // Once the other program lets go, the folder works as before.
        EXPECT_TRUE(Apply(f, caller).changed);
        EXPECT_EQ(qm::ReadFolderCustomization(f).IconFile, library);
    }
}

TEST_F(FolderFault, SettingsFileOfGarbageGivesTheDefaults) {
    const std::wstring path = qm::SettingsFilePath();
    const std::vector<std::vector<std::uint8_t>> garbage = {
        {0xFF, 0xFE, 0x00},                                   // a byte-order mark and half a character
        {0xFF, 0xFE, 0x00, 0xD8, '[', 0x00},                  // a lone surrogate
        {0xEF, 0xBB, 0xBF, 0xC3, 0x28, '[', '=', ']', 0x00},  // broken UTF-8
        std::vector<std::uint8_t>(70000, 0x00),
        std::vector<std::uint8_t>(70000, '['),
    };
    const qm::SettingKey keys[] = {qm::kCurLangSetting, qm::kCopyIcoSetting, qm::kToolbarNameSetting,
                                   qm::kThemeNameSetting};
    for (std::size_t i = 0; i < garbage.size(); ++i) {
        SCOPED_TRACE(i);
        qmtest::WriteBytes(path, garbage[i]);
        for (const auto& key : keys) EXPECT_EQ(qm::ReadSetting(key), key.fallback) << qm::WideToUtf8(key.key);
    }
    // Random bytes: whatever they hold reads back without harm.
    std::vector<std::uint8_t> noise(4096);
    std::uint32_t x = 12345;
    for (auto& b : noise) b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 24);
    qmtest::WriteBytes(path, noise);
    for (const auto& key : keys) (void)qm::ReadSetting(key);
    EXPECT_EQ(qmtest::ReadBytes(path), noise);  // reading never rewrites the file
}

TEST_F(FolderFault, LongPathsAndForeignNamesWork) {
    std::vector<std::wstring> folders;
    for (std::size_t length : {259u, 260u, 300u}) folders.push_back(qmtest::FolderOfLength(dir.path(), length));
    folders.push_back(dir.MakeFolder(L"\u0416\u0443\u0440\u043d\u0430\u043b \u65e5\u672c \u03a9 \U0001F4C1"));
    for (const std::wstring& f : folders) {
        SCOPED_TRACE(qm::WideToUtf8(f.size() > 40 ? f.substr(f.size() - 40) : f) + " (" + std::to_string(f.size()) +
                     ")");
        const std::wstring keep = qmtest::Prefixed(f + L"\\keep.txt");
        const std::vector<std::uint8_t> keepBytes = {'k', 'e', 'e', 'p'};
        qmtest::WriteBytes(keep, keepBytes);

        const Outcome applied = Apply(f);
        std::printf("%zu characters: apply %d \"%s\"\n", f.size(), applied.changed,
                    qm::WideToUtf8(applied.error).c_str());
        EXPECT_TRUE(applied.changed);
        EXPECT_EQ(applied.error, L"");
        EXPECT_EQ(qm::ReadFolderCustomization(f).IconFile, library);
        const Outcome reset = Reset(f);
        EXPECT_TRUE(reset.changed);
        EXPECT_EQ(qm::ReadFolderCustomization(f).IconFile, L"");
        EXPECT_EQ(qmtest::ReadBytes(keep), keepBytes);
    }
    EXPECT_TRUE(messages.Messages().empty());
}

// Every file of a folder with its bytes and its hidden/system/read-only attributes.
struct FileState {
    std::vector<std::uint8_t> bytes;
    DWORD attributes;
    bool operator==(const FileState&) const = default;
};
std::map<std::wstring, FileState> StateOf(const std::wstring& folder) {
    std::map<std::wstring, FileState> state;
    for (const auto& [name, bytes] : qmtest::ContentOf(qmtest::Prefixed(folder)))
        state[name] = {bytes, qmtest::Attributes(qmtest::Prefixed(folder + L"\\" + name)) &
                                  (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY)};
    return state;
}
std::string Describe(const std::map<std::wstring, FileState>& state) {
    std::string s;
    for (const auto& [name, f] : state)
        s += qm::WideToUtf8(name) + "(" + std::to_string(f.bytes.size()) + " bytes, attributes " +
             std::to_string(f.attributes) + ") ";
    return s;
}

TEST_F(FolderFault, KeyRefusedAfterTheWriteTestLeavesEveryFileAsItWas) {
    struct Case {
        CallerProfile caller;
        const wchar_t* copyIco;
        bool reset;
        std::size_t length;  // of the folder's path; 0 for a short one
    };
    const Case cases[] = {
        {CallerProfile::MainWindow, L"1", false, 0},   {CallerProfile::MainWindow, L"0", false, 0},
        {CallerProfile::Extension, L"1", false, 0},    {CallerProfile::Extension, L"0", false, 0},
        {CallerProfile::MainWindow, L"1", true, 0},    {CallerProfile::Extension, L"1", true, 0},
        {CallerProfile::MainWindow, L"1", false, 300}, {CallerProfile::Extension, L"1", false, 300},
        {CallerProfile::Extension, L"1", true, 300},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.caller)) + " CopyIco=" + qm::WideToUtf8(c.copyIco) +
                     (c.reset ? " reset" : " apply") + " length " + std::to_string(c.length));
        std::wstring f = dir.MakeFolder(L"refused" + std::to_wstring(n++));
        if (c.length) f = qmtest::FolderOfLength(f, c.length);
        const std::wstring ini = qm::DesktopIniPathOf(f);
        qmtest::WriteUtf16File(qmtest::Prefixed(ini),
                               L"[Before]\r\nA=1\r\n[.ShellClassInfo]\r\nConfirmFileOp=0\r\n[After]\r\nB=2\r\n");
        settings.SetCopyIco(L"1");
        ASSERT_TRUE(Apply(f, c.caller).changed);  // desktop.ini (hidden) and a copy of the icon
        qmtest::WriteBytes(qmtest::Prefixed(f + L"\\notes.txt"), {'n'});
        settings.SetCopyIco(c.copyIco);
        const auto before = StateOf(f);
        const std::size_t messagesBefore = messages.Messages().size();

        // Another program opens desktop.ini without sharing right after the write test.
        qm::UniqueFile lock;
        std::vector<DWORD> folderAttributes;
        qm::SetAttributeObserver([&](const std::wstring& path, DWORD attributes) {
            if (path == f) folderAttributes.push_back(attributes);
            if (!lock && path == ini && attributes == FILE_ATTRIBUTE_NORMAL)
                lock.reset(CreateFileW(qmtest::Prefixed(ini).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        });
        const Outcome o = c.reset ? Reset(f, c.caller) : RunStep([&] {
            return qm::ApplyIconToFolder({f, library, L"3", L"New tip"}, c.caller);
        });
        qm::SetAttributeObserver(nullptr);
        ASSERT_TRUE(lock) << "the write test did not run";
        lock.reset();
        std::printf("key refused: %s %d \"%s\"\n", c.reset ? "reset" : "apply", o.changed,
                    qm::WideToUtf8(o.error).c_str());
        EXPECT_FALSE(o.changed);
        EXPECT_EQ(o.error, qm::FormatMessageText(L"Unable to write to %s", ini));
        EXPECT_EQ(messages.Messages().size(), messagesBefore);
        // Every file as it was, attributes included, and no new one; the folder's attributes untouched.
        const auto after = StateOf(f);
        EXPECT_TRUE(after == before) << "before: " << Describe(before) << "\nafter: " << Describe(after);
        EXPECT_TRUE(folderAttributes.empty());
    }
}

ULONGLONG FreeBytes(const std::wstring& folder) {
    ULARGE_INTEGER free{};
    GetDiskFreeSpaceExW((folder + L"\\").c_str(), &free, nullptr, nullptr);
    return free.QuadPart;
}

// Fills the medium until `leave` bytes are free (tmpfs counts whole pages).
class Filler {
public:
    Filler(const std::wstring& folder, ULONGLONG leave) : path_(folder + L"\\filler.bin") {
        const ULONGLONG free = FreeBytes(folder);
        if (free > leave) qmtest::WriteBytes(path_, std::vector<std::uint8_t>(free - leave, 'f'));
    }
    ~Filler() { DeleteFileW(path_.c_str()); }
    Filler(const Filler&) = delete;
    Filler& operator=(const Filler&) = delete;

private:
    std::wstring path_;
};

TEST_F(FolderFault, DiskFullAtTheDesktopIniLeavesNoNewFileAndKeepsTheOldOne) {
    const std::wstring media = qmtest::SmallMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no small medium (the fixture needs root)";
    constexpr ULONGLONG kPage = 4096;
    struct Case {
        CallerProfile caller;
        // An ANSI desktop.ini just under a page, which the keys make longer (Wine's profile writer
        // cut such a file at the page and reported success).
        bool earlierIni;
    };
    for (const Case c : {Case{CallerProfile::MainWindow, false}, Case{CallerProfile::Extension, false},
                         Case{CallerProfile::MainWindow, true}, Case{CallerProfile::Extension, true}}) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.caller)) +
                     (c.earlierIni ? " earlier desktop.ini" : " new folder"));
        qmtest::TempDir f(L"full", media);
        const std::wstring ini = qm::DesktopIniPathOf(f.path());
        if (c.earlierIni) {
            std::string text = "[Keep]\r\n";
            for (int i = 0; text.size() < kPage - 80; ++i)
                text.append("K").append(std::to_string(i)).append("=").append(40, 'v').append("\r\n");
            text += "[.ShellClassInfo]\r\nConfirmFileOp=0\r\n";
            qmtest::WriteAnsiFile(ini, text);
            SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        }
        settings.SetCopyIco(c.earlierIni ? L"0" : L"1");
        // In a new folder the copy fits in the pages left and desktop.ini does not.
        const ULONGLONG leave = c.earlierIni ? 0 : (icons.IcoFile(0).size() + kPage - 1) / kPage * kPage;
        const auto before = StateOf(f.path());
        const std::size_t messagesBefore = messages.Messages().size();
        Outcome o;
        {
            Filler filler(f.path(), leave);
            ASSERT_EQ(FreeBytes(f.path()), leave);
            o = RunStep([&] { return qm::ApplyIconToFolder({f.path(), library, L"0", L"Tip"}, c.caller); });
            std::printf("disk full at desktop.ini: apply %d \"%s\"\n", o.changed, qm::WideToUtf8(o.error).c_str());
            auto after = StateOf(f.path());
            after.erase(L"filler.bin");
            EXPECT_TRUE(after == before) << "before: " << Describe(before) << "\nafter: " << Describe(after);
        }
        EXPECT_FALSE(o.changed);
        EXPECT_EQ(o.error, qm::FormatMessageText(L"Unable to write to %s", ini));
        EXPECT_EQ(messages.Messages().size(), messagesBefore);
    }
}

std::string Names(const qmtest::FolderContent& files) {
    std::string names;
    for (const auto& [name, bytes] : files) names += qm::WideToUtf8(name) + "(" + std::to_string(bytes.size()) + ") ";
    return names;
}

TEST_F(FolderFault, DiskFullWhileTheCopyIsWrittenLeavesNoPartOfItAndKeepsTheFolderAsItWas) {
    const std::wstring media = qmtest::SmallMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no small medium (the fixture needs root)";
    // One icon larger than the whole medium: a 256 x 256 true-colour image.
    const std::wstring big = dir / L"big.ico";
    qmtest::WriteBytes(big, qmtest::MakeIcoFile({{256, 256, 32, 7}}));
    settings.SetCopyIco(L"1");

    for (CallerProfile caller : {CallerProfile::MainWindow, CallerProfile::Extension}) {
        SCOPED_TRACE(static_cast<int>(caller));
        qmtest::TempDir f(L"full", media);
        ASSERT_TRUE(Apply(f.path(), caller).changed);  // the folder has a small copy of its own
        const std::wstring copy = qm::ReadFolderCustomization(f.path()).IconFile;
        const auto before = qmtest::ContentOf(f.path());
        const ULONGLONG freeBefore = FreeBytes(f.path());
        ASSERT_LT(freeBefore, qmtest::ReadBytes(big).size());
        const std::size_t messagesBefore = messages.Messages().size();

        const Outcome o = RunStep([&] { return qm::ApplyIconToFolder({f.path(), big, L"0", L"Tip"}, caller); });
        std::printf("disk full: apply %d \"%s\"\n", o.changed, qm::WideToUtf8(o.error).c_str());
        EXPECT_FALSE(o.changed);
        EXPECT_NE(o.error, L"");  // the platform's own text reaches the user
        EXPECT_EQ(messages.Messages().size(), messagesBefore);
        // The earlier copy and desktop.ini stay as they were, and no part of the new copy is left.
        const auto after = qmtest::ContentOf(f.path());
        EXPECT_TRUE(after == before) << "before: " << Names(before) << " after: " << Names(after);
        EXPECT_EQ(qm::ReadFolderCustomization(f.path()).IconFile, copy);
        EXPECT_EQ(FreeBytes(f.path()), freeBefore);
    }
}

TEST_F(FolderFault, MediumTurningReadOnlyAfterTheWriteTestStopsAtTheFirstWriteAndKeepsTheFolder) {
    qmtest::SwitchableMedia media;
    if (media.folder().empty()) GTEST_SKIP() << "no switchable medium (the fixture needs root)";
    struct Case {
        CallerProfile caller;
        const wchar_t* copyIco;
        bool reset;
    };
    const Case cases[] = {
        {CallerProfile::MainWindow, L"1", false}, {CallerProfile::MainWindow, L"0", false},
        {CallerProfile::Extension, L"1", false},  {CallerProfile::Extension, L"0", false},
        {CallerProfile::Extension, L"1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.caller)) + " CopyIco=" + qm::WideToUtf8(c.copyIco) +
                     (c.reset ? " reset" : " apply"));
        qmtest::TempDir f(L"switch", media.folder());
        settings.SetCopyIco(L"1");
        ASSERT_TRUE(Apply(f.path(), c.caller).changed);  // desktop.ini and a copy of the icon
        settings.SetCopyIco(c.copyIco);
        const std::wstring ini = qm::DesktopIniPathOf(f.path());
        const auto before = qmtest::ContentOf(f.path());
        const std::size_t messagesBefore = messages.Messages().size();

        // The medium turns read-only right after the write test has cleared desktop.ini's attributes.
        bool turned = false;
        qm::SetAttributeObserver([&](const std::wstring& path, DWORD attributes) {
            if (!turned && path == ini && attributes == FILE_ATTRIBUTE_NORMAL) turned = media.SetReadOnly(true);
        });
        const Outcome o = c.reset ? Reset(f.path(), c.caller) : RunStep([&] {
            return qm::ApplyIconToFolder({f.path(), library, L"3", L"New tip"}, c.caller);
        });
        qm::SetAttributeObserver(nullptr);
        ASSERT_TRUE(media.SetReadOnly(false));
        std::printf("read-only after the write test: %s %d \"%s\", %zu messages\n", c.reset ? "reset" : "apply",
                    o.changed, qm::WideToUtf8(o.error).c_str(), messages.Messages().size() - messagesBefore);
        ASSERT_TRUE(turned) << "the write test did not run";
        // The first refused write ends the operation with the platform's or the INI layer's text.
        EXPECT_FALSE(o.changed);
        EXPECT_NE(o.error, L"");
        const auto after = qmtest::ContentOf(f.path());
        EXPECT_TRUE(after == before) << "before: " << Names(before) << " after: " << Names(after);
    }
}

}  // namespace
