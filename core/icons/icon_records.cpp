#include "core/icons/icon_records.h"

#include "core/icons/byte_writer.h"

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
    static_cast<IconImageEntry&>(e) = g;
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
template <std::size_t N>
void PutImageEntry(RecordWriter<N>& r, const IconImageEntry& e) {
    using namespace icon_entry;
    r.template U8<kWidth>(e.Width)
        .template U8<kHeight>(e.Height)
        .template U8<kColorCount>(e.ColorCount)
        .template U8<kReserved>(e.Reserved)
        .template U16<kPlanes>(e.Planes)
        .template U16<kBitCount>(e.BitCount)
        .template U32<kBytesInRes>(e.BytesInRes);
}
}  // namespace

void AppendHeader(ByteWriter& out, const IconHeader& h) {
    out.Record<icon_header::kSize>()
        .U16<icon_header::kReserved>(h.Reserved)
        .U16<icon_header::kType>(h.Type)
        .U16<icon_header::kCount>(h.Count);
}

void AppendDirectoryEntry(ByteWriter& out, const IconDirectoryEntry& e) {
    auto r = out.Record<icon_directory_entry::kSize>();
    PutImageEntry(r, e);
    r.U32<icon_directory_entry::kImageOffset>(e.ImageOffset);
}

void AppendGroupEntry(ByteWriter& out, const GroupIconEntry& e) {
    auto r = out.Record<group_icon_entry::kSize>();
    PutImageEntry(r, e);
    r.U16<group_icon_entry::kId>(e.ID);
}

}  // namespace qm
