// Picture headers and colour texts: any bytes give a format, a stated size or none (never a read
// outside the input), and the colour history of a settings value is short, valid and round-trips.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/icons/picture_header.h"
#include "core/settings/colour_history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qm::ByteView bytes(data, size);
    const qm::PictureFormat format = qm::PictureFormatOf(bytes);
    const auto stated = qm::PictureHeaderSize(bytes);
    if (stated && format == qm::PictureFormat::None) std::abort();
    if (stated && qm::PictureSizeAllowed(stated->width, stated->height) &&
        (stated->width > qm::kMaxPictureSide || stated->height > qm::kMaxPictureSide)) {
        std::abort();
    }
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    const auto history = qm::ParseColourHistory(text);
    if (history.size() > qm::kColourHistorySize) std::abort();
    if (qm::ParseColourHistory(qm::ColourHistoryText(history)) != history) std::abort();
    return 0;
}
