#pragma once
// Square multi-size icons made from pixels: a picture (from any image file the platform decodes)
// or anything else drawn at each size. The picture is fitted into each square, keeping its aspect
// ratio, centred on transparency and scaled with the renderer's area-averaging filter. Images
// below 256 pixels are stored as 32-bit BMP icon images (with their AND mask), the 256-pixel image
// as PNG, made by an encoder the caller gives (the platform's imaging component on Windows).
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/icons/icon_renderer.h"

namespace qm {

// The sizes of every made icon, smallest first.
inline constexpr std::array<int, 8> kMadeIconSizes = {16, 20, 24, 32, 40, 48, 64, 256};

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

}  // namespace qm
