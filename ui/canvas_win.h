#pragma once
// Drawing over GDI: colours (RGB or system colours), a canvas over a device context that owns the
// pen, brush and font it selects, and an off-screen bitmap with its own canvas.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/handles_win.h"

namespace ui {

// An RGB value (COLORREF, 0x00BBGGRR) or a system colour made by SystemColor().
using Color = std::uint32_t;
constexpr Color SystemColor(int index) { return 0x80000000u | static_cast<std::uint32_t>(index); }
constexpr bool IsSystemColor(Color c) { return (c & 0x80000000u) != 0; }
// System colours become their current value; RGB values pass unchanged.
COLORREF ToRgb(Color c);

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The platform font for icon titles (SPI_GETICONTITLELOGFONT) as it is at 96 DPI, the default font
// of canvases. Fonts handed to forms, controls and canvases are given at 96 DPI: they make them for
// their own DPI.
LOGFONTW IconTitleFont();
// The icon-title font with the default character set: the font the program's windows are set in.
LOGFONTW WindowFont();
// The window font in bold at `height` (a LOGFONT height): the "+" and "-" signs of the theme lists.
LOGFONTW BoldWindowFont(LONG height);

class Bitmap;

// Draws on a device context it does not own. The pen, brush and font it creates are owned by the
// canvas and deselected (the originals put back) before they are deleted. Coordinates are device
// pixels; fonts are given at 96 DPI and made for the canvas's DPI.
class Canvas {
public:
    explicit Canvas(HDC dc, int dpi = 96);
    int Dpi() const { return dpi_; }
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Handle() const { return dc_; }

    void SetBrushColor(Color c);
    void SetPen(Color c, int width = 1);
    void SetFont(const LOGFONTW& font);
    void SetTextColor(Color c);
    // Text is drawn without filling its background.
    void SetTransparentText(bool transparent);

    // Fills with the brush colour (FillRect, no outline).
    void FillRect(const RECT& r);
    void FillRect(const RECT& r, Color c);
    // Outline in the pen, inside filled with the brush (GDI Rectangle).
    void Rectangle(const RECT& r);
    void Line(int x1, int y1, int x2, int y2);  // the end point itself is not drawn

    // (x, y) is the text's top left corner (the device context's alignment set back to that).
    void TextOut(int x, int y, std::wstring_view text);
    SIZE TextExtent(std::wstring_view text) const;
    int TextWidth(std::wstring_view text) const { return TextExtent(text).cx; }
    int TextHeight(std::wstring_view text) const { return TextExtent(text).cy; }

    // Draws an icon at its own size.
    void DrawIcon(int x, int y, HICON icon);
    void Draw(int x, int y, const Bitmap& bitmap);
    // The whole bitmap stretched over `r`.
    void StretchDraw(const RECT& r, const Bitmap& bitmap);

    COLORREF Pixel(int x, int y) const;

private:
    HDC dc_;
    int dpi_;
    qm::UniquePen pen_;
    qm::UniqueBrush brush_;
    qm::UniqueFont font_;
    HGDIOBJ originalPen_ = nullptr, originalBrush_ = nullptr, originalFont_ = nullptr;
};

// A 32-bit off-screen picture with its own memory device context and canvas. Starts white. Its size
// is in pixels; `dpi` is the DPI its canvas makes fonts for.
class Bitmap {
public:
    Bitmap(int width, int height, int dpi = 96);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    HBITMAP Handle() const { return bitmap_.get(); }
    HDC Dc() const { return dc_.get(); }
    Canvas& GetCanvas() { return *canvas_; }
    // Reads the pixel from the bitmap's memory (after flushing GDI); black outside the picture.
    COLORREF Pixel(int x, int y) const;

private:
    int width_, height_;
    qm::UniqueMemoryDc dc_;
    qm::UniqueBitmap bitmap_;
    std::optional<qm::SelectedObject> selected_;  // the bitmap in its device context, until the canvas ends
    const std::uint32_t* bits_ = nullptr;
    std::unique_ptr<Canvas> canvas_;
};

}  // namespace ui
