#include "core/icons/emblems.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace qm {
namespace {

constexpr std::wstring_view kNames[] = {L"done",   L"progress", L"important", L"favourite",
                                        L"locked", L"rejected", L"question",  L"flag"};

// ---- shapes on the unit square (x right, y down) ----
struct Point {
    double x, y;
};

enum class Kind { Disc, Stroke, Polygon, Box, Hook };

// Disc: centre a, radius r. Stroke: the segment a-b widened by r on each side (round ends).
// Polygon: points (even-odd rule). Box: a to b with corners rounded by r. Hook: the ring of
// radius b.x and half width r around a, without its lower left quarter (the top of a question
// mark, or, with b.y set, only its upper half: a padlock's shackle).
struct Shape {
    Kind kind;
    Point a{}, b{};
    double r = 0;
    std::vector<Point> points{};
};

struct Layer {
    Shape shape;
    std::uint32_t rgb;  // 0xRRGGBB
};

double SegmentDistance(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool InPolygon(Point p, const std::vector<Point>& points) {
    bool inside = false;
    const Point* v = points.data();
    const std::size_t n = points.size();
    if (n < 3) return false;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        if ((v[i].y > p.y) != (v[j].y > p.y) && p.x < (v[j].x - v[i].x) * (p.y - v[i].y) / (v[j].y - v[i].y) + v[i].x)
            inside = !inside;
    }
    return inside;
}

bool Holds(const Shape& s, Point p) {
    switch (s.kind) {
        case Kind::Disc: return std::hypot(p.x - s.a.x, p.y - s.a.y) <= s.r;
        case Kind::Stroke: return SegmentDistance(p, s.a, s.b) <= s.r;
        case Kind::Polygon: return InPolygon(p, s.points);
        case Kind::Box: {
            if (p.x < s.a.x || p.x > s.b.x || p.y < s.a.y || p.y > s.b.y) return false;
            const double cx = std::clamp(p.x, s.a.x + s.r, s.b.x - s.r);
            const double cy = std::clamp(p.y, s.a.y + s.r, s.b.y - s.r);
            return std::hypot(p.x - cx, p.y - cy) <= s.r;
        }
        case Kind::Hook: {
            const double d = std::hypot(p.x - s.a.x, p.y - s.a.y);
            if (std::abs(d - s.b.x) > s.r) return false;
            if (s.b.y > 0) return p.y <= s.a.y;
            return p.y <= s.a.y || p.x >= s.a.x;
        }
    }
    return false;
}

Shape Disc(double x, double y, double r) { return {Kind::Disc, {x, y}, {}, r}; }
Shape Stroke(double x0, double y0, double x1, double y1, double r) { return {Kind::Stroke, {x0, y0}, {x1, y1}, r}; }

constexpr std::uint32_t kWhite = 0xFFFFFF;

// Each emblem front to back: the first layer that holds a sample gives its colour. The symbols
// are bold enough to stay readable at 10 pixels (the emblem of a 16-pixel icon).
std::vector<Layer> Layers(Emblem emblem) {
    const Shape badge = Disc(0.5, 0.5, 0.5);
    switch (emblem) {
        case Emblem::Done:
            return {{Stroke(0.27, 0.52, 0.44, 0.69, 0.09), kWhite},
                    {Stroke(0.44, 0.69, 0.75, 0.33, 0.09), kWhite},
                    {badge, 0x2E9E48}};
        case Emblem::Progress:
            return {{Stroke(0.5, 0.5, 0.5, 0.26, 0.075), 0x1A5FB4},
                    {Stroke(0.5, 0.5, 0.7, 0.5, 0.075), 0x1A5FB4},
                    {Disc(0.5, 0.5, 0.35), kWhite},
                    {badge, 0x1A5FB4}};
        case Emblem::Important:
            return {{Stroke(0.5, 0.2, 0.5, 0.5, 0.095), kWhite}, {Disc(0.5, 0.78, 0.1), kWhite}, {badge, 0xE66100}};
        case Emblem::Favourite:
            return {{{Kind::Polygon,
                      {},
                      {},
                      0,
                      {{0.5, 0.02},
                       {0.63, 0.34},
                       {0.98, 0.37},
                       {0.71, 0.6},
                       {0.8, 0.95},
                       {0.5, 0.76},
                       {0.2, 0.95},
                       {0.29, 0.6},
                       {0.02, 0.37},
                       {0.37, 0.34}}},
                     0xF5B400}};
        case Emblem::Locked:
            return {{Disc(0.5, 0.66, 0.08), 0x4A3A00},
                    {{Kind::Box, {0.14, 0.44}, {0.86, 0.98}, 0.08}, 0xC98A00},
                    {{Kind::Hook, {0.5, 0.34}, {0.22, 1}, 0.08}, 0x6B6B6B},
                    {Stroke(0.28, 0.34, 0.28, 0.46, 0.08), 0x6B6B6B},
                    {Stroke(0.72, 0.34, 0.72, 0.46, 0.08), 0x6B6B6B}};
        case Emblem::Rejected:
            return {{Stroke(0.31, 0.31, 0.69, 0.69, 0.09), kWhite},
                    {Stroke(0.69, 0.31, 0.31, 0.69, 0.09), kWhite},
                    {badge, 0xC01C28}};
        case Emblem::Question:
            return {{{Kind::Hook, {0.5, 0.35}, {0.15, 0}, 0.08}, kWhite},
                    {Stroke(0.5, 0.5, 0.5, 0.58, 0.08), kWhite},
                    {Disc(0.5, 0.77, 0.085), kWhite},
                    {badge, 0x613583}};
        case Emblem::Flag:
            return {{Stroke(0.2, 0.06, 0.2, 0.95, 0.06), 0x4D4D4D},
                    {{Kind::Polygon, {}, {}, 0, {{0.24, 0.08}, {0.94, 0.08}, {0.74, 0.32}, {0.94, 0.56}, {0.24, 0.56}}},
                     0xD0202A}};
    }
    return {};
}

std::uint32_t Over(std::uint32_t top, std::uint32_t bottom) {
    const std::uint32_t keep = 255 - (top >> 24);
    std::uint32_t out = 0;
    for (int c = 0; c < 32; c += 8) {
        const std::uint32_t v = ((top >> c) & 0xFF) + (((bottom >> c) & 0xFF) * keep + 127) / 255;
        out |= std::min<std::uint32_t>(v, 255) << c;
    }
    return out;
}

}  // namespace

std::wstring_view EmblemName(Emblem emblem) { return kNames[static_cast<int>(emblem)]; }

std::optional<Emblem> EmblemByName(std::wstring_view name) {
    for (const Emblem e : kStockEmblems) {
        const std::wstring_view n = EmblemName(e);
        if (n.size() == name.size() && std::equal(n.begin(), n.end(), name.begin(), [](wchar_t a, wchar_t b) {
                return a == (b >= L'A' && b <= L'Z' ? static_cast<wchar_t>(b - L'A' + L'a') : b);
            }))
            return e;
    }
    return std::nullopt;
}

std::optional<EmblemArgument> ParseEmblemArgument(std::wstring_view text) {
    if (text.empty()) return std::nullopt;
    EmblemArgument out;
    if ((out.stock = EmblemByName(text))) return out;
    out.file = std::wstring(text);
    const std::size_t comma = text.rfind(L',');
    if (comma == std::wstring_view::npos || comma == 0) return out;
    const std::wstring_view digits = text.substr(comma + 1);
    if (digits.empty() || digits.size() > 4) return out;
    int index = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return out;
        index = index * 10 + (c - L'0');
    }
    out.file = std::wstring(text.substr(0, comma));
    out.index = index;
    return out;
}

int EmblemSide(int imageSize) {
    constexpr int kTable[][2] = {{16, 10}, {20, 12}, {24, 14}, {32, 16}, {40, 20}, {48, 24}, {64, 32}, {256, 128}};
    for (const auto& row : kTable)
        if (row[0] == imageSize) return row[1];
    return std::max(1, imageSize / 2);
}

int EmblemHaloWidth(int imageSize) { return imageSize >= 256 ? 4 : imageSize >= 64 ? 2 : 1; }

IconPixels DrawEmblem(Emblem emblem, int side) {
    IconPixels out;
    if (side < 1) return out;
    out.width = out.height = side;
    out.bgra.assign(static_cast<std::size_t>(side) * side, 0);
    const std::vector<Layer> layers = Layers(emblem);
    constexpr int kSamples = 4;
    for (int py = 0; py < side; ++py) {
        for (int px = 0; px < side; ++px) {
            double sum[3] = {0, 0, 0}, cover = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Point p{(px + (sx + 0.5) / kSamples) / side, (py + (sy + 0.5) / kSamples) / side};
                    for (const Layer& l : layers) {
                        if (!Holds(l.shape, p)) continue;
                        for (int c = 0; c < 3; ++c) sum[c] += (l.rgb >> (8 * c)) & 0xFF;  // B, G, R
                        cover += 1;
                        break;
                    }
                }
            }
            constexpr double n = kSamples * kSamples;
            const auto a = static_cast<std::uint32_t>(std::lround(cover / n * 255));
            std::uint32_t pixel = a << 24;
            for (int c = 0; c < 3; ++c)
                pixel |= std::min(a, static_cast<std::uint32_t>(std::lround(sum[c] / n))) << (8 * c);
            out.bgra[static_cast<std::size_t>(py) * side + px] = pixel;
        }
    }
    return out;
}

void CompositeEmblem(IconPixels& image, const IconPixels& emblem, int haloWidth) {
    if (image.width <= 0 || image.height <= 0 || emblem.width <= 0 || emblem.height <= 0) return;
    if (image.bgra.size() != static_cast<std::size_t>(image.width) * image.height) return;
    if (emblem.bgra.size() != static_cast<std::size_t>(emblem.width) * emblem.height) return;
    const int w = std::max(0, haloWidth);
    const int left = image.width - emblem.width, top = image.height - emblem.height;
    const auto emblemAlpha = [&](int x, int y) -> std::uint32_t {
        if (x < 0 || y < 0 || x >= emblem.width || y >= emblem.height) return 0;
        return emblem.bgra[static_cast<std::size_t>(y) * emblem.width + x] >> 24;
    };
    // The halo reaches w pixels beyond the emblem's square (where the image has room).
    for (int y = std::max(0, top - w); y < image.height; ++y) {
        for (int x = std::max(0, left - w); x < image.width; ++x) {
            const int ex = x - left, ey = y - top;
            std::uint32_t reach = 0;
            for (int dy = -w; dy <= w; ++dy)
                for (int dx = -w; dx <= w; ++dx)
                    if (dx * dx + dy * dy <= w * w + w) reach = std::max(reach, emblemAlpha(ex + dx, ey + dy));
            const std::uint32_t ha = (reach * kEmblemHaloAlpha + 127) / 255;
            const std::uint32_t halo = ha | (ha << 8) | (ha << 16) | (ha << 24);
            const bool inEmblem = ex >= 0 && ey >= 0 && ex < emblem.width && ey < emblem.height;
            const std::uint32_t mark = inEmblem ? emblem.bgra[static_cast<std::size_t>(ey) * emblem.width + ex] : 0;
            std::uint32_t& target = image.bgra[static_cast<std::size_t>(y) * image.width + x];
            target = Over(Over(mark, halo), target);
        }
    }
}

void AddStockEmblem(IconPixels& image, Emblem emblem) {
    CompositeEmblem(image, DrawEmblem(emblem, EmblemSide(image.width)), EmblemHaloWidth(image.width));
}

}  // namespace qm
