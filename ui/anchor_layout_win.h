#pragma once
// Anchors: each registered control keeps its distances to the anchored edges of its parent's client
// area when the parent is resized; anchored on both sides of an axis it stretches.
#include <windows.h>

#include <vector>

#include "ui/form_win.h"

namespace ui {

enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

class AnchorLayout {
public:
    explicit AnchorLayout(Form& form) : form_(form) {}
    // Records the control's current bounds against the form's current client size.
    void Add(Control& control, unsigned anchors);
    // Moves the control and records the new bounds as its design place.
    void Place(Control& control, Bounds bounds);
    // Applies the anchors for the form's current client size.
    void Apply();

private:
    struct Entry {
        Control* control;
        unsigned anchors;
        Bounds design;
        SIZE client;
    };
    Form& form_;
    std::vector<Entry> entries_;
};

}  // namespace ui
