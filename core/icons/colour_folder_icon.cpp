#include "core/icons/colour_folder_icon.h"

#include <algorithm>
#include <cmath>

namespace qm {

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
