#pragma once
// Emblems: small marks drawn in the lower right corner of every image of an icon (a check for
// "done", a padlock for "locked", ...), at each image's own size, never one large mark scaled
// down. The eight stock emblems are drawn here from shapes on a unit square, 4 x 4 samples a
// pixel; any icon or picture can be an emblem too (the caller renders it at the emblem's side).
//
// Placement: the emblem's square of EmblemSide(size) pixels sits flush in the lower right corner
// of a size x size image. Around the emblem's own alpha lies a halo of white at 85 % alpha,
// EmblemHaloWidth(size) pixels wide: a halo pixel's alpha is 85 % (rounded) of the largest emblem
// alpha within the disc dx * dx + dy * dy <= w * w + w around it (a 3 x 3 square for w = 1). The
// emblem is drawn over its halo and the two over the image, source-over in premultiplied alpha
// (each product rounded to nearest: (x * (255 - a) + 127) / 255); all clipped to the image.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/icons/icon_renderer.h"

namespace qm {

enum class Emblem { Done, Progress, Important, Favourite, Locked, Rejected, Question, Flag };

inline constexpr std::array<Emblem, 8> kStockEmblems = {Emblem::Done,      Emblem::Progress, Emblem::Important,
                                                        Emblem::Favourite, Emblem::Locked,   Emblem::Rejected,
                                                        Emblem::Question,  Emblem::Flag};

// The English name ("done", "progress", "important", "favourite", "locked", "rejected",
// "question", "flag").
std::wstring_view EmblemName(Emblem emblem);
// The emblem of an English name, in any case; empty for any other text.
std::optional<Emblem> EmblemByName(std::wstring_view name);

// What --emblem and the windows take: NAME (a stock emblem's name, in any case) or FILE[,INDEX]
// (an .ico, an icon group of a library, or a picture). The text after the last comma is the index
// when it is a number from 0 to 9999, else part of the file name. Empty for empty text.
struct EmblemArgument {
    std::optional<Emblem> stock;
    std::wstring file;
    int index = 0;
};
std::optional<EmblemArgument> ParseEmblemArgument(std::wstring_view text);

// The emblem's side for an image of size x size: 10/12/14/16/20/24/32/128 for 16/20/24/32/40/48/
// 64/256, half the size (at least 1) for any other size.
int EmblemSide(int imageSize);
// The halo's width: 1 pixel, 2 from 64 pixels, 4 from 256.
int EmblemHaloWidth(int imageSize);
// The halo's alpha: 85 % of 255.
inline constexpr int kEmblemHaloAlpha = 217;

// A stock emblem at side x side, premultiplied BGRA; empty for a side below 1.
IconPixels DrawEmblem(Emblem emblem, int side);

// Draws `emblem` (side x side pixels, any side) with its halo of `haloWidth` into the lower right
// corner of `image`.
void CompositeEmblem(IconPixels& image, const IconPixels& emblem, int haloWidth);

// The image with the stock emblem at the image's own emblem side and halo (a square image is
// expected; the width decides).
void AddStockEmblem(IconPixels& image, Emblem emblem);

}  // namespace qm
