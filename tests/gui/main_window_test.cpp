// The main window TForm2 run for real: its frame, the toolbar images that SetActivePage renders
// (read back pixel by pixel), page switching, the about button, fonts, and screenshots.
#include <gtest/gtest.h>

#include <set>

#include "app/main_window/main_window_win.h"
#include "core/base/text.h"
#include "core/settings/current_language.h"
#include "tests/support/files_win.h"
#include "tests/support/gui_driver_win.h"

namespace {

using qm::TForm2;
using qmtest::Find;

// Rows of a toolbar image that hold caption ink: pixels of neither background colour, outside the
// icon (32 x 32 at (22, 5)) and the two selection lines.
std::set<int> InkRows(const ui::Bitmap& b) {
    std::set<int> rows;
    const COLORREF face = GetSysColor(COLOR_BTNFACE), selected = GetSysColor(COLOR_INACTIVEBORDER);
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 2; x < b.Width() - 2; ++x) {
            if (x >= 22 && x < 54 && y >= 5 && y < 37) continue;
            const COLORREF c = b.Pixel(x, y);
            if (c != face && c != selected) rows.insert(y);
        }
    }
    return rows;
}

int TextHeightOfWg() {
    ui::Bitmap b(10, 10);  // the same default font as the toolbar images
    return b.GetCanvas().TextHeight(L"Wg");
}

bool LooksSelected(const ui::Image& button) {
    const ui::Bitmap* p = button.Picture();
    const COLORREF line = GetSysColor(COLOR_3DDKSHADOW);
    return p && p->Pixel(1, 0) == line && p->Pixel(1, 66) == line && p->Pixel(76, 30) == line &&
           p->Pixel(10, 60) == GetSysColor(COLOR_INACTIVEBORDER);
}

bool LooksNormal(const ui::Image& button) {
    const ui::Bitmap* p = button.Picture();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    return p && p->Pixel(1, 0) == face && p->Pixel(1, 66) == face && p->Pixel(76, 30) == face &&
           p->Pixel(10, 60) == face;
}

// A pixel of a control as the screen shows it, from a capture of the whole window.
COLORREF OnScreen(const qmtest::ScreenPixels& shot, HWND window, const ui::Control& c, int x, int y) {
    RECT w{};
    GetWindowRect(window, &w);
    POINT p{x, y};
    ClientToScreen(c.Handle(), &p);
    const int sx = p.x - w.left, sy = p.y - w.top;
    if (sx < 0 || sy < 0 || sx >= shot.width || sy >= shot.height) return CLR_INVALID;
    const std::uint32_t v = shot.bgra[static_cast<std::size_t>(sy) * shot.width + sx];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

class MainWindow : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }
    ui::Image& Button(TForm2& f, int n) { return Find<ui::Image>(f, L"t_" + std::to_wstring(n)); }
    ui::Panel& Page(TForm2& f, int n) { return Find<ui::Panel>(f, L"p_" + std::to_wstring(n)); }
    // The page in front where the pages lie.
    HWND FrontPage(TForm2& f) { return qmtest::FrontChildAt(f, {260, 240}); }

    void ExpectPageInFront(TForm2& f, int page) {
        EXPECT_EQ(f.ActivePage(), page);
        EXPECT_EQ(FrontPage(f), Page(f, page).Handle()) << "page " << page;
        for (int n = 1; n <= 5; ++n) {
            if (n == page) {
                EXPECT_TRUE(LooksSelected(Button(f, n))) << "button " << n << " on page " << page;
            } else {
                EXPECT_TRUE(LooksNormal(Button(f, n))) << "button " << n << " on page " << page;
            }
        }
    }

    qmtest::ScopedCurrentLanguage english_{L"English"};
};

TEST_F(MainWindow, FrameHasItsSizeBorderAndComponents) {
    TForm2 form;
    form.Show();
    EXPECT_EQ(form.Caption(), L"Icon for selected folder");
    EXPECT_EQ(form.ClientSize().cx, 531);
    EXPECT_EQ(form.ClientSize().cy, 427);
    const LONG style = GetWindowLongW(form.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    RECT r{};
    GetWindowRect(form.Handle(), &r);
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    const struct {
        const wchar_t* name;
        ui::Bounds bounds;
        bool visible;
    } placed[] = {
        {L"Panel1", {0, 0, 531, 67}, true}, {L"t_1", {0, 0, 77, 67}, true},     {L"t_2", {77, 0, 77, 67}, true},
        {L"t_3", {154, 0, 77, 67}, true},   {L"t_4", {231, 0, 77, 67}, true},   {L"t_5", {455, 0, 77, 67}, true},
        {L"Shape5", {0, 67, 531, 2}, true}, {L"p_1", {8, 73, 517, 346}, true},  {L"p_2", {8, 73, 517, 346}, false},
        {L"p_3", {8, 73, 517, 346}, false}, {L"p_4", {8, 73, 517, 346}, false}, {L"Image2", {4, 51, 32, 32}, true},
        {L"i_1", {0, 0, 32, 32}, false},    {L"i_2", {0, 0, 32, 32}, false},    {L"i_3", {0, 0, 32, 32}, false},
        {L"i_4", {0, 0, 32, 32}, false},    {L"Image1", {0, 0, 32, 32}, false}};
    for (const auto& p : placed) {
        auto& c = Find<ui::Control>(form, p.name);
        const ui::Bounds b = c.GetBounds();
        EXPECT_EQ(b.x, p.bounds.x) << p.name;
        EXPECT_EQ(b.y, p.bounds.y) << p.name;
        EXPECT_EQ(b.width, p.bounds.width) << p.name;
        EXPECT_EQ(b.height, p.bounds.height) << p.name;
        EXPECT_EQ(c.Visible(), p.visible) << p.name;
    }
    EXPECT_EQ(Find<ui::Shape>(form, L"Shape5").Fill(), ui::SystemColor(COLOR_BTNSHADOW));
    // Every toolbar picture and the folder picture start with a built-in 32 x 32 icon.
    for (const wchar_t* name : {L"i_1", L"i_2", L"i_3", L"i_4", L"Image1", L"Image2"}) {
        HICON icon = Find<ui::Image>(form, name).Icon();
        ASSERT_NE(icon, nullptr) << name;
        const qm::IconInfo info(icon);
        ASSERT_TRUE(info) << name;
        BITMAP bm{};
        GetObjectW(info.picture(), sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, 32) << name;
    }
    auto& files = Find<ui::FileListBox>(form, L"FileListBox1");
    EXPECT_EQ(files.mask, L"*.ini");
    EXPECT_FALSE(files.Visible());
}

TEST_F(MainWindow, StartsOnPageOneAndPageButtonsMoveTheLookAndThePage) {
    TForm2 form;
    form.Show();
    qmtest::PumpMessages();
    ExpectPageInFront(form, 1);
    EXPECT_FALSE(qmtest::SaveScreenshot(form.Handle(), L"main_window_page1").empty());
    for (int page : {3, 2, 4, 1, 4}) {
        qmtest::Click(Button(form, page));
        ExpectPageInFront(form, page);
    }
    qmtest::Click(Button(form, 3));
    EXPECT_FALSE(qmtest::SaveScreenshot(form.Handle(), L"main_window_page3").empty());
    // The screen shows the selection line on the button of page 3 only.
    const qmtest::ScreenPixels shot = qmtest::CaptureWindow(form.Handle());
    ASSERT_FALSE(shot.bgra.empty());
    for (int n = 1; n <= 5; ++n) {
        const COLORREF want = GetSysColor(n == 3 ? COLOR_3DDKSHADOW : COLOR_BTNFACE);
        EXPECT_EQ(OnScreen(shot, form.Handle(), Button(form, n), 1, 30), want) << "button " << n;
        EXPECT_EQ(OnScreen(shot, form.Handle(), Button(form, n), 76, 60), want) << "button " << n;
    }
}

// Windows keeps the pages behind reachable by Tab, the arrow keys and Space while they are
// visible, covered or not: only the page in front is visible, and Tab cycles through its controls.
TEST_F(MainWindow, OnlyThePageInFrontIsVisibleAndTabStaysOnIt) {
    TForm2 form;
    form.Show();
    SetForegroundWindow(form.Handle());
    const struct {
        int page;
        const wchar_t* first;  // a control of the page that takes the focus
        std::size_t stops;     // at least this many controls take the focus in turn
    } cases[] = {{1, L"t_Folder", 5},
                 {2, L"RadioButton1", 3},
                 {3, L"ListBox1", 2},
                 {4, L"b_RebuiltIconCache", 1},
                 {1, L"t_Folder", 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        qmtest::Click(Button(form, c.page));
        for (int n = 1; n <= 4; ++n) EXPECT_EQ(IsWindowVisible(Page(form, n).Handle()) != FALSE, n == c.page) << n;
        const HWND page = Page(form, c.page).Handle();
        Find<ui::Control>(form, c.first).SetFocus();
        ASSERT_TRUE(IsChild(page, GetFocus()));
        std::set<HWND> reached;
        for (int step = 0; step < 24; ++step) {
            const HWND focus = GetFocus();
            PostMessageW(focus, WM_KEYDOWN, VK_TAB, 1);
            PostMessageW(focus, WM_KEYUP, VK_TAB, 0xC0000001);
            qmtest::PumpMessages();
            reached.insert(GetFocus());
        }
        EXPECT_GE(reached.size(), c.stops);
        for (HWND h : reached) {
            const ui::Control* control = ui::Control::FromHandle(h);
            EXPECT_TRUE(IsChild(page, h))
                << "Tab reached " << (control ? qm::WideToUtf8(control->Name()) : "another window");
        }
    }
}

TEST_F(MainWindow, AboutButtonOpensAModalWindowAndNeverTakesTheSelectedLook) {
    TForm2 form;
    form.Show();
    qmtest::Click(Button(form, 2));
    std::vector<qmtest::SeenWindow> seen;
    {
        qmtest::WindowCloser closer;
        qmtest::Click(Button(form, 5));
        seen = closer.Seen();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, form.Handle());
    EXPECT_TRUE(seen[0].ownerWasDisabled);
    ExpectPageInFront(form, 2);
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
}

TEST_F(MainWindow, CaptionsWithALineBreakAreDrawnOnTwoLines) {
    TForm2 form;
    form.Show();
    const int h = TextHeightOfWg();
    // "Change /nicon": line 1 from y = 35, line 2 from y = 36 + h.
    const std::set<int> two = InkRows(*Button(form, 1).Picture());
    ASSERT_FALSE(two.empty());
    EXPECT_GE(*two.begin(), 35);
    EXPECT_LT(*two.rbegin(), 36 + 2 * h);
    EXPECT_GE(*two.rbegin(), 36 + h);
    bool firstLine = false;
    for (int y : two) firstLine |= y < 35 + h;
    EXPECT_TRUE(firstLine);
    // "Options": one line from y = 42.
    for (int n = 2; n <= 5; ++n) {
        const std::set<int> one = InkRows(*Button(form, n).Picture());
        ASSERT_FALSE(one.empty()) << n;
        EXPECT_GE(*one.begin(), 42) << n;
        EXPECT_LT(*one.rbegin(), 42 + h) << n;
    }
}

TEST_F(MainWindow, ToolbarCaptionsPassThroughTheLookup) {
    qmtest::ScopedLanguageFile file(
        L"gui_main_window.ini",
        L"[Dict]\r\nOptions=Opt/nionen\r\nChange /nicon=Wechseln\r\nIcon for selected folder=Ordnersymbol\r\n");
    qmtest::ScopedCurrentLanguage language(file.name());
    TForm2 form;
    form.Show();
    EXPECT_EQ(form.Caption(), L"Ordnersymbol");  // translated when shown
    qmtest::Click(Button(form, 4));
    const int h = TextHeightOfWg();
    const std::set<int> options = InkRows(*Button(form, 2).Picture());
    ASSERT_FALSE(options.empty());
    EXPECT_GE(*options.rbegin(), 36 + h);  // now two lines
    const std::set<int> change = InkRows(*Button(form, 1).Picture());
    ASSERT_FALSE(change.empty());
    EXPECT_GE(*change.begin(), 42);  // now one line
    EXPECT_LT(*change.rbegin(), 42 + h);
    qmtest::SaveScreenshot(form.Handle(), L"main_window_translated_captions");
}

TEST_F(MainWindow, TheWindowFontIsTheIconTitleFontWithTheDefaultCharacterSet) {
    TForm2 form;
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(form.FontHandle(), sizeof lf, &lf));
    const LOGFONTW want = ui::IconTitleFont();
    EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(want.lfFaceName));
    EXPECT_EQ(lf.lfHeight, want.lfHeight);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
}

TEST(ToolbarCaption, SplitsAtTheFirstLineBreak) {
    const struct {
        const wchar_t* text;
        const wchar_t* line1;
        const wchar_t* line2;
        bool two;
    } cases[] = {{L"Options", L"Options", L"", false},
                 {L"Change \n\ricon", L"Change ", L"icon", true},
                 {L"A\n\rB\n\rC", L"A", L"BC", true},
                 {L"", L"", L"", false}};
    for (const auto& c : cases) {
        const qm::ToolbarCaption got = qm::SplitToolbarCaption(c.text);
        EXPECT_EQ(got.line1, c.line1) << c.text;
        EXPECT_EQ(got.line2, c.line2) << c.text;
        EXPECT_EQ(got.twoLines, c.two) << c.text;
    }
}

TEST_F(MainWindow, EscapeLeavesTheWindowOpen) {
    TForm2 form;
    form.Show();
    qmtest::PressKey(Find<ui::Button>(form, L"b_Cancel"), VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

}  // namespace
