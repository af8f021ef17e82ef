// The program as a whole process: the command line picks exactly one mode.
#include <gtest/gtest.h>

#include "tests/support/files_win.h"
#include "tests/support/process_win.h"

namespace {

const wchar_t kMainCaption[] = L"Icon for selected folder";

// The custom icon window shares the main window's caption: the main window is told by its size too.
bool IsMainWindow(HWND h) {
    RECT client{};
    GetClientRect(h, &client);
    return qmtest::WindowCaption(h) == kMainCaption && client.right == 531 && client.bottom == 427;
}

std::wstring Program() { return qmtest::Quote(qmtest::BuildFolder() + L"\\Quillmark.exe"); }

TEST(ProgramModes, NoArgumentsOpensTheMainWindowAndClosingItEndsTheProgram) {
    qmtest::ChildProcess p(Program());
    ASSERT_TRUE(p.started());
    HWND main = p.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr);
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 531);
    EXPECT_EQ(client.bottom, 427);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(p.Wait(15000));
    EXPECT_EQ(p.ExitCode(), 0u);
}

// The mode switches, in any case, never show the main window: each opens one window of its own.
class ModeWindowTest : public testing::TestWithParam<const wchar_t*> {};

TEST_P(ModeWindowTest, OpensOneWindowThatIsNotTheMainWindow) {
    qmtest::TempDir dir;
    qmtest::ChildProcess p(Program() + L" " + GetParam() + L" " + qmtest::Quote(dir.MakeFolder(L"a b")));
    ASSERT_TRUE(p.started());
    HWND window = p.WaitForWindow(L"");
    ASSERT_NE(window, nullptr) << "no window for " << GetParam();
    Sleep(300);
    for (HWND h : p.TopWindows()) EXPECT_FALSE(IsMainWindow(h)) << GetParam();
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (!p.Wait(10000)) PostMessageW(window, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(p.Wait(10000)) << GetParam() << " did not end after its window closed";
}

INSTANTIATE_TEST_SUITE_P(Switches, ModeWindowTest,
                         testing::Values(L"/ABOUT", L"/about", L"/Theme", L"/CUSTOM", L"/custom"));

TEST(ProgramModes, ModeWordWithMoreCharactersFallsThroughToTheMainWindow) {
    qmtest::ChildProcess p(Program() + L" /ABOUTX");
    ASSERT_TRUE(p.started());
    HWND main = p.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(p.Wait(15000));
}

}  // namespace
