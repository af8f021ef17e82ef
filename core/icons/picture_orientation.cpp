#include "core/icons/picture_orientation.h"

#include <cstring>

#include "core/icons/picture_header.h"
#include "core/icons/picture_structure.h"

namespace qm {

namespace {

constexpr std::uint16_t kOrientationTag = 274;

int ValidOrientation(std::optional<std::uint32_t> value) { return value && *value >= 1 && *value <= 8 ? *value : 1; }

}  // namespace

int PictureOrientation(ByteView file) {
    switch (PictureFormatOf(file)) {
        case PictureFormat::Tiff: return ValidOrientation(TiffStructure(file).FirstDirectoryValue(kOrientationTag));
        case PictureFormat::Jpeg: {
            // The first APP1 segment that starts "Exif" and two zero bytes holds a TIFF structure.
            std::optional<std::uint32_t> value;
            WalkJpegSegments(file, [&](const JpegSegment& segment) {
                const ByteView& data = segment.data;
                if (segment.code != 0xE1 || data.size() < 6 || std::memcmp(data.data(), "Exif\0\0", 6) != 0)
                    return false;
                value = TiffStructure(*data.Sub(6, data.size() - 6)).FirstDirectoryValue(kOrientationTag);
                return true;
            });
            return ValidOrientation(value);
        }
        default: return 1;
    }
}

IconPixels OrientUpright(const IconPixels& stored, int orientation) {
    const int w = stored.width, h = stored.height;
    if (orientation < 2 || orientation > 8 || w <= 0 || h <= 0 ||
        stored.bgra.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
        return stored;
    const bool swaps = orientation >= 5;
    IconPixels out;
    out.width = swaps ? h : w;
    out.height = swaps ? w : h;
    out.bgra.resize(stored.bgra.size());
    // For each shown pixel (x, y), the stored pixel it comes from.
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            int sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;
                case 3: sx = w - 1 - x, sy = h - 1 - y; break;
                case 4: sy = h - 1 - y; break;
                case 5: sx = y, sy = x; break;
                case 6: sx = y, sy = h - 1 - x; break;
                case 7: sx = w - 1 - y, sy = h - 1 - x; break;
                case 8: sx = w - 1 - y, sy = x; break;
                default: break;
            }
            out.bgra[static_cast<std::size_t>(y) * out.width + x] = stored.bgra[static_cast<std::size_t>(sy) * w + sx];
        }
    }
    return out;
}

}  // namespace qm
