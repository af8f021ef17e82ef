// The icon picker TForm1 run for real: layout and anchors, the theme list with its strips and
// descriptions, the icon list from the icon library, the history file "lib.ini", Select, Cancel,
// double-click and the warnings it shows.
#include <gtest/gtest.h>

#include "app/icon_picker_window_win.h"
#include "core/settings/history_file.h"
#include "core/base/text.h"
#include "core/settings/current_language.h"
#include "tests/gui/picker_test_support.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/picture_fixtures_win.h"
#include "ui/dialogs_win.h"

namespace {

using qmtest::Find;
using qmtest::OpenFileAnswer;

class IconPicker : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }

    // The page's side of the contract: a window with the two hidden labels and the preview.
    struct Page {
        ui::Form form;
        ui::Label* label8;
        ui::Label* label9;
        ui::Image* image3;
        Page() {
            form.SetClientSize(300, 200);
            label8 = form.Add<ui::Label>(L"Label8", nullptr, ui::Bounds{0, 0, 100, 16}, L"");
            label9 = form.Add<ui::Label>(L"Label9", nullptr, ui::Bounds{0, 20, 100, 16}, L"");
            image3 = form.Add<ui::Image>(L"Image3", nullptr, ui::Bounds{0, 40, 51, 50});
            ui::Canvas& c = image3->GetCanvas();
            c.SetBrushColor(ui::kWhite);
            c.SetPen(ui::kWhite);
            form.Show();
            SetWindowPos(form.Handle(), nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        qm::IconChoiceTarget Target() { return {label8, label9, image3}; }
    };

    std::wstring Library(const std::wstring& name, int count) {
        const std::wstring path = files_ / name;
        qmtest::WriteBytes(path, qmtest::MakeNeLibrary(count));
        return path;
    }
    std::wstring Theme(const std::wstring& name, int count) {
        const std::wstring path = program_.Store() + name;
        qmtest::WriteBytes(path, qmtest::MakePeLibrary(count));
        return path;
    }
    std::vector<std::wstring> ComboItems(qm::TForm1& p) {
        std::vector<std::wstring> items;
        for (int i = 0; i < p.cb_FileName->Count(); ++i) items.push_back(p.cb_FileName->Item(i));
        return items;
    }
    std::vector<std::wstring> Captions(qm::TForm1& p) {
        std::vector<std::wstring> c;
        for (int i = 0; i < p.ListView1->Count(); ++i) c.push_back(p.ListView1->ItemText(i));
        return c;
    }

    qmtest::ProgramFolderGuard program_;
    qmtest::ScopedCurrentLanguage english_{L"English"};
    qmtest::TempDir files_{L"picker"};
};

TEST_F(IconPicker, HasItsLayoutAndStartsEmptyWhenThePageHasNoIcon) {
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    EXPECT_EQ(picker.Caption(), L"Select Icon for Folder");
    EXPECT_EQ(picker.ClientSize().cx, 589);
    EXPECT_EQ(picker.ClientSize().cy, 469);
    const LONG style = GetWindowLongW(picker.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    const struct {
        const wchar_t* name;
        ui::Bounds b;
        bool visible;
    } placed[] = {{L"Image1", {0, 0, 589, 469}, true},      {L"ListBox1", {8, 24, 186, 401}, true},
                  {L"BitBtn1", {549, 23, 26, 26}, true},    {L"ListView1", {200, 55, 377, 371}, true},
                  {L"Memo1", {200, 353, 377, 73}, false},   {L"Button2", {376, 432, 96, 28}, true},
                  {L"b_Cancel", {480, 432, 96, 26}, true},  {L"Button3", {8, 431, 29, 29}, true},
                  {L"b_ThDelete", {43, 431, 29, 30}, true}, {L"Button1", {0, 0, 75, 25}, false}};
    for (const auto& p : placed) {
        const ui::Bounds b = Find<ui::Control>(picker, p.name).GetBounds();
        EXPECT_EQ(b.x, p.b.x) << p.name;
        EXPECT_EQ(b.y, p.b.y) << p.name;
        EXPECT_EQ(b.width, p.b.width) << p.name;
        EXPECT_EQ(b.height, p.b.height) << p.name;
        EXPECT_EQ(Find<ui::Control>(picker, p.name).Visible(), p.visible) << p.name;
    }
    const ui::Bounds combo = picker.cb_FileName->GetBounds();
    EXPECT_EQ(combo.x, 200);
    EXPECT_EQ(combo.y, 28);
    EXPECT_EQ(combo.width, 342);
    EXPECT_FALSE(picker.b_ThDelete->Enabled());
    EXPECT_EQ(picker.Button2->Text(), L"Select");
    EXPECT_EQ(picker.b_Cancel->Text(), L"Cancel");
    EXPECT_EQ(picker.Label1->Text(), L"Icon libraries:");
    EXPECT_EQ(picker.OpenDialog1->filter,
              L"Files with icons and pictures|*.exe;*.icl;*.dll;*.ico;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff");
    EXPECT_EQ(picker.ImageList1->Width(), 32);
    EXPECT_EQ(picker.ImageList2->Width(), 138);
    EXPECT_EQ(picker.ImageList3->Width(), 50);
    // No icon on the page yet: no file, no icons; the empty store lists nothing and "-" stays off.
    EXPECT_EQ(picker.cb_FileName->Text(), L"");
    EXPECT_EQ(picker.ListView1->Count(), 0);
    EXPECT_EQ(picker.ListBox1->Count(), 0);
    EXPECT_FALSE(picker.b_ThDelete->Enabled());
    // Centred on the window that opened it.
    RECT mine{}, owner{};
    GetWindowRect(picker.Handle(), &mine);
    GetWindowRect(page.form.Handle(), &owner);
    EXPECT_NEAR((mine.left + mine.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((mine.top + mine.bottom) / 2, (owner.top + owner.bottom) / 2, 1);

    // Over a window in the screen's corner it stays on the screen.
    SetWindowPos(page.form.Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    picker.Hide();
    picker.Show();
    GetWindowRect(picker.Handle(), &mine);
    EXPECT_GE(mine.left, 0);
    EXPECT_GE(mine.top, 0);
}

TEST_F(IconPicker, AnchorsKeepTheControlsInPlaceWhenResized) {
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    picker.SetClientSize(589 + 100, 469 + 60);
    qmtest::PumpMessages();
    const struct {
        const wchar_t* name;
        ui::Bounds b;
    } placed[] = {
        {L"ListBox1", {8, 24, 186, 461}}, {L"BitBtn1", {649, 23, 26, 26}},    {L"ListView1", {200, 55, 477, 431}},
        {L"Memo1", {200, 413, 477, 73}},  {L"Button2", {476, 492, 96, 28}},   {L"b_Cancel", {580, 492, 96, 26}},
        {L"Button3", {8, 491, 29, 29}},   {L"b_ThDelete", {43, 491, 29, 30}}, {L"Image1", {0, 0, 689, 529}}};
    for (const auto& p : placed) {
        const ui::Bounds b = Find<ui::Control>(picker, p.name).GetBounds();
        EXPECT_EQ(b.x, p.b.x) << p.name;
        EXPECT_EQ(b.y, p.b.y) << p.name;
        EXPECT_EQ(b.width, p.b.width) << p.name;
        EXPECT_EQ(b.height, p.b.height) << p.name;
    }
    EXPECT_EQ(picker.cb_FileName->GetBounds().width, 442);
    // The background picture follows the window's size.
    ASSERT_NE(picker.Image1->Picture(), nullptr);
    EXPECT_EQ(picker.Image1->Picture()->Width(), 689);
}

TEST_F(IconPicker, ListsEveryIconOfTheFileWithNumberedCaptions) {
    const std::wstring lib = Library(L"five.icl", 5);
    Page page;
    page.label8->SetText(lib);
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    EXPECT_EQ(picker.cb_FileName->Text(), lib);
    EXPECT_EQ(Captions(picker), (std::vector<std::wstring>{L"0", L"1", L"2", L"3", L"4"}));
    EXPECT_EQ(picker.ImageList1->Count(), 5);
    EXPECT_EQ(picker.ImageList3->Count(), 5);
    // Typing another path follows the combo box; a file that is no icon source lists nothing.
    const std::wstring other = Library(L"two.icl", 2);
    qmtest::TypeText(*picker.cb_FileName, other);
    SendMessageW(picker.Handle(), WM_COMMAND, MAKEWPARAM(picker.cb_FileName->Id(), CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(picker.cb_FileName->Handle()));
    qmtest::PumpMessages();
    EXPECT_EQ(Captions(picker), (std::vector<std::wstring>{L"0", L"1"}));
    qmtest::WriteBytes(files_ / L"junk.icl", {'n', 'o', 't', ' ', 'i', 'c', 'o', 'n', 's'});
    picker.cb_FileName->SetText(files_ / L"junk.icl");
    qmtest::Click(*picker.Button1);
    EXPECT_EQ(picker.ListView1->Count(), 0);
    picker.cb_FileName->SetText(files_ / L"missing.icl");
    qmtest::Click(*picker.Button1);
    EXPECT_EQ(picker.ListView1->Count(), 0);
}

TEST_F(IconPicker, ALibraryOfAThousandIconsFillsThePicker) {
    const std::wstring lib = Library(L"thousand.icl", 1000);
    Page page;
    page.label8->SetText(lib);
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    ASSERT_EQ(picker.ListView1->Count(), 1000);
    EXPECT_EQ(picker.ImageList3->Count(), 1000);
    EXPECT_EQ(picker.ListView1->ItemText(999), L"999");
    // The last picture holds its icon: the large icon at (0, 0) and the small one at (34, 16).
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(picker.ImageList3->Handle(), 999, &info));
    EXPECT_EQ(info.rcImage.right - info.rcImage.left, 50);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const auto inkIn = [&](const ui::Bitmap& b, RECT r) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += b.Pixel(x, y) != window;
        return n;
    };
    for (int i : {0, 63, 64, 999}) {
        // The view renders an entry's pictures when it shows it.
        ListView_EnsureVisible(picker.ListView1->Handle(), i, FALSE);
        UpdateWindow(picker.ListView1->Handle());
        ui::Bitmap drawn(50, 32);
        drawn.GetCanvas().FillRect(RECT{0, 0, 50, 32}, ui::SystemColor(COLOR_WINDOW));
        ImageList_Draw(picker.ImageList3->Handle(), i, drawn.Dc(), 0, 0, ILD_TRANSPARENT);
        EXPECT_GT(inkIn(drawn, {0, 0, 32, 32}), 500) << i;    // the large icon
        EXPECT_GT(inkIn(drawn, {34, 16, 50, 32}), 100) << i;  // the small icon
        EXPECT_EQ(inkIn(drawn, {32, 0, 50, 16}), 0) << i;     // nothing else
    }
}

TEST_F(IconPicker, SelectHandsTheThirdIconBackAndAddsThePathToTheHistory) {
    const std::wstring lib = Library(L"five.icl", 5);
    qmtest::WriteUtf16File(program_.History(), L"C:\\older.icl\r\nC:\\oldest.icl\r\n");
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    EXPECT_EQ(ComboItems(picker), (std::vector<std::wstring>{L"C:\\older.icl", L"C:\\oldest.icl"}));
    picker.cb_FileName->SetText(lib);
    qmtest::Click(*picker.Button1);
    qmtest::SelectItem(*picker.ListView1, 2);
    qmtest::Click(*picker.Button2);
    EXPECT_FALSE(IsWindowVisible(picker.Handle()));
    EXPECT_EQ(page.label8->Text(), lib);
    EXPECT_EQ(page.label9->Text(), L"2");
    // The preview shows the third icon, drawn at (0, 0).
    ASSERT_NE(page.image3->Picture(), nullptr);
    EXPECT_GT(qmtest::InkPixels(*page.image3->Picture(), 48, 48), 0);
    ui::Bitmap expected(48, 48);
    expected.GetCanvas().FillRect(RECT{0, 0, 48, 48}, ui::kWhite);
    ImageList_Draw(picker.ImageList1->Handle(), 2, expected.Dc(), 0, 0, ILD_TRANSPARENT);
    int differ = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) differ += page.image3->Picture()->Pixel(x, y) != expected.Pixel(x, y);
    EXPECT_EQ(differ, 0);

    // "lib.ini": UTF-16LE with a byte-order mark, the new path first, lines ended by CR LF.
    const std::vector<std::uint8_t> bytes = qmtest::ReadBytes(program_.History());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(qm::DecodeUtf16Le(std::span(bytes).subspan(2)), lib + L"\r\nC:\\older.icl\r\nC:\\oldest.icl\r\n");
}

TEST_F(IconPicker, HistoryAddsAPathOnlyWhenNoLineEqualsItExactly) {
    const std::wstring lib = Library(L"five.icl", 5);
    std::wstring upper = lib;
    for (auto& ch : upper) ch = static_cast<wchar_t>(towupper(ch));
    const struct {
        std::wstring chosen;
        std::vector<std::wstring> after;
    } cases[] = {{lib, {lib}}, {upper, {upper, lib}}};
    for (const auto& c : cases) {
        qmtest::WriteUtf16File(program_.History(), lib + L"\r\n");
        Page page;
        qm::TForm1 picker(&page.form, page.Target());
        picker.Show();
        picker.cb_FileName->SetText(c.chosen);
        qmtest::Click(*picker.Button1);
        qmtest::SelectItem(*picker.ListView1, 0);
        qmtest::Click(*picker.Button2);
        EXPECT_EQ(qm::ReadHistoryFile(program_.History()), c.after);
        EXPECT_EQ(page.label8->Text(), c.chosen);
    }
}

TEST_F(IconPicker, HistoryIsReadInTheFourEncodings) {
    const std::wstring first = L"C:\\Icons\\Caf\u00e9.icl", second = L"D:\\b.dll";
    const std::wstring text = first + L"\r\n" + second + L"\r\n";
    std::vector<std::uint8_t> le = {0xFF, 0xFE}, be = {0xFE, 0xFF}, utf8 = {0xEF, 0xBB, 0xBF};
    for (std::uint8_t b : qm::EncodeUtf16Le(text)) le.push_back(b);
    const std::vector<std::uint8_t> body = qm::EncodeUtf16Le(text);
    for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
        be.push_back(body[i + 1]);
        be.push_back(body[i]);
    }
    for (char ch : qm::WideToUtf8(text)) utf8.push_back(static_cast<std::uint8_t>(ch));
    const std::string ansi = qm::WideToAnsi(text);
    const std::vector<std::uint8_t> plain(ansi.begin(), ansi.end());
    const struct {
        const char* encoding;
        std::vector<std::uint8_t> bytes;
    } cases[] = {{"UTF-16LE", le}, {"UTF-16BE", be}, {"UTF-8", utf8}, {"ANSI", plain}};
    for (const auto& c : cases) {
        qmtest::WriteBytes(program_.History(), c.bytes);
        Page page;
        qm::TForm1 picker(&page.form, page.Target());
        picker.Show();
        EXPECT_EQ(ComboItems(picker), (std::vector<std::wstring>{first, second})) << c.encoding;
    }
}

TEST_F(IconPicker, ChoosingAHistoryEntryListsItsIcons) {
    const std::wstring three = Library(L"three.icl", 3), four = Library(L"four.icl", 4);
    qmtest::WriteUtf16File(program_.History(), three + L"\r\n" + four + L"\r\n");
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    qmtest::SelectItem(*picker.cb_FileName, 1);
    EXPECT_EQ(picker.cb_FileName->Text(), four);
    EXPECT_EQ(picker.ListView1->Count(), 4);
    qmtest::SelectItem(*picker.cb_FileName, 0);
    EXPECT_EQ(picker.ListView1->Count(), 3);
}

TEST_F(IconPicker, ThemesAreListedWithStripsAndADescriptionShortensTheIconList) {
    Theme(L"Alpha.icl", 6);
    Theme(L"Beta.ICL", 2);
    qmtest::WriteBytes(program_.Store() + L"Empty.icl", {'x'});
    qmtest::WriteUtf16File(program_.Store() + L"Alpha.txt", L"Alpha icons\r\nsecond line");
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    std::vector<std::wstring> names = picker.ListBox1->Items();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Alpha.icl", L"Beta.ICL", L"Empty.icl"}));
    EXPECT_EQ(picker.ImageList2->Count(), 3);  // every entry keeps a strip of its own index
    EXPECT_FALSE(picker.b_ThDelete->Enabled());
    const auto index = [&](const wchar_t* name) {
        for (int i = 0; i < picker.ListBox1->Count(); ++i)
            if (picker.ListBox1->Item(i) == name) return i;
        return -1;
    };
    // Rows are as high as "Wg" plus 42.
    const RECT row = picker.ListBox1->ItemRect(0);
    EXPECT_GT(row.bottom - row.top, 42);

    qmtest::ClickItem(*picker.ListBox1, index(L"Alpha.icl"));
    EXPECT_EQ(picker.cb_FileName->Text(), program_.Store() + L"Alpha.icl");
    EXPECT_EQ(picker.ListView1->Count(), 6);
    EXPECT_TRUE(picker.Memo1->Visible());
    EXPECT_EQ(picker.Memo1->Text(), L"Alpha icons\r\nsecond line");
    EXPECT_EQ(picker.ListView1->GetBounds().height, 353 - 55 - 12);
    EXPECT_TRUE(picker.b_ThDelete->Enabled());
    qmtest::PumpMessages();
    EXPECT_FALSE(qmtest::SaveScreenshot(picker.Handle(), L"icon_picker_theme_selected").empty());

    qmtest::ClickItem(*picker.ListBox1, index(L"Beta.ICL"));
    EXPECT_EQ(picker.ListView1->Count(), 2);
    EXPECT_FALSE(picker.Memo1->Visible());
    EXPECT_EQ(picker.ListView1->GetBounds().height, 353 + 73 - 55);
    qmtest::ClickItem(*picker.ListBox1, index(L"Empty.icl"));
    EXPECT_EQ(picker.ListView1->Count(), 0);
    EXPECT_TRUE(picker.b_ThDelete->Enabled());
}

TEST_F(IconPicker, ThemeStripHoldsAtMostFourIconsAtTheirPlaces) {
    const std::wstring six = Theme(L"Six.icl", 6), two = Theme(L"Two.icl", 2);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const auto columnHasInk = [&](const ui::Bitmap& b, int x0) {
        for (int y = 0; y < 32; ++y)
            for (int x = x0; x < x0 + 32 && x < 138; ++x)
                if (b.Pixel(x, y) != face) return true;
        return false;
    };
    const auto strip6 = qm::MakeThemeStrip(six, ui::SystemColor(COLOR_BTNFACE));
    const auto strip2 = qm::MakeThemeStrip(two, ui::SystemColor(COLOR_BTNFACE));
    const auto none = qm::MakeThemeStrip(files_ / L"missing.icl", ui::SystemColor(COLOR_BTNFACE));
    EXPECT_EQ(strip6->Width(), 138);
    EXPECT_EQ(strip6->Height(), 32);
    for (int x : {2, 37, 72, 104}) EXPECT_TRUE(columnHasInk(*strip6, x)) << x;
    EXPECT_TRUE(columnHasInk(*strip2, 2));
    EXPECT_TRUE(columnHasInk(*strip2, 37));
    EXPECT_FALSE(columnHasInk(*strip2, 72));
    EXPECT_FALSE(columnHasInk(*none, 0));
}

TEST_F(IconPicker, SelectWithoutAnIconAsksForOne) {
    const std::wstring lib = Library(L"five.icl", 5);
    Page page;
    page.label8->SetText(lib);
    page.label9->SetText(L"4");
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    qmtest::MessageBoxWatcher boxes;
    qmtest::Click(*picker.Button2);
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.Seen()[0].caption, L"Warning");
    EXPECT_EQ(boxes.Seen()[0].text, L"Please select icon.");
    EXPECT_TRUE(IsWindowVisible(picker.Handle()));
    EXPECT_EQ(page.label9->Text(), L"4");
    EXPECT_FALSE(qmtest::Exists(program_.History()));
}

TEST_F(IconPicker, DoubleClickingAnIconSelectsItAndCancelOrEscapeChangesNothing) {
    const std::wstring lib = Library(L"five.icl", 5);
    {
        Page page;
        page.label8->SetText(lib);
        qm::TForm1 picker(&page.form, page.Target());
        picker.Show();
        qmtest::SelectItem(*picker.ListView1, 3);
        RECT item{};
        ListView_GetItemRect(picker.ListView1->Handle(), 3, &item, LVIR_ICON);
        qmtest::DoubleClickAt(*picker.ListView1, {(item.left + item.right) / 2, (item.top + item.bottom) / 2});
        EXPECT_FALSE(IsWindowVisible(picker.Handle()));
        EXPECT_EQ(page.label9->Text(), L"3");
    }
    // Cancel, by its button or by Escape.
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel button");
        Page page;
        page.label8->SetText(lib);
        page.label9->SetText(L"1");
        qm::TForm1 picker(&page.form, page.Target());
        picker.Show();
        qmtest::SelectItem(*picker.ListView1, 4);
        if (escape) {
            qmtest::PressKey(*picker.ListView1, VK_ESCAPE);
        } else {
            qmtest::Click(*picker.b_Cancel);
        }
        EXPECT_FALSE(IsWindowVisible(picker.Handle()));
        EXPECT_EQ(page.label9->Text(), L"1");
        EXPECT_EQ(qmtest::InkPixels(*page.image3->Picture(), 48, 48), 0);
    }
}

TEST_F(IconPicker, FixedTextsPassThroughTheLookup) {
    qmtest::ScopedLanguageFile file(
        L"gui_picker.ini",
        L"[Dict]\r\nSelect=Auswaehlen\r\nCancel=Abbrechen\r\nIcon libraries:=Bibliotheken:\r\n"
        L"Select Icon for Folder=Symbol waehlen\r\n");
    qmtest::ScopedCurrentLanguage language(file.name());
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    EXPECT_EQ(picker.Caption(), L"Symbol waehlen");
    EXPECT_EQ(picker.Button2->Text(), L"Auswaehlen");
    EXPECT_EQ(picker.b_Cancel->Text(), L"Abbrechen");
    EXPECT_EQ(picker.Label1->Text(), L"Bibliotheken:");
}

TEST_F(IconPicker, PlusInstallsAThemeAndListsItAtOnce) {
    const std::wstring lib = Library(L"Metal.icl", 3);
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    qmtest::ExpectPlusInstallsAndLists(*picker.Button3, *picker.ListBox1, *picker.ImageList2, lib, program_.Store());
}

TEST_F(IconPicker, MinusDeletesTheChosenThemeAfterAskingAndKeepsItsDescription) {
    Theme(L"Alpha.icl", 2);
    Theme(L"Beta.icl", 3);
    qmtest::WriteUtf16File(program_.Store() + L"Alpha.txt", L"about Alpha");
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    int alpha = -1;
    for (int i = 0; i < picker.ListBox1->Count(); ++i)
        if (picker.ListBox1->Item(i) == L"Alpha.icl") alpha = i;
    ASSERT_GE(alpha, 0);
    qmtest::ClickItem(*picker.ListBox1, alpha);
    ASSERT_TRUE(picker.b_ThDelete->Enabled());
    {
        qmtest::MessageBoxWatcher boxes;
        boxes.AnswerNext(IDNO);
        qmtest::Click(*picker.b_ThDelete);
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.Seen()[0].caption, L"Accept ?");
        EXPECT_NE(boxes.Seen()[0].text.find(L"Alpha"), std::wstring::npos);
    }
    EXPECT_TRUE(qmtest::Exists(program_.Store() + L"Alpha.icl"));
    EXPECT_EQ(picker.ListBox1->Count(), 2);
    EXPECT_EQ(picker.ListBox1->ItemIndex(), -1);  // rebuilt without a selection

    qmtest::ClickItem(*picker.ListBox1, alpha);
    {
        qmtest::MessageBoxWatcher boxes;
        boxes.AnswerNext(IDYES);
        qmtest::Click(*picker.b_ThDelete);
        ASSERT_TRUE(boxes.WaitForCount(1));
    }
    EXPECT_FALSE(qmtest::Exists(program_.Store() + L"Alpha.icl"));
    EXPECT_TRUE(qmtest::Exists(program_.Store() + L"Alpha.txt"));
    EXPECT_EQ(picker.ListBox1->Items(), std::vector<std::wstring>{L"Beta.icl"});
    EXPECT_EQ(picker.ImageList2->Count(), 1);

    // "-" stays enabled; without a selection it asks for one.
    ASSERT_TRUE(picker.b_ThDelete->Enabled());
    qmtest::MessageBoxWatcher boxes;
    qmtest::Click(*picker.b_ThDelete);
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.Seen()[0].caption, L"Info");
    EXPECT_EQ(boxes.Seen()[0].text, L"Please select theme to delete");
    EXPECT_TRUE(qmtest::Exists(program_.Store() + L"Beta.icl"));
}

TEST_F(IconPicker, BrowseButtonListsTheChosenFile) {
    const std::wstring lib = Library(L"picked.icl", 4);
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    OpenFileAnswer answer(lib);
    qmtest::Click(*picker.BitBtn1);
    ASSERT_EQ(answer.requests.size(), 1u);
    EXPECT_EQ(answer.requests[0].filter,
              L"Files with icons and pictures|*.exe;*.icl;*.dll;*.ico;*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff");
    EXPECT_EQ(picker.cb_FileName->Text(), lib);
    EXPECT_EQ(picker.ListView1->Count(), 4);
}

// A picture from the open dialog lists as one icon (made of it); Select hands the picture back with
// number 0 and shows the icon in the preview.
TEST_F(IconPicker, APictureListsAsOneIconAndSelectHandsItBack) {
    const std::wstring picture = files_ / L"logo.gif";
    qmtest::WriteBytes(picture, qmtest::EncodePicture(qm::PictureFormat::Gif, qmtest::PatternPicture(40, 40, false)));
    Page page;
    qm::TForm1 picker(&page.form, page.Target());
    picker.Show();
    {
        OpenFileAnswer answer(picture);
        qmtest::Click(*picker.BitBtn1);
    }
    ASSERT_EQ(picker.ListView1->Count(), 1);
    qmtest::SelectItem(*picker.ListView1, 0);
    qmtest::Click(*picker.Button2);
    EXPECT_EQ(page.label8->Text(), picture);
    EXPECT_EQ(page.label9->Text(), L"0");
    ASSERT_NE(page.image3->Picture(), nullptr);
    EXPECT_GT(qmtest::InkPixels(*page.image3->Picture(), 48, 48), 32 * 32 / 2);
}

}  // namespace
