#pragma once
// Pictures of the icon library on Windows.
//   - Our renderer's pixels as 32-bit premultiplied-alpha DIB sections (what menus, image lists
//     and previews take), PNG images decoded by the platform's imaging component (WIC).
//   - An HICON of a requested size, the image chosen as the platform chooses
//     (LookupIconIdFromDirectoryEx) and made with CreateIconFromResourceEx, for the places that
//     need an icon object.
#include <windows.h>

#include "core/base/handles_win.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_renderer.h"

namespace qm {

// Decodes a PNG stream with WIC to premultiplied BGRA (a PngDecoder for the renderer). Works on
// any thread: COM is initialised for the call when the thread has not done it.
bool DecodePngWithWic(ByteView png, IconPixels& out);

// Icon `index` of the library (or a group already read) at width x height, by our renderer.
bool RenderLibraryIcon(const IconLibrary& library, int index, int width, int height, IconPixels& out);
bool RenderGroupIcon(const IconGroupData& group, int width, int height, IconPixels& out);

// The header of a 32-bit top-down BI_RGB bitmap of width x height (top row first, as the renderer
// gives its pixels).
BITMAPINFO TopDown32BitInfo(int width, int height);

// A 32-bit top-down DIB section of width x height holding `pixels` (premultiplied BGRA), made
// without a device context; fully transparent (alpha 0) when pixels is null or not of that size.
// Empty only when the platform has no room for it.
UniqueBitmap MakeAlphaBitmap(int width, int height, const IconPixels* pixels);

// The icon of `index` at cx by cy pixels (0 for the system metric), or an empty handle.
UniqueIcon MakeLibraryIcon(const IconLibrary& library, int index, int cx, int cy, UINT flags = LR_DEFAULTCOLOR);

// The same for a group already read.
UniqueIcon MakeGroupIcon(const IconGroupData& group, int cx, int cy, UINT flags = LR_DEFAULTCOLOR);

// Large and small icons as ExtractIconEx gives them (system large and small icon sizes).
UniqueIcon MakeLargeLibraryIcon(const IconLibrary& library, int index);
UniqueIcon MakeSmallLibraryIcon(const IconLibrary& library, int index);

}  // namespace qm
