#include <gtest/gtest.h>

#include <cstring>

#include "app/water_ripple.h"

namespace {

int ChangedCells(const qm::TCnWaterEffect& w) {
    int n = 0;
    for (int y = 0; y < w.Height(); ++y)
        for (int x = 0; x < w.Width(); ++x) n += w.Current(x, y) != 0;
    return n;
}

bool AllFlat(const qm::TCnWaterEffect& w) {
    for (int y = 0; y < w.Height(); ++y)
        for (int x = 0; x < w.Width(); ++x)
            if (w.Current(x, y) || w.Previous(x, y)) return false;
    return true;
}

struct Bitmap {
    Bitmap(int w, int h, std::uint8_t fill) : width(w), height(h), bytes(static_cast<std::size_t>(w) * h * 3, fill) {}
    qm::Picture24 View() { return {bytes.data(), width, height, static_cast<std::ptrdiff_t>(width) * 3}; }
    std::uint8_t* Px(int x, int y) { return bytes.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
    int width, height;
    std::vector<std::uint8_t> bytes;
};

TEST(WaterEffect, ResizeToNothingAndBack) {
    qm::TCnWaterEffect w;
    w.Resize(0, 50);
    EXPECT_EQ(w.Width(), 0);
    EXPECT_EQ(w.Height(), 0);
    w.AddDrop(1, 1, 3, 5);  // no area: nothing happens
    w.Propagate();
    w.Resize(-3, 4);
    EXPECT_EQ(w.Height(), 0);
    w.Resize(384, 76);
    EXPECT_EQ(w.Width(), 384);
    EXPECT_TRUE(AllFlat(w));
    EXPECT_EQ(w.Damping(), 20);
}

TEST(WaterEffect, DropShapes) {
    qm::TCnWaterEffect w;
    w.Resize(384, 76);
    w.AddDrop(100, 38, 12, 12);
    EXPECT_EQ(ChangedCells(w), 441);  // cells with dx^2 + dy^2 <= 144
    EXPECT_EQ(w.Current(100, 38), 12);
    EXPECT_EQ(w.Current(112, 38), 12);
    EXPECT_EQ(w.Current(113, 38), 0);
    EXPECT_EQ(w.Current(109, 47), 0);  // 81 + 81 > 144

    w.ClearRipples();
    w.AddDrop(5, 5, 0, 7);  // radius 0: one cell
    EXPECT_EQ(ChangedCells(w), 1);
    EXPECT_EQ(w.Current(5, 5), 7);

    w.ClearRipples();
    w.AddDrop(0, 12, 12, 12);  // at the left edge: only to the right
    for (int y = 0; y < 76; ++y)
        for (int x = 13; x < 384; ++x) ASSERT_EQ(w.Current(x, y), 0);
    EXPECT_EQ(w.Current(0, 12), 12);
    EXPECT_EQ(w.Current(12, 12), 12);
    EXPECT_EQ(w.Current(0, 0), 12);
    EXPECT_EQ(w.Current(0, 24), 12);
    EXPECT_EQ(ChangedCells(w), (441 + 25) / 2);  // the right half of the disc with its middle column
}

TEST(WaterEffect, RandomPositionStaysInsideAndSmallAreasDoNotFail) {
    int next = 0;
    const int values[] = {0, 32766, 12345, 7};
    qm::TCnWaterEffect w([&] { return values[next++ % 4]; });
    w.Resize(384, 76);
    for (int i = 0; i < 4; ++i) {
        w.ClearRipples();
        w.AddDrop(-1, 500, 10, 3);
        EXPECT_EQ(ChangedCells(w), 317) << i;  // the whole disc of radius 10 fits
    }
    w.Resize(10, 10);
    w.AddDrop(-1, -1, 12, 1);  // area smaller than the drop: a drop in the middle
    EXPECT_EQ(w.Current(5, 5), 1);
}

TEST(WaterEffect, DampingFlattensASingleDropIn23Steps) {
    qm::TCnWaterEffect w;
    w.Resize(384, 76);
    w.AddDrop(100, 38, 12, 12);
    int steps = 0;
    while (!AllFlat(w) && steps < 100) {
        w.Propagate();
        ++steps;
    }
    EXPECT_EQ(steps, 23);
}

TEST(WaterEffect, PropagateUsesClampedNeighboursAndTruncatingDivisions) {
    qm::TCnWaterEffect w;
    w.Resize(3, 3);
    w.AddDrop(0, 0, 0, 10);  // corner cell
    w.Propagate();
    // Corner (0,0): its eight clamped neighbours are (0,0) x3, (1,0) x2, (0,1) x2, (1,1): 30 / 4 = 7,
    // 7 * 204 / 256 = 5.
    EXPECT_EQ(w.Current(0, 0), 5);
    // (1,1) sees (0,0) once: 10 / 4 = 2, 2 * 204 / 256 = 1.
    EXPECT_EQ(w.Current(1, 1), 1);
    EXPECT_EQ(w.Current(2, 2), 0);
    // The map written last is now the current one; the old current became previous.
    EXPECT_EQ(w.Previous(0, 0), 10);
    w.ClearRipples();
    w.AddDrop(1, 1, 0, -10);  // negative heights truncate toward zero
    w.Propagate();
    EXPECT_EQ(w.Current(0, 0), -1);  // -10 / 4 = -2, -2 * 204 / 256 = -1
}

TEST(WaterEffect, RefractShiftsShadesAndClampsColourBytes) {
    qm::TCnWaterEffect w;
    w.Resize(8, 4);
    Bitmap src(8, 4, 0), dst(8, 4, 0);
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 4; ++y) {
            auto* p = src.Px(x, y);
            p[0] = static_cast<std::uint8_t>(10 + x);
            p[1] = 250;
            p[2] = static_cast<std::uint8_t>(100 + y);
        }
    // Flat surface: a plain copy.
    w.Refract(src.View(), dst.View());
    EXPECT_EQ(dst.bytes, src.bytes);

    // A height of 30 at (5,1): the pixel left of it sees dx = 0 - 30 = -30 (brightens, samples x-30:
    // outside, so a plain copy); the pixel right of it sees dx = +30 (darkens, samples x+30: outside).
    w.AddDrop(5, 1, 0, 30);
    w.Refract(src.View(), dst.View());
    EXPECT_EQ(0, std::memcmp(dst.Px(4, 1), src.Px(4, 1), 3));
    EXPECT_EQ(0, std::memcmp(dst.Px(6, 1), src.Px(6, 1), 3));

    // A height of 1 gives shifts of one pixel that stay inside, with shading clamped.
    qm::TCnWaterEffect small;
    small.Resize(8, 4);
    small.AddDrop(5, 1, 0, 1);
    small.Refract(src.View(), dst.View());
    // (4,1): dx = 0 - 1 = -1, dy = 0: samples (3,1), each byte minus -1, 250 + 1 = 251.
    EXPECT_EQ(dst.Px(4, 1)[0], src.Px(3, 1)[0] + 1);
    EXPECT_EQ(dst.Px(4, 1)[1], 251);
    // (6,1): dx = +1: samples (7,1), each byte minus 1.
    EXPECT_EQ(dst.Px(6, 1)[0], src.Px(7, 1)[0] - 1);
    // (5,0): dy = 0 - 1 = -1: samples (5,-1), outside: a plain copy.
    EXPECT_EQ(0, std::memcmp(dst.Px(5, 0), src.Px(5, 0), 3));

    // Clamping: bytes of 10 with dx = 30 give 0, bytes of 250 with dx = -30 give 255.
    qm::TCnWaterEffect wide;
    wide.Resize(80, 3);
    Bitmap s2(80, 3, 10), d2(80, 3, 0);
    for (int x = 0; x < 80; ++x) s2.Px(x, 1)[1] = 250;
    wide.AddDrop(41, 1, 0, 30);  // (40,1): dx = -30, samples (10,1); (42,1): dx = 30, samples (72,1)
    wide.Refract(s2.View(), d2.View());
    EXPECT_EQ(d2.Px(40, 1)[0], 40);   // 10 + 30
    EXPECT_EQ(d2.Px(40, 1)[1], 255);  // 250 + 30 clamped
    EXPECT_EQ(d2.Px(42, 1)[0], 0);    // 10 - 30 clamped
    EXPECT_EQ(d2.Px(42, 1)[1], 220);
}

TEST(WaterEffect, BottomUpPicturesUseANegativeRowStep) {
    qm::TCnWaterEffect w;
    w.Resize(4, 3);
    Bitmap src(4, 3, 0), dst(4, 3, 0);
    for (int i = 0; i < 36; ++i) src.bytes[i] = static_cast<std::uint8_t>(i);
    // Row 0 of the picture is the last row in memory.
    qm::Picture24 s{src.bytes.data() + 24, 4, 3, -12}, d{dst.bytes.data() + 24, 4, 3, -12};
    w.Animate(s, d);
    EXPECT_EQ(dst.bytes, src.bytes);
}

}  // namespace
