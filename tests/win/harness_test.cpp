// The test harness itself: message boxes are read and answered for real.
#include <gtest/gtest.h>

#include "tests/support/files_win.h"
#include "tests/support/message_box_watcher_win.h"

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
