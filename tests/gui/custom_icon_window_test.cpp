// The custom icon window TfCustomIcon in the test process: its "+" and "-" buttons change the theme
// store (the test program's "samples" folder, moved aside for the test) and the lists follow.
#include <gtest/gtest.h>

#include "app/custom_icon_window_win.h"
#include "core/folder/folder_files_win.h"
#include "core/icons/picture_codec_win.h"
#include "core/settings/colour_history.h"
#include "tests/gui/picker_test_support.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/picture_fixtures_win.h"

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

// "Colour...": the colour dialog offers the history, the coloured folder is the one icon listed,
// the colour goes first in the history, and Apply copies that icon into the folder.
TEST_F(CustomIconWindow, ColourButtonListsOurFolderInTheColourAndApplyCopiesIt) {
    window_.Show();
    EXPECT_EQ(window_.b_Colour->Text(), L"Colour...");
    {
        qmtest::ColourDialogAnswer answer(RGB(0xE5, 0x39, 0x35));
        qmtest::Click(*window_.b_Colour);
        ASSERT_EQ(answer.requests.size(), 1u);
        EXPECT_EQ(answer.requests[0].owner, window_.Handle());
        EXPECT_EQ(answer.requests[0].custom[0], 0u);  // no history yet
    }
    {
        qmtest::ColourDialogAnswer answer(RGB(0x3A, 0x7B, 0xD5));
        qmtest::Click(*window_.b_Colour);
        ASSERT_EQ(answer.requests.size(), 1u);
        EXPECT_EQ(answer.requests[0].initial, RGB(0xE5, 0x39, 0x35));  // the last colour chosen
        EXPECT_EQ(answer.requests[0].custom[0], RGB(0xE5, 0x39, 0x35));
    }
    EXPECT_EQ(qm::ReadColourHistory(), (std::vector<qm::RgbColour>{{0x3A, 0x7B, 0xD5}, {0xE5, 0x39, 0x35}}));
    ASSERT_EQ(window_.ListView1->Count(), 1);
    EXPECT_EQ(window_.ListView1->ItemIndex(), 0);
    window_.t_Tip->SetText(L"Blue folder");
    qmtest::SaveScreenshot(window_.Handle(), L"custom_icon_window_colour");
    {
        // A cancelled dialog leaves the list as it was.
        qmtest::ColourDialogAnswer cancel(std::nullopt);
        qmtest::Click(*window_.b_Colour);
        EXPECT_EQ(window_.ListView1->Count(), 1);
    }
    qmtest::Click(*window_.bApply);
    const qm::FolderCustomization c = qm::ReadFolderCustomization(files_.path());
    EXPECT_EQ(c.Infotip, L"Blue folder");
    EXPECT_EQ(qmtest::ReadBytes(files_ / c.IconFile), qm::MakeColourFolderIcon({0x3A, 0x7B, 0xD5}));
}

// The open dialog offers pictures; a picture lists as one icon, and Apply copies the icon made of it.
TEST_F(CustomIconWindow, APictureFromTheOpenDialogListsAsOneIconAndApplyCopiesIt) {
    const std::wstring picture = files_ / L"photo.jpg";
    qmtest::WriteBytes(picture, qmtest::EncodePicture(qm::PictureFormat::Jpeg, qmtest::PatternPicture(64, 48, false)));
    window_.Show();
    {
        qmtest::OpenFileAnswer answer(picture);
        qmtest::Click(*window_.Button2);
        ASSERT_EQ(answer.requests.size(), 1u);
        EXPECT_EQ(answer.requests[0].filter,
                  L"Files with icons and pictures|*.exe;*.icl;*.dll;*.ico;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff");
    }
    ASSERT_EQ(window_.ListView1->Count(), 1);
    window_.ListView1->SetItemIndex(0);
    qmtest::SaveScreenshot(window_.Handle(), L"custom_icon_window_picture");
    qmtest::Click(*window_.bApply);
    const qm::FolderCustomization c = qm::ReadFolderCustomization(files_.path());
    EXPECT_NE(c.IconFile, picture);
    EXPECT_EQ(qmtest::ReadBytes(files_ / c.IconFile), qm::MakePictureIcon(picture));
}

TEST_F(CustomIconWindow, EscapePressesCancel) {
    window_.Show();
    qmtest::PressKey(*window_.t_Tip, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(window_.Handle()));
}

}  // namespace
