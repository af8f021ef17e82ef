#include "tests/support/owner_draw_win.h"

namespace qmtest {

std::unique_ptr<ui::Bitmap> DrawItemOffScreen(int width, int height,
                                              const std::function<void(const RECT&, ui::Canvas&)>& draw) {
    auto bitmap = std::make_unique<ui::Bitmap>(width, height);
    draw(RECT{0, 0, width, height}, bitmap->GetCanvas());
    return bitmap;
}

bool HasInk(const ui::Bitmap& bitmap, const RECT& area, COLORREF background) {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (bitmap.Pixel(x, y) != background) return true;
    return false;
}

}  // namespace qmtest
