#include "core/icons/picture_icon.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstring>

#include "core/icons/icon_readers.h"
#include "core/icons/picture_structure.h"

namespace qm {

bool PictureSizeAllowed(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height * 4 <= kMaxPictureDecodedBytes;
}

PictureFormat PictureFormatOf(ByteView file) {
    const auto starts = [&](std::initializer_list<std::uint8_t> bytes) {
        if (file.size() < bytes.size()) return false;
        return std::equal(bytes.begin(), bytes.end(), file.data());
    };
    if (starts({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return PictureFormat::Png;
    if (starts({0xFF, 0xD8, 0xFF})) return PictureFormat::Jpeg;
    if (starts({'B', 'M'}) && file.size() >= 18) return PictureFormat::Bmp;  // file header and header size
    if (starts({'G', 'I', 'F', '8', '7', 'a'}) || starts({'G', 'I', 'F', '8', '9', 'a'})) return PictureFormat::Gif;
    if (starts({'I', 'I', 0x2A, 0x00}) || starts({'M', 'M', 0x00, 0x2A})) return PictureFormat::Tiff;
    return PictureFormat::None;
}

namespace {

using byte_view_detail::Be16;
using byte_view_detail::Be32;

std::optional<PictureSize> JpegSize(ByteView file) {
    // The first start-of-frame (C0..CF but DHT C4, JPG C8, DAC CC) holds the size.
    std::optional<PictureSize> size;
    WalkJpegSegments(file, [&](const JpegSegment& segment) {
        const std::uint8_t code = segment.code;
        if (code < 0xC0 || code > 0xCF || code == 0xC4 || code == 0xC8 || code == 0xCC) return false;
        if (segment.length >= 7 && segment.data.size() >= 5)
            size = PictureSize{Be16(segment.data.data() + 3), Be16(segment.data.data() + 1)};
        return true;
    });
    return size;
}

std::optional<PictureSize> TiffSize(ByteView file) {
    const TiffStructure tiff(file);
    const auto width = tiff.FirstDirectoryValue(256), height = tiff.FirstDirectoryValue(257);
    if (!width || !height) return std::nullopt;
    return PictureSize{*width, *height};
}

}  // namespace

std::optional<PictureSize> PictureHeaderSize(ByteView file) {
    switch (PictureFormatOf(file)) {
        case PictureFormat::Png: {
            // signature, then the IHDR chunk: length 13, "IHDR", width, height (big-endian)
            const auto ihdr = file.Sub(8, 16);
            if (!ihdr || std::memcmp(ihdr->data() + 4, "IHDR", 4) != 0) return std::nullopt;
            return PictureSize{Be32(ihdr->data() + 8), Be32(ihdr->data() + 12)};
        }
        case PictureFormat::Bmp: {
            const auto size = file.U32(14);
            if (!size) return std::nullopt;
            if (*size == 12) {  // BITMAPCOREHEADER
                const auto w = file.U16(18), h = file.U16(20);
                if (!w || !h) return std::nullopt;
                return PictureSize{*w, *h};
            }
            const auto w = file.U32(18), h = file.U32(22);
            if (*size < 40 || !w || !h) return std::nullopt;
            const auto sw = static_cast<std::int32_t>(*w), sh = static_cast<std::int32_t>(*h);
            if (sw <= 0 || sh == 0 || sh == INT32_MIN) return std::nullopt;
            return PictureSize{static_cast<std::uint64_t>(sw), static_cast<std::uint64_t>(sh < 0 ? -sh : sh)};
        }
        case PictureFormat::Gif: {
            // The logical screen bounds every image; decoders make a canvas of that size.
            const auto w = file.U16(6), h = file.U16(8);
            if (!w || !h) return std::nullopt;
            return PictureSize{*w, *h};
        }
        case PictureFormat::Jpeg: return JpegSize(file);
        case PictureFormat::Tiff: return TiffSize(file);
        case PictureFormat::None: break;
    }
    return std::nullopt;
}

IconPixels FitPictureInSquare(const IconPixels& picture, int size) {
    IconPixels square;
    square.width = square.height = size;
    square.bgra.assign(static_cast<std::size_t>(size) * size, 0);
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.bgra.size() != static_cast<std::size_t>(picture.width) * picture.height) {
        return square;
    }
    int w = size, h = size;
    if (picture.width > picture.height) {
        h = std::max(1, static_cast<int>(std::lround(static_cast<double>(picture.height) * size / picture.width)));
    } else if (picture.height > picture.width) {
        w = std::max(1, static_cast<int>(std::lround(static_cast<double>(picture.width) * size / picture.height)));
    }
    PlacePixels(ScaleAreaAverage(picture, w, h), square, (size - w) / 2, (size - h) / 2);
    return square;
}

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> MadeIconFile(const std::function<IconPixels(int size)>& image, PngEncoder png) {
    std::vector<std::vector<std::uint8_t>> images;
    IconGroupData group;
    group.header = IconHeader{0, 1, static_cast<std::uint16_t>(kMadeIconSizes.size())};
    for (const int size : kMadeIconSizes) {
        const IconPixels pixels = image(size);
        std::vector<std::uint8_t> bytes;
        if (size >= 256) {
            if (!png || !png(pixels, bytes) || bytes.empty()) return {};
        } else {
            bytes = BmpIconImage(pixels);
        }
        GroupIconEntry entry;
        entry.Width = entry.Height = static_cast<std::uint8_t>(size & 0xFF);  // 0 stands for 256
        entry.Planes = 1;
        entry.BitCount = 32;
        entry.BytesInRes = static_cast<std::uint32_t>(bytes.size());
        entry.ID = static_cast<std::uint16_t>(group.entries.size() + 1);
        group.entries.push_back(entry);
        images.push_back(std::move(bytes));
    }
    for (const auto& bytes : images) group.images.emplace_back(bytes.data(), bytes.size());
    return IcoFileBytes(group);
}

std::vector<std::uint8_t> BmpIconImage(const IconPixels& pixels) {
    const int w = pixels.width, h = pixels.height;
    const std::size_t maskStride = static_cast<std::size_t>((w + 31) / 32) * 4;
    const std::uint32_t colourBytes = static_cast<std::uint32_t>(w) * h * 4;
    const std::uint32_t maskBytes = static_cast<std::uint32_t>(maskStride * h);
    std::vector<std::uint8_t> out;
    out.reserve(40 + colourBytes + maskBytes);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(w));
    Put32(out, static_cast<std::uint32_t>(h * 2));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);  // BI_RGB
    Put32(out, colourBytes + maskBytes);
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    std::vector<std::uint32_t> straight = pixels.bgra;
    straight.resize(static_cast<std::size_t>(w) * h, 0);
    ToStraightAlpha(straight);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) Put32(out, straight[static_cast<std::size_t>(y) * w + x]);
    for (int y = h - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if ((straight[static_cast<std::size_t>(y) * w + x] >> 24) == 0)
                row[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<std::uint8_t> PictureIconFile(const IconPixels& picture, PngEncoder png) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    return MadeIconFile([&](int size) { return FitPictureInSquare(picture, size); }, png);
}

// ---- colours ----

std::optional<RgbColour> ParseColourText(std::wstring_view text) {
    if (text.size() != 7 || text[0] != L'#') return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const wchar_t c = text[i];
        const int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                          : c >= L'a' && c <= L'f' ? c - L'a' + 10
                          : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                                   : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return RgbColour{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                     static_cast<std::uint8_t>(value)};
}

std::wstring ColourText(RgbColour colour) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring text = L"#";
    for (const std::uint8_t v : {colour.r, colour.g, colour.b}) {
        text += kHex[v >> 4];
        text += kHex[v & 15];
    }
    return text;
}

namespace {

// The folder drawn on a 256-unit grid: a back panel with its tab, a sheet of paper, the front
// panel. Each layer is a rounded rectangle with a vertical grey gradient.
struct Layer {
    double x0, y0, x1, y1, radius;
    double greyTop, greyBottom;
};

constexpr Layer kFolderLayers[] = {
    // front to back: the first layer that holds a point gives its grey
    {18, 222, 238, 230, 6, 92, 84},    // shadow edge under the front panel
    {18, 88, 238, 226, 14, 158, 116},  // front panel
    {18, 84, 238, 92, 4, 196, 176},    // light on the front panel's top edge
    {36, 58, 220, 120, 4, 238, 226},   // paper
    {18, 44, 238, 214, 14, 104, 86},   // back panel
    {18, 28, 112, 64, 10, 112, 104},   // tab
};

bool InRoundedRect(const Layer& l, double x, double y) {
    if (x < l.x0 || x > l.x1 || y < l.y0 || y > l.y1) return false;
    // A corner never rounds more than half the shorter side.
    const double r = std::min({l.radius, (l.x1 - l.x0) / 2, (l.y1 - l.y0) / 2});
    const double cx = std::clamp(x, l.x0 + r, l.x1 - r);
    const double cy = std::clamp(y, l.y0 + r, l.y1 - r);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

}  // namespace

IconPixels FolderShape(int size) {
    IconPixels out;
    if (size <= 0) return out;
    out.width = out.height = size;
    out.bgra.assign(static_cast<std::size_t>(size) * size, 0);
    constexpr int kSamples = 4;  // 4 x 4 samples a pixel smooth the edges
    const double unit = 256.0 / size;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double grey = 0, cover = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (px + (sx + 0.5) / kSamples) * unit;
                    const double y = (py + (sy + 0.5) / kSamples) * unit;
                    for (const Layer& l : kFolderLayers) {
                        if (!InRoundedRect(l, x, y)) continue;
                        const double t = (y - l.y0) / (l.y1 - l.y0);
                        grey += l.greyTop + (l.greyBottom - l.greyTop) * t;
                        cover += 1;
                        break;
                    }
                }
            }
            const double n = kSamples * kSamples;
            // premultiplied: the sum of the covered samples' greys over all samples
            const auto a = static_cast<std::uint32_t>(std::lround(cover / n * 255));
            const auto g = std::min(a, static_cast<std::uint32_t>(std::lround(grey / n)));
            out.bgra[static_cast<std::size_t>(py) * size + px] = g | (g << 8) | (g << 16) | (a << 24);
        }
    }
    return out;
}

IconPixels RecolourGrey(const IconPixels& grey, RgbColour colour) {
    IconPixels out = grey;
    const auto shade = [](int c, int g) {
        // g in 0..255 with 128 the colour itself
        return g <= 128 ? c * g / 128 : c + (255 - c) * (g - 128) / 127;
    };
    for (std::uint32_t& p : out.bgra) {
        const std::uint32_t a = p >> 24;
        if (a == 0) {
            p = 0;
            continue;
        }
        const int g = static_cast<int>(std::min<std::uint32_t>(255, ((p & 0xFF) * 255 + a / 2) / a));
        const int rgb[3] = {shade(colour.b, g), shade(colour.g, g), shade(colour.r, g)};
        std::uint32_t q = a << 24;
        for (int c = 0; c < 3; ++c)
            q |= static_cast<std::uint32_t>((rgb[c] * static_cast<int>(a) + 127) / 255) << (8 * c);
        p = q;
    }
    return out;
}

std::vector<std::uint8_t> ColourFolderIconFile(RgbColour colour, PngEncoder png) {
    return MadeIconFile([&](int size) { return RecolourGrey(FolderShape(size), colour); }, png);
}

}  // namespace qm
