// Icon renderer: any bytes, taken as one icon image, as a plain bitmap and as an .ico file
// rendered at menu and list sizes, give pixels of the stated size or no picture.
#include <cstdint>
#include <cstdlib>

#include "core/icons/icon_renderer.h"

namespace {

void CheckPixels(const qm::IconPixels& p) {
    if (p.width <= 0 || p.height <= 0 || p.width > qm::kMaxRenderedImageSide || p.height > qm::kMaxRenderedImageSide ||
        p.bgra.size() != static_cast<std::size_t>(p.width) * p.height) {
        std::abort();
    }
    for (std::uint32_t px : p.bgra) {
        const std::uint32_t a = px >> 24;
        if ((px & 0xFF) > a || ((px >> 8) & 0xFF) > a || ((px >> 16) & 0xFF) > a) std::abort();  // premultiplied
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qm::ByteView bytes(data, size);
    qm::IconPixels pixels;
    if (qm::DecodeIconImage(bytes, pixels)) {
        CheckPixels(pixels);
        CheckPixels(qm::ScaleAreaAverage(pixels, 16, 16));
    } else if (!pixels.bgra.empty()) {
        std::abort();
    }
    if (qm::DecodeDib(bytes, pixels)) CheckPixels(pixels);
    qm::IconGroupData group;
    std::wstring failure;
    if (qm::ReadIcoFile(bytes, group, failure)) {
        for (int side : {16, 24, 48}) {
            const int chosen = qm::ChooseIconImage(group, side, side);
            if (chosen < 0 || static_cast<std::size_t>(chosen) >= group.entries.size()) std::abort();
            if (qm::RenderIcon(group, side, side, pixels)) {
                CheckPixels(pixels);
                if (pixels.width != side || pixels.height != side) std::abort();
            }
        }
    }
    return 0;
}
