#include "core/icons/icon_records.h"

namespace qm {

std::optional<std::wstring_view> CheckIconHeader(const IconHeader& header) {
    if (header.Reserved != 0) return kMsgReservedNotZero;
    if (header.Type != 1) return kMsgTypeNotOne;
    if (header.Count == 0) return kMsgCountZero;
    if (header.Count > kMaxIconImages) return kMsgCountTooLarge;
    return std::nullopt;
}

IconDirectoryEntry ToDirectoryEntry(const GroupIconEntry& g) {
    IconDirectoryEntry e;
    e.Width = g.Width;
    e.Height = g.Height;
    e.ColorCount = g.ColorCount;
    e.Reserved = g.Reserved;
    e.Planes = g.Planes;
    e.BitCount = g.BitCount;
    e.BytesInRes = g.BytesInRes;
    return e;
}

bool AssignImageOffsets(std::span<IconDirectoryEntry> entries) {
    std::uint64_t offset = kIconHeaderSize + kIconDirectoryEntrySize * static_cast<std::uint64_t>(entries.size());
    for (IconDirectoryEntry& e : entries) {
        if (offset > 0xFFFFFFFFu) return false;
        e.ImageOffset = static_cast<std::uint32_t>(offset);
        offset += e.BytesInRes;
    }
    return offset <= 0xFFFFFFFFu;
}

namespace {
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}
template <class E>
void PutCommon(std::vector<std::uint8_t>& out, const E& e) {
    out.push_back(e.Width);
    out.push_back(e.Height);
    out.push_back(e.ColorCount);
    out.push_back(e.Reserved);
    Put16(out, e.Planes);
    Put16(out, e.BitCount);
    Put32(out, e.BytesInRes);
}
}  // namespace

void AppendHeader(std::vector<std::uint8_t>& out, const IconHeader& h) {
    Put16(out, h.Reserved);
    Put16(out, h.Type);
    Put16(out, h.Count);
}

void AppendDirectoryEntry(std::vector<std::uint8_t>& out, const IconDirectoryEntry& e) {
    PutCommon(out, e);
    Put32(out, e.ImageOffset);
}

void AppendGroupEntry(std::vector<std::uint8_t>& out, const GroupIconEntry& e) {
    PutCommon(out, e);
    Put16(out, e.ID);
}

}  // namespace qm
