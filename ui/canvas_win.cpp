#include "ui/canvas_win.h"

#include <stdexcept>

#include "ui/dpi_win.h"

namespace ui {

COLORREF ToRgb(Color c) {
    if (IsSystemColor(c)) return GetSysColor(static_cast<int>(c & 0xFFu));
    return static_cast<COLORREF>(c & 0x00FFFFFFu);
}

LOGFONTW IconTitleFont() {
    LOGFONTW lf{};
    if (!SystemParametersInfoForDpi(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0, kDesignDpi)) {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    }
    return lf;
}

LOGFONTW WindowFont() {
    LOGFONTW lf = IconTitleFont();
    lf.lfCharSet = DEFAULT_CHARSET;
    return lf;
}

LOGFONTW BoldWindowFont(LONG height) {
    LOGFONTW lf = IconTitleFont();
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = height;
    return lf;
}

Canvas::Canvas(HDC dc, int dpi) : dc_(dc), dpi_(dpi) { SetFont(IconTitleFont()); }

Canvas::~Canvas() {
    if (originalPen_) SelectObject(dc_, originalPen_);
    if (originalBrush_) SelectObject(dc_, originalBrush_);
    if (originalFont_) SelectObject(dc_, originalFont_);
}

void Canvas::SetBrushColor(Color c) {
    qm::UniqueBrush brush(CreateSolidBrush(ToRgb(c)));
    HGDIOBJ old = SelectObject(dc_, brush.get());
    if (!originalBrush_) originalBrush_ = old;
    brush_ = std::move(brush);
}

void Canvas::SetPen(Color c, int width) {
    qm::UniquePen pen(CreatePen(PS_SOLID, width, ToRgb(c)));
    HGDIOBJ old = SelectObject(dc_, pen.get());
    if (!originalPen_) originalPen_ = old;
    pen_ = std::move(pen);
}

void Canvas::SetFont(const LOGFONTW& font) {
    const LOGFONTW scaled = FontForDpi(font, dpi_);
    qm::UniqueFont f(CreateFontIndirectW(&scaled));
    HGDIOBJ old = SelectObject(dc_, f.get());
    if (!originalFont_) originalFont_ = old;
    font_ = std::move(f);
}

void Canvas::SetTextColor(Color c) { ::SetTextColor(dc_, ToRgb(c)); }

void Canvas::SetTransparentText(bool transparent) { SetBkMode(dc_, transparent ? TRANSPARENT : OPAQUE); }

void Canvas::FillRect(const RECT& r) {
    HBRUSH b = brush_ ? brush_.get() : static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH));
    ::FillRect(dc_, &r, b);
}

void Canvas::FillRect(const RECT& r, Color c) {
    qm::UniqueBrush b(CreateSolidBrush(ToRgb(c)));
    ::FillRect(dc_, &r, b.get());
}

void Canvas::Rectangle(const RECT& r) { ::Rectangle(dc_, r.left, r.top, r.right, r.bottom); }

void Canvas::Line(int x1, int y1, int x2, int y2) {
    MoveToEx(dc_, x1, y1, nullptr);
    LineTo(dc_, x2, y2);
}

void Canvas::TextOut(int x, int y, std::wstring_view text) {
    SetTextAlign(dc_, TA_LEFT | TA_TOP);
    ::TextOutW(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

SIZE Canvas::TextExtent(std::wstring_view text) const {
    SIZE s{};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &s);
    return s;
}

void Canvas::DrawIcon(int x, int y, HICON icon) {
    if (icon) DrawIconEx(dc_, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

void Canvas::Draw(int x, int y, const Bitmap& bitmap) {
    BitBlt(dc_, x, y, bitmap.Width(), bitmap.Height(), bitmap.Dc(), 0, 0, SRCCOPY);
}

void Canvas::StretchDraw(const RECT& r, const Bitmap& bitmap) {
    StretchBlt(dc_, r.left, r.top, r.right - r.left, r.bottom - r.top, bitmap.Dc(), 0, 0, bitmap.Width(),
               bitmap.Height(), SRCCOPY);
}

COLORREF Canvas::Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

Bitmap::Bitmap(int width, int height, int dpi) : width_(width), height_(height) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        throw std::invalid_argument("bitmap size out of range");
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_.reset(CreateCompatibleDC(nullptr));
    bitmap_.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc_ || !bitmap_ || !bits) throw std::runtime_error("cannot create bitmap");
    bits_ = static_cast<const std::uint32_t*>(bits);
    selected_.emplace(dc_.get(), bitmap_.get());
    canvas_ = std::make_unique<Canvas>(dc_.get(), dpi);
    const RECT all{0, 0, width, height};
    canvas_->FillRect(all, kWhite);
}

COLORREF Bitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kBlack;
    GdiFlush();
    const std::uint32_t v = bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

}  // namespace ui
