#include "ui/anchor_layout_win.h"

#include <algorithm>

namespace ui {

void AnchorLayout::Add(Control& control, unsigned anchors) {
    entries_.push_back({&control, anchors, control.LayoutBounds(), form_.ClientSize()});
}

void AnchorLayout::Place(Control& control, Bounds bounds) {
    control.SetBounds(bounds);
    for (Entry& e : entries_) {
        if (e.control != &control) continue;
        e.design = bounds;
        e.client = form_.ClientSize();
    }
}

void AnchorLayout::Apply() {
    const SIZE now = form_.ClientSize();
    if (now.cx <= 0 || now.cy <= 0) return;  // minimised
    for (const Entry& e : entries_) {
        Bounds b = e.design;
        const int dx = now.cx - e.client.cx, dy = now.cy - e.client.cy;
        if (e.anchors & akRight) {
            if (e.anchors & akLeft)
                b.width = std::max(0, b.width + dx);
            else
                b.x += dx;
        }
        if (e.anchors & akBottom) {
            if (e.anchors & akTop)
                b.height = std::max(0, b.height + dy);
            else
                b.y += dy;
        }
        e.control->SetBounds(b);
    }
}

}  // namespace ui
