#pragma once
// The pictures the submenu shows, as 32-bit premultiplied-alpha DIB sections (menus alpha-blend
// those since Windows Vista, so they sit on light, dark and classic menus alike): one per icon
// entry at the small-icon size, and the check-mark art (bitmap resource 1) beside the submenu
// entry and the four commands at the menu check size, both for the DPI of the monitor the menu
// opens on.
#include <windows.h>

#include "core/base/handles_win.h"

namespace qm::shellext {

// The DPI of the monitor under the position of the message being handled (GetMessagePos: the
// click or key that opens the menu), as Explorer, per-monitor aware, draws its menu there:
// GetDpiForMonitor of shcore.dll (loaded at run time), else the system DPI. The test seam's
// answer when one is set.
UINT MenuDpi();

// SM_CXSMICON at that DPI.
int MenuPictureSize(UINT dpi);

// Bitmap resource 1 of this library at SM_CXMENUCHECK x SM_CYMENUCHECK of that DPI, transparent
// where the art has its background grey (192,192,192).
UniqueBitmap LoadCheckMark(UINT dpi);

}  // namespace qm::shellext
