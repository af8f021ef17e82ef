#pragma once
// Our folder shape, drawn in greys with its shading, and made in any colour: the colour's text
// form, the recolouring that keeps light and shade, and the made icon of the coloured folder.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/icons/made_icon.h"

namespace qm {

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
