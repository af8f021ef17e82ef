// Toolbar themes of the main window, applied when it is shown.
#include "app/Unit2_win.h"

namespace qm {

// Lists the toolbar themes into cbTBThemes and applies the saved one (replacing the icons of
// i_1..i_4, Image1 and Image2), then SetActivePage(1) unless it is "Default". Until the themes
// exist the built-in icons stay.
void TForm2::ApplySavedToolbarTheme() {}

}  // namespace qm
