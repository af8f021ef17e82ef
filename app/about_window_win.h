#pragma once
// The about window TfAbout: a rippling banner over the product name, version, description, an
// e-mail link and the maker's lines. A click anywhere but on the e-mail link closes it.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "app/water_ripple.h"
#include "core/base/handles_win.h"
#include "ui/controls_win.h"

namespace qm {

inline constexpr int kBannerWidth = 384;
inline constexpr int kBannerHeight = 76;

// A 24-bit top-down picture in memory, as the ripple object reads and writes it.
class Picture24Buffer {
public:
    Picture24Buffer(int width, int height);
    Picture24 View();
    int Width() const { return width_; }
    int Height() const { return height_; }
    std::ptrdiff_t Stride() const { return stride_; }
    const std::uint8_t* Bits() const { return bits_.data(); }
    std::uint8_t* Bits() { return bits_.data(); }
    // The pixel as a COLORREF.
    COLORREF Pixel(int x, int y) const;
    // Draws the picture at (x, y) of a device context.
    void DrawTo(HDC dc, int x, int y) const;
    // Fills the picture from a bitmap (any depth, not selected into a device context); false when
    // the bitmap cannot be read.
    bool ReadFrom(HBITMAP bitmap);

private:
    int width_, height_;
    std::ptrdiff_t stride_;
    std::vector<std::uint8_t> bits_;
};

// The picture that shows the rippled banner and reports mouse moves.
class RippleImage : public ui::Image {
public:
    RippleImage(ui::Form& owner, std::wstring name, ui::Control* parent, ui::Bounds b, Picture24Buffer& shown);
    std::function<void(int x, int y)> OnMouseMove;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    Picture24Buffer& shown_;
};

// The system's non-client fonts: 0 caption, 1 menu, 2 message, 3 small caption, 4 status bar,
// any other value the message font. Falls back to "MS Sans Serif", height -11.
UniqueFont CreateSystemFont(int kind);

// The mailto link of the e-mail label.
extern const wchar_t kAuthorMailLink[];

class TfAbout : public ui::Form {
public:
    explicit TfAbout(ui::Form* owner = nullptr);
    ~TfAbout() override;

    void FormShow() override;
    bool FormCloseQuery() override;
    // The banner again at the new DPI.
    void FormDpiChanged() override;
    void FormClick();
    void Label7Click();
    void Image2MouseMove(int x, int y);
    void Timer1Timer();

    ui::Label* Label1 = nullptr;
    ui::Label* Label2 = nullptr;
    ui::Label* Label3 = nullptr;
    ui::Label* Label5 = nullptr;
    ui::Label* Label6 = nullptr;
    ui::Image* Image1 = nullptr;  // the banner, hidden
    ui::Label* Label7 = nullptr;
    RippleImage* Image2 = nullptr;  // the rippled banner
    ui::Timer* Timer1 = nullptr;

    // The ripple object; empty after the window closed.
    TCnWaterEffect* Ripples() const { return FRipples.get(); }
    bool DropToggle() const { return FDropToggle; }
    const Picture24Buffer& Shown() const { return FTarget; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void FormCreate();
    // The banner at the window's DPI into Image1 and the ripple pictures, the ripples started anew.
    void MakeBanner();
    int RandomBelow(int n);

    Picture24Buffer FSource{kBannerWidth, kBannerHeight};
    Picture24Buffer FTarget{kBannerWidth, kBannerHeight};
    std::unique_ptr<TCnWaterEffect> FRipples;
    bool FDropToggle = false;
    std::minstd_rand FRandom;
};

// Creates the about window, shows it modally over `owner` (may be nullptr when it is the
// program's only window) and destroys it when it closes.
void ShowAboutWindow(ui::Form* owner);

// The /ABOUT mode: the about window as the program's only window. Returns the exit code.
int RunAboutWindow();

}  // namespace qm
