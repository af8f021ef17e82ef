#include "core/icons/picture_header.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>

#include "core/icons/binary_layouts.h"
#include "core/icons/picture_structure.h"

namespace qm {

bool PictureSizeAllowed(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height * 4 <= kMaxPictureDecodedBytes;
}

PictureFormat PictureFormatOf(ByteView file) {
    const auto starts = [&](std::initializer_list<std::uint8_t> bytes) {
        if (file.size() < bytes.size()) return false;
        return std::equal(bytes.begin(), bytes.end(), file.data());
    };
    if (starts({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return PictureFormat::Png;
    if (starts({0xFF, 0xD8, 0xFF})) return PictureFormat::Jpeg;
    // The file header and the DIB header's size.
    if (starts({'B', 'M'}) && file.size() >= bmp_file_header::kSize + 4) return PictureFormat::Bmp;
    if (starts({'G', 'I', 'F', '8', '7', 'a'}) || starts({'G', 'I', 'F', '8', '9', 'a'})) return PictureFormat::Gif;
    if (starts({'I', 'I', 0x2A, 0x00}) || starts({'M', 'M', 0x00, 0x2A})) return PictureFormat::Tiff;
    return PictureFormat::None;
}

namespace {

using byte_view_detail::Be16;
using byte_view_detail::Be32;

std::optional<PictureSize> JpegSize(ByteView file) {
    // The first start-of-frame (C0..CF but DHT C4, JPG C8, DAC CC) holds the size.
    std::optional<PictureSize> size;
    WalkJpegSegments(file, [&](const JpegSegment& segment) {
        const std::uint8_t code = segment.code;
        if (code < 0xC0 || code > 0xCF || code == 0xC4 || code == 0xC8 || code == 0xCC) return false;
        if (segment.length >= 7 && segment.data.size() >= 5)
            size = PictureSize{Be16(segment.data.data() + 3), Be16(segment.data.data() + 1)};
        return true;
    });
    return size;
}

std::optional<PictureSize> TiffSize(ByteView file) {
    const TiffStructure tiff(file);
    const auto width = tiff.FirstDirectoryValue(256), height = tiff.FirstDirectoryValue(257);
    if (!width || !height) return std::nullopt;
    return PictureSize{*width, *height};
}

}  // namespace

std::optional<PictureSize> PictureHeaderSize(ByteView file) {
    switch (PictureFormatOf(file)) {
        case PictureFormat::Png: {
            // signature, then the IHDR chunk: length 13, "IHDR", width, height (big-endian)
            const auto ihdr = file.Sub(8, 16);
            if (!ihdr || std::memcmp(ihdr->data() + 4, "IHDR", 4) != 0) return std::nullopt;
            return PictureSize{Be32(ihdr->data() + 8), Be32(ihdr->data() + 12)};
        }
        case PictureFormat::Bmp: {
            constexpr std::size_t kDib = bmp_file_header::kSize;
            const auto size = file.U32(kDib + dib_info_header::kHeaderSize);
            if (!size) return std::nullopt;
            if (*size == dib_core_header::kSize) {
                const auto w = file.U16(kDib + dib_core_header::kWidth), h = file.U16(kDib + dib_core_header::kHeight);
                if (!w || !h) return std::nullopt;
                return PictureSize{*w, *h};
            }
            const auto w = file.U32(kDib + dib_info_header::kWidth), h = file.U32(kDib + dib_info_header::kHeight);
            if (*size < dib_info_header::kSize || !w || !h) return std::nullopt;
            const auto sw = static_cast<std::int32_t>(*w), sh = static_cast<std::int32_t>(*h);
            if (sw <= 0 || sh == 0 || sh == INT32_MIN) return std::nullopt;
            return PictureSize{static_cast<std::uint64_t>(sw), static_cast<std::uint64_t>(sh < 0 ? -sh : sh)};
        }
        case PictureFormat::Gif: {
            // The logical screen bounds every image; decoders make a canvas of that size.
            const auto w = file.U16(6), h = file.U16(8);
            if (!w || !h) return std::nullopt;
            return PictureSize{*w, *h};
        }
        case PictureFormat::Jpeg: return JpegSize(file);
        case PictureFormat::Tiff: return TiffSize(file);
        case PictureFormat::None: break;
    }
    return std::nullopt;
}

}  // namespace qm
