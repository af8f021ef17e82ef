#include "app/gradient_fill_win.h"

#include <algorithm>
#include <cmath>

#include "core/base/handles_win.h"

namespace qm {

long long RoundHalfEven(double x) {
    const double f = std::floor(x);
    const double rest = x - f;
    auto whole = static_cast<long long>(f);
    if (rest > 0.5) return whole + 1;
    if (rest < 0.5) return whole;
    return (whole % 2 == 0) ? whole : whole + 1;
}

bool FillGradient(HDC dc, const RECT& rect, std::int32_t bands, ui::Color from, ui::Color to, std::uint8_t direction) {
    if (bands < 1) return false;
    const COLORREF a = ui::ToRgb(from), b = ui::ToRgb(to);
    const double n = bands;
    const double stepR = (GetRValue(b) - GetRValue(a)) / n;
    const double stepG = (GetGValue(b) - GetGValue(a)) / n;
    const double stepB = (GetBValue(b) - GetBValue(a)) / n;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const bool across = direction == kGradientLeftToRight;
    const double size = (across ? width : height) / n;
    auto component = [](int start, double step, std::int32_t i) {
        return static_cast<BYTE>(std::clamp<long long>(start + RoundHalfEven((i + 1.0) * step), 0, 255));
    };
    for (std::int32_t i = 0; i < bands; ++i) {
        const COLORREF c = RGB(component(GetRValue(a), stepR, i), component(GetGValue(a), stepG, i),
                               component(GetBValue(a), stepB, i));
        UniqueBrush brush(CreateSolidBrush(c));
        const auto lo = static_cast<LONG>(RoundHalfEven(i * size));
        const auto hi = static_cast<LONG>(RoundHalfEven((i + 1.0) * size));
        RECT band = across ? RECT{lo, 0, hi, height} : RECT{0, lo, width, hi};
        OffsetRect(&band, rect.left, rect.top);
        FillRect(dc, &band, brush.get());
    }
    return true;
}

bool FillGradient(ui::Canvas& canvas, const RECT& rect, std::int32_t bands, ui::Color from, ui::Color to,
                  std::uint8_t direction) {
    return FillGradient(canvas.Handle(), rect, bands, from, to, direction);
}

}  // namespace qm
