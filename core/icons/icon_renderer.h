#pragma once
// The icon renderer: from an icon group to pixels, without the platform's icon objects.
//
// Image choice (ChooseIconImage), the rule LookupIconIdFromDirectoryEx follows (measured under
// Wine; ReactOS has the same):
//   1. Size: the images whose width and height lie nearest the target, by the sum of both
//      distances; an exact size has distance 0 and always wins, and otherwise a larger and a
//      smaller image at the same distance are equally near. A directory width or height of 0
//      means 256.
//   2. Depth: among the nearest images, the one whose bit count lies nearest the display's
//      (32 bits a pixel on Windows 10/11); on a tie the first in directory order.
//   A directory bit count of 0 is taken from the image itself (its header, or 32 for PNG).
//   The function's documentation words the size rule as "closest but not exceeding the requested
//   size"; the platform does not keep to that wording (from 16 and 32 pixel images it picks the
//   32-bit one for 24 pixels, whichever of the two is larger), so the measured rule is used.
//
// Decoding (DecodeIconImage): an image is PNG (by its signature) or a BMP-format icon image:
// BITMAPINFOHEADER (or a larger header, or BITMAPCOREHEADER), height doubled, palette, colour
// bits and the 1-bit AND mask, rows padded to 32 bits, bottom-up (or top-down for a negative
// height). 1, 4 and 8 bits use the palette; 16 bits are 5-5-5 or BI_BITFIELDS; 24 bits BGR;
// 32 bits BGRA. A 32-bit image with any alpha byte other than 0 is drawn by its alpha and its
// mask is ignored (and may be missing); every other image is opaque where the mask is 0 and
// transparent where it is 1 (pixels the mask would invert on screen are transparent too).
// PNG images go to a decoder given by the caller (the platform's imaging component on Windows);
// without one they give no picture.
//
// Output: premultiplied BGRA, top-down rows, one 32-bit word a pixel (B in the low byte), as a
// 32-bit top-down DIB section holds it. When the chosen image has not the target size it is
// scaled with an area-averaging filter in premultiplied space.
//
// Every read is bounds-checked through ByteView; a damaged image gives false, never a crash.
#include <cstdint>
#include <vector>

#include "core/icons/byte_view.h"
#include "core/icons/icon_readers.h"

namespace qm {

// Images larger than this in either direction are refused (icons hold at most 256).
inline constexpr int kMaxRenderedImageSide = 1024;
// The display depth the image choice compares with.
inline constexpr int kDisplayBitCount = 32;

struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> bgra;  // width * height premultiplied pixels, top row first
};

// Decodes a PNG stream to premultiplied BGRA; false if it cannot.
using PngDecoder = bool (*)(ByteView png, IconPixels& out);

// True if the image starts with the PNG signature.
bool IsPngImage(ByteView image);

// The index (into group.entries) of the image the platform chooses for width x height, or -1 for
// an empty group.
int ChooseIconImage(const IconGroupData& group, int width, int height, int displayBits = kDisplayBitCount);

// One icon image at its own size.
bool DecodeIconImage(ByteView image, IconPixels& out, PngDecoder png = nullptr);

// A plain device-independent bitmap (header, palette, bits; no AND mask, height not doubled), as
// a bitmap resource holds it; every pixel opaque.
bool DecodeDib(ByteView dib, IconPixels& out);

// Area-averaging scale of premultiplied pixels to width x height (each at least 1).
IconPixels ScaleAreaAverage(const IconPixels& in, int width, int height);

// Draws `source` over `target` with its top-left corner at (x, y), clipped to the target
// (premultiplied source-over).
void PlacePixels(const IconPixels& source, IconPixels& target, int x, int y);

// Premultiplied pixels in straight (not premultiplied) alpha, as image lists take 32-bit bitmaps;
// alpha 0 gives 0.
void ToStraightAlpha(std::vector<std::uint32_t>& bgra);

// The group's picture at width x height: the chosen image, decoded, scaled when needed.
bool RenderIcon(const IconGroupData& group, int width, int height, IconPixels& out, PngDecoder png = nullptr);

}  // namespace qm
