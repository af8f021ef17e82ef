#pragma once
// Square multi-size icons made from pixels: a picture (from any image file the platform decodes)
// or our own folder shape in a colour. The picture is fitted into each square, keeping its aspect
// ratio, centred on transparency and scaled with the renderer's area-averaging filter. Images
// below 256 pixels are stored as 32-bit BMP icon images (with their AND mask), the 256-pixel image
// as PNG, made by an encoder the caller gives (the platform's imaging component on Windows).
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/icons/byte_view.h"
#include "core/icons/icon_renderer.h"

namespace qm {

// The sizes of every made icon, smallest first.
inline constexpr std::array<int, 8> kMadeIconSizes = {16, 20, 24, 32, 40, 48, 64, 256};

// Pictures larger than this in either direction, or whose decoded pixels would take more than
// kMaxPictureDecodedBytes, are refused before any pixel memory is taken.
inline constexpr std::uint32_t kMaxPictureSide = 8192;
inline constexpr std::uint64_t kMaxPictureDecodedBytes = 128ull << 20;

// True when width x height passes both limits (and neither is 0).
bool PictureSizeAllowed(std::uint64_t width, std::uint64_t height);

// The image file formats the signature tells apart.
enum class PictureFormat { None, Png, Jpeg, Bmp, Gif, Tiff };
PictureFormat PictureFormatOf(ByteView file);

// The pixel size a picture file states in its header (PNG IHDR, BMP info header, GIF logical
// screen and first image, JPEG start-of-frame, TIFF first image directory), read without
// decoding, so that the limits are checked before a decoder sees the file. Empty when the header
// is missing, cut short or damaged.
struct PictureSize {
    std::uint64_t width = 0, height = 0;
};
std::optional<PictureSize> PictureHeaderSize(ByteView file);

// Encodes premultiplied pixels as a PNG stream (straight alpha); false if it cannot.
using PngEncoder = bool (*)(const IconPixels& pixels, std::vector<std::uint8_t>& png);

// The picture fitted into a size x size square: scaled (area-averaging) so that its longer side
// fills the square, centred, transparent around it.
IconPixels FitPictureInSquare(const IconPixels& picture, int size);

// The 32-bit BMP icon image of premultiplied pixels: BITMAPINFOHEADER with the height doubled,
// straight-alpha BGRA rows bottom-up, then the AND mask (1 where alpha is 0).
std::vector<std::uint8_t> BmpIconImage(const IconPixels& pixels);

// The .ico file of a made icon: one image per size of kMadeIconSizes, as `image` draws it (size x
// size premultiplied pixels), the 256-pixel one as PNG; empty when the encoder fails.
std::vector<std::uint8_t> MadeIconFile(const std::function<IconPixels(int size)>& image, PngEncoder png);

// The .ico file of a picture; empty when the picture is empty or the encoder fails.
std::vector<std::uint8_t> PictureIconFile(const IconPixels& picture, PngEncoder png);

// ---- colours ----
struct RgbColour {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const RgbColour&, const RgbColour&) = default;
};

// "#RRGGBB" (hex digits in either case, nothing before or after); empty for anything else.
std::optional<RgbColour> ParseColourText(std::wstring_view text);
// "#RRGGBB" in capitals.
std::wstring ColourText(RgbColour colour);

// Our folder shape at size x size: greyscale (B = G = R) with its shading, premultiplied. Mid
// grey (128) is the body colour; darker and lighter greys are its shade and light.
IconPixels FolderShape(int size);

// Greyscale premultiplied pixels in a colour: grey 128 becomes the colour, darker greys darken it
// towards black and lighter ones lighten it towards white, so light and shade stay and the hue is
// the colour's. Alpha is kept.
IconPixels RecolourGrey(const IconPixels& grey, RgbColour colour);

// The .ico file of the folder shape in a colour; empty when the encoder fails.
std::vector<std::uint8_t> ColourFolderIconFile(RgbColour colour, PngEncoder png);

}  // namespace qm
