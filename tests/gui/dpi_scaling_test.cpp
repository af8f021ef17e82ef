// The windows at the DPI of the prefix the test runs in: 96 in the build's own prefix, 144 and 192
// in the prefixes of the CTest fixtures wine_dpi144 and wine_dpi192 (`HKCU\Control Panel\Desktop`
// `LogPixels`, named to the test in QM_WINE_LOGPIXELS). The reference layout is the same window made
// on a thread switched to DPI-unaware (SetThreadDpiAwarenessContext), which the platform lays out at
// 96 DPI: at the prefix's DPI every control's rectangle is that one scaled, the fonts are the 96-DPI
// fonts scaled and the pictures come at the sizes of the DPI, from the icon image of that size.
//
// Wine 8 gives one DPI to every monitor and never sends WM_DPICHANGED; the test sends it as Windows
// does when a per-monitor aware window moves to a monitor of another DPI.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/about_window_win.h"
#include "app/custom_icon_window_win.h"
#include "app/icon_picker_window_win.h"
#include "app/main_window/main_window_win.h"
#include "app/menu_theme_window_win.h"
#include "core/base/handles_win.h"
#include "core/base/module_path_win.h"
#include "core/base/text.h"
#include "resources/resource_ids.h"
#include "tests/gui/picker_test_support.h"
#include "tests/support/com_client_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/settings_backup_win.h"
#include "ui/dpi_win.h"

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kYellow = 0xFFFFFF00u,
                        kCyan = 0xFF00FFFFu, kMagenta = 0xFFFF00FFu;

// The prefix's DPI: QM_WINE_LOGPIXELS of the fixture, 96 without one.
int PrefixDpi() {
    const char* value = std::getenv("QM_WINE_LOGPIXELS");
    return value && *value ? std::atoi(value) : 96;
}

// A control's window rectangle in its parent's client coordinates.
RECT PlaceOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int FontHeight(HWND hwnd) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight;
}

struct Layout {
    int dpi = 0;
    SIZE client{};
    std::vector<std::wstring> names;
    std::vector<RECT> places;
    std::vector<int> fonts;
    std::vector<bool> combo;
};

Layout LayoutOf(ui::Form& form) {
    qmtest::PumpMessages();
    Layout l;
    l.dpi = form.Dpi();
    RECT client{};
    GetClientRect(form.Handle(), &client);
    l.client = {client.right, client.bottom};
    for (const auto& component : form.Components()) {
        auto* c = dynamic_cast<ui::Control*>(component.get());
        if (!c || !c->Handle()) continue;
        l.names.push_back(c->Name());
        l.places.push_back(PlaceOf(c->Handle()));
        l.fonts.push_back(FontHeight(c->Handle()));
        l.combo.push_back(c->GetKind() == ui::Kind::ComboBox);
    }
    return l;
}

// The window made and measured by `make` on this thread while it is DPI-unaware: the 96-DPI layout.
Layout UnawareLayout(const std::function<Layout()>& make) {
    const DPI_AWARENESS_CONTEXT old = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    Layout l = make();
    SetThreadDpiAwarenessContext(old);
    return l;
}

// Every control of `got` at `dpi` where `design` (the 96-DPI layout) scaled puts it. A combo box's
// window is as high as the platform makes its closed box for the font: its height is not compared.
void ExpectScaled(const Layout& design, const Layout& got, int dpi, const std::string& window) {
    ASSERT_EQ(design.dpi, 96) << window;
    ASSERT_EQ(got.dpi, dpi) << window;
    ASSERT_EQ(design.names, got.names) << window;
    auto s = [dpi](LONG v) { return ui::ScaleToDpi(v, dpi); };
    EXPECT_EQ(got.client.cx, s(design.client.cx)) << window;
    EXPECT_EQ(got.client.cy, s(design.client.cy)) << window;
    for (std::size_t i = 0; i < got.names.size(); ++i) {
        const RECT& d = design.places[i];
        const RECT& g = got.places[i];
        const std::string what = window + ", " + qm::WideToUtf8(got.names[i]);
        EXPECT_EQ(g.left, s(d.left)) << what;
        EXPECT_EQ(g.top, s(d.top)) << what;
        EXPECT_EQ(g.right - g.left, s(d.right - d.left)) << what;
        if (!got.combo[i]) {
            EXPECT_EQ(g.bottom - g.top, s(d.bottom - d.top)) << what;
        }
        // Font heights are scaled rounding towards zero: a text grows no more than its room.
        EXPECT_EQ(got.fonts[i], design.fonts[i] * dpi / 96) << what;
    }
}

// The window's layout, and with `shot` its screenshot "dpi<DPI>_<name>" among the artefacts.
Layout LayoutAndShot(ui::Form& form, bool shot, const std::wstring& name) {
    Layout l = LayoutOf(form);
    if (shot) qmtest::SaveScreenshot(form.Handle(), L"dpi" + std::to_wstring(l.dpi) + L"_" + name);
    return l;
}

// The window `open` makes (and measures with LayoutAndShot), made once on a DPI-unaware thread and
// once at the prefix's DPI: the second is the first scaled.
void ExpectWindowScaled(const std::string& window, int dpi, const std::function<Layout(bool shot)>& open) {
    const Layout design = UnawareLayout([&] { return open(false); });
    ExpectScaled(design, open(true), dpi, window);
}

// The colour of a pixel of image `index` of an image list, drawn on black.
COLORREF ListPixel(HIMAGELIST list, int index, int x, int y) {
    int w = 0, h = 0;
    ImageList_GetIconSize(list, &w, &h);
    ui::Bitmap b(w, h);
    b.GetCanvas().FillRect(RECT{0, 0, w, h}, RGB(0, 0, 0));
    ImageList_Draw(list, index, b.Dc(), 0, 0, ILD_TRANSPARENT);
    return b.Pixel(x, y);
}

COLORREF Rgb(std::uint32_t bgra) { return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF); }

// The side of an icon's colour bitmap.
int IconSide(HICON icon) {
    const qm::IconInfo info(icon);
    BITMAP bm{};
    if (!info || !GetObjectW(info.picture(), sizeof bm, &bm)) return 0;
    return bm.bmWidth;
}

class DpiScaling : public testing::Test {
protected:
    void SetUp() override {
        ui::App().SetTitle(L"Quillmark");
        // The program's own icons (32 to 64 pixels) for the screenshots.
        std::vector<std::vector<std::uint8_t>> own;
        for (const wchar_t* name : {L"change", L"options", L"lang", L"tools", L"about", L"folder"}) {
            own.push_back(qmtest::ReadAll(qmtest::SourceFolder() + L"\\resources\\icons\\" + name + L".ico"));
        }
        qmtest::WriteBytes(program_.Store() + L"Quillmark.icl", qmtest::ThemeLibrary(6, own));
    }
    // A theme of an icon of images 16 (red) .. 64 (magenta): a picture shows which image it came from.
    void AddSizesTheme() {
        const std::vector<std::uint8_t> ico =
            qmtest::FlatIco({{16, kRed}, {24, kGreen}, {32, kBlue}, {40, kYellow}, {48, kCyan}, {64, kMagenta}});
        qmtest::WriteBytes(program_.Store() + L"Sizes.icl", qmtest::ThemeLibrary(3, {ico, ico}));
    }
    // Clicks the theme `name` in a window's theme list.
    static void ClickTheme(ui::ListBox& list, const std::wstring& name) {
        for (int i = 0; i < list.Count(); ++i) {
            if (list.Item(i) == name) return qmtest::ClickItem(list, i);
        }
        ADD_FAILURE() << "no theme " << qm::WideToUtf8(name);
    }
    // The image of the icon for a side: what the platform takes from the group for that size.
    static COLORREF ImageFor(int side) {
        switch (side) {
            case 16: return Rgb(kRed);
            case 24: return Rgb(kGreen);
            case 32: return Rgb(kBlue);
            case 40: return Rgb(kYellow);
            case 48: return Rgb(kCyan);
            default: return Rgb(kMagenta);
        }
    }
    qmtest::ProgramFolderGuard program_;
    qmtest::ScopedCurrentLanguage english_{L"English"};
};

// Windows 10 1703 and later take the first entry they know of dpiAwareness (PerMonitorV2), older
// ones dpiAware "true/pm". Wine 8 makes every process per-monitor aware (v1) at the system DPI,
// whatever its manifest says (measured with and without one): the manifest is checked as shipped.
TEST(DpiAwareness, TheProgramDeclaresPerMonitorV2WithTheOlderFallback) {
    const std::wstring program = qm::ModuleFolder() + L"Quillmark.exe";
    qm::UniqueModule module(
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module) << qm::WideToUtf8(program);
    HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module.get(), found)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, SizeofResource(module.get(), found));
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                            "PerMonitorV2, PerMonitor</dpiAwareness>"),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm"
                            "</dpiAware>"),
              std::string::npos)
        << manifest;
}

TEST_F(DpiScaling, WindowsTakeTheDpiOfTheirMonitor) {
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()), DPI_AWARENESS_PER_MONITOR_AWARE);
    EXPECT_EQ(static_cast<int>(GetDpiForSystem()), PrefixDpi());
    qm::TForm2 form;
    EXPECT_EQ(form.Dpi(), PrefixDpi());
    EXPECT_EQ(static_cast<int>(GetDpiForWindow(form.Handle())), PrefixDpi());
}

TEST_F(DpiScaling, MainWindowIsItsNinetySixDpiLayoutScaled) {
    const int dpi = PrefixDpi();
    auto measure = [](int page) {
        qm::TForm2 form;
        form.Show();
        form.SetActivePage(page);
        return LayoutOf(form);
    };
    for (int page = 1; page <= 4; ++page) {
        const Layout design = UnawareLayout([&] { return measure(page); });
        const Layout got = measure(page);
        ExpectScaled(design, got, dpi, "main window, page " + std::to_string(page));
    }
    qm::TForm2 form;
    form.Show();
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, ui::ScaleToDpi(531, dpi));  // 797 x 641 at 144 DPI
    EXPECT_EQ(client.bottom, ui::ScaleToDpi(427, dpi));
    // The toolbar buttons at their scaled size, with the icon image of the DPI's large-icon size.
    const int large = GetSystemMetricsForDpi(SM_CXICON, static_cast<UINT>(dpi));
    EXPECT_EQ(large, ui::ScaleToDpi(32, dpi));
    for (ui::Image* button : {form.t_1, form.t_2, form.t_3, form.t_4, form.t_5}) {
        ASSERT_NE(button->Picture(), nullptr);
        EXPECT_EQ(button->Picture()->Width(), ui::ScaleToDpi(77, dpi)) << qm::WideToUtf8(button->Name());
        EXPECT_EQ(button->Picture()->Height(), ui::ScaleToDpi(67, dpi)) << qm::WideToUtf8(button->Name());
    }
    for (ui::Image* icon : {form.i_1, form.i_2, form.i_3, form.i_4, form.Image1, form.Image2}) {
        EXPECT_EQ(IconSide(icon->Icon()), large) << qm::WideToUtf8(icon->Name());
    }
    ASSERT_NE(form.Image3->Picture(), nullptr);
    EXPECT_EQ(form.Image3->Picture()->Width(), ui::ScaleToDpi(51, dpi));
    EXPECT_FALSE(qmtest::SaveScreenshot(form.Handle(), L"dpi" + std::to_wstring(dpi) + L"_main_window").empty());
}

TEST_F(DpiScaling, IconPickerIsItsLayoutScaledWithPicturesFromTheImagesOfTheDpi) {
    const int dpi = PrefixDpi();
    ExpectWindowScaled("icon picker", dpi, [](bool shot) {
        qm::TForm2 host;
        host.Show();
        qm::TForm1 picker(&host, qm::IconChoiceTarget{host.Label8, host.Label9, host.Image3});
        picker.Show();
        ClickTheme(*picker.ListBox1, L"Quillmark.icl");
        qmtest::SelectItem(*picker.ListView1, 0);
        return LayoutAndShot(picker, shot, L"icon_picker");
    });

    AddSizesTheme();
    qm::TForm2 host;
    qm::TForm1 picker(&host, qm::IconChoiceTarget{host.Label8, host.Label9, host.Image3});
    picker.Show();
    ClickTheme(*picker.ListBox1, L"Sizes.icl");
    ASSERT_EQ(picker.ListView1->Count(), 3);
    qmtest::PumpMessages();  // the view draws its entries and has their pictures made
    const int large = GetSystemMetricsForDpi(SM_CXICON, static_cast<UINT>(dpi));
    const int small = GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
    int w = 0, h = 0;
    ImageList_GetIconSize(picker.ImageList3->Handle(), &w, &h);
    EXPECT_EQ(w, ui::ScaleToDpi(50, dpi));
    EXPECT_EQ(h, ui::ScaleToDpi(32, dpi));
    ImageList_GetIconSize(picker.ImageList1->Handle(), &w, &h);
    EXPECT_EQ(w, large);
    ImageList_GetIconSize(picker.ImageList2->Handle(), &w, &h);
    EXPECT_EQ(w, ui::ScaleToDpi(138, dpi));
    EXPECT_EQ(h, ui::ScaleToDpi(32, dpi));
    // The large and the small icon of the entry's picture, each from the image of its own size.
    const HIMAGELIST pictures = picker.ImageList3->Handle();
    EXPECT_EQ(ListPixel(pictures, 0, large / 2, large / 2), ImageFor(large));
    EXPECT_EQ(ListPixel(pictures, 0, large - 1, large - 1), ImageFor(large));
    const int sx = ui::ScaleToDpi(34, dpi), sy = ui::ScaleToDpi(16, dpi);
    EXPECT_EQ(ListPixel(pictures, 0, sx + small / 2, sy + small / 2), ImageFor(small));
    EXPECT_EQ(ListPixel(pictures, 0, sx + small - 1, sy + small - 1), ImageFor(small));
    EXPECT_EQ(ListPixel(picker.ImageList1->Handle(), 0, large - 1, large - 1), ImageFor(large));
    // The theme's strip: its first icon at the large size.
    const int strip = picker.ListBox1->ItemIndex();
    EXPECT_EQ(ListPixel(picker.ImageList2->Handle(), strip, ui::ScaleToDpi(2, dpi) + large - 1, large - 1),
              ImageFor(large));
}

TEST_F(DpiScaling, CustomIconWindowIsItsLayoutScaled) {
    const int dpi = PrefixDpi();
    qmtest::TempDir folder{L"dpi-custom"};
    ExpectWindowScaled("custom icon window", dpi, [&](bool shot) {
        qm::TfCustomIcon window(folder.path());
        window.Show();
        ClickTheme(*window.ListBox1, L"Quillmark.icl");
        qmtest::SelectItem(*window.ListView1, 1);
        return LayoutAndShot(window, shot, L"custom_icon_window");
    });
}

TEST_F(DpiScaling, AboutBannerIsTheBannerDrawnForTheDpi) {
    const int dpi = PrefixDpi();
    qm::TfAbout about;
    const int width = ui::ScaleToDpi(qm::kBannerWidth, dpi), height = ui::ScaleToDpi(qm::kBannerHeight, dpi);
    EXPECT_EQ(about.Shown().Width(), width);
    EXPECT_EQ(about.Shown().Height(), height);
    EXPECT_EQ(about.Image2->ClientPixels().cx, width);
    // At 96, 144 and 192 DPI the pixels are the resource's own, drawn at that size.
    const int id = dpi == 144 ? IDB_BANNER_144 : dpi == 192 ? IDB_BANNER_192 : IDB_BANNER;
    qm::UniqueBitmap banner(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(banner);
    qm::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    HGDIOBJ old = SelectObject(dc.get(), banner.get());
    for (const POINT p : {POINT{0, 0}, POINT{width / 2, height / 2}, POINT{width - 1, height - 1}}) {
        EXPECT_EQ(about.Shown().Pixel(p.x, p.y), GetPixel(dc.get(), p.x, p.y)) << p.x << ", " << p.y;
    }
    SelectObject(dc.get(), old);
}

// A message box of the program reads its text in the system message font of the DPI and is laid
// out by the platform for it (nothing of the framework's).
struct SeenBox {
    int fontHeight = 0;
    int dpi = 0;
};
SeenBox g_seenBox;
void CALLBACK ReadAndCloseBox(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND box = FindWindowW(L"#32770", L"DPI probe");
    if (!box) return;
    KillTimer(nullptr, timer);
    g_seenBox = {FontHeight(GetDlgItem(box, 0xFFFF)), static_cast<int>(GetDpiForWindow(box))};
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(DpiScaling, MessageBoxesFollowTheDpiByThemselves) {
    const int dpi = PrefixDpi();
    qm::TForm2 form;
    form.Show();
    g_seenBox = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadAndCloseBox);
    MessageBoxExW(form.Handle(), L"A text of the message box", L"DPI probe", MB_OK, 0);
    KillTimer(nullptr, timer);
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof m;
    ASSERT_TRUE(SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0, static_cast<UINT>(dpi)));
    EXPECT_EQ(g_seenBox.dpi, dpi);
    EXPECT_EQ(g_seenBox.fontHeight, m.lfMessageFont.lfHeight);
}

// Windows sends WM_DPICHANGED when a per-monitor aware window moves to a monitor of another DPI:
// the controls, fonts and pictures take the new DPI, the window the suggested rectangle.
TEST_F(DpiScaling, MovingToAnotherDpiScalesTheWindowAgain) {
    AddSizesTheme();
    const int from = PrefixDpi(), to = from + 96;
    const Layout design = UnawareLayout([] {
        qm::TForm2 form;
        form.Show();
        return LayoutOf(form);
    });
    qm::TForm2 form;
    form.Show();
    // On the screen (Wine keeps an unmanaged window from growing past it).
    RECT suggested{0, 0, ui::ScaleToDpi(400, to), ui::ScaleToDpi(300, to)};
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(form.Dpi(), to);
    RECT now{};
    GetWindowRect(form.Handle(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    Layout got = LayoutOf(form);
    // The client area is what the suggested rectangle leaves; the controls are scaled.
    got.client = {ui::ScaleToDpi(design.client.cx, to), ui::ScaleToDpi(design.client.cy, to)};
    ExpectScaled(design, got, to, "main window moved to " + std::to_string(to) + " DPI");
    const int large = GetSystemMetricsForDpi(SM_CXICON, static_cast<UINT>(to));
    EXPECT_EQ(form.t_1->Picture()->Width(), ui::ScaleToDpi(77, to));
    EXPECT_EQ(IconSide(form.i_1->Icon()), large);
    EXPECT_EQ(form.Image3->Picture()->Width(), ui::ScaleToDpi(51, to));
    // And back: the 96-DPI figures come back exactly.
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(from, from), 0);
    got = LayoutOf(form);
    got.client = {ui::ScaleToDpi(design.client.cx, from), ui::ScaleToDpi(design.client.cy, from)};
    ExpectScaled(design, got, from, "main window moved back");

    qm::TForm2 host;
    qm::TForm1 picker(&host, qm::IconChoiceTarget{host.Label8, host.Label9, host.Image3});
    picker.Show();
    ClickTheme(*picker.ListBox1, L"Sizes.icl");
    SendMessageW(picker.Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), 0);
    qmtest::PumpMessages();  // the view draws its entries and has their pictures made
    int w = 0, h = 0;
    ImageList_GetIconSize(picker.ImageList3->Handle(), &w, &h);
    EXPECT_EQ(w, ui::ScaleToDpi(50, to));
    EXPECT_EQ(picker.ImageList3->Count(), 3);
    EXPECT_EQ(ListPixel(picker.ImageList3->Handle(), 0, large - 1, large - 1), ImageFor(large));
    EXPECT_EQ(picker.ImageList2->Count(), 2);
}

// Before WM_DPICHANGED Windows asks a per-monitor v2 window for its size at the new DPI
// (WM_GETDPISCALEDSIZE); unanswered, it scales the window's whole size linearly, frame included,
// which leaves the client area of a window of fixed size a pixel or two off its design. The
// windows of a fixed size answer with their design client area scaled and the frame of the new
// DPI around it; sizeable windows leave the size to the platform. Wine never sends the message:
// the test sends it.
TEST_F(DpiScaling, FixedSizeWindowsAnswerTheirDesignSizeAtTheNewDpi) {
    auto expectAnswers = [](const std::string& window, ui::Form& form, const SIZE* design) {
        const HWND h = form.Handle();
        for (const int to : {96, 120, 144, 168, 192, 240}) {
            RECT now{};
            GetWindowRect(h, &now);
            const SIZE linear{MulDiv(now.right - now.left, to, form.Dpi()),
                              MulDiv(now.bottom - now.top, to, form.Dpi())};
            SIZE size = linear;
            const LRESULT answered =
                SendMessageW(h, WM_GETDPISCALEDSIZE, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(&size));
            const std::string what = window + " to " + std::to_string(to) + " DPI";
            if (!design) {
                EXPECT_FALSE(answered) << what;
                EXPECT_EQ(size.cx, linear.cx) << what;
                EXPECT_EQ(size.cy, linear.cy) << what;
                continue;
            }
            RECT expected{0, 0, ui::ScaleToDpi(design->cx, to), ui::ScaleToDpi(design->cy, to)};
            ASSERT_TRUE(AdjustWindowRectExForDpi(&expected, static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)), FALSE,
                                                 static_cast<DWORD>(GetWindowLongW(h, GWL_EXSTYLE)),
                                                 static_cast<UINT>(to)));
            EXPECT_TRUE(answered) << what;
            EXPECT_EQ(size.cx, expected.right - expected.left) << what;
            EXPECT_EQ(size.cy, expected.bottom - expected.top) << what;
        }
    };
    // The design client areas: each window made on a DPI-unaware thread.
    const Layout mainDesign = UnawareLayout([] {
        qm::TForm2 form;
        return LayoutOf(form);
    });
    const Layout themeDesign = UnawareLayout([] {
        qm::TfTheme form;
        return LayoutOf(form);
    });
    const Layout aboutDesign = UnawareLayout([] {
        qm::TfAbout form;
        return LayoutOf(form);
    });
    qm::TForm2 main;
    expectAnswers("main window", main, &mainDesign.client);
    qm::TfTheme theme;
    expectAnswers("theme window", theme, &themeDesign.client);
    qm::TfAbout about;
    expectAnswers("about window", about, &aboutDesign.client);
    qmtest::TempDir dir;
    qm::TfCustomIcon custom(dir.path());
    expectAnswers("custom icon window (sizeable)", custom, nullptr);
}

}  // namespace
