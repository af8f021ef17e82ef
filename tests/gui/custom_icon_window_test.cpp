// The custom icon window TfCustomIcon in the test process: its "+" and "-" buttons change the theme
// store (the test program's "samples" folder, moved aside for the test) and the lists follow.
#include <gtest/gtest.h>

#include "app/custom_icon_window_win.h"
#include "tests/gui/picker_test_support.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/message_box_watcher_win.h"

namespace {

class CustomIconWindow : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }

    int IndexOf(const std::wstring& name) {
        for (int i = 0; i < window_.ListBox1->Count(); ++i)
            if (window_.ListBox1->Item(i) == name) return i;
        return -1;
    }

    qmtest::ProgramFolderGuard program_;
    qmtest::ScopedCurrentLanguage english_{L"English"};
    qmtest::TempDir files_{L"custom-window"};
    qm::TfCustomIcon window_{files_.path()};
};

TEST_F(CustomIconWindow, MinusWithAnEmptyStoreAsksForATheme) {
    window_.Show();
    ASSERT_EQ(window_.ListBox1->Count(), 0);
    ASSERT_TRUE(window_.b_ThemeMinus->Enabled());
    qmtest::MessageBoxWatcher boxes;
    qmtest::Click(*window_.b_ThemeMinus);
    ASSERT_TRUE(boxes.WaitForCount(1));
    const qmtest::SeenMessageBox box = boxes.Seen()[0];
    EXPECT_EQ(box.caption, L"Info");
    EXPECT_EQ(box.text, L"Please select theme to delete");
    EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(box.icon, nullptr);
    EXPECT_EQ(box.owner, window_.Handle());
}

TEST_F(CustomIconWindow, PlusInstallsAThemeAndMinusDeletesItAfterAsking) {
    const std::wstring lib = files_ / L"Metal.icl";
    qmtest::WriteBytes(lib, qmtest::MakeNeLibrary(3));
    window_.Show();
    qmtest::ExpectPlusInstallsAndLists(*window_.b_ThemeAdd, *window_.ListBox1, *window_.ImageList2, lib,
                                       program_.Store());
    if (HasFatalFailure()) return;

    qmtest::ClickItem(*window_.ListBox1, IndexOf(L"Metal.icl"));
    ASSERT_EQ(window_.ListView1->Count(), 3);
    {
        qmtest::MessageBoxWatcher boxes;
        boxes.AnswerNext(IDNO);
        qmtest::Click(*window_.b_ThemeMinus);
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.Seen()[0].caption, L"Accept ?");
        EXPECT_EQ(boxes.Seen()[0].text, L"Delete theme:\n\rMetal\n\rfrom your collection ?");
        EXPECT_EQ(boxes.Seen()[0].owner, window_.Handle());
    }
    EXPECT_TRUE(qmtest::Exists(program_.Store() + L"Metal.icl"));
    EXPECT_EQ(window_.ListBox1->Count(), 1);
    EXPECT_EQ(window_.ListBox1->ItemIndex(), -1);  // listed anew, without a selection
    EXPECT_EQ(window_.ListView1->Count(), 3);      // the icons of the theme, listed again

    qmtest::ClickItem(*window_.ListBox1, IndexOf(L"Metal.icl"));
    {
        qmtest::MessageBoxWatcher boxes;
        boxes.AnswerNext(IDYES);
        qmtest::Click(*window_.b_ThemeMinus);
        ASSERT_TRUE(boxes.WaitForCount(1));
    }
    EXPECT_FALSE(qmtest::Exists(program_.Store() + L"Metal.icl"));
    EXPECT_EQ(window_.ListBox1->Count(), 0);
    EXPECT_EQ(window_.ImageList2->Count(), 0);
    // The icon list is filled anew after the deletion: its file is gone.
    EXPECT_EQ(window_.ListView1->Count(), 0);
}

// The icon picker and the custom icon window show a theme's description in the same kind of memo.
TEST_F(CustomIconWindow, DescriptionMemoIsReadOnlyBorderlessWithAScrollBarAndHiddenAtFirst) {
    qm::TForm1 picker(nullptr, qm::IconChoiceTarget{});
    for (ui::Memo* memo : {window_.Memo1, picker.Memo1}) {
        const LONG_PTR style = GetWindowLongPtrW(memo->Handle(), GWL_STYLE);
        const LONG_PTR exStyle = GetWindowLongPtrW(memo->Handle(), GWL_EXSTYLE);
        EXPECT_TRUE(memo->ReadOnly());
        EXPECT_NE(style & WS_VSCROLL, 0);
        EXPECT_EQ(style & WS_BORDER, 0);
        EXPECT_EQ(exStyle & WS_EX_CLIENTEDGE, 0);
        EXPECT_FALSE(memo->Visible());
    }
}

}  // namespace
