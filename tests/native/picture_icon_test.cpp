// The portable side of pictures and colours: the picture header sizes read before any decoding
// (and the limits on them), the colour text and history, the square fit, the BMP icon image, and
// our folder shape recoloured with its hue and shading.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/base/text.h"
#include "core/icons/icon_readers.h"
#include "core/icons/colour_folder_icon.h"
#include "core/icons/made_icon.h"
#include "core/icons/picture_header.h"
#include "core/settings/colour_history.h"

using namespace qm;

namespace {

ByteView View(const std::vector<std::uint8_t>& b) { return ByteView(b.data(), b.size()); }

struct HeaderCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    PictureFormat format;
    bool readable;
    std::uint64_t width, height;
};

std::vector<std::uint8_t> Tiff(bool little, std::uint16_t widthType) {
    // header, IFD at 8 with two entries: ImageWidth (SHORT or LONG) 300, ImageLength (SHORT) 200
    std::vector<std::uint8_t> le = {'I', 'I', 42, 0, 8,   0,    0, 0, 2, 0, 0, 1, static_cast<std::uint8_t>(widthType),
                                    0,   1,   0,  0, 0,   0x2C, 1, 0, 0, 1, 1, 3, 0,
                                    1,   0,   0,  0, 200, 0,    0, 0};
    if (little) return le;
    return {'M',
            'M',
            0,
            42,
            0,
            0,
            0,
            8,
            0,
            2,
            1,
            0,
            0,
            static_cast<std::uint8_t>(widthType),
            0,
            0,
            0,
            1,
            static_cast<std::uint8_t>(widthType == 3 ? 1 : 0),
            static_cast<std::uint8_t>(widthType == 3 ? 0x2C : 0),
            static_cast<std::uint8_t>(widthType == 3 ? 0 : 1),
            static_cast<std::uint8_t>(widthType == 3 ? 0 : 0x2C),
            1,
            1,
            0,
            3,
            0,
            0,
            0,
            1,
            0,
            200,
            0,
            0};
}

std::vector<HeaderCase> HeaderCases() {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D',
                                     'R',  0,   0,   1,   0,  0,  0,  0,  3, 8, 6, 0,  0,   0};
    std::vector<std::uint8_t> bmp = {
        'B', 'M', 0, 0,  0, 0, 0, 0,    0,    0,    54,   0, 0, 0,  40,
        0,   0,   0, 64, 0, 0, 0, 0xD0, 0xFF, 0xFF, 0xFF, 1, 0, 24, 0};  // 64 x -48 (top-down)
    std::vector<std::uint8_t> core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26, 0,  0,
                                      0,   12,  0, 0, 0, 5, 0, 7, 0, 1, 0,  24, 0};
    std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0x20, 0x03, 0x58, 0x02, 0};
    // APP0 segment, then a fill byte, then SOF2 (progressive) 480 high, 640 wide
    std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0,    4,    1,    2,    0xFF, 0xFF,
                                      0xC2, 0,    11,   8,    0x01, 0xE0, 0x02, 0x80, 3};
    std::vector<std::uint8_t> jpegScanFirst = {0xFF, 0xD8, 0xFF, 0xDA, 0, 4, 0, 0};
    std::vector<std::uint8_t> jpegDht = {0xFF, 0xD8, 0xFF, 0xC4, 0, 2, 0xFF, 0xC0, 0, 11, 8, 0, 9, 0, 10, 3};
    const std::vector<std::uint8_t> tiff = Tiff(true, 4);
    std::vector<std::uint8_t> zeroLength = {0xFF, 0xD8, 0xFF, 0xE1, 0, 0};
    return {
        {"png", png, PictureFormat::Png, true, 256, 3},
        {"png_cut", std::vector<std::uint8_t>(png.begin(), png.begin() + 20), PictureFormat::Png, false, 0, 0},
        {"bmp_top_down", bmp, PictureFormat::Bmp, true, 64, 48},
        {"bmp_core", core, PictureFormat::Bmp, true, 5, 7},
        {"bmp_cut", std::vector<std::uint8_t>(bmp.begin(), bmp.begin() + 24), PictureFormat::Bmp, false, 0, 0},
        {"gif", gif, PictureFormat::Gif, true, 800, 600},
        {"jpeg", jpeg, PictureFormat::Jpeg, true, 640, 480},
        {"jpeg_dht_before_frame", jpegDht, PictureFormat::Jpeg, true, 10, 9},
        {"jpeg_scan_before_frame", jpegScanFirst, PictureFormat::Jpeg, false, 0, 0},
        {"jpeg_zero_length", zeroLength, PictureFormat::Jpeg, false, 0, 0},
        {"jpeg_cut", std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + 12), PictureFormat::Jpeg, false, 0, 0},
        {"tiff_le_long", Tiff(true, 4), PictureFormat::Tiff, true, 300, 200},
        {"tiff_le_short", Tiff(true, 3), PictureFormat::Tiff, true, 0x12C, 200},
        {"tiff_be_short", Tiff(false, 3), PictureFormat::Tiff, true, 300, 200},
        {"tiff_be_long", Tiff(false, 4), PictureFormat::Tiff, true, 300, 200},
        {"tiff_cut", std::vector<std::uint8_t>(tiff.begin(), tiff.begin() + 20), PictureFormat::Tiff, false, 0, 0},
        {"ico", {0, 0, 1, 0, 1, 0}, PictureFormat::None, false, 0, 0},
        {"empty", {}, PictureFormat::None, false, 0, 0},
    };
}

TEST(PictureHeader, FormatAndSizeAreReadFromTheHeaderAlone) {
    for (const HeaderCase& c : HeaderCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PictureFormatOf(View(c.bytes)), c.format);
        const auto size = PictureHeaderSize(View(c.bytes));
        ASSERT_EQ(size.has_value(), c.readable);
        if (size) {
            EXPECT_EQ(size->width, c.width);
            EXPECT_EQ(size->height, c.height);
        }
    }
}

TEST(PictureHeader, LimitsOnSidesAndDecodedSize) {
    EXPECT_TRUE(PictureSizeAllowed(1, 1));
    EXPECT_TRUE(PictureSizeAllowed(8192, 4096));  // 128 MiB of pixels exactly
    EXPECT_FALSE(PictureSizeAllowed(8192, 4097));
    EXPECT_FALSE(PictureSizeAllowed(8193, 1));
    EXPECT_FALSE(PictureSizeAllowed(1, 8193));
    EXPECT_FALSE(PictureSizeAllowed(0, 10));
    EXPECT_FALSE(PictureSizeAllowed(0xFFFFFFFFull, 0xFFFFFFFFull));
}

TEST(ColourText, OnlyHashAndSixHexDigits) {
    EXPECT_EQ(ParseColourText(L"#3A7BD5"), (RgbColour{0x3A, 0x7B, 0xD5}));
    EXPECT_EQ(ParseColourText(L"#ffb300"), (RgbColour{0xFF, 0xB3, 0x00}));
    for (const wchar_t* bad :
         {L"", L"#", L"3A7BD5", L"#3A7BD", L"#3A7BD55", L"#3A7BDG", L" #3A7BD5", L"#3A7BD5 ", L"red"})
        EXPECT_FALSE(ParseColourText(bad).has_value()) << WideToUtf8(bad);
    EXPECT_EQ(ColourText({0x0A, 0xBC, 0xF0}), L"#0ABCF0");
}

TEST(ColourHistory, NewestFirstWithoutRepeatsAndShort) {
    EXPECT_TRUE(ParseColourHistory(L"").empty());
    const auto h = ParseColourHistory(L"#111111,junk,#222222,#111111,,#333333");
    EXPECT_EQ(h, (std::vector<RgbColour>{{0x11, 0x11, 0x11}, {0x22, 0x22, 0x22}, {0x33, 0x33, 0x33}}));
    EXPECT_EQ(ColourHistoryText(WithColourFirst(h, {0x22, 0x22, 0x22})), L"#222222,#111111,#333333");
    std::vector<RgbColour> full;
    for (std::uint8_t i = 0; i < 12; ++i) full = WithColourFirst(full, {i, i, i});
    ASSERT_EQ(full.size(), kColourHistorySize);
    EXPECT_EQ(full.front(), (RgbColour{11, 11, 11}));
    EXPECT_EQ(full.back(), (RgbColour{4, 4, 4}));
    EXPECT_EQ(ParseColourHistory(ColourHistoryText(full)), full);
}

TEST(PictureFit, LongerSideFillsTheSquareAndThePictureIsCentred) {
    IconPixels wide{30, 10, std::vector<std::uint32_t>(300, 0xFF204080)};
    const IconPixels fit = FitPictureInSquare(wide, 24);
    ASSERT_EQ(fit.width, 24);
    ASSERT_EQ(fit.height, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            EXPECT_EQ(fit.bgra[static_cast<std::size_t>(y) * 24 + x], (y >= 8 && y < 16) ? 0xFF204080u : 0u)
                << x << "," << y;
    // a picture 1 pixel high still shows as one row
    const IconPixels line = FitPictureInSquare(IconPixels{100, 1, std::vector<std::uint32_t>(100, 0xFFFFFFFF)}, 16);
    EXPECT_EQ(std::count(line.bgra.begin(), line.bgra.end(), 0xFFFFFFFFu), 16);
}

TEST(BmpIconImage, ReadsBackThroughTheIconReaderWithItsMask) {
    IconPixels p{3, 2, {0xFF0000FF, 0x80404040, 0x00000000, 0xFF00FF00, 0xFFFF0000, 0x00000000}};
    const auto image = BmpIconImage(p);
    IconPixels back;
    ASSERT_TRUE(DecodeIconImage(View(image), back));
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.bgra, p.bgra);
    // 40-byte header, 24 bytes of colour, two mask rows of 4 bytes: bottom row first
    ASSERT_EQ(image.size(), 40u + 24 + 8);
    EXPECT_EQ(image[40 + 24], 0x20);      // bottom row: third pixel transparent
    EXPECT_EQ(image[40 + 24 + 4], 0x20);  // top row: the same
}

double Hue(int r, int g, int b) {
    const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double h = mx == r   ? std::fmod((g - b) / double(mx - mn), 6.0)
               : mx == g ? (b - r) / double(mx - mn) + 2
                         : (r - g) / double(mx - mn) + 4;
    h *= 60;
    return h < 0 ? h + 360 : h;
}

TEST(FolderShape, GreyWithShadingAndRecolouredKeepingIt) {
    for (const int size : kMadeIconSizes) {
        SCOPED_TRACE(size);
        const IconPixels grey = FolderShape(size);
        ASSERT_EQ(grey.bgra.size(), static_cast<std::size_t>(size) * size);
        int darkest = 255, lightest = 0, opaque = 0;
        for (const std::uint32_t p : grey.bgra) {
            const std::uint32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF, a = p >> 24;
            ASSERT_TRUE(b == g && g == r && r <= a);
            if (a != 255) continue;
            ++opaque;
            darkest = std::min<int>(darkest, static_cast<int>(r));
            lightest = std::max<int>(lightest, static_cast<int>(r));
        }
        EXPECT_GT(opaque, size * size / 2);
        EXPECT_GT(lightest - darkest, 40);
        EXPECT_EQ(grey.bgra[0], 0u);  // the corner is transparent

        const RgbColour colour{0xE5, 0x39, 0x35};
        const IconPixels red = RecolourGrey(grey, colour);
        for (std::size_t i = 0; i < red.bgra.size(); ++i) {
            const std::uint32_t p = red.bgra[i];
            ASSERT_EQ(p >> 24, grey.bgra[i] >> 24);
            if ((p >> 24) != 255) continue;
            const int b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
            if (std::max({r, g, b}) - std::min({r, g, b}) < 24) continue;
            EXPECT_NEAR(Hue(r, g, b), Hue(colour.r, colour.g, colour.b), 4.0);
        }
    }
    const IconPixels mid{1, 1, {0xFF808080}};
    EXPECT_EQ(RecolourGrey(mid, {0x3A, 0x7B, 0xD5}).bgra[0], 0xFF3A7BD5u);
    EXPECT_EQ(RecolourGrey(IconPixels{1, 1, {0xFF000000}}, {0x3A, 0x7B, 0xD5}).bgra[0], 0xFF000000u);
    EXPECT_EQ(RecolourGrey(IconPixels{1, 1, {0xFFFFFFFF}}, {0x3A, 0x7B, 0xD5}).bgra[0], 0xFFFFFFFFu);
}

}  // namespace
