// Emblems: the eight stock marks at every made size, readable at the 10 pixels of a 16-pixel icon,
// and their placement on an icon image (lower right corner, white halo, premultiplied alpha)
// against a reference the test computes on its own: the halo spread from each emblem pixel
// outwards, and the blending done in floating point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/icons/emblems.h"

using namespace qm;

namespace {

struct SizeRow {
    int image, side, halo;
};
constexpr SizeRow kSizes[] = {{16, 10, 1}, {20, 12, 1}, {24, 14, 1}, {32, 16, 1},
                              {40, 20, 1}, {48, 24, 1}, {64, 32, 2}, {256, 128, 4}};

std::uint32_t Alpha(std::uint32_t p) { return p >> 24; }
double Channel(std::uint32_t p, int c) { return (p >> (8 * c)) & 0xFF; }

// The symbol (light) and body (dark or coloured) of an emblem at 10 pixels: '.' mostly
// transparent, '+' a light pixel, '#' any other.
std::string Sketch(const IconPixels& p) {
    std::string out;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t v = p.bgra[static_cast<std::size_t>(y) * p.width + x];
            const std::uint32_t a = Alpha(v);
            const double lum = a ? (Channel(v, 2) * 0.3 + Channel(v, 1) * 0.6 + Channel(v, 0) * 0.1) * 255 / a : 0;
            out += a < 128 ? '.' : lum > 170 ? '+' : '#';
        }
        out += '\n';
    }
    return out;
}

// What each emblem looks like at 10 pixels: the symbol stands out of its badge (or is the badge).
struct SketchCase {
    Emblem emblem;
    const char* sketch;
};
const SketchCase kSketches[] = {
    {Emblem::Done,
     "...####...\n.########.\n.######+#.\n######++##\n##+##+++##\n##+++++###\n###+++####\n.###+####.\n.########."
     "\n...####...\n"},
    {Emblem::Progress,
     "...####...\n.########.\n.##+##+##.\n##++##++##\n##++######\n##++######\n##++++++##\n.##++++##.\n.########."
     "\n...####...\n"},
    {Emblem::Important,
     "...####...\n.###++###.\n.###++###.\n####++####\n####++####\n####++####\n##########\n.###++###.\n.###++###."
     "\n...####...\n"},
    {Emblem::Favourite,
     "..........\n....++....\n....++....\n.++++++++.\n.++++++++.\n..++++++..\n...++++...\n..++++++..\n..++..++.."
     "\n..........\n"},
    {Emblem::Locked,
     "....##....\n...####...\n..##..##..\n..##..##..\n..######..\n.########.\n.########.\n.########.\n.########."
     "\n..######..\n"},
    {Emblem::Rejected,
     "...####...\n.########.\n.##+##+##.\n##++++++##\n###++++###\n###++++###\n##++++++##\n.##+##+##.\n.########."
     "\n...####...\n"},
    {Emblem::Question,
     "...####...\n.###++###.\n.##++++##.\n######+###\n#####++###\n####++####\n##########\n.###++###.\n.########."
     "\n...####...\n"},
    {Emblem::Flag,
     "..#.......\n.########.\n.#######..\n.#######..\n.########.\n.########.\n.##.......\n.##.......\n.##......."
     "\n.##.......\n"},
};

TEST(Emblems, NamesRoundTripInAnyCase) {
    const char* const names[] = {"done",   "progress", "important", "favourite",
                                 "locked", "rejected", "question",  "flag"};
    for (std::size_t i = 0; i < kStockEmblems.size(); ++i) {
        const std::string n = names[i];
        const std::wstring wide(n.begin(), n.end());
        EXPECT_EQ(EmblemName(kStockEmblems[i]), wide);
        std::wstring upper = wide;
        for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
        EXPECT_EQ(EmblemByName(upper), kStockEmblems[i]) << n;
    }
    for (const wchar_t* bad : {L"", L"don", L"done ", L"star", L"favorite"}) EXPECT_FALSE(EmblemByName(bad)) << bad;
}

TEST(Emblems, ArgumentIsANameOrAFileWithAnIndex) {
    struct Case {
        const wchar_t* text;
        std::optional<Emblem> stock;
        const wchar_t* file;
        int index;
    };
    const Case cases[] = {
        {L"Flag", Emblem::Flag, L"", 0},
        {L"C:\\marks\\tick.ico", std::nullopt, L"C:\\marks\\tick.ico", 0},
        {L"C:\\Windows\\shell32.dll,44", std::nullopt, L"C:\\Windows\\shell32.dll", 44},
        {L"C:\\a,b\\pic.png", std::nullopt, L"C:\\a,b\\pic.png", 0},    // no number after the comma
        {L"C:\\lib.dll,-3", std::nullopt, L"C:\\lib.dll,-3", 0},        // no resource ids
        {L"C:\\lib.dll,12345", std::nullopt, L"C:\\lib.dll,12345", 0},  // beyond 9999
        {L"C:\\lib.dll,", std::nullopt, L"C:\\lib.dll,", 0},
        {L"done,1", std::nullopt, L"done", 1},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseEmblemArgument(c.text);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->stock, c.stock);
        EXPECT_EQ(parsed->file, c.file);
        EXPECT_EQ(parsed->index, c.index);
    }
    EXPECT_FALSE(ParseEmblemArgument(L""));
}

TEST(Emblems, SidesAndHalosPerImageSize) {
    for (const auto& row : kSizes) {
        EXPECT_EQ(EmblemSide(row.image), row.side) << row.image;
        EXPECT_EQ(EmblemHaloWidth(row.image), row.halo) << row.image;
    }
}

TEST(Emblems, ReadableAtTenPixels) {
    for (const auto& c : kSketches) {
        const IconPixels p = DrawEmblem(c.emblem, 10);
        ASSERT_EQ(p.width, 10);
        EXPECT_EQ(Sketch(p), c.sketch) << std::string(EmblemName(c.emblem).begin(), EmblemName(c.emblem).end()) << ":\n"
                                       << Sketch(p);
    }
    // no two emblems look alike
    for (std::size_t i = 0; i < std::size(kSketches); ++i)
        for (std::size_t j = i + 1; j < std::size(kSketches); ++j)
            EXPECT_NE(Sketch(DrawEmblem(kSketches[i].emblem, 10)), Sketch(DrawEmblem(kSketches[j].emblem, 10)));
}

// Drawn at each side, not scaled: the covered share of the square is the same at every size (within
// what the edge pixels change), every pixel is premultiplied, and the shape fills its square.
TEST(Emblems, SameShapeAtEverySide) {
    for (const Emblem e : kStockEmblems) {
        const auto cover = [](const IconPixels& p) {
            double sum = 0;
            for (const auto v : p.bgra) sum += Alpha(v);
            return sum / 255 / p.bgra.size();
        };
        const double large = cover(DrawEmblem(e, 128));
        for (const auto& row : kSizes) {
            const IconPixels p = DrawEmblem(e, row.side);
            ASSERT_EQ(p.width, row.side);
            ASSERT_EQ(p.height, row.side);
            ASSERT_EQ(p.bgra.size(), static_cast<std::size_t>(row.side) * row.side);
            EXPECT_NEAR(cover(p), large, 0.06) << row.side;
            int minX = row.side, maxX = -1, minY = row.side, maxY = -1;
            for (int y = 0; y < row.side; ++y) {
                for (int x = 0; x < row.side; ++x) {
                    const std::uint32_t v = p.bgra[static_cast<std::size_t>(y) * row.side + x];
                    for (int c = 0; c < 3; ++c) ASSERT_LE(Channel(v, c), Alpha(v));
                    if (Alpha(v) < 128) continue;
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
            }
            EXPECT_GE(maxX - minX + 1, row.side * 7 / 10) << row.side;
            EXPECT_GE(maxY - minY + 1, row.side * 7 / 10) << row.side;
        }
    }
    EXPECT_TRUE(DrawEmblem(Emblem::Done, 0).bgra.empty());
}

// A base for the placement: opaque blue in the upper left quarter and a half-transparent green
// band across the middle rows; transparent elsewhere, so that the halo and the alpha-0 rule show.
IconPixels Base(int size) {
    IconPixels p;
    p.width = p.height = size;
    p.bgra.assign(static_cast<std::size_t>(size) * size, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            std::uint32_t& v = p.bgra[static_cast<std::size_t>(y) * size + x];
            if (x < size / 2 && y < size / 2)
                v = 0xFF2040C0;
            else if (y >= size * 5 / 8 && y < size * 6 / 8)
                v = 0x80004000;
        }
    return p;
}

// premultiplied "over" in floating point
struct Rgba {
    double c[4] = {0, 0, 0, 0};  // B, G, R, A
};
Rgba Of(std::uint32_t v) { return {{Channel(v, 0), Channel(v, 1), Channel(v, 2), Channel(v, 3)}}; }
Rgba Over(const Rgba& top, const Rgba& bottom) {
    Rgba r;
    for (int i = 0; i < 4; ++i) r.c[i] = top.c[i] + bottom.c[i] * (255 - top.c[3]) / 255;
    return r;
}

TEST(Emblems, PlacedInTheLowerRightCornerWithItsHalo) {
    for (const Emblem e : kStockEmblems) {
        for (const auto& row : kSizes) {
            SCOPED_TRACE(std::to_string(row.image) + " " + std::string(EmblemName(e).begin(), EmblemName(e).end()));
            const int n = row.image, s = row.side, w = row.halo;
            const IconPixels emblem = DrawEmblem(e, s);
            const IconPixels base = Base(n);
            IconPixels made = base;
            AddStockEmblem(made, e);
            ASSERT_EQ(made.bgra.size(), base.bgra.size());

            // the halo: every emblem pixel spreads 85 % of its alpha over the disc around it
            std::vector<double> halo(static_cast<std::size_t>(n) * n, 0);
            for (int ey = 0; ey < s; ++ey)
                for (int ex = 0; ex < s; ++ex) {
                    const double a = Alpha(emblem.bgra[static_cast<std::size_t>(ey) * s + ex]) * 0.85;
                    for (int dy = -w; dy <= w; ++dy)
                        for (int dx = -w; dx <= w; ++dx) {
                            if (std::hypot(dx, dy) > std::sqrt(w * w + w) + 1e-9) continue;
                            const int x = n - s + ex + dx, y = n - s + ey + dy;
                            if (x < 0 || y < 0 || x >= n || y >= n) continue;
                            double& h = halo[static_cast<std::size_t>(y) * n + x];
                            h = std::max(h, a);
                        }
                }
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const std::size_t i = static_cast<std::size_t>(y) * n + x;
                    const double h = halo[i];
                    Rgba top{{h, h, h, h}};
                    if (x >= n - s && y >= n - s)
                        top = Over(Of(emblem.bgra[static_cast<std::size_t>(y - (n - s)) * s + x - (n - s)]), top);
                    const Rgba want = Over(top, Of(base.bgra[i]));
                    const Rgba got = Of(made.bgra[i]);
                    for (int c = 0; c < 4; ++c)
                        ASSERT_NEAR(got.c[c], want.c[c], 1.5) << "pixel " << x << "," << y << " channel " << c;
                    // untouched outside the emblem and its halo; nothing where neither is
                    if (h == 0 && (x < n - s || y < n - s)) {
                        ASSERT_EQ(made.bgra[i], base.bgra[i]);
                    }
                    if (h == 0 && base.bgra[i] == 0 && top.c[3] == 0) {
                        ASSERT_EQ(made.bgra[i], 0u);
                    }
                }
            // the halo lies outside the emblem's own alpha: on a transparent image, the pixel left of
            // the emblem's square beside an opaque emblem pixel is white at 85 %
            IconPixels clear = base;
            std::fill(clear.bgra.begin(), clear.bgra.end(), 0u);
            AddStockEmblem(clear, e);
            bool touchesLeft = false, haloSeen = true;
            for (int y = n - s; y < n; ++y) {
                if (Alpha(emblem.bgra[static_cast<std::size_t>(y - (n - s)) * s]) != 255) continue;
                touchesLeft = true;
                haloSeen = haloSeen && clear.bgra[static_cast<std::size_t>(y) * n + n - s - 1] == 0xD9D9D9D9u;
            }
            if (touchesLeft) {
                EXPECT_TRUE(haloSeen);
            }
        }
    }
}

TEST(Emblems, AnyPictureAsEmblemAndOddInputs) {
    // an emblem of another side than the table's still sits in the corner
    IconPixels image = Base(32);
    IconPixels square;
    square.width = square.height = 6;
    square.bgra.assign(36, 0xFF0000FF);
    CompositeEmblem(image, square, 1);
    EXPECT_EQ(image.bgra[31 * 32 + 31], 0xFF0000FFu);
    EXPECT_EQ(image.bgra[26 * 32 + 26], 0xFF0000FFu);
    EXPECT_EQ(image.bgra[26 * 32 + 25], 0xD9D9D9D9u);  // halo on the transparent base
    EXPECT_EQ(image.bgra[24 * 32 + 24], 0u);           // beyond the halo
    // an emblem larger than the image is clipped; empty or inconsistent pixels change nothing
    IconPixels small = Base(8);
    const IconPixels before = small;
    CompositeEmblem(small, DrawEmblem(Emblem::Flag, 20), 2);
    EXPECT_EQ(small.bgra.size(), before.bgra.size());
    IconPixels broken;
    broken.width = broken.height = 4;
    small = before;
    CompositeEmblem(small, broken, 1);
    EXPECT_EQ(small.bgra, before.bgra);
    IconPixels empty;
    CompositeEmblem(empty, square, 1);
    EXPECT_TRUE(empty.bgra.empty());
}

}  // namespace
