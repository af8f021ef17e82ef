#include "app/Un_fAbout_win.h"

#include <windows.h>

#include "ui/form_win.h"

namespace qm {

// The about window is not built yet: say so rather than show an empty window.
void ShowAboutWindow(ui::Form* owner) {
    MessageBoxExW(owner ? owner->Handle() : nullptr, L"The about window is not available in this build of Quillmark.",
                  ui::App().Title().c_str(), MB_OK | MB_ICONINFORMATION, 0);
}

}  // namespace qm
