// Pictures and colours as folder icons, through the platform's imaging component: picture files
// of every format written by WIC's own encoders become icons of the made sizes whose pixels are
// the picture scaled; a colour gives a folder copy in that hue with its light and shade; link
// mode copies anyway and says so; damaged, cut and oversized pictures change nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/icons/icon_library_win.h"
#include "core/icons/icon_readers.h"
#include "core/icons/picture_codec_win.h"
#include "core/icons/picture_orientation.h"
#include "core/settings/current_language.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/picture_fixtures_win.h"

using qm::IconPixels;
using qm::PictureFormat;
using qm::RgbColour;

namespace {

constexpr PictureFormat kFormats[] = {PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Bmp, PictureFormat::Gif,
                                      PictureFormat::Tiff};

bool HasAlpha(PictureFormat f) { return f == PictureFormat::Png || f == PictureFormat::Tiff; }

// The images of an .ico file, each decoded by our renderer (PNG through WIC), in directory order.
struct MadeIcon {
    std::vector<int> sizes;
    std::vector<bool> png;
    std::vector<IconPixels> pixels;
};

MadeIcon ReadMadeIcon(const std::vector<std::uint8_t>& ico) {
    MadeIcon out;
    qm::IconGroupData group;
    std::wstring failure;
    EXPECT_TRUE(qm::ReadIcoFile(qm::ByteView(ico.data(), ico.size()), group, failure)) << failure;
    for (std::size_t i = 0; i < group.entries.size(); ++i) {
        const auto& e = group.entries[i];
        EXPECT_EQ(e.Width, e.Height);
        out.sizes.push_back(e.Width == 0 ? 256 : e.Width);
        out.png.push_back(qm::IsPngImage(group.images[i]));
        IconPixels p;
        EXPECT_TRUE(qm::DecodeIconImage(group.images[i], p, &qm::DecodePngWithWic)) << "image " << i;
        out.pixels.push_back(std::move(p));
    }
    return out;
}

std::uint32_t Channel(std::uint32_t p, int c) { return (p >> (8 * c)) & 0xFF; }

// The largest difference of any channel between two pixel sets of one size.
int MaxDifference(const IconPixels& a, const IconPixels& b) {
    if (a.width != b.width || a.height != b.height || a.bgra.size() != b.bgra.size()) return 1000;
    int worst = 0;
    for (std::size_t i = 0; i < a.bgra.size(); ++i)
        for (int c = 0; c < 4; ++c)
            worst = std::max(
                worst, std::abs(static_cast<int>(Channel(a.bgra[i], c)) - static_cast<int>(Channel(b.bgra[i], c))));
    return worst;
}

// Our own oracle for a whole-number scale: each output pixel the rounded mean of its k x k source
// block (k > 0: shrink) or a copy of its source pixel (k < 0: grow by -k), in premultiplied space.
IconPixels WholeNumberScale(const IconPixels& in, int k) {
    IconPixels out;
    if (k > 0) {
        out.width = in.width / k;
        out.height = in.height / k;
    } else {
        out.width = in.width * -k;
        out.height = in.height * -k;
    }
    out.bgra.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            std::uint32_t q = 0;
            if (k < 0) {
                q = in.bgra[static_cast<std::size_t>(y / -k) * in.width + x / -k];
            } else {
                for (int c = 0; c < 4; ++c) {
                    unsigned sum = 0;
                    for (int dy = 0; dy < k; ++dy)
                        for (int dx = 0; dx < k; ++dx)
                            sum += Channel(in.bgra[static_cast<std::size_t>(y * k + dy) * in.width + x * k + dx], c);
                    q |= ((sum + k * k / 2) / (k * k)) << (8 * c);
                }
            }
            out.bgra[static_cast<std::size_t>(y) * out.width + x] = q;
        }
    }
    return out;
}

// The picture's rows as the square of `size` holds them (the picture is 4:3, centred vertically).
IconPixels Band(const IconPixels& square, int top, int height) {
    IconPixels band{square.width, height, {}};
    band.bgra.assign(square.bgra.begin() + static_cast<std::ptrdiff_t>(top) * square.width,
                     square.bgra.begin() + static_cast<std::ptrdiff_t>(top + height) * square.width);
    return band;
}

class PictureTest : public testing::Test {
protected:
    void SetUp() override { qm::CurrentLanguage() = L"English"; }
    std::wstring WritePicture(PictureFormat f, const qmtest::TestPicture& picture, const std::wstring& stem = L"pic") {
        const std::vector<std::uint8_t> bytes = qmtest::EncodePicture(f, picture);
        EXPECT_FALSE(bytes.empty()) << "the platform wrote no " << qmtest::FormatName(f);
        const std::wstring path = dir / (stem + L"." + qmtest::FormatName(f));
        qmtest::WriteBytes(path, bytes);
        return path;
    }
    qmtest::TempDir dir{L"qm-picture"};
    qmtest::SettingsFileGuard settings;
};

// ---- every format: sizes, PNG for 256, pixels ----

class PictureFormatTest : public PictureTest, public testing::WithParamInterface<PictureFormat> {};

// Tolerance: 2 per channel (premultiplied). The icon stores straight alpha, so a half-transparent
// pixel gains up to one step each way between premultiplied and straight form; the rest is the
// rounding of the scale. A JPEG file is lossy: its reference is its own decoded pixels, which the
// other formats must give back exactly (within 1).
TEST_P(PictureFormatTest, BecomesASquareIconOfEveryMadeSizeWithThePictureScaledAndCentred) {
    const PictureFormat format = GetParam();
    const qmtest::TestPicture picture = qmtest::PatternPicture(64, 48, HasAlpha(format));
    const std::wstring path = WritePicture(format, picture);
    ASSERT_TRUE(qm::IsPictureFile(path));

    IconPixels decoded;
    std::wstring failure;
    ASSERT_TRUE(qm::ReadPictureFile(path, decoded, failure)) << failure;
    ASSERT_EQ(decoded.width, 64);
    ASSERT_EQ(decoded.height, 48);
    const IconPixels written = qmtest::Premultiplied(picture);
    if (format != PictureFormat::Jpeg) {
        EXPECT_LE(MaxDifference(decoded, written), 1);
    }
    const IconPixels& reference = format == PictureFormat::Jpeg ? decoded : written;

    const MadeIcon icon = ReadMadeIcon(qm::MakePictureIcon(path));
    EXPECT_EQ(icon.sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    EXPECT_EQ(icon.png, (std::vector<bool>{false, false, false, false, false, false, false, true}));
    ASSERT_EQ(icon.pixels.size(), 8u);
    for (std::size_t i = 0; i < icon.pixels.size(); ++i) {
        const int n = icon.sizes[i];
        const IconPixels& square = icon.pixels[i];
        ASSERT_EQ(square.width, n);
        ASSERT_EQ(square.height, n);
        const int h = static_cast<int>(std::lround(n * 0.75)), top = (n - h) / 2;
        // Above and below the picture: transparent.
        for (int y = 0; y < n; ++y) {
            if (y >= top && y < top + h) continue;
            for (int x = 0; x < n; ++x)
                ASSERT_EQ(square.bgra[static_cast<std::size_t>(y) * n + x], 0u) << n << " " << x << "," << y;
        }
        const IconPixels band = Band(square, top, h);
        // Whole-number scales against our own block means; the others against the renderer's filter.
        const IconPixels expected = n == 64    ? reference
                                    : n == 32  ? WholeNumberScale(reference, 2)
                                    : n == 16  ? WholeNumberScale(reference, 4)
                                    : n == 256 ? WholeNumberScale(reference, -4)
                                               : qm::ScaleAreaAverage(reference, n, h);
        EXPECT_LE(MaxDifference(band, expected), 2) << qmtest::FormatName(format) << " at " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureFormatTest, testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(qm::WideToUtf8(qmtest::FormatName(info.param))); });

TEST_F(PictureTest, ATallPictureIsCentredAcross) {
    const std::wstring path = WritePicture(PictureFormat::Png, qmtest::PatternPicture(16, 64, false));
    const MadeIcon icon = ReadMadeIcon(qm::MakePictureIcon(path));
    ASSERT_EQ(icon.pixels.size(), 8u);
    const IconPixels& p = icon.pixels[6];  // 64: the picture 16 wide at x 24..39
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            EXPECT_EQ((p.bgra[static_cast<std::size_t>(y) * 64 + x] >> 24) != 0, x >= 24 && x < 40) << x << "," << y;
}

// ---- phone photos: the EXIF orientation ----

std::vector<std::uint8_t> Be16Bytes(std::uint32_t v) { return {std::uint8_t(v >> 8), std::uint8_t(v)}; }

// A big-endian TIFF structure whose first directory holds the orientation alone.
std::vector<std::uint8_t> ExifTiff(std::uint16_t orientation) {
    std::vector<std::uint8_t> t = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1};
    for (auto part : {Be16Bytes(274), Be16Bytes(3), std::vector<std::uint8_t>{0, 0, 0, 1}, Be16Bytes(orientation),
                      std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0}})
        t.insert(t.end(), part.begin(), part.end());
    return t;
}

// The JPEG with an APP1 Exif segment spliced in right after its start-of-image marker.
std::vector<std::uint8_t> WithExifSegment(std::vector<std::uint8_t> jpeg, std::uint16_t orientation) {
    std::vector<std::uint8_t> app1 = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    const auto tiff = ExifTiff(orientation);
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    const std::size_t length = app1.size() - 2;
    app1[2] = std::uint8_t(length >> 8);
    app1[3] = std::uint8_t(length);
    jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
    return jpeg;
}

// The TIFF file with the orientation tag set in its first directory: the directory is copied to
// the end of the file with the tag replaced or added in tag order, and the header points at it.
std::vector<std::uint8_t> WithOrientationTag(std::vector<std::uint8_t> tiff, std::uint16_t orientation) {
    const bool little = tiff.at(0) == 'I';
    auto get = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) v |= std::uint32_t(tiff.at(at + i)) << (8 * (little ? i : n - 1 - i));
        return v;
    };
    auto put = [&](std::vector<std::uint8_t>& out, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out.push_back(std::uint8_t(v >> (8 * (little ? i : n - 1 - i))));
    };
    const std::uint32_t directory = get(4, 4), count = get(directory, 2);
    std::vector<std::vector<std::uint8_t>> entries;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = directory + 2 + 12 * i;
        if (get(at, 2) != 274) entries.emplace_back(tiff.begin() + at, tiff.begin() + at + 12);
    }
    std::vector<std::uint8_t> tag;
    put(tag, 274, 2), put(tag, 3, 2), put(tag, 1, 4), put(tag, orientation, 2), put(tag, 0, 2);
    entries.push_back(tag);
    std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        return (little ? a[0] | a[1] << 8 : a[0] << 8 | a[1]) < (little ? b[0] | b[1] << 8 : b[0] << 8 | b[1]);
    });
    const std::uint32_t next = get(directory + 2 + 12 * count, 4);
    if (tiff.size() % 2) tiff.push_back(0);
    const auto at = static_cast<std::uint32_t>(tiff.size());
    std::vector<std::uint8_t> copy;
    put(copy, static_cast<std::uint32_t>(entries.size()), 2);
    for (const auto& e : entries) copy.insert(copy.end(), e.begin(), e.end());
    put(copy, next, 4);
    tiff.insert(tiff.end(), copy.begin(), copy.end());
    std::vector<std::uint8_t> header;
    put(header, at, 4);
    std::copy(header.begin(), header.end(), tiff.begin() + 4);
    return tiff;
}

// Every orientation of a JPEG (Exif segment) and of a TIFF file gives an upright icon. The picture
// as shown is 48 x 24, white with a red quarter at its top left; each file stores it as a camera
// would for that orientation (tall for 5 to 8, the quarter in the corner the tag turns to the
// top left).
TEST_F(PictureTest, EveryExifOrientationGivesAnUprightIcon) {
    enum Corner { TopLeft, TopRight, BottomRight, BottomLeft };
    const struct {
        std::uint16_t orientation;
        bool wide;
        Corner mark;
    } stored[] = {
        {1, true, TopLeft},  {2, true, TopRight},    {3, true, BottomRight},  {4, true, BottomLeft},
        {5, false, TopLeft}, {6, false, BottomLeft}, {7, false, BottomRight}, {8, false, TopRight},
    };
    constexpr std::uint32_t kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000;
    for (const PictureFormat format : {PictureFormat::Jpeg, PictureFormat::Tiff}) {
        for (const auto& s : stored) {
            SCOPED_TRACE(testing::Message()
                         << qm::WideToUtf8(qmtest::FormatName(format)) << " orientation " << s.orientation);
            qmtest::TestPicture picture;
            picture.width = s.wide ? 48 : 24;
            picture.height = s.wide ? 24 : 48;
            const int mw = picture.width / 2, mh = picture.height / 2;
            for (int y = 0; y < picture.height; ++y) {
                for (int x = 0; x < picture.width; ++x) {
                    const bool right = x >= mw, bottom = y >= mh;
                    const Corner at = bottom ? (right ? BottomRight : BottomLeft) : (right ? TopRight : TopLeft);
                    picture.bgra.push_back(at == s.mark ? kRed : kWhite);
                }
            }
            auto bytes = qmtest::EncodePicture(format, picture);
            ASSERT_FALSE(bytes.empty());
            bytes = format == PictureFormat::Jpeg ? WithExifSegment(std::move(bytes), s.orientation)
                                                  : WithOrientationTag(std::move(bytes), s.orientation);
            ASSERT_EQ(qm::PictureOrientation(qm::ByteView(bytes.data(), bytes.size())), s.orientation);
            const std::wstring path = dir / (L"o" + std::to_wstring(s.orientation) + L"." + qmtest::FormatName(format));
            qmtest::WriteBytes(path, bytes);

            const MadeIcon icon = ReadMadeIcon(qm::MakePictureIcon(path));
            ASSERT_EQ(icon.sizes.size(), 8u);
            ASSERT_EQ(icon.sizes[5], 48);
            const IconPixels& p = icon.pixels[5];  // the picture as shown, 48 x 24 at rows 12..35
            auto pixel = [&](int x, int y) { return p.bgra[static_cast<std::size_t>(y) * 48 + x]; };
            auto red = [](std::uint32_t c) { return Channel(c, 2) > 180 && Channel(c, 1) < 90 && Channel(c, 0) < 90; };
            auto white = [](std::uint32_t c) {
                return Channel(c, 2) > 180 && Channel(c, 1) > 180 && Channel(c, 0) > 180;
            };
            EXPECT_EQ(pixel(24, 4) >> 24, 0u);  // above the picture: transparent, so it is wide again
            EXPECT_TRUE(red(pixel(12, 18))) << std::hex << pixel(12, 18);
            EXPECT_TRUE(white(pixel(36, 18))) << std::hex << pixel(36, 18);
            EXPECT_TRUE(white(pixel(12, 30))) << std::hex << pixel(12, 30);
            EXPECT_TRUE(white(pixel(36, 30))) << std::hex << pixel(36, 30);
        }
    }
}

// ---- colours ----

double Hue(int r, int g, int b) {
    const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
    if (mx == mn) return -1;
    double h = mx == r   ? std::fmod((g - b) / double(mx - mn), 6.0)
               : mx == g ? (b - r) / double(mx - mn) + 2
                         : (r - g) / double(mx - mn) + 4;
    h *= 60;
    return h < 0 ? h + 360 : h;
}

double HueDistance(double a, double b) {
    const double d = std::fabs(a - b);
    return std::min(d, 360 - d);
}

class ColourTest : public PictureTest, public testing::WithParamInterface<const wchar_t*> {};

// Every opaque pixel with colour in it (channels at least 24 apart) lies within 4 degrees of the
// chosen hue, most of the folder is such pixels, and its brightness spans light and shade.
TEST_P(ColourTest, AppliedToAFolderGivesACopyInTheChosenHueWithLightAndShade) {
    const RgbColour colour = *qm::ParseColourText(GetParam());
    const double hue = Hue(colour.r, colour.g, colour.b);
    settings.SetCopyIco(L"1");
    const std::wstring folder = dir.MakeFolder(L"Coloured");
    qm::FolderCustomization record;
    record.Folder = folder;
    record.Infotip = L"in colour";
    ASSERT_TRUE(qm::ApplyMadeIconToFolder(record, qm::MakeColourFolderIcon(colour), qm::CallerProfile::MainWindow));

    const qm::FolderCustomization written = qm::ReadFolderCustomization(folder);
    EXPECT_EQ(written.IconIndex, L"0");
    EXPECT_EQ(written.Infotip, L"in colour");
    EXPECT_EQ(written.IconFile.find(L'\\'), std::wstring::npos) << "a bare copy name: " << written.IconFile;
    const MadeIcon icon = ReadMadeIcon(qmtest::ReadBytes(folder + L"\\" + written.IconFile));
    EXPECT_EQ(icon.sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    for (std::size_t i = 0; i < icon.pixels.size(); ++i) {
        int opaque = 0, coloured = 0, darkest = 255 * 3, lightest = 0;
        for (std::uint32_t p : icon.pixels[i].bgra) {
            if ((p >> 24) != 255) continue;
            ++opaque;
            const int b = Channel(p, 0), g = Channel(p, 1), r = Channel(p, 2);
            darkest = std::min(darkest, r + g + b);
            lightest = std::max(lightest, r + g + b);
            if (std::max({r, g, b}) - std::min({r, g, b}) < 24) continue;
            ++coloured;
            EXPECT_LE(HueDistance(Hue(r, g, b), hue), 4.0) << "size " << icon.sizes[i] << " pixel " << std::hex << p;
        }
        EXPECT_GT(opaque, icon.sizes[i] * icon.sizes[i] / 3) << icon.sizes[i];
        EXPECT_GT(coloured, opaque * 6 / 10) << icon.sizes[i];
        EXPECT_GT(lightest - darkest, 90) << "light and shade at " << icon.sizes[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Colours, ColourTest,
                         testing::Values(L"#3A7BD5", L"#E53935", L"#43A047", L"#FFB300", L"#8e24aa"));

// ---- link mode: made icons are copied, with a message ----

TEST_F(PictureTest, InLinkModeAPictureOrAColourIsCopiedAndTheUserIsTold) {
    settings.SetCopyIco(L"0");
    const std::wstring picture = WritePicture(PictureFormat::Png, qmtest::PatternPicture(32, 32, true));
    for (const bool colour : {false, true}) {
        SCOPED_TRACE(colour ? "colour" : "picture");
        const std::wstring folder = dir.MakeFolder(colour ? L"LinkColour" : L"LinkPicture");
        qmtest::FolderMessageCapture messages;
        qm::FolderCustomization record;
        record.Folder = folder;
        record.IconFile = picture;
        record.IconIndex = L"0";
        const bool applied = colour ? qm::ApplyMadeIconToFolder(record, qm::MakeColourFolderIcon({0x20, 0x80, 0x40}),
                                                                qm::CallerProfile::CustomIconWindow)
                                    : qm::ApplyIconToFolder(record, qm::CallerProfile::CustomIconWindow);
        ASSERT_TRUE(applied);
        ASSERT_EQ(messages.Messages().size(), 1u);
        EXPECT_EQ(messages.Messages()[0].text,
                  L"A picture or a colour cannot be linked: \n\r the icon is copied into the folder.");
        EXPECT_EQ(messages.Messages()[0].caption, L"Info");
        const qm::FolderCustomization written = qm::ReadFolderCustomization(folder);
        EXPECT_NE(written.IconFile, picture);
        EXPECT_EQ(written.IconFile.find(L'\\'), std::wstring::npos) << written.IconFile;
        EXPECT_EQ(ReadMadeIcon(qmtest::ReadBytes(folder + L"\\" + written.IconFile)).sizes.size(), 8u);
    }
}

TEST_F(PictureTest, InCopyModeAPictureNamedAsTheIconSourceBecomesTheFolderCopy) {
    settings.SetCopyIco(L"1");
    const std::wstring picture = WritePicture(PictureFormat::Jpeg, qmtest::PatternPicture(40, 40, false));
    const std::wstring folder = dir.MakeFolder(L"Photo");
    qmtest::FolderMessageCapture messages;
    qm::FolderCustomization record;
    record.Folder = folder;
    record.IconFile = picture;
    record.IconIndex = L"0";
    ASSERT_TRUE(qm::ApplyIconToFolder(record, qm::CallerProfile::MainWindow));
    EXPECT_TRUE(messages.Messages().empty());
    const qm::FolderCustomization written = qm::ReadFolderCustomization(folder);
    EXPECT_EQ(ReadMadeIcon(qmtest::ReadBytes(folder + L"\\" + written.IconFile)).sizes.size(), 8u);
}

// ---- hostile pictures ----

std::vector<std::uint8_t> Be32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v)};
}

// A PNG whose header states width x height, followed by a few bytes of nothing.
std::vector<std::uint8_t> PngClaiming(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (auto v : {width, height}) {
        const auto be = Be32(v);
        b.insert(b.end(), be.begin(), be.end());
    }
    b.insert(b.end(), {8, 6, 0, 0, 0, 0x12, 0x34, 0x56, 0x78});
    b.resize(b.size() + 64, 0);
    return b;
}

struct Hostile {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const wchar_t* why;  // a part of the message
};

std::vector<Hostile> HostilePictures() {
    const auto png = qmtest::EncodePicture(PictureFormat::Png, qmtest::PatternPicture(64, 64, true));
    const auto jpeg = qmtest::EncodePicture(PictureFormat::Jpeg, qmtest::PatternPicture(64, 64, false));
    const auto gif = qmtest::EncodePicture(PictureFormat::Gif, qmtest::PatternPicture(64, 64, false));
    std::vector<std::uint8_t> corrupt(png.begin(), png.begin() + 33);
    for (int i = 0; i < 400; ++i) corrupt.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    std::vector<std::uint8_t> bmp = {'B', 'M', 0, 0,    0,    0, 0, 0,    0,    0, 54, 0, 0, 0,  40,
                                     0,   0,   0, 0x30, 0x75, 0, 0, 0x30, 0x75, 0, 0,  1, 0, 24, 0};  // 30000 x 30000
    bmp.resize(80, 0);
    std::vector<std::uint8_t> hugeGif = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0};
    hugeGif.resize(60, 0);
    std::vector<std::uint8_t> hugeJpeg = {0xFF, 0xD8, 0xFF, 0xC0, 0,    17,
                                          8,    0xEA, 0x60, 0xEA, 0x60, 3};  // 60000 x 60000
    hugeJpeg.resize(80, 0);
    return {
        {"corrupt", corrupt, L"damaged or cut short"},
        {"truncated_png",
         std::vector<std::uint8_t>(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2)),
         L"damaged or cut short"},
        {"truncated_jpeg",
         std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 3)),
         L"damaged or cut short"},
        {"truncated_gif", std::vector<std::uint8_t>(gif.begin(), gif.begin() + 40), L"damaged or cut short"},
        {"header_only", std::vector<std::uint8_t>(png.begin(), png.begin() + 12), L"damaged or cut short"},
        {"huge_png", PngClaiming(100000, 100000), L"100000 x 100000 pixels"},
        {"too_many_pixels_png", PngClaiming(8000, 8000), L"8000 x 8000 pixels"},
        {"huge_bmp", bmp, L"30000 x 30000 pixels"},
        {"huge_gif", hugeGif, L"65535 x 65535 pixels"},
        {"huge_jpeg", hugeJpeg, L"60000 x 60000 pixels"},
    };
}

std::vector<std::wstring> Listing(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

// Each gives a clear message and changes nothing: a fresh folder stays empty, and a folder that
// already has its icon keeps its desktop.ini and its copy byte for byte.
TEST_F(PictureTest, DamagedCutAndOversizedPicturesGiveAMessageAndChangeNothing) {
    settings.SetCopyIco(L"1");
    const std::wstring good = WritePicture(PictureFormat::Png, qmtest::PatternPicture(32, 32, false), L"good");
    const std::wstring customized = dir.MakeFolder(L"Customized");
    qm::FolderCustomization first;
    first.Folder = customized;
    first.IconFile = good;
    first.IconIndex = L"0";
    first.Infotip = L"before";
    ASSERT_TRUE(qm::ApplyIconToFolder(first, qm::CallerProfile::MainWindow));
    const std::vector<std::wstring> before = Listing(customized);
    std::vector<std::vector<std::uint8_t>> beforeBytes;
    for (const auto& n : before) beforeBytes.push_back(qmtest::ReadBytes(customized + L"\\" + n));

    for (const Hostile& h : HostilePictures()) {
        SCOPED_TRACE(h.name);
        const std::wstring path = dir / (qm::Utf8ToWide(h.name) + L".png");
        qmtest::WriteBytes(path, h.bytes);
        try {
            qm::MakePictureIcon(path);
            ADD_FAILURE() << "made an icon";
        } catch (const qm::UserError& e) {
            EXPECT_EQ(e.text().rfind(L"Cannot make an icon of " + path + L": ", 0), 0u) << qm::WideToUtf8(e.text());
            EXPECT_NE(e.text().find(h.why), std::wstring::npos) << qm::WideToUtf8(e.text());
        }
        const std::wstring fresh = dir.MakeFolder(qm::Utf8ToWide(h.name));
        for (const std::wstring& folder : {fresh, customized}) {
            qm::FolderCustomization record;
            record.Folder = folder;
            record.IconFile = path;
            record.IconIndex = L"0";
            record.Infotip = L"after";
            EXPECT_THROW(qm::ApplyIconToFolder(record, qm::CallerProfile::MainWindow), qm::UserError);
        }
        EXPECT_TRUE(Listing(fresh).empty());
        ASSERT_EQ(Listing(customized), before);
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(qmtest::ReadBytes(customized + L"\\" + before[i]), beforeBytes[i]) << qm::WideToUtf8(before[i]);
    }
}

}  // namespace
