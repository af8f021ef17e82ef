// The EXIF orientation: read from JPEG (APP1 Exif segment) and TIFF files of either byte order,
// with every damaged form giving 1; and the pixels turned upright for each of the eight values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/icons/picture_orientation.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& out, std::uint32_t v, int n, bool little) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * (little ? i : n - 1 - i))));
}

struct Entry {
    std::uint16_t tag, type;
    std::uint32_t value;
};

// A TIFF structure: header, then the first directory at offset 8 with the entries, count 1 each.
Bytes Tiff(bool little, const std::vector<Entry>& entries) {
    Bytes t = little ? Bytes{'I', 'I', 42, 0} : Bytes{'M', 'M', 0, 42};
    Put(t, 8, 4, little);
    Put(t, static_cast<std::uint32_t>(entries.size()), 2, little);
    for (const Entry& e : entries) {
        Put(t, e.tag, 2, little);
        Put(t, e.type, 2, little);
        Put(t, 1, 4, little);
        if (e.type == 3) {
            Put(t, e.value, 2, little);
            Put(t, 0, 2, little);
        } else {
            Put(t, e.value, 4, little);
        }
    }
    Put(t, 0, 4, little);
    return t;
}

// A JPEG stream: start of image, a JFIF segment, the given APP1 payload (when any), a scan, the end.
Bytes Jpeg(const Bytes& app1Payload, bool withApp1 = true) {
    Bytes j = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    if (withApp1) {
        j.insert(j.end(), {0xFF, 0xE1});
        Put(j, static_cast<std::uint32_t>(app1Payload.size() + 2), 2, false);
        j.insert(j.end(), app1Payload.begin(), app1Payload.end());
    }
    j.insert(j.end(), {0xFF, 0xDA, 0, 2, 0x11, 0x22, 0xFF, 0xD9});
    return j;
}

Bytes Exif(const Bytes& tiff) {
    Bytes e = {'E', 'x', 'i', 'f', 0, 0};
    e.insert(e.end(), tiff.begin(), tiff.end());
    return e;
}

int Orientation(const Bytes& b) { return qm::PictureOrientation(qm::ByteView(b.data(), b.size())); }

TEST(PictureOrientation, EveryValueFromJpegAndTiffInBothByteOrders) {
    for (bool little : {true, false}) {
        for (std::uint32_t v = 1; v <= 8; ++v) {
            SCOPED_TRACE(testing::Message() << (little ? "II " : "MM ") << v);
            // The orientation among other tags, after a tag it must not be taken for.
            const Bytes tiff = Tiff(little, {{256, 3, 40}, {257, 4, 30}, {274, 3, v}, {282, 5, 0}});
            EXPECT_EQ(Orientation(tiff), static_cast<int>(v));
            EXPECT_EQ(Orientation(Jpeg(Exif(tiff))), static_cast<int>(v));
        }
    }
}

TEST(PictureOrientation, AnythingElseIsAsStored) {
    const Bytes good = Exif(Tiff(true, {{274, 3, 6}}));
    Bytes cutDirectory = Tiff(false, {{256, 3, 1}, {274, 3, 6}});
    cutDirectory.resize(cutDirectory.size() - 8);  // the last entry runs past the end
    // A second Exif segment (before the scan) is not read: the first one speaks for the file.
    Bytes secondApp1 = Jpeg(Exif(Tiff(true, {{256, 3, 1}})));
    Bytes second = {0xFF, 0xE1, 0, static_cast<std::uint8_t>(good.size() + 2)};
    second.insert(second.end(), good.begin(), good.end());
    secondApp1.insert(secondApp1.end() - 8, second.begin(), second.end());
    Bytes cutSegment = Jpeg(good);
    cutSegment.resize(20 + 4 + 10);  // the segment states more than the file holds
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}},
        {"jpeg without app1", Jpeg({}, false)},
        {"app1 not exif", Jpeg({'h', 't', 't', 'p', ':', '/', '/'})},
        {"exif without tiff", Jpeg({'E', 'x', 'i', 'f', 0, 0})},
        {"exif with a bad header", Jpeg(Exif({'I', 'I', 43, 0, 8, 0, 0, 0}))},
        {"no orientation tag", Jpeg(Exif(Tiff(true, {{256, 3, 1}})))},
        {"value 0", Jpeg(Exif(Tiff(true, {{274, 3, 0}})))},
        {"value 9", Tiff(false, {{274, 3, 9}})},
        {"value 65535", Tiff(true, {{274, 3, 65535}})},
        {"a type that is no number", Tiff(true, {{274, 2, 6}})},
        {"directory past the end", Bytes{'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0xFF}},
        {"cut directory", cutDirectory},
        {"cut segment", cutSegment},
        {"second app1 segment", secondApp1},
        {"segment length below 2", Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0, 1, 'E', 'x'}},
    };
    for (const auto& c : cases) EXPECT_EQ(Orientation(c.bytes), 1) << c.name;
    // A LONG is taken as the number it holds.
    EXPECT_EQ(Orientation(Tiff(true, {{274, 4, 3}})), 3);
}

// The stored 3 x 2 picture
//   a b c
//   d e f
// as shown for each orientation.
TEST(OrientUpright, EachOfTheEightValues) {
    enum : std::uint32_t { a = 1, b, c, d, e, f };
    const qm::IconPixels stored{3, 2, {a, b, c, d, e, f}};
    const struct {
        int orientation, width, height;
        std::vector<std::uint32_t> shown;
    } cases[] = {
        {1, 3, 2, {a, b, c, d, e, f}},  // as stored
        {2, 3, 2, {c, b, a, f, e, d}},  // mirrored left to right
        {3, 3, 2, {f, e, d, c, b, a}},  // half round
        {4, 3, 2, {d, e, f, a, b, c}},  // mirrored top to bottom
        {5, 2, 3, {a, d, b, e, c, f}},  // about the falling diagonal
        {6, 2, 3, {d, a, e, b, f, c}},  // a quarter clockwise
        {7, 2, 3, {f, c, e, b, d, a}},  // about the rising diagonal
        {8, 2, 3, {c, f, b, e, a, d}},  // a quarter anticlockwise
        {0, 3, 2, {a, b, c, d, e, f}},  // values outside 1..8: as stored
        {9, 3, 2, {a, b, c, d, e, f}},
    };
    for (const auto& k : cases) {
        const qm::IconPixels shown = qm::OrientUpright(stored, k.orientation);
        EXPECT_EQ(shown.width, k.width) << k.orientation;
        EXPECT_EQ(shown.height, k.height) << k.orientation;
        EXPECT_EQ(shown.bgra, k.shown) << k.orientation;
    }
    // Pixels that do not fill their size are given back untouched.
    const qm::IconPixels broken{3, 2, {a, b}};
    EXPECT_EQ(qm::OrientUpright(broken, 6).bgra, broken.bgra);
    EXPECT_EQ(qm::OrientUpright(qm::IconPixels{}, 6).width, 0);
}

}  // namespace
