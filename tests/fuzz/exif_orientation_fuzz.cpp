// The EXIF orientation reader: any bytes give a value from 1 to 8 (never a read outside the
// input), and turning a small picture by it keeps every pixel.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "core/icons/picture_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int orientation = qm::PictureOrientation(qm::ByteView(data, size));
    if (orientation < 1 || orientation > 8) std::abort();
    qm::IconPixels stored{3, 2, {1, 2, 3, 4, 5, 6}};
    qm::IconPixels shown = qm::OrientUpright(stored, orientation);
    if (shown.width * shown.height != 6) std::abort();
    std::sort(shown.bgra.begin(), shown.bgra.end());
    if (shown.bgra != stored.bgra) std::abort();
    return 0;
}
