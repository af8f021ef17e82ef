#pragma once
// The pictures the submenu shows: one 16x16 bitmap per icon entry, and the check-mark bitmap
// (resource 1) beside the submenu entry and the four commands.
#include <windows.h>

#include "core/base/handles_win.h"

namespace qm::shellext {

inline constexpr int kMenuPictureSize = 16;

// A 16x16 bitmap filled with the menu colour, the icon drawn on it at the top left through its
// mask. Without an icon the bitmap stays plain (an icon the theme cannot give keeps its entry).
// Empty only when the platform has no room for the bitmap.
UniqueBitmap MakeIconPicture(HICON icon);

// Bitmap resource 1 of this library.
UniqueBitmap LoadCheckMark();

}  // namespace qm::shellext
