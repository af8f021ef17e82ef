#pragma once
// Pictures through the platform's imaging component (WIC): PNG, JPEG, BMP, GIF and TIFF files
// decoded to premultiplied BGRA (the first frame), PNG encoded from our pixels, and the icons made
// of a picture file or of a colour (core/icons/made_icon.h, colour_folder_icon.h) with the platform's PNG encoder.
// Picture files are untrusted: the pixel size a decoder reports is checked against the limits
// before any pixel memory is taken, and a damaged or cut file gives a failure text, never a crash.
#include <cstdint>
#include <string>
#include <vector>

#include "core/icons/byte_view.h"
#include "core/icons/icon_renderer.h"
#include "core/icons/colour_folder_icon.h"
#include "core/icons/made_icon.h"
#include "core/icons/picture_header.h"

namespace qm {

// Decodes the first frame of an image stream of the given format with WIC's decoder for that
// format. Width and height must each be at most maxSide and pass PictureSizeAllowed. On failure
// `failure` says why (when given) and out is empty.
bool DecodePictureWithWic(ByteView bytes, PictureFormat format, std::uint32_t maxSide, IconPixels& out,
                          std::wstring* failure = nullptr);

// Encodes premultiplied pixels as a PNG stream with WIC (a PngEncoder).
bool EncodePngWithWic(const IconPixels& pixels, std::vector<std::uint8_t>& png);

// True when the file exists and starts with the signature of a picture format WIC decodes here.
bool IsPictureFile(const std::wstring& path);

// Reads and decodes a picture file, turned upright by its EXIF orientation (JPEG, TIFF). On
// failure `failure` holds a text for the user.
bool ReadPictureFile(const std::wstring& path, IconPixels& out, std::wstring& failure);

// The .ico file of a picture file; raises UserError "Cannot make an icon of %s: <why>".
std::vector<std::uint8_t> MakePictureIcon(const std::wstring& path);

// The .ico file of our folder shape in a colour; raises UserError when the platform cannot encode.
std::vector<std::uint8_t> MakeColourFolderIcon(RgbColour colour);

}  // namespace qm
