// The test harness itself: message boxes are read and answered for real.
#include <gtest/gtest.h>

#include "tests/support/console_process_win.h"
#include "tests/support/files_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/process_win.h"

namespace {

TEST(MessageBoxWatcher, ReadsTextCaptionAndButtonsAndPressesTheQueuedAnswer) {
    qmtest::MessageBoxWatcher boxes;
    boxes.AnswerNext(IDNO);
    const int first = MessageBoxW(nullptr, L"Replace the theme?", L"Quillmark", MB_YESNO | MB_ICONQUESTION);
    const int second = MessageBoxW(nullptr, L"Line one\n\rLine two", L"Info", MB_OK);
    EXPECT_EQ(first, IDNO);
    EXPECT_EQ(second, IDOK);
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, L"Quillmark");
    EXPECT_EQ(seen[0].text, L"Replace the theme?");
    ASSERT_EQ(seen[0].buttons.size(), 2u);
    EXPECT_EQ(seen[0].buttons[0], L"&Yes");
    EXPECT_EQ(seen[0].buttons[1], L"&No");
    EXPECT_EQ(seen[1].text, L"Line one\n\rLine two");
}

TEST(Harness, RunsUnderWineWithItsOwnPrefix) {
    EXPECT_TRUE(qmtest::RunningUnderWine());
    EXPECT_NE(qmtest::Env(L"WINEPREFIX").find(L"wineprefix"), std::wstring::npos);
    EXPECT_TRUE(qmtest::Exists(qmtest::BuildFolder() + L"\\CMakeCache.txt"));
}

}  // namespace

// A program that cannot be started says why: CreateProcessW's GetLastError is kept. A copy of the
// program still held open for writing (as CopyFileW holds its destination until it returns) cannot
// be started until the handle is closed; a missing one never.
TEST(ChildProcess, KeepsTheErrorOfAStartThatFailed) {
    qmtest::TempDir dir;
    const std::wstring folder = dir.MakeFolder(L"Quill mark");
    const std::wstring program = folder + L"\\Quillmark.exe";

    qmtest::ChildProcess missing(qmtest::Quote(program) + L" /ABOUT");
    EXPECT_FALSE(missing.started());
    EXPECT_EQ(missing.startError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    ASSERT_TRUE(CopyFileW((qmtest::BuildFolder() + L"\\Quillmark.exe").c_str(), program.c_str(), FALSE));
    {
        qm::UniqueFile writing(CreateFileW(program.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writing);
        qmtest::ChildProcess held(qmtest::Quote(program) + L" /ABOUT");
        EXPECT_FALSE(held.started());
        EXPECT_EQ(held.startError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    qmtest::ChildProcess started(qmtest::Quote(program) + L" /ABOUT");
    ASSERT_TRUE(started.started()) << started.startError();
    EXPECT_EQ(started.startError(), 0u);
    EXPECT_NE(started.WaitForWindow(L""), nullptr);
}

// A console run that cannot start says which step failed, with its error and the command line; a
// run that starts gives the program's exit code and nothing else.
TEST(RunConsoleProgram, ReportsTheStepTheErrorAndTheCommandLineOfARunThatGaveNoExitCode) {
    qmtest::TempDir dir;
    const std::wstring missing = qmtest::Quote(dir / L"quillmark-cli.exe") + L" --version";
    std::wstring failure;
    EXPECT_EQ(qmtest::RunConsoleProgram(missing, dir / L"out", dir / L"err", 60000, &failure), qmtest::kNotStarted);
    EXPECT_EQ(failure, L"RunConsoleProgram: CreateProcessW failed, error 2, command line: " + missing);

    const std::wstring unwritable = dir / L"no such folder\\out";
    EXPECT_EQ(qmtest::RunConsoleProgram(missing, unwritable, L"", 60000, &failure), qmtest::kNotStarted);
    EXPECT_EQ(failure,
              L"RunConsoleProgram: opening the output " + unwritable + L" failed, error 3, command line: " + missing);

    failure.clear();
    const std::wstring cli = qmtest::Quote(qmtest::BuildFolder() + L"\\quillmark-cli.exe") + L" --version";
    EXPECT_EQ(qmtest::RunConsoleProgram(cli, dir / L"out", dir / L"err", 60000, &failure), 0u);
    EXPECT_EQ(failure, L"");
}
