#include "core/icons/picture_structure.h"

#include <algorithm>

namespace qm {

using byte_view_detail::Be16;
using byte_view_detail::Be32;

bool WalkJpegSegments(ByteView file, const std::function<bool(const JpegSegment&)>& visit) {
    // Each segment is FF, its code and a big-endian length that counts itself; fill bytes (FF) may
    // stand before a marker, and a few markers have no length.
    if (!file.Has(0, 2) || file.data()[0] != 0xFF || file.data()[1] != 0xD8) return false;
    std::uint64_t at = 2;
    for (int segments = 0; segments < 4096; ++segments) {
        const auto head = file.Sub(at, 4);
        if (!head) return false;
        const std::uint8_t* h = head->data();
        if (h[0] != 0xFF) return false;
        if (h[1] == 0xFF) {
            ++at;
            continue;
        }
        const std::uint8_t code = h[1];
        if (code == 0xD8 || (code >= 0xD0 && code <= 0xD7) || code == 0x01) {
            at += 2;
            continue;
        }
        if (code == 0xD9 || code == 0xDA) return false;
        JpegSegment segment;
        segment.code = code;
        segment.length = Be16(h + 2);
        if (segment.length < 2) return false;
        const std::uint64_t dataAt = at + 4;
        const std::uint64_t inFile = file.size() - dataAt;  // head fitted, so dataAt <= size
        segment.data = *file.Sub(dataAt, std::min<std::uint64_t>(segment.length - 2, inFile));
        if (visit(segment)) return true;
        at += 2 + static_cast<std::uint64_t>(segment.length);
    }
    return false;
}

TiffStructure::TiffStructure(ByteView bytes) : bytes_(bytes) {
    const auto head = bytes.Record<4>(0);
    if (!head) return;
    const std::uint8_t a = head->U8<0>(), b = head->U8<1>(), c = head->U8<2>(), d = head->U8<3>();
    little_ = a == 'I' && b == 'I' && c == 42 && d == 0;
    valid_ = little_ || (a == 'M' && b == 'M' && c == 0 && d == 42);
}

std::optional<std::uint32_t> TiffStructure::U16(std::uint64_t at) const {
    const auto v = bytes_.Sub(at, 2);
    if (!v) return std::nullopt;
    return little_ ? byte_view_detail::Le16(v->data()) : Be16(v->data());
}

std::optional<std::uint32_t> TiffStructure::U32(std::uint64_t at) const {
    const auto v = bytes_.Sub(at, 4);
    if (!v) return std::nullopt;
    return little_ ? byte_view_detail::Le32(v->data()) : Be32(v->data());
}

std::optional<std::uint32_t> TiffStructure::FirstDirectoryValue(std::uint16_t tag) const {
    if (!valid_) return std::nullopt;
    const auto directory = U32(4);
    if (!directory) return std::nullopt;
    const auto count = U16(*directory);
    // Entries of 12 bytes: tag, type, count, then the value (a SHORT in its first two bytes).
    if (!count || !bytes_.Has(*directory + 2, 12ull * *count)) return std::nullopt;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t entry = *directory + 2 + 12ull * i;
        if (U16(entry) != tag) continue;
        const auto type = U16(entry + 2);
        if (type == 3u) return U16(entry + 8);
        if (type == 4u) return U32(entry + 8);
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace qm
