#pragma once
// The pictures the submenu shows, as 32-bit premultiplied-alpha DIB sections (menus alpha-blend
// those since Windows Vista, so they sit on light, dark and classic menus alike): one per icon
// entry at the small-icon size of the process, and the check-mark art (bitmap resource 1) beside
// the submenu entry and the four commands at the menu check size.
#include <windows.h>

#include "core/base/handles_win.h"

namespace qm::shellext {

// SM_CXSMICON: the small-icon size, which follows the DPI of the process.
int MenuPictureSize();

// Bitmap resource 1 of this library at SM_CXMENUCHECK x SM_CYMENUCHECK, transparent where the
// art has its background grey (192,192,192).
UniqueBitmap LoadCheckMark();

}  // namespace qm::shellext
