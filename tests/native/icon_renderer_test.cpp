// The icon renderer: image choice, BMP-format decoding of every depth and layout against the
// pixels the image was written from, PNG handed to the caller's decoder, area-averaging scale,
// and damaged images.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "core/icons/binary_layouts.h"
#include "core/icons/icon_renderer.h"
#include "tests/support/icon_fixtures.h"

using namespace qm;
using qmtest::Put16;
using qmtest::Put32;

namespace {

ByteView View(const std::vector<std::uint8_t>& b) { return ByteView(b.data(), b.size()); }

std::uint32_t Bgra(int b, int g, int r, int a) {
    return static_cast<std::uint32_t>(b) | (g << 8) | (r << 16) | (static_cast<std::uint32_t>(a) << 24);
}

// A picture to write: colour per pixel (alpha used for 32 bits only), AND-mask bit per pixel.
struct Truth {
    int width = 0, height = 0;
    std::vector<std::uint32_t> colour;
    std::vector<bool> masked;
};

Truth MakeTruth(int w, int h, std::uint32_t seed, bool withAlpha) {
    Truth t{w, h, {}, {}};
    std::uint32_t x = seed * 2654435761u + 7;
    for (int i = 0; i < w * h; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        t.colour.push_back(withAlpha ? x : (x & 0x00FFFFFFu));
        t.masked.push_back(((x >> 7) % 3) == 0);
    }
    return t;
}

struct Layout {
    int bits = 32;
    bool topDown = false;
    bool withMask = true;
    bool bitfields = false;
    std::uint32_t clrUsed = 0;  // palette entries written (0: all for the depth)
    int headerSize = 40;        // 40, 108 (V4) or 12 (core)
};

// Writes an icon image of `t` in `layout`. Palette depths take their palette from the distinct
// colours of t (t must hold few enough); 16 bits write 5-5-5 (or 5-6-5 bitfields).
std::vector<std::uint8_t> WriteImage(const Truth& t, const Layout& l, std::vector<std::uint32_t>* palette = nullptr) {
    std::vector<std::uint32_t> pal;
    if (l.bits <= 8) {
        for (std::uint32_t c : t.colour) {
            if (std::find(pal.begin(), pal.end(), c & 0xFFFFFF) == pal.end()) pal.push_back(c & 0xFFFFFF);
        }
        pal.resize(l.clrUsed ? l.clrUsed : (1u << l.bits), 0);
    }
    if (palette) *palette = pal;
    const std::size_t stride = ((static_cast<std::size_t>(t.width) * l.bits + 31) / 32) * 4;
    const std::size_t maskStride = ((static_cast<std::size_t>(t.width) + 31) / 32) * 4;
    std::vector<std::uint8_t> b;
    Put32(b, dib_info_header::kHeaderSize, static_cast<std::uint32_t>(l.headerSize));
    if (l.headerSize == static_cast<int>(dib_core_header::kSize)) {
        Put16(b, dib_core_header::kWidth, static_cast<std::uint16_t>(t.width));
        Put16(b, dib_core_header::kHeight, static_cast<std::uint16_t>(2 * t.height));
        Put16(b, dib_core_header::kPlanes, 1);
        Put16(b, dib_core_header::kBitCount, static_cast<std::uint16_t>(l.bits));
    } else {
        Put32(b, dib_info_header::kWidth, static_cast<std::uint32_t>(t.width));
        Put32(b, dib_info_header::kHeight, static_cast<std::uint32_t>(l.topDown ? -2 * t.height : 2 * t.height));
        Put16(b, dib_info_header::kPlanes, 1);
        Put16(b, dib_info_header::kBitCount, static_cast<std::uint16_t>(l.bits));
        Put32(b, dib_info_header::kCompression, l.bitfields ? dib_info_header::kBitfields : dib_info_header::kRgb);
        Put32(b, dib_info_header::kColoursUsed, l.clrUsed);
        b.resize(static_cast<std::size_t>(l.headerSize), 0);
        if (l.bitfields) {
            const bool rgb565 = l.bits == 16;
            constexpr std::size_t kMasks = dib_info_header::kSize;  // red, green, blue
            Put32(b, kMasks, rgb565 ? 0xF800 : 0xFF0000);
            Put32(b, kMasks + 4, rgb565 ? 0x07E0 : 0x00FF00);
            Put32(b, kMasks + 8, rgb565 ? 0x001F : 0x0000FF);
            if (b.size() < kMasks + dib_info_header::kBitfieldMasksSize)
                b.resize(kMasks + dib_info_header::kBitfieldMasksSize);
        }
    }
    for (std::uint32_t c : pal) {
        b.push_back(c & 0xFF);
        b.push_back((c >> 8) & 0xFF);
        b.push_back((c >> 16) & 0xFF);
        if (l.headerSize != static_cast<int>(dib_core_header::kSize)) b.push_back(0);
    }
    const std::size_t bitsAt = b.size();
    b.resize(bitsAt + stride * t.height + (l.withMask ? maskStride * t.height : 0), 0);
    for (int y = 0; y < t.height; ++y) {
        const int stored = l.topDown ? y : t.height - 1 - y;
        std::uint8_t* row = b.data() + bitsAt + stride * stored;
        std::uint8_t* maskRow = b.data() + bitsAt + stride * t.height + maskStride * stored;
        for (int x = 0; x < t.width; ++x) {
            const std::uint32_t c = t.colour[y * t.width + x];
            const std::uint32_t index =
                static_cast<std::uint32_t>(std::find(pal.begin(), pal.end(), c & 0xFFFFFF) - pal.begin());
            switch (l.bits) {
                case 1: row[x / 8] |= static_cast<std::uint8_t>(index << (7 - x % 8)); break;
                case 4: row[x / 2] |= static_cast<std::uint8_t>(index << (x % 2 ? 0 : 4)); break;
                case 8: row[x] = static_cast<std::uint8_t>(index); break;
                case 16: {
                    const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, bl = c & 0xFF;
                    const std::uint32_t v = l.bitfields ? ((r >> 3) << 11) | ((g >> 2) << 5) | (bl >> 3)
                                                        : ((r >> 3) << 10) | ((g >> 3) << 5) | (bl >> 3);
                    row[2 * x] = static_cast<std::uint8_t>(v);
                    row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    break;
                }
                case 24:
                    for (int k = 0; k < 3; ++k) row[3 * x + k] = static_cast<std::uint8_t>(c >> (8 * k));
                    break;
                default:
                    for (int k = 0; k < 4; ++k) row[4 * x + k] = static_cast<std::uint8_t>(c >> (8 * k));
            }
            if (l.withMask && t.masked[y * t.width + x]) maskRow[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return b;
}

// What the renderer should give for pixel i of t written at `bits` bits.
std::uint32_t Expected(const Truth& t, const Layout& l, int i) {
    std::uint32_t c = t.colour[i];
    if (l.bits == 16) {  // the written precision, widened again with rounding
        auto widen = [](std::uint32_t v, int width) {
            const std::uint32_t max = (1u << width) - 1;
            return (v * 255 + max / 2) / max;
        };
        const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        const int gw = l.bitfields ? 6 : 5;
        c = Bgra(static_cast<int>(widen(b >> 3, 5)), static_cast<int>(widen(g >> (8 - gw), gw)),
                 static_cast<int>(widen(r >> 3, 5)), 0xFF);
    }
    const bool alpha = l.bits == 32 && [&] {
        for (std::uint32_t p : t.colour) {
            if (p >> 24) return true;
        }
        return false;
    }();
    if (alpha) {
        const std::uint32_t a = c >> 24;
        auto pm = [&](int shift) { return static_cast<int>((((c >> shift) & 0xFF) * a + 127) / 255); };
        return Bgra(pm(0), pm(8), pm(16), static_cast<int>(a));
    }
    if (l.withMask && t.masked[i]) return 0;
    return c | 0xFF000000u;
}

// A truth with at most `colours` distinct colours (for palette depths).
Truth FewColours(int w, int h, std::uint32_t seed, int colours) {
    Truth t = MakeTruth(w, h, seed, false);
    const Truth source = MakeTruth(colours, 1, seed + 99, false);
    for (std::size_t i = 0; i < t.colour.size(); ++i) t.colour[i] = source.colour[t.colour[i] % colours];
    return t;
}

}  // namespace

TEST(IconRendererDecode, EveryDepthAndLayoutGivesThePixelsWritten) {
    struct Case {
        const char* what;
        int width, height;
        Layout layout;
        bool alpha;
    } cases[] = {
        {"1 bit, odd width", 13, 7, {1}, false},
        {"1 bit, width 33 crosses a mask word", 33, 3, {1}, false},
        {"4 bits, odd width", 15, 16, {4}, false},
        {"4 bits, palette of 5", 9, 9, {4, false, true, false, 5}, false},
        {"8 bits", 16, 16, {8}, false},
        {"8 bits, top-down", 17, 5, {8, true}, false},
        {"8 bits, core header", 11, 6, {8, false, true, false, 0, 12}, false},
        {"16 bits 5-5-5", 7, 4, {16}, false},
        {"16 bits 5-6-5 bitfields", 7, 4, {16, false, true, true}, false},
        {"24 bits, padded rows", 5, 3, {24}, false},
        {"24 bits, V4 header", 5, 3, {24, false, true, false, 0, 108}, false},
        {"32 bits without alpha uses the mask", 16, 16, {32}, false},
        {"32 bits with alpha and mask", 16, 16, {32}, true},
        {"32 bits with alpha, no mask", 24, 24, {32, false, false}, true},
        {"32 bits with alpha, top-down", 3, 2, {32, true}, true},
    };
    for (const Case& c : cases) {
        const int colours =
            c.layout.bits <= 8 ? std::min(1 << c.layout.bits, c.layout.clrUsed ? int(c.layout.clrUsed) : 256) : 0;
        const Truth t = colours ? FewColours(c.width, c.height, 3, colours) : MakeTruth(c.width, c.height, 5, c.alpha);
        const std::vector<std::uint8_t> image = WriteImage(t, c.layout);
        IconPixels out;
        ASSERT_TRUE(DecodeIconImage(View(image), out)) << c.what;
        ASSERT_EQ(out.width, c.width) << c.what;
        ASSERT_EQ(out.height, c.height) << c.what;
        int wrong = 0;
        for (int i = 0; i < c.width * c.height; ++i) {
            if (out.bgra[i] != Expected(t, c.layout, i) && wrong++ < 3) {
                ADD_FAILURE() << c.what << ": pixel " << i << " is " << std::hex << out.bgra[i] << ", expected "
                              << Expected(t, c.layout, i);
            }
        }
        EXPECT_EQ(wrong, 0) << c.what;
    }
}

TEST(IconRendererDecode, TransparentPixelsHaveAlphaZeroAndOpaqueOnes255) {
    Truth t = FewColours(8, 8, 11, 16);
    const std::vector<std::uint8_t> image = WriteImage(t, {4});
    IconPixels out;
    ASSERT_TRUE(DecodeIconImage(View(image), out));
    int transparent = 0;
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(out.bgra[i] >> 24, t.masked[i] ? 0u : 255u) << i;
        if (t.masked[i]) {
            EXPECT_EQ(out.bgra[i], 0u);
            ++transparent;
        }
    }
    EXPECT_GT(transparent, 0);
}

TEST(IconRendererDecode, DamagedImagesGiveNoPicture) {
    const Truth t = FewColours(16, 16, 1, 16);
    const std::vector<std::uint8_t> good = WriteImage(t, {4});
    const std::vector<std::uint8_t> noAlphaNoMask = WriteImage(MakeTruth(4, 4, 1, false), {32, false, false});
    using namespace dib_info_header;
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        const std::vector<std::uint8_t>* base;
    } cases[] = {
        {"empty", [](auto& b) { b.clear(); }, &good},
        {"cut inside the header", [](auto& b) { b.resize(20); }, &good},
        {"cut inside the palette", [](auto& b) { b.resize(60); }, &good},
        {"cut inside the colour bits", [](auto& b) { b.resize(40 + 64 + 100); }, &good},
        {"cut inside the mask", [](auto& b) { b.resize(b.size() - 1); }, &good},
        {"header size 0", [](auto& b) { Put32(b, kHeaderSize, 0); }, &good},
        {"header size 39", [](auto& b) { Put32(b, kHeaderSize, 39); }, &good},
        {"header size beyond the image", [](auto& b) { Put32(b, kHeaderSize, 0x7FFFFFFF); }, &good},
        {"width 0", [](auto& b) { Put32(b, kWidth, 0); }, &good},
        {"negative width", [](auto& b) { Put32(b, kWidth, 0xFFFFFFF0u); }, &good},
        {"height 1 (no colour rows)", [](auto& b) { Put32(b, kHeight, 1); }, &good},
        {"huge width", [](auto& b) { Put32(b, kWidth, 0x10000000u); }, &good},
        {"huge height", [](auto& b) { Put32(b, kHeight, 0x80000000u); }, &good},
        {"bit count 3", [](auto& b) { Put16(b, kBitCount, 3); }, &good},
        {"bit count 0", [](auto& b) { Put16(b, kBitCount, 0); }, &good},
        {"compression RLE4", [](auto& b) { Put32(b, kCompression, 2); }, &good},
        {"bitfields on 4 bits", [](auto& b) { Put32(b, kCompression, kBitfields); }, &good},
        {"PNG signature without a decoder",
         [](auto& b) {
             const std::uint8_t sig[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
             std::copy(std::begin(sig), std::end(sig), b.begin());
         },
         &good},
        {"32 bits without alpha and without mask", [](auto&) {}, &noAlphaNoMask},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = *c.base;
        c.damage(bytes);
        IconPixels out;
        out.width = 5;
        EXPECT_FALSE(DecodeIconImage(View(bytes), out)) << c.what;
        EXPECT_EQ(out.width, 0) << c.what;
        EXPECT_TRUE(out.bgra.empty()) << c.what;
    }
    IconPixels out;
    EXPECT_TRUE(DecodeIconImage(View(good), out));  // the base itself decodes
}

TEST(IconRendererDecode, PngGoesToTheCallersDecoderWithItsBytes) {
    static std::vector<std::uint8_t> seen;
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 1, 2, 3};
    PngDecoder decoder = [](ByteView bytes, IconPixels& out) {
        seen.assign(bytes.data(), bytes.data() + bytes.size());
        out.width = 2;
        out.height = 1;
        out.bgra = {0x80402010u, 0};
        return true;
    };
    IconPixels out;
    ASSERT_TRUE(DecodeIconImage(View(png), out, decoder));
    EXPECT_EQ(seen, png);
    EXPECT_EQ(out.bgra, (std::vector<std::uint32_t>{0x80402010u, 0}));

    PngDecoder inconsistent = [](ByteView, IconPixels& out) {
        out.width = 4;
        out.height = 4;
        out.bgra.assign(3, 0);  // fewer pixels than it says
        return true;
    };
    EXPECT_FALSE(DecodeIconImage(View(png), out, inconsistent));
    EXPECT_TRUE(out.bgra.empty());
}

TEST(IconRendererDib, PlainBitmapIsOpaqueAndNotHalved) {
    const Truth t = FewColours(13, 13, 4, 200);
    std::vector<std::uint8_t> dib = WriteImage(t, {8, false, false});
    Put32(dib, 8, 13);  // a plain bitmap's height is its own
    IconPixels out;
    ASSERT_TRUE(DecodeDib(View(dib), out));
    ASSERT_EQ(out.width, 13);
    ASSERT_EQ(out.height, 13);
    for (int i = 0; i < 169; ++i) EXPECT_EQ(out.bgra[i], t.colour[i] | 0xFF000000u) << i;
}

namespace {

IconGroupData Group(std::initializer_list<std::tuple<int, int, int>> sizes) {
    IconGroupData g;
    std::uint16_t id = 1;
    for (const auto& [w, h, bits] : sizes) {
        GroupIconEntry e;
        e.Width = static_cast<std::uint8_t>(w);
        e.Height = static_cast<std::uint8_t>(h);
        e.BitCount = static_cast<std::uint16_t>(bits);
        e.Planes = 1;
        e.ID = id++;
        g.entries.push_back(e);
        g.images.emplace_back();
    }
    return g;
}

}  // namespace

TEST(IconRendererChoice, NearestSizeThenNearestDepthThenFirst) {
    struct Case {
        const char* what;
        IconGroupData group;
        int width, height;
        int expected;
    } cases[] = {
        {"exact size", Group({{16, 16, 4}, {32, 32, 32}, {48, 48, 8}}), 32, 32, 1},
        {"exact size, best depth of two", Group({{16, 16, 4}, {16, 16, 32}, {16, 16, 8}}), 16, 16, 1},
        {"depth tie: first", Group({{16, 16, 8}, {16, 16, 8}}), 16, 16, 0},
        {"between two sizes: depth decides", Group({{16, 16, 32}, {32, 32, 4}}), 24, 24, 0},
        {"between two sizes: depth decides the other way", Group({{16, 16, 4}, {32, 32, 32}}), 24, 24, 1},
        {"nearest larger", Group({{16, 16, 32}, {64, 64, 32}}), 20, 20, 0},
        {"nearest of all smaller", Group({{16, 16, 32}, {32, 32, 32}}), 48, 48, 1},
        {"width 0 is 256", Group({{0, 0, 32}, {48, 48, 32}}), 200, 200, 0},
        {"one image", Group({{48, 48, 8}}), 16, 16, 0},
        {"not square", Group({{16, 32, 32}, {24, 24, 32}}), 16, 30, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ChooseIconImage(c.group, c.width, c.height), c.expected) << c.what;
    EXPECT_EQ(ChooseIconImage(IconGroupData{}, 16, 16), -1);
}

TEST(IconRendererChoice, DirectoryBitCountZeroIsTakenFromTheImage) {
    const std::vector<std::uint8_t> four = WriteImage(FewColours(16, 16, 1, 16), {4});
    const std::vector<std::uint8_t> full = WriteImage(MakeTruth(16, 16, 1, true), {32});
    IconGroupData g = Group({{16, 16, 0}, {16, 16, 0}});
    g.images = {View(four), View(full)};
    EXPECT_EQ(ChooseIconImage(g, 16, 16), 1);
    std::swap(g.images[0], g.images[1]);
    EXPECT_EQ(ChooseIconImage(g, 16, 16), 0);
}

TEST(IconRendererScale, AreaAveragingKeepsFlatColourAndAveragesBlocks) {
    IconPixels flat{6, 6, std::vector<std::uint32_t>(36, Bgra(10, 20, 30, 255))};
    for (auto [w, h] : {std::pair{4, 4}, std::pair{9, 9}, std::pair{1, 1}, std::pair{6, 3}}) {
        const IconPixels s = ScaleAreaAverage(flat, w, h);
        ASSERT_EQ(s.bgra.size(), static_cast<std::size_t>(w * h));
        for (std::uint32_t p : s.bgra) EXPECT_EQ(p, Bgra(10, 20, 30, 255)) << w << "x" << h;
    }
    // 4x2 to 2x1: each target pixel is the mean of a 2x2 block.
    IconPixels blocks{4,
                      2,
                      {Bgra(0, 0, 0, 0), Bgra(100, 0, 0, 255), Bgra(8, 8, 8, 8), Bgra(8, 8, 8, 8), Bgra(0, 0, 0, 0),
                       Bgra(100, 0, 0, 255), Bgra(8, 8, 8, 8), Bgra(16, 16, 16, 16)}};
    const IconPixels half = ScaleAreaAverage(blocks, 2, 1);
    EXPECT_EQ(half.bgra, (std::vector<std::uint32_t>{Bgra(50, 0, 0, 128), Bgra(10, 10, 10, 10)}));
    // 3 to 2: the middle source pixel is shared half and half.
    IconPixels three{3, 1, {Bgra(90, 90, 90, 90), Bgra(30, 30, 30, 30), Bgra(0, 0, 0, 0)}};
    EXPECT_EQ(ScaleAreaAverage(three, 2, 1).bgra,
              (std::vector<std::uint32_t>{Bgra(70, 70, 70, 70), Bgra(10, 10, 10, 10)}));
}

TEST(IconRendererRender, ChoosesDecodesAndScalesToTheTarget) {
    const std::vector<std::uint8_t> ico = qmtest::MakeIcoFile({{16, 16, 4, 3}, {32, 32, 32, 4}});
    IconGroupData g;
    std::wstring failure;
    ASSERT_TRUE(ReadIcoFile(View(ico), g, failure));
    IconPixels exact, scaled, direct;
    ASSERT_TRUE(RenderIcon(g, 32, 32, exact));
    ASSERT_TRUE(DecodeIconImage(g.images[1], direct));
    EXPECT_EQ(exact.bgra, direct.bgra);
    ASSERT_TRUE(RenderIcon(g, 24, 24, scaled));  // from the 32-bit image, shrunk
    EXPECT_EQ(scaled.width, 24);
    EXPECT_EQ(scaled.bgra, ScaleAreaAverage(direct, 24, 24).bgra);
    IconPixels none;
    EXPECT_FALSE(RenderIcon(g, 0, 16, none));
    EXPECT_FALSE(RenderIcon(IconGroupData{}, 16, 16, none));
}

TEST(IconRendererCompose, PlacedPixelsGoOverTheTargetClippedToIt) {
    IconPixels target{3, 2, std::vector<std::uint32_t>(6, Bgra(0, 0, 200, 255))};
    const IconPixels source{2, 2, {Bgra(10, 20, 30, 255), 0, Bgra(0, 0, 0, 0), Bgra(50, 0, 0, 128)}};
    PlacePixels(source, target, 2, 0);   // only the left column lands, at x = 2
    PlacePixels(source, target, -1, 0);  // only the right column lands, at x = 0
    EXPECT_EQ(target.bgra,
              (std::vector<std::uint32_t>{Bgra(0, 0, 200, 255), Bgra(0, 0, 200, 255), Bgra(10, 20, 30, 255),
                                          Bgra(50, 0, 100, 255), Bgra(0, 0, 200, 255), Bgra(0, 0, 200, 255)}));
}

TEST(IconRendererCompose, StraightAlphaUndoesThePremultiplication) {
    std::vector<std::uint32_t> pixels = {Bgra(64, 32, 0, 128), Bgra(10, 20, 30, 255), Bgra(5, 5, 5, 0)};
    ToStraightAlpha(pixels);
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{Bgra(128, 64, 0, 128), Bgra(10, 20, 30, 255), 0}));
}
