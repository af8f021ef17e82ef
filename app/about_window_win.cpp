#include "app/about_window_win.h"

#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>

#include <array>
#include <cstddef>
#include <cstring>

#include "core/settings/current_language.h"
#include "core/settings/language_support.h"
#include "core/settings/settings_win.h"
#include "resources/resource_ids.h"
#include "ui/dpi_win.h"
#include "ui/form_win.h"

namespace qm {

const wchar_t kAuthorMailLink[] =
    L"mailto:quillmark@ostrel.example"
    L"?Subject=Quillmark%203.6%20:%20&body=My%20Quillmark%20version%20is%203.6%0D%0A%0A(Please%20use%20only%20English%"
    L"20and%20Russian)%0D%0A%0A";

namespace {
BITMAPINFO Info24(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

LOGFONTW AboutFont(int height, bool bold = false) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(lf.lfFaceName, L"Lucida Grande");
    return lf;
}

// The banner at `width` x `height`: the resource drawn for that size, or the next larger one made
// smaller; a smaller one is stretched only when none is larger. Null without the resources.
UniqueBitmap LoadBanner(int width, int height) {
    constexpr std::array<std::pair<int, int>, 3> kBanners = {
        {{IDB_BANNER, kBannerWidth}, {IDB_BANNER_144, kBannerWidth * 3 / 2}, {IDB_BANNER_192, kBannerWidth * 2}}};
    int id = kBanners.back().first;
    for (const auto& [candidate, side] : kBanners) {
        if (side >= width) {
            id = candidate;
            break;
        }
    }
    UniqueBitmap banner(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP bm{};
    if (!banner || !GetObjectW(banner.get(), sizeof bm, &bm) || (bm.bmWidth == width && bm.bmHeight == height)) {
        return banner;
    }
    BITMAPINFO bi = Info24(width, height);
    void* bits = nullptr;
    UniqueBitmap scaled(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
    if (!scaled || !from || !to) return {};
    {
        const SelectedObject source(from.get(), banner.get()), target(to.get(), scaled.get());
        SetStretchBltMode(to.get(), HALFTONE);
        SetBrushOrgEx(to.get(), 0, 0, nullptr);
        StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    }  // both bitmaps out of their device contexts before they are returned or deleted
    return scaled;
}
}  // namespace

// ---- Picture24Buffer ---------------------------------------------------------------------------
Picture24Buffer::Picture24Buffer(int width, int height)
    : width_(width),
      height_(height),
      stride_((static_cast<std::ptrdiff_t>(width) * 3 + 3) & ~std::ptrdiff_t{3}),
      bits_(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), 0) {}

Picture24 Picture24Buffer::View() { return Picture24{bits_.data(), width_, height_, stride_}; }

COLORREF Picture24Buffer::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const std::uint8_t* p = bits_.data() + stride_ * y + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

void Picture24Buffer::DrawTo(HDC dc, int x, int y) const {
    BITMAPINFO bi = Info24(width_, height_);
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0, 0, 0,
                      static_cast<UINT>(height_), bits_.data(), &bi, DIB_RGB_COLORS);
}

bool Picture24Buffer::ReadFrom(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth != width_ || bm.bmHeight != height_) return false;
    BITMAPINFO bi = Info24(width_, height_);
    const WindowDc screen(nullptr);
    const int rows = GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height_), bits_.data(), &bi, DIB_RGB_COLORS);
    return rows == height_;
}

// ---- RippleImage -------------------------------------------------------------------------------
RippleImage::RippleImage(ui::Form& owner, std::wstring name, ui::Control* parent, ui::Bounds b, Picture24Buffer& shown)
    : ui::Image(owner, std::move(name), parent, b), shown_(shown) {}

LRESULT RippleImage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            const PaintScope painting(Handle());
            shown_.DrawTo(painting.dc(), 0, 0);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (OnMouseMove) {
                const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
                Fire([this, x, y] { OnMouseMove(x, y); });
            }
            return 0;
        default: return ui::Image::WindowProc(msg, wp, lp);
    }
}

// ---- CreateSystemFont --------------------------------------------------------------------------
UniqueFont CreateSystemFont(int kind) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    // At 96 DPI, as every font handed to the window framework.
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, ui::kDesignDpi)) {
        switch (kind) {
            case 0: font = metrics.lfCaptionFont; break;
            case 1: font = metrics.lfMenuFont; break;
            case 3: font = metrics.lfSmCaptionFont; break;
            case 4: font = metrics.lfStatusFont; break;
            default: font = metrics.lfMessageFont; break;
        }
    } else {
        font.lfHeight = -11;
        font.lfCharSet = DEFAULT_CHARSET;
        wcscpy_s(font.lfFaceName, L"MS Sans Serif");
    }
    return UniqueFont(CreateFontIndirectW(&font));
}

// ---- TfAbout -----------------------------------------------------------------------------------
TfAbout::TfAbout(ui::Form* owner) : ui::Form(owner), FRandom(GetTickCount()) {
    SetCaption(L"");
    SetBorderStyle(ui::BorderStyle::Dialog, false, false);
    SetClientSize(383, 369);
    SetCenterOnScreen(true);
    SetFont(AboutFont(-11));

    auto label = [&](const wchar_t* name, ui::Bounds b, const wchar_t* text, LOGFONTW font) {
        ui::Label* l = Add<ui::Label>(name, nullptr, b, text);
        l->SetAlignment(ui::Alignment::Center);
        l->SetFont(font);
        l->SetTextColor(ui::SystemColor(COLOR_BTNTEXT));
        return l;
    };
    Label1 = label(L"Label1", {0, 82, 384, 28}, L"Quillmark", AboutFont(-21, true));
    Label2 = label(L"Label2", {0, 116, 384, 19}, L"Version: 3.6", AboutFont(-13));
    Label3 = label(L"Label3", {0, 275, 384, 24}, L"Made by Ostrel", AboutFont(-12));
    Label5 =
        label(L"Label5", {40, 151, 313, 58},
              L"Often you get bored by those dull folder icons, Quillmark delivers brand new and eye-catching stuff "
              L"with ease of use.",
              AboutFont(-13));
    Label6 = label(L"Label6", {0, 337, 384, 24}, L"Folder icons for everyone", AboutFont(-12));
    Image1 = Add<ui::Image>(L"Image1", nullptr, ui::Bounds{359, 166, kBannerWidth, kBannerHeight});
    Image1->SetVisible(false);
    Label7 = label(L"Label7", {80, 315, 232, 16}, L"Write e-mail to author of Quillmark", AboutFont(-11));
    Label7->SetTextColor(ui::SystemColor(COLOR_HOTLIGHT));
    Label7->SetHandCursor();
    Image2 = Add<RippleImage>(L"Image2", nullptr, ui::Bounds{0, 0, kBannerWidth, kBannerHeight}, FTarget);
    Timer1 = Add<ui::Timer>(L"Timer1", 100, false);

    for (ui::Control* c :
         {static_cast<ui::Control*>(Label1), static_cast<ui::Control*>(Label2), static_cast<ui::Control*>(Label3),
          static_cast<ui::Control*>(Label5), static_cast<ui::Control*>(Label6), static_cast<ui::Control*>(Image1),
          static_cast<ui::Control*>(Image2)}) {
        c->OnClick = [this] { FormClick(); };
    }
    Label7->OnClick = [this] { Label7Click(); };
    Image2->OnMouseMove = [this](int x, int y) { Image2MouseMove(x, y); };
    Timer1->OnTimer = [this] { Timer1Timer(); };
    FormCreate();
}

TfAbout::~TfAbout() = default;

void TfAbout::FormCreate() { MakeBanner(); }

void TfAbout::FormDpiChanged() {
    const bool running = FRipples != nullptr;
    MakeBanner();
    if (!running) FRipples.reset();
}

void TfAbout::MakeBanner() {
    // The banner from the program's resources at the window's DPI; without them (a test host) a
    // plain face.
    const int width = Scale(kBannerWidth), height = Scale(kBannerHeight);
    FSource = Picture24Buffer(width, height);
    FTarget = Picture24Buffer(width, height);
    const UniqueBitmap banner = LoadBanner(width, height);
    if (!FSource.ReadFrom(banner.get())) {
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = FSource.Bits() + FSource.Stride() * y + 3 * x;
                p[0] = GetBValue(face), p[1] = GetGValue(face), p[2] = GetRValue(face);
            }
        }
    }
    auto picture = std::make_unique<ui::Bitmap>(width, height);
    FSource.DrawTo(picture->Dc(), 0, 0);
    Image1->SetPicture(std::move(picture));

    // Image2 starts as a copy of Image1's picture.
    std::memcpy(FTarget.Bits(), FSource.Bits(), static_cast<std::size_t>(FSource.Stride()) * height);
    FRipples = std::make_unique<TCnWaterEffect>();
    FRipples->Resize(width, height);
    FDropToggle = false;
    FRipples->AddDrop(0, Scale(12), Scale(12), 12);
    Image2->Invalidate();
}

void TfAbout::FormShow() {
    ReadCurrentLanguage();
    for (ui::Label* l : {Label5, Label3, Label6, Label7}) l->SetText(TranslateText(l->Text()));
    // The maker's line in the system message font (a handle of its own for the label).
    if (UniqueFont font = CreateSystemFont(2)) {
        LOGFONTW lf{};
        if (GetObjectW(font.get(), sizeof lf, &lf)) Label3->SetFont(lf);
    }
    Timer1->SetEnabled(true);
}

bool TfAbout::FormCloseQuery() {
    Timer1->SetEnabled(false);
    FRipples.reset();
    return true;
}

void TfAbout::FormClick() { Close(); }

void TfAbout::Label7Click() { ShellExecuteW(Handle(), L"open", kAuthorMailLink, nullptr, nullptr, SW_SHOWNORMAL); }

int TfAbout::RandomBelow(int n) { return n > 0 ? static_cast<int>(FRandom() % static_cast<unsigned>(n)) : 0; }

void TfAbout::Timer1Timer() {
    if (!FRipples) return;
    Picture24 source = FSource.View(), target = FTarget.View();
    FRipples->Animate(source, target);
    Image2->Repaint();
    FDropToggle = !FDropToggle;
    if (RandomBelow(5) == 2) {
        FRipples->AddDrop(RandomBelow(FSource.Width()), RandomBelow(FSource.Height()), RandomBelow(Scale(24)),
                          RandomBelow(100));
    }
}

void TfAbout::Image2MouseMove(int x, int y) {
    if (!FRipples || !FDropToggle) return;
    if (RandomBelow(2) > 0) FRipples->AddDrop(x, y, RandomBelow(Scale(24)), RandomBelow(60));
}

LRESULT TfAbout::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONUP) {
        Guard([this] { FormClick(); });
        return 0;
    }
    return ui::Form::WindowProc(msg, wp, lp);
}

void ShowAboutWindow(ui::Form* owner) {
    TfAbout about(owner);
    about.ShowModal();
}

int RunAboutWindow() {
    TfAbout about;
    return ui::App().Run(about);
}

}  // namespace qm
