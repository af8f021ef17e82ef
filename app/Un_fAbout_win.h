#pragma once
// The about window TfAbout.
namespace ui {
class Form;
}

namespace qm {

// Creates the about window, shows it modally over `owner` (may be nullptr when it is the
// program's only window) and destroys it when it closes.
void ShowAboutWindow(ui::Form* owner);

}  // namespace qm
