// The about window run in the test process: its layout, the first drop, the timer's ripples on the
// shown banner, mouse drops, the texts translated when shown, and the system fonts.
#include <gtest/gtest.h>

#include <windowsx.h>

#include "app/about_window_win.h"
#include "version.rc.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/settings_backup_win.h"

namespace {

using qm::TfAbout;
using qmtest::Find;

bool SameShown(const qm::Picture24Buffer& a, const qm::Picture24Buffer& b) {
    return std::equal(a.Bits(), a.Bits() + a.Stride() * a.Height(), b.Bits());
}

class AboutWindow : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }
    qmtest::ScopedSettingsFile settings_;  // restored after the language key goes
    qmtest::ScopedCurrentLanguage english_{L"English"};
};

TEST_F(AboutWindow, HasItsLayoutAndStartsWithOneDropAtTheLeftEdge) {
    TfAbout about;
    EXPECT_EQ(about.Caption(), L"");
    EXPECT_EQ(about.ClientSize().cx, 383);
    EXPECT_EQ(about.ClientSize().cy, 369);
    const LONG style = GetWindowLongW(about.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    const struct {
        const wchar_t* name;
        ui::Bounds b;
        bool visible;
    } placed[] = {{L"Label1", {0, 82, 384, 28}, true},   {L"Label2", {0, 116, 384, 19}, true},
                  {L"Label3", {0, 275, 384, 24}, true},  {L"Label5", {40, 151, 313, 58}, true},
                  {L"Label6", {0, 337, 384, 24}, true},  {L"Image1", {359, 166, 384, 76}, false},
                  {L"Label7", {80, 315, 232, 16}, true}, {L"Image2", {0, 0, 384, 76}, true}};
    for (const auto& p : placed) {
        auto& c = Find<ui::Control>(about, p.name);
        const ui::Bounds b = c.GetBounds();
        EXPECT_EQ(b.x, p.b.x) << p.name;
        EXPECT_EQ(b.y, p.b.y) << p.name;
        EXPECT_EQ(b.width, p.b.width) << p.name;
        EXPECT_EQ(b.height, p.b.height) << p.name;
        EXPECT_EQ(c.Visible(), p.visible) << p.name;
    }
    EXPECT_EQ(about.Label1->Text(), L"Quillmark");
    EXPECT_EQ(about.Label2->Text(), L"Version: 3.6");
    // The window's text is the product's major.minor (project(Quillmark VERSION ...)).
    EXPECT_EQ(about.Label2->Text(),
              L"Version: " + std::to_wstring(QM_VERSION_MAJOR) + L"." + std::to_wstring(QM_VERSION_MINOR));
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(about.FontHandle(), sizeof lf, &lf));
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Lucida Grande");
    EXPECT_EQ(lf.lfHeight, -11);

    // The first drop: x = 0, y = 12, radius 12, amplitude 12 reaches only to the right.
    ASSERT_NE(about.Ripples(), nullptr);
    EXPECT_EQ(about.Ripples()->Width(), 384);
    EXPECT_EQ(about.Ripples()->Height(), 76);
    EXPECT_EQ(about.Ripples()->Current(0, 12), 12);
    EXPECT_EQ(about.Ripples()->Current(12, 12), 12);
    EXPECT_EQ(about.Ripples()->Current(13, 12), 0);
    EXPECT_EQ(about.Ripples()->Current(0, 0), 12);
    EXPECT_EQ(about.Ripples()->Current(0, 25), 0);
    EXPECT_FALSE(about.DropToggle());
    EXPECT_FALSE(about.Timer1->Enabled());
}

TEST_F(AboutWindow, ShowingEnablesTheTimerAndTicksRippleTheShownBanner) {
    TfAbout about;
    about.Show();
    EXPECT_TRUE(about.Timer1->Enabled());
    const qm::Picture24Buffer before = about.Shown();
    about.Timer1Timer();
    EXPECT_TRUE(about.DropToggle());
    about.Timer1Timer();
    EXPECT_FALSE(about.DropToggle());
    // The first drop shifts and shades the banner near the left edge.
    EXPECT_FALSE(SameShown(before, about.Shown()));
    qmtest::SaveScreenshot(about.Handle(), L"about_window_in_process");
}

TEST_F(AboutWindow, MouseMovesAddDropsOnlyWhileTheToggleIsSet) {
    TfAbout about;
    about.Show();
    about.Timer1->SetEnabled(false);  // ticks only when the test says
    about.Ripples()->ClearRipples();
    for (int i = 0; i < 40; ++i) about.Image2MouseMove(200, 40);  // toggle cleared: no drop
    EXPECT_EQ(about.Ripples()->Current(200, 40), 0);
    about.Timer1Timer();
    about.Ripples()->ClearRipples();
    ASSERT_TRUE(about.DropToggle());
    // Each move adds a drop with probability 1/2 and an amplitude below 60 (often 0): with 40
    // moves, some land.
    for (int i = 0; i < 40; ++i) {
        PostMessageW(about.Image2->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 40));
        qmtest::PumpMessages();
    }
    EXPECT_GT(about.Ripples()->Current(200, 40), 0);
    EXPECT_EQ(about.Ripples()->Current(10, 10), 0);  // farther than the largest radius (23)
}

TEST_F(AboutWindow, EmailLabelKeepsTheWindowOpenOtherClicksClose) {
    TfAbout about;
    about.Show();
    EXPECT_NE(std::wstring(qm::kAuthorMailLink)
                  .find(L"?Subject=Quillmark%203.6%20:%20&body=My%20Quillmark%20version%20is%203.6%0D%0A%0A(Please%"
                        L"20use%20only%"
                        L"20English%20and%20Russian)%0D%0A%0A"),
              std::wstring::npos);
    EXPECT_EQ(std::wstring(qm::kAuthorMailLink).rfind(L"mailto:", 0), 0u);
    // The e-mail label's own handler is the link (tested as a process); here: clicks elsewhere close.
    for (const wchar_t* name : {L"Label1", L"Label2", L"Label5", L"Image2"}) {
        TfAbout window;
        window.Show();
        qmtest::Click(Find<ui::Control>(window, name));
        EXPECT_FALSE(IsWindowVisible(window.Handle())) << name;
        EXPECT_EQ(window.Ripples(), nullptr) << name;  // freed when closed
    }
}

TEST(CreateSystemFont, ChoosesTheNonClientFontByKind) {
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof m;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0));
    const struct {
        int kind;
        const LOGFONTW* want;
    } cases[] = {{0, &m.lfCaptionFont}, {1, &m.lfMenuFont},    {2, &m.lfMessageFont}, {3, &m.lfSmCaptionFont},
                 {4, &m.lfStatusFont},  {5, &m.lfMessageFont}, {-1, &m.lfMessageFont}};
    for (const auto& c : cases) {
        qm::UniqueFont font = qm::CreateSystemFont(c.kind);
        ASSERT_TRUE(font) << c.kind;
        LOGFONTW got{};
        ASSERT_TRUE(GetObjectW(font.get(), sizeof got, &got));
        EXPECT_EQ(std::wstring(got.lfFaceName), std::wstring(c.want->lfFaceName)) << c.kind;
        EXPECT_EQ(got.lfHeight, c.want->lfHeight) << c.kind;
        EXPECT_EQ(got.lfWeight, c.want->lfWeight) << c.kind;
    }
}

}  // namespace
