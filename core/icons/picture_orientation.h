#pragma once
// The orientation a camera or phone records in a picture (EXIF tag 274, Orientation) and the
// decoded pixels turned upright by it. Photos and Explorer show such pictures upright; the
// imaging decoders give the pixels as stored, so the turn is ours.
#include "core/icons/byte_view.h"
#include "core/icons/icon_renderer.h"

namespace qm {

// The orientation of a JPEG file (tag 274 in the first directory of its APP1 "Exif" segment) or
// of a TIFF file (in its first directory): 1 to 8 as the tag gives it; 1 (as stored) for any other
// file, a missing or damaged tag, or a value outside 1 to 8. Reads only inside the bytes given.
int PictureOrientation(ByteView file);

// The pixels as they are shown for the orientation: 1 as stored, 2 mirrored left to right,
// 3 turned half round, 4 mirrored top to bottom, 5 mirrored about the falling diagonal (rows
// become columns), 6 turned a quarter clockwise, 7 mirrored about the rising diagonal, 8 turned a
// quarter anticlockwise. 5 to 8 swap width and height. Any other value gives the pixels as stored.
IconPixels OrientUpright(const IconPixels& stored, int orientation);

}  // namespace qm
