#include "core/icons/icon_renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "core/icons/binary_layouts.h"

namespace qm {

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kBiRgb = dib_info_header::kRgb;
constexpr std::uint32_t kBiBitfields = dib_info_header::kBitfields;
constexpr std::uint32_t kCoreHeaderSize = dib_core_header::kSize;
constexpr std::uint32_t kInfoHeaderSize = dib_info_header::kSize;

std::uint32_t Pixel(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a) {
    return static_cast<std::uint32_t>(b) | (static_cast<std::uint32_t>(g) << 8) |
           (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(a) << 24);
}

std::uint8_t Premultiply(std::uint32_t c, std::uint32_t a) { return static_cast<std::uint8_t>((c * a + 127) / 255); }

// The fields of a DIB header that decoding needs, read from one checked sub-view.
struct DibLayout {
    int width = 0;
    int height = 0;  // rows of the colour image
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kBiRgb;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue for BI_BITFIELDS
    std::vector<std::uint32_t> palette;    // opaque BGR entries
    std::uint64_t bitsOffset = 0;          // from the start of the image
};

// Bit position and width of a contiguous mask; 0 width for an empty mask.
void MaskShape(std::uint32_t mask, int& shift, int& width) {
    shift = 0;
    width = 0;
    if (!mask) return;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1u) {
        mask >>= 1;
        ++width;
    }
}

std::uint8_t Channel(std::uint32_t value, std::uint32_t mask) {
    int shift = 0, width = 0;
    MaskShape(mask, shift, width);
    if (width == 0) return 0;
    const std::uint32_t v = (value & mask) >> shift;
    const std::uint32_t max = width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1);
    return static_cast<std::uint8_t>((static_cast<std::uint64_t>(v) * 255 + max / 2) / max);
}

// Reads the header and palette. heightDoubled: icon images store colour and mask rows together.
bool ReadDibLayout(ByteView image, bool heightDoubled, DibLayout& out) {
    const auto headerSize = image.U32(dib_info_header::kHeaderSize);
    if (!headerSize) return false;
    std::int64_t width = 0, height = 0;
    std::uint32_t colours = 0;
    std::uint64_t paletteOffset = 0;
    std::uint64_t paletteEntrySize = 4;
    if (*headerSize == kCoreHeaderSize) {
        const auto header = image.Record<dib_core_header::kSize>(0);
        if (!header) return false;
        width = header->U16<dib_core_header::kWidth>();
        height = static_cast<std::int16_t>(header->U16<dib_core_header::kHeight>());
        out.bits = header->U16<dib_core_header::kBitCount>();
        paletteOffset = kCoreHeaderSize;
        paletteEntrySize = 3;
        colours = out.bits <= 8 ? (1u << out.bits) : 0;
    } else {
        if (*headerSize < kInfoHeaderSize) return false;
        const auto header = image.Record<dib_info_header::kSize>(0);
        if (!header) return false;
        width = static_cast<std::int32_t>(header->U32<dib_info_header::kWidth>());
        height = static_cast<std::int32_t>(header->U32<dib_info_header::kHeight>());
        out.bits = header->U16<dib_info_header::kBitCount>();
        out.compression = header->U32<dib_info_header::kCompression>();
        colours = std::min<std::uint32_t>(header->U32<dib_info_header::kColoursUsed>(), 256);
        if (!colours && out.bits <= 8) colours = 1u << out.bits;
        std::uint64_t masksEnd = *headerSize;
        if (out.compression == kBiBitfields) {
            if (out.bits != 16 && out.bits != 32) return false;
            // The three masks follow a 40-byte header and are part of every larger one.
            const auto masks = image.Record<dib_info_header::kBitfieldMasksSize>(kInfoHeaderSize);
            if (!masks) return false;
            out.masks = {masks->U32<0>(), masks->U32<4>(), masks->U32<8>()};
            masksEnd = std::max<std::uint64_t>(*headerSize, kInfoHeaderSize + dib_info_header::kBitfieldMasksSize);
        } else if (out.compression != kBiRgb) {
            return false;
        }
        paletteOffset = masksEnd;
    }
    if (out.bits != 1 && out.bits != 4 && out.bits != 8 && out.bits != 16 && out.bits != 24 && out.bits != 32) {
        return false;
    }
    if (out.compression == kBiRgb && out.bits == 16) out.masks = {0x7C00, 0x03E0, 0x001F};
    out.topDown = height < 0;
    if (height < 0) height = -height;
    if (heightDoubled) height /= 2;
    if (width <= 0 || height <= 0 || width > kMaxRenderedImageSide || height > kMaxRenderedImageSide) return false;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    const auto palette = image.Sub(paletteOffset, std::uint64_t{colours} * paletteEntrySize);
    if (!palette) return false;
    out.palette.resize(colours);
    for (std::uint32_t i = 0; i < colours; ++i) {
        const auto entry = palette->Record<3>(i * paletteEntrySize);  // blue, green, red
        if (!entry) return false;
        out.palette[i] = Pixel(entry->U8<0>(), entry->U8<1>(), entry->U8<2>(), 0xFF);
    }
    out.bitsOffset = paletteOffset + palette->size();
    return true;
}

std::uint64_t Stride(int width, int bits) { return ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4; }

// Colour of pixel x in a row of colour bits (alpha as stored for 32 bits, else 0xFF).
std::uint32_t ColourAt(const DibLayout& dib, const std::uint8_t* row, int x) {
    auto fromPalette = [&](std::uint32_t index) {
        return index < dib.palette.size() ? dib.palette[index] : Pixel(0, 0, 0, 0xFF);
    };
    switch (dib.bits) {
        case 1: return fromPalette((row[x / 8] >> (7 - x % 8)) & 1u);
        case 4: return fromPalette((row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0Fu);
        case 8: return fromPalette(row[x]);
        case 16: {
            const std::uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
            return Pixel(Channel(v, dib.masks[2]), Channel(v, dib.masks[1]), Channel(v, dib.masks[0]), 0xFF);
        }
        case 24: return Pixel(row[3 * x], row[3 * x + 1], row[3 * x + 2], 0xFF);
        default: {
            const std::uint8_t* p = row + 4 * x;
            if (dib.compression == kBiBitfields) {
                const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
                return Pixel(Channel(v, dib.masks[2]), Channel(v, dib.masks[1]), Channel(v, dib.masks[0]), p[3]);
            }
            return Pixel(p[0], p[1], p[2], p[3]);
        }
    }
}

// Decodes the colour rows (and the mask rows when withMask) of a DIB into out; the fourth byte of
// 32-bit pixels is alpha only in icon images.
bool DecodeDibPixels(ByteView image, bool withMask, IconPixels& out) {
    DibLayout dib;
    if (!ReadDibLayout(image, withMask, dib)) return false;
    const std::uint64_t stride = Stride(dib.width, dib.bits);
    const auto colour = image.Sub(dib.bitsOffset, stride * dib.height);
    if (!colour) return false;
    const std::uint64_t maskStride = Stride(dib.width, 1);
    std::optional<ByteView> mask;
    if (withMask) mask = image.Sub(dib.bitsOffset + colour->size(), maskStride * dib.height);

    out.width = dib.width;
    out.height = dib.height;
    out.bgra.assign(static_cast<std::size_t>(dib.width) * dib.height, 0);
    bool anyAlpha = false;
    for (int y = 0; y < dib.height; ++y) {
        const int stored = dib.topDown ? y : dib.height - 1 - y;
        const std::uint8_t* row = colour->data() + stride * stored;
        std::uint32_t* target = out.bgra.data() + static_cast<std::size_t>(y) * dib.width;
        for (int x = 0; x < dib.width; ++x) {
            target[x] = ColourAt(dib, row, x);
            if (withMask && dib.bits == 32 && (target[x] >> 24)) anyAlpha = true;
        }
    }
    if (anyAlpha) {
        for (std::uint32_t& p : out.bgra) {
            const std::uint32_t a = p >> 24;
            p = Pixel(Premultiply(p & 0xFF, a), Premultiply((p >> 8) & 0xFF, a), Premultiply((p >> 16) & 0xFF, a),
                      static_cast<std::uint8_t>(a));
        }
        return true;
    }
    if (withMask && !mask) return false;  // an image without alpha needs its mask
    for (int y = 0; y < dib.height; ++y) {
        const int stored = dib.topDown ? y : dib.height - 1 - y;
        const std::uint8_t* maskRow = mask ? mask->data() + maskStride * stored : nullptr;
        std::uint32_t* target = out.bgra.data() + static_cast<std::size_t>(y) * dib.width;
        for (int x = 0; x < dib.width; ++x) {
            const bool transparent = maskRow && ((maskRow[x / 8] >> (7 - x % 8)) & 1u);
            target[x] = transparent ? 0 : (target[x] | 0xFF000000u);
        }
    }
    return true;
}

// Bit count of an image as its own header states it, 32 for PNG, 0 when unreadable.
int ImageBitCount(ByteView image) {
    if (IsPngImage(image)) return 32;
    const auto headerSize = image.U32(dib_info_header::kHeaderSize);
    if (!headerSize) return 0;
    const auto bits =
        image.U16(*headerSize == kCoreHeaderSize ? dib_core_header::kBitCount : dib_info_header::kBitCount);
    return bits ? *bits : 0;
}

// Source spans of each target position for area averaging: (first source index, weights).
struct Span {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Span> AreaSpans(int source, int target) {
    std::vector<Span> spans(static_cast<std::size_t>(target));
    const double scale = static_cast<double>(source) / target;
    for (int i = 0; i < target; ++i) {
        const double begin = i * scale, end = (i + 1) * scale;
        Span& span = spans[static_cast<std::size_t>(i)];
        span.first = static_cast<int>(std::floor(begin));
        const int last = std::min(source - 1, static_cast<int>(std::ceil(end)) - 1);
        for (int s = span.first; s <= last; ++s) {
            const double overlap = std::min<double>(end, s + 1) - std::max<double>(begin, s);
            span.weights.push_back(overlap > 0 ? overlap / scale : 0.0);
        }
    }
    return spans;
}

}  // namespace

bool IsPngImage(ByteView image) {
    const auto head = image.Sub(0, sizeof kPngSignature);
    return head && std::equal(std::begin(kPngSignature), std::end(kPngSignature), head->data());
}

int ChooseIconImage(const IconGroupData& group, int width, int height, int displayBits) {
    const std::size_t n = group.entries.size();
    if (n == 0) return -1;
    auto side = [](std::uint8_t v) { return v == 0 ? 256 : static_cast<int>(v); };
    auto distance = [&](std::size_t i) {
        return std::abs(width - side(group.entries[i].Width)) + std::abs(height - side(group.entries[i].Height));
    };
    int nearest = distance(0);
    for (std::size_t i = 1; i < n; ++i) nearest = std::min(nearest, distance(i));
    int best = -1;
    int bestDepth = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (distance(i) != nearest) continue;
        int bits = group.entries[i].BitCount;
        if (bits == 0 && i < group.images.size()) bits = ImageBitCount(group.images[i]);
        const int depth = std::abs(displayBits - bits);
        if (best < 0 || depth < bestDepth) {
            best = static_cast<int>(i);
            bestDepth = depth;
        }
    }
    return best;
}

bool DecodeIconImage(ByteView image, IconPixels& out, PngDecoder png) {
    out = IconPixels();
    if (IsPngImage(image)) {
        if (!png || !png(image, out)) return false;
        const bool sane = out.width > 0 && out.height > 0 && out.width <= kMaxRenderedImageSide &&
                          out.height <= kMaxRenderedImageSide &&
                          out.bgra.size() == static_cast<std::size_t>(out.width) * out.height;
        if (!sane) out = IconPixels();
        return sane;
    }
    if (!DecodeDibPixels(image, true, out)) {
        out = IconPixels();
        return false;
    }
    return true;
}

bool DecodeDib(ByteView dib, IconPixels& out) {
    out = IconPixels();
    if (!DecodeDibPixels(dib, false, out)) {
        out = IconPixels();
        return false;
    }
    return true;
}

IconPixels ScaleAreaAverage(const IconPixels& in, int width, int height) {
    IconPixels out;
    if (width <= 0 || height <= 0 || in.width <= 0 || in.height <= 0) return out;
    out.width = width;
    out.height = height;
    out.bgra.assign(static_cast<std::size_t>(width) * height, 0);
    if (width == in.width && height == in.height) {
        out.bgra = in.bgra;
        return out;
    }
    const std::vector<Span> columns = AreaSpans(in.width, width);
    const std::vector<Span> rows = AreaSpans(in.height, height);
    // Horizontal pass into four channels of doubles, then the vertical pass.
    std::vector<std::array<double, 4>> across(static_cast<std::size_t>(width) * in.height);
    for (int y = 0; y < in.height; ++y) {
        const std::uint32_t* source = in.bgra.data() + static_cast<std::size_t>(y) * in.width;
        for (int x = 0; x < width; ++x) {
            const Span& span = columns[static_cast<std::size_t>(x)];
            std::array<double, 4> sum{};
            for (std::size_t k = 0; k < span.weights.size(); ++k) {
                const std::uint32_t p = source[span.first + static_cast<int>(k)];
                for (int c = 0; c < 4; ++c) sum[c] += span.weights[k] * ((p >> (8 * c)) & 0xFF);
            }
            across[static_cast<std::size_t>(y) * width + x] = sum;
        }
    }
    for (int y = 0; y < height; ++y) {
        const Span& span = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            std::array<double, 4> sum{};
            for (std::size_t k = 0; k < span.weights.size(); ++k) {
                const auto& v = across[static_cast<std::size_t>(span.first + static_cast<int>(k)) * width + x];
                for (int c = 0; c < 4; ++c) sum[c] += span.weights[k] * v[c];
            }
            std::uint32_t channels[4];
            for (int c = 0; c < 4; ++c) channels[c] = static_cast<std::uint32_t>(std::clamp(sum[c] + 0.5, 0.0, 255.0));
            // Premultiplied colour never exceeds its alpha.
            for (int c = 0; c < 3; ++c) channels[c] = std::min(channels[c], channels[3]);
            out.bgra[static_cast<std::size_t>(y) * width + x] =
                channels[0] | (channels[1] << 8) | (channels[2] << 16) | (channels[3] << 24);
        }
    }
    return out;
}

void PlacePixels(const IconPixels& source, IconPixels& target, int x, int y) {
    const int left = std::max(0, x), top = std::max(0, y);
    const int right = std::min(target.width, x + source.width), bottom = std::min(target.height, y + source.height);
    if (target.bgra.size() != static_cast<std::size_t>(target.width) * target.height ||
        source.bgra.size() != static_cast<std::size_t>(source.width) * source.height) {
        return;
    }
    for (int ty = top; ty < bottom; ++ty) {
        for (int tx = left; tx < right; ++tx) {
            const std::uint32_t s = source.bgra[static_cast<std::size_t>(ty - y) * source.width + (tx - x)];
            std::uint32_t& t = target.bgra[static_cast<std::size_t>(ty) * target.width + tx];
            const std::uint32_t keep = 255 - (s >> 24);
            std::uint32_t result = 0;
            for (int c = 0; c < 4; ++c) {
                const std::uint32_t v = ((s >> (8 * c)) & 0xFF) + (((t >> (8 * c)) & 0xFF) * keep + 127) / 255;
                result |= std::min<std::uint32_t>(v, 255) << (8 * c);
            }
            t = result;
        }
    }
}

void ToStraightAlpha(std::vector<std::uint32_t>& bgra) {
    for (std::uint32_t& p : bgra) {
        const std::uint32_t a = p >> 24;
        if (a == 0) {
            p = 0;
            continue;
        }
        if (a == 255) continue;
        std::uint32_t result = a << 24;
        for (int c = 0; c < 3; ++c) {
            result |= std::min<std::uint32_t>((((p >> (8 * c)) & 0xFF) * 255 + a / 2) / a, 255) << (8 * c);
        }
        p = result;
    }
}

bool RenderIcon(const IconGroupData& group, int width, int height, IconPixels& out, PngDecoder png) {
    out = IconPixels();
    if (width <= 0 || height <= 0 || width > kMaxRenderedImageSide || height > kMaxRenderedImageSide) return false;
    const int chosen = ChooseIconImage(group, width, height);
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= group.images.size()) return false;
    IconPixels image;
    if (!DecodeIconImage(group.images[static_cast<std::size_t>(chosen)], image, png)) return false;
    out = (image.width == width && image.height == height) ? std::move(image) : ScaleAreaAverage(image, width, height);
    return true;
}

}  // namespace qm
