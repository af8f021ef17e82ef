// Band gradients painted into real memory bitmaps and read back pixel by pixel.
#include <gtest/gtest.h>

#include <set>

#include "app/gradient_fill_win.h"

namespace {

using qm::FillGradient;

constexpr std::uint8_t kTopToBottom = 0;

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
    const struct {
        double x;
        long long want;
    } cases[] = {{0.5, 0},   {1.5, 2},       {2.5, 2},    {7.5, 8},    {22.5, 22}, {127.5, 128}, {-0.5, 0},
                 {-1.5, -2}, {-127.5, -128}, {2.4999, 2}, {2.5001, 3}, {3.0, 3},   {-2.6, -3}};
    for (const auto& c : cases) EXPECT_EQ(qm::RoundHalfEven(c.x), c.want) << c.x;
}

TEST(FillGradient, BandCountBelowOneDrawsNothingAndFails) {
    for (int bands : {0, -1, -1000}) {
        ui::Bitmap b(16, 16);
        EXPECT_FALSE(FillGradient(b.GetCanvas(), {0, 0, 16, 16}, bands, RGB(0, 0, 0), RGB(0, 0, 0), kTopToBottom));
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) ASSERT_EQ(b.Pixel(x, y), ui::kWhite) << bands;
        }
    }
}

TEST(FillGradient, BlackToWhiteIn256OnePixelBands) {
    ui::Bitmap b(4, 256);
    ASSERT_TRUE(FillGradient(b.GetCanvas(), {0, 0, 4, 256}, 256, RGB(0, 0, 0), RGB(255, 255, 255), kTopToBottom));
    for (int i = 0; i < 256; ++i) {
        const int grey = i < 128 ? i + 1 : (i < 255 ? i : 255);
        for (int x = 0; x < 4; ++x) ASSERT_EQ(b.Pixel(x, i), RGB(grey, grey, grey)) << "band " << i;
    }
}

TEST(FillGradient, FourBandsRoundHalvesToEven) {
    const COLORREF want[4] = {RGB(2, 5, 8), RGB(5, 10, 15), RGB(8, 15, 22), RGB(10, 20, 30)};
    // Top to bottom: two rows per band; left to right: two columns per band.
    for (std::uint8_t direction : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{7}}) {
        ui::Bitmap b(8, 8);
        ASSERT_TRUE(FillGradient(b.GetCanvas(), {0, 0, 8, 8}, 4, RGB(0, 0, 0), RGB(10, 20, 30), direction));
        for (int along = 0; along < 8; ++along) {
            for (int across = 0; across < 8; ++across) {
                const COLORREF got =
                    direction == qm::kGradientLeftToRight ? b.Pixel(along, across) : b.Pixel(across, along);
                ASSERT_EQ(got, want[along / 2]) << "direction " << int(direction) << " at " << along;
            }
        }
    }
}

TEST(FillGradient, SameColoursGiveASolidFill) {
    ui::Bitmap b(20, 30);
    ASSERT_TRUE(FillGradient(b.GetCanvas(), {0, 0, 20, 30}, 128, RGB(12, 200, 99), RGB(12, 200, 99), kTopToBottom));
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 20; ++x) ASSERT_EQ(b.Pixel(x, y), RGB(12, 200, 99));
    }
}

TEST(FillGradient, SystemColoursAreResolved) {
    ui::Bitmap b(5, 5);
    ASSERT_TRUE(FillGradient(b.GetCanvas(), {0, 0, 5, 5}, 128, ui::SystemColor(COLOR_WINDOW),
                             ui::SystemColor(COLOR_WINDOW), kTopToBottom));
    EXPECT_EQ(b.Pixel(2, 2), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(b.Pixel(4, 4), GetSysColor(COLOR_WINDOW));
}

TEST(FillGradient, MoreBandsThanRowsLeavesEmptyBandsAndNoOverlap) {
    // Red = band number + 1, so every row tells which band painted it.
    ui::Bitmap b(3, 100);
    ASSERT_TRUE(FillGradient(b.GetCanvas(), {0, 0, 3, 100}, 128, RGB(0, 0, 0), RGB(128, 0, 0), kTopToBottom));
    std::set<int> bandsSeen;
    int previous = -1;
    for (int y = 0; y < 100; ++y) {
        const int band = GetRValue(b.Pixel(1, y)) - 1;
        ASSERT_GT(band, previous) << "row " << y;  // each row its own band, in order
        // The band whose rounded edges contain the row.
        ASSERT_LE(qm::RoundHalfEven(band * 100.0 / 128), y);
        ASSERT_GT(qm::RoundHalfEven((band + 1) * 100.0 / 128), y);
        bandsSeen.insert(band);
        previous = band;
    }
    EXPECT_EQ(bandsSeen.size(), 100u);  // 28 of the 128 bands are empty
    EXPECT_EQ(*bandsSeen.begin(), 0);
    EXPECT_EQ(*bandsSeen.rbegin(), 127);
}

TEST(FillGradient, PaintsOnlyInsideTheRectangleMovedByItsCorner) {
    ui::Bitmap b(40, 40);
    ASSERT_TRUE(FillGradient(b.GetCanvas(), {10, 20, 30, 24}, 2, RGB(255, 255, 255), RGB(0, 0, 0), kTopToBottom));
    // Descending: 255 + round(-127.5) = 127, then exactly black.
    EXPECT_EQ(b.Pixel(10, 20), RGB(127, 127, 127));
    EXPECT_EQ(b.Pixel(29, 21), RGB(127, 127, 127));
    EXPECT_EQ(b.Pixel(10, 22), RGB(0, 0, 0));
    EXPECT_EQ(b.Pixel(29, 23), RGB(0, 0, 0));
    for (POINT p : {POINT{9, 20}, POINT{30, 20}, POINT{10, 19}, POINT{10, 24}, POINT{0, 0}, POINT{39, 39}}) {
        EXPECT_EQ(b.Pixel(p.x, p.y), ui::kWhite) << p.x << "," << p.y;
    }
}

}  // namespace
