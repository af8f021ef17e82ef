#pragma once
// Band gradients: a rectangle painted with solid bands running from one colour to another.
#include <windows.h>

#include <cstdint>

#include "ui/canvas_win.h"

namespace qm {

inline constexpr std::uint8_t kGradientLeftToRight = 1;  // any other direction: top to bottom

// Paints `rect` of the surface with `bands` solid bands from `from` to `to` (system colours are
// resolved first). Band i (from 0) has the colour from + round((i + 1) * step) per component, so
// the last band is exactly `to`; its edges are the rounded multiples of extent / bands. All
// rounding is to the nearest integer, halves to even. False, with nothing drawn, when bands < 1.
bool FillGradient(HDC dc, const RECT& rect, std::int32_t bands, ui::Color from, ui::Color to, std::uint8_t direction);
bool FillGradient(ui::Canvas& canvas, const RECT& rect, std::int32_t bands, ui::Color from, ui::Color to,
                  std::uint8_t direction);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 7.5 -> 8, -0.5 -> 0).
long long RoundHalfEven(double x);

}  // namespace qm
