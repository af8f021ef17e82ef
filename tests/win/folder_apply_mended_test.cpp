// Three faults of the apply, mended, on real folders: a copy-mode folder applied again keeps its
// icon; an IconResource key is kept naming the applied icon; the extension draws different copy
// names in different processes. Also: a new copy never takes the name the folder already shows.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/settings/current_language.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/process_win.h"

using qm::CallerProfile;
using qmtest::Exists;

namespace {

constexpr wchar_t kChildFolderVariable[] = L"QM_TEST_EXTENSION_FOLDER";
constexpr wchar_t kChildSourceVariable[] = L"QM_TEST_EXTENSION_SOURCE";

std::wstring KeyLine(const std::wstring& folder, const std::wstring& key) {
    for (const auto& line : qmtest::ShellClassInfoLines(folder))
        if (line.rfind(key + L"=", 0) == 0) return line;
    return {};
}

// Runs the test in the current directory `folder`, restoring the previous one afterwards.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& folder) {
        wchar_t buf[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, buf);
        previous_ = buf;
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryW(previous_.c_str()); }

private:
    std::wstring previous_;
};

class MendedTest : public testing::Test {
protected:
    void SetUp() override {
        qm::CurrentLanguage() = L"English";
        icons.AddGenerated(7);
        library = dir / L"Metal.icl";
        qmtest::WriteBytes(library, qm::BuildNeIconLibrary(icons.Icons()));
    }

    qmtest::TempDir dir{L"qm-mended"};
    qmtest::SettingsFileGuard settings;
    qmtest::MessageBoxWatcher boxes;
    qmtest::IconSet icons;
    std::wstring library;
};

class ReapplyTest : public MendedTest, public testing::WithParamInterface<CallerProfile> {};

TEST_P(ReapplyTest, ACopyModeFolderAppliedAgainFromItsReadBackKeepsItsIcon) {
    settings.SetCopyIco(L"1");
    const std::wstring f = dir.MakeFolder(L"photos");
    ASSERT_TRUE(qm::ApplyIconToFolder({f, library, L"5", L"Tip"}, CallerProfile::MainWindow));
    const auto first = qm::ReadFolderCustomization(f);
    ASSERT_TRUE(qm::IsBareFileName(first.IconFile)) << first.IconFile;

    // The record read back names the copy without its folder; the process runs elsewhere.
    CurrentDirectory elsewhere(dir.path());
    auto record = first;
    record.Infotip = L"New tip";
    ASSERT_TRUE(qm::ApplyIconToFolder(record, GetParam()));

    const auto second = qm::ReadFolderCustomization(f);
    EXPECT_EQ(second.IconIndex, L"0");
    EXPECT_NE(second.IconFile, first.IconFile);  // a new copy, not the one just removed
    ASSERT_TRUE(Exists(f + L"\\" + second.IconFile)) << "the folder names a file that is gone";
    EXPECT_EQ(qmtest::ReadBytes(f + L"\\" + second.IconFile), icons.IcoFile(5));
    EXPECT_FALSE(Exists(f + L"\\" + first.IconFile));
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_P(ReapplyTest, ACopyModeFolderLinkedAgainKeepsTheCopyItIsLinkedTo) {
    settings.SetCopyIco(L"1");
    const std::wstring f = dir.MakeFolder(L"linked");
    ASSERT_TRUE(qm::ApplyIconToFolder({f, library, L"2", L"Tip"}, CallerProfile::MainWindow));
    const auto first = qm::ReadFolderCustomization(f);
    qmtest::WriteBytes(f + L"\\OstrelQuillmark3_1.ico", icons.IcoFile(0));  // an older copy

    settings.SetCopyIco(L"0");
    CurrentDirectory elsewhere(dir.path());
    ASSERT_TRUE(qm::ApplyIconToFolder(first, GetParam()));
    EXPECT_EQ(qm::ReadFolderCustomization(f).IconFile, first.IconFile);
    ASSERT_TRUE(Exists(f + L"\\" + first.IconFile));
    EXPECT_EQ(qmtest::ReadBytes(f + L"\\" + first.IconFile), icons.IcoFile(2));
    // Other old copies still go in the program's link mode; the extension leaves them.
    EXPECT_EQ(Exists(f + L"\\OstrelQuillmark3_1.ico"), GetParam() == CallerProfile::Extension);
}

INSTANTIATE_TEST_SUITE_P(Callers, ReapplyTest,
                         testing::Values(CallerProfile::MainWindow, CallerProfile::CustomIconWindow,
                                         CallerProfile::Extension),
                         [](const auto& info) {
                             return info.param == CallerProfile::MainWindow         ? "MainWindow"
                                    : info.param == CallerProfile::CustomIconWindow ? "CustomIconWindow"
                                                                                    : "Extension";
                         });

TEST_F(MendedTest, AnExistingIconResourceNamesTheAppliedIconAndNoneIsAdded) {
    const std::wstring explorerChoice = L"IconResource=C:\\Windows\\system32\\imageres.dll,-3";
    for (const wchar_t* mode : {L"1", L"0"}) {
        settings.SetCopyIco(mode);
        for (auto caller : {CallerProfile::MainWindow, CallerProfile::CustomIconWindow, CallerProfile::Extension}) {
            const std::wstring tag = std::wstring(mode) + L"-" + std::to_wstring(static_cast<int>(caller));
            const std::wstring with = dir.MakeFolder(L"with" + tag);
            const std::wstring without = dir.MakeFolder(L"without" + tag);
            qmtest::WriteUtf16File(with + L"\\desktop.ini", L"[.ShellClassInfo]\r\n" + explorerChoice + L"\r\n");
            qmtest::WriteUtf16File(without + L"\\desktop.ini", L"[.ShellClassInfo]\r\nInfotip=x\r\n");

            for (const auto& f : {with, without})
                ASSERT_TRUE(qm::ApplyIconToFolder({f, library, L"4", L"Tip"}, caller));

            const auto c = qm::ReadFolderCustomization(with);
            ASSERT_FALSE(c.IconFile.empty());
            EXPECT_EQ(KeyLine(with, L"IconResource"), L"IconResource=" + c.IconFile + L"," + c.IconIndex)
                << qm::WideToUtf8(tag);
            EXPECT_EQ(KeyLine(without, L"IconResource"), L"") << qm::WideToUtf8(tag);

            ASSERT_TRUE(qm::ResetIconOfFolder(with, caller));
            EXPECT_EQ(KeyLine(with, L"IconResource"), L"IconResource=");
        }
    }
}

TEST_F(MendedTest, ANewCopyNeverTakesTheNameTheFolderShows) {
    settings.SetCopyIco(L"1");
    const std::wstring f = dir.MakeFolder(L"fresh");
    // The same seed gives the same draws: the first name is made to be the folder's current copy.
    qm::CopyNameGenerator predict;
    predict.Seed(4242);
    const std::wstring firstDraw = predict.NextName();
    const std::wstring secondDraw = predict.NextName();
    qmtest::WriteUtf16File(f + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nIconFile=" + firstDraw + L"\r\nIconIndex=0\r\n");
    qm::CopyNames().Seed(4242);
    ASSERT_TRUE(qm::ApplyIconToFolder({f, library, L"1", L""}, CallerProfile::Extension));
    EXPECT_EQ(qm::ReadFolderCustomization(f).IconFile, secondDraw);
    EXPECT_TRUE(Exists(f + L"\\" + secondDraw));
}

// Run by ExtensionCopyNamesDifferBetweenProcesses in a process of its own.
TEST(ExtensionChildProcess, DISABLED_AppliesOnceWithTheExtensionProfile) {
    const std::wstring folder = qmtest::Env(kChildFolderVariable), source = qmtest::Env(kChildSourceVariable);
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(qm::ApplyIconToFolder({folder, source, L"3", L""}, CallerProfile::Extension));
}

TEST_F(MendedTest, ExtensionCopyNamesDifferBetweenProcesses) {
    settings.SetCopyIco(L"1");
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<std::wstring> names;
    for (int i = 0; i < 2; ++i) {
        const std::wstring f = dir.MakeFolder(L"process" + std::to_wstring(i));
        SetEnvironmentVariableW(kChildFolderVariable, f.c_str());
        SetEnvironmentVariableW(kChildSourceVariable, library.c_str());
        qmtest::ChildProcess child(qmtest::Quote(self) +
                                   L" --gtest_also_run_disabled_tests --gtest_filter=ExtensionChildProcess.*");
        ASSERT_TRUE(child.started());
        ASSERT_TRUE(child.Wait(60000));
        EXPECT_EQ(child.ExitCode(), 0u);
        names.push_back(qm::ReadFolderCustomization(f).IconFile);
        EXPECT_TRUE(Exists(f + L"\\" + names.back()));
    }
    SetEnvironmentVariableW(kChildFolderVariable, nullptr);
    SetEnvironmentVariableW(kChildSourceVariable, nullptr);
    ASSERT_FALSE(names[0].empty());
    EXPECT_NE(names[0], names[1]);
}

}  // namespace
