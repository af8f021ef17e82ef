#pragma once
// Owner-drawn list items drawn off-screen for tests: a fresh bitmap of the item's size handed to a
// drawing handler, and a look for ink (pixels other than the background) in part of it.
#include <windows.h>

#include <functional>
#include <memory>

#include "ui/canvas_win.h"

namespace qmtest {

// Calls `draw` with the item rectangle (0, 0, width, height) and the canvas of a new bitmap.
std::unique_ptr<ui::Bitmap> DrawItemOffScreen(int width, int height,
                                              const std::function<void(const RECT&, ui::Canvas&)>& draw);

// True when a pixel of `area` differs from `background`.
bool HasInk(const ui::Bitmap& bitmap, const RECT& area, COLORREF background);

}  // namespace qmtest
