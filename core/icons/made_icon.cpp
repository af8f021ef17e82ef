#include "core/icons/made_icon.h"

#include <algorithm>
#include <cmath>

#include "core/icons/binary_layouts.h"
#include "core/icons/byte_writer.h"
#include "core/icons/icon_readers.h"

namespace qm {

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
    out.reserve(dib_info_header::kSize + colourBytes + maskBytes);
    ByteWriter writer(out);
    writer.Record<dib_info_header::kSize>()
        .U32<dib_info_header::kHeaderSize>(dib_info_header::kSize)
        .U32<dib_info_header::kWidth>(static_cast<std::uint32_t>(w))
        .U32<dib_info_header::kHeight>(static_cast<std::uint32_t>(h * 2))
        .U16<dib_info_header::kPlanes>(1)
        .U16<dib_info_header::kBitCount>(32)
        .U32<dib_info_header::kCompression>(dib_info_header::kRgb)
        .U32<dib_info_header::kImageSize>(colourBytes + maskBytes);
    std::vector<std::uint32_t> straight = pixels.bgra;
    straight.resize(static_cast<std::size_t>(w) * h, 0);
    ToStraightAlpha(straight);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) writer.U32(straight[static_cast<std::size_t>(y) * w + x]);
    for (int y = h - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if ((straight[static_cast<std::size_t>(y) * w + x] >> 24) == 0)
                row[static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        writer.Bytes(row);
    }
    return out;
}

std::vector<std::uint8_t> PictureIconFile(const IconPixels& picture, PngEncoder png) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    return MadeIconFile([&](int size) { return FitPictureInSquare(picture, size); }, png);
}

}  // namespace qm
