#include "core/icons/icon_readers.h"

#include <algorithm>

#include "core/icons/binary_layouts.h"
#include "core/icons/byte_writer.h"

namespace qm {

namespace {

constexpr std::uint64_t kNowhere = ~std::uint64_t{0};

// The 12 bytes that directory and group entries share.
template <std::size_t N>
GroupIconEntry EntryCommon(const ByteRecord<N>& r) {
    using namespace icon_entry;
    GroupIconEntry e;
    e.Width = r.template U8<kWidth>();
    e.Height = r.template U8<kHeight>();
    e.ColorCount = r.template U8<kColorCount>();
    e.Reserved = r.template U8<kReserved>();
    e.Planes = r.template U16<kPlanes>();
    e.BitCount = r.template U16<kBitCount>();
    e.BytesInRes = r.template U32<kBytesInRes>();
    return e;
}

// The 14-byte group entry at `offset`.
std::optional<GroupIconEntry> ReadGroupEntry(ByteView f, std::uint64_t offset) {
    auto r = f.Record<group_icon_entry::kSize>(offset);
    if (!r) return std::nullopt;
    GroupIconEntry e = EntryCommon(*r);
    e.ID = r->U16<group_icon_entry::kId>();
    return e;
}

std::optional<IconHeader> ReadHeader(ByteView f, std::uint64_t offset) {
    auto r = f.Record<icon_header::kSize>(offset);
    if (!r) return std::nullopt;
    return IconHeader{r->U16<icon_header::kReserved>(), r->U16<icon_header::kType>(), r->U16<icon_header::kCount>()};
}

bool Fail(std::wstring& failure, std::wstring_view text) {
    failure.assign(text);
    return false;
}

// An NE data offset in alignment units as a file offset (kNowhere when it cannot be in a file).
std::uint64_t Scaled(std::uint16_t units, std::uint16_t shift) {
    if (units == 0) return 0;
    if (shift >= 40) return kNowhere;
    return static_cast<std::uint64_t>(units) << shift;
}

}  // namespace

// ---- .ico ----------------------------------------------------------------------------------

bool ReadIcoFile(ByteView f, IconGroupData& out, std::wstring& failure) {
    out = {};
    auto header = ReadHeader(f, 0);
    if (!header) return Fail(failure, kMsgReadBeyondEnd);
    out.header = *header;
    if (auto refused = CheckIconHeader(out.header)) return Fail(failure, *refused);
    const std::size_t count = out.header.Count;
    std::vector<std::uint32_t> offsets;
    for (std::size_t i = 0; i < count; ++i) {
        auto r = f.Record<icon_directory_entry::kSize>(kIconHeaderSize + kIconDirectoryEntrySize * i);
        if (!r) return Fail(failure, kMsgReadBeyondEnd);
        GroupIconEntry e = EntryCommon(*r);
        e.ID = static_cast<std::uint16_t>(i + 1);
        out.entries.push_back(e);
        offsets.push_back(r->U32<icon_directory_entry::kImageOffset>());
    }
    for (std::size_t i = 0; i < count; ++i) {
        auto image = f.Sub(offsets[i], out.entries[i].BytesInRes);
        if (!image) return Fail(failure, kMsgReadBeyondEnd);
        out.images.push_back(*image);
    }
    return true;
}

// ---- NE ------------------------------------------------------------------------------------

bool HasNewHeader(ByteView f) {
    auto sig = f.U16(dos_header::kMagic);
    auto reloc = f.U16(dos_header::kRelocationTable);
    if (!sig || *sig != dos_header::kSignature || !reloc) return false;
    return *reloc == 0 || *reloc >= dos_header::kNewHeaderRelocationTable;
}

NeIndexResult IndexNeIcons(ByteView f, NeIconIndex& out, bool newHeaderOffset32) {
    out = {};
    auto dos = f.Record<dos_header::kSize>(0);
    if (!dos) return NeIndexResult::kReadFailed;
    if (!HasNewHeader(f)) return NeIndexResult::kNotIconLibrary;
    const std::uint64_t ne =
        newHeaderOffset32 ? dos->U32<dos_header::kNewHeader>() : dos->U16<dos_header::kNewHeader>();
    auto header = f.Record<ne_header::kSize>(ne);
    if (!header) return NeIndexResult::kReadFailed;
    if (header->U16<ne_header::kMagic>() != ne_header::kSignature) return NeIndexResult::kNotIconLibrary;
    const std::uint16_t resources = header->U16<ne_header::kResourceTable>();
    if (resources == header->U16<ne_header::kResidentNames>()) return NeIndexResult::kNotIconLibrary;
    out.neHeader = ne;
    std::uint64_t pos = ne + resources;
    auto shift = f.U16(pos);
    if (!shift) return NeIndexResult::kReadFailed;
    out.alignShift = *shift;
    pos += 2;
    constexpr std::uint16_t kIconType = ne_resource_name::kIntegerId | resource_type::kIcon;
    constexpr std::uint16_t kGroupType = ne_resource_name::kIntegerId | resource_type::kGroupIcon;
    // Every step moves at least 8 bytes forward, so the walk ends at the file's end at the latest.
    while (!(out.haveGroups && out.haveImages)) {
        auto type = f.U16(pos + ne_resource_type::kTypeId);
        if (!type) return NeIndexResult::kReadFailed;
        if (*type == 0) break;
        auto typeInfo = f.Record<ne_resource_type::kSize>(pos);
        if (!typeInfo) return NeIndexResult::kReadFailed;
        const std::uint16_t count = typeInfo->U16<ne_resource_type::kCount>();
        if (typeInfo->U32<ne_resource_type::kReserved>() != 0) break;
        if (*type == kIconType && !out.haveImages) {
            out.haveImages = true;
            out.imageRecords = pos + ne_resource_type::kSize;
            out.imageCount = count;
        } else if (*type == kGroupType && !out.haveGroups) {
            out.haveGroups = true;
            out.groupRecords = pos + ne_resource_type::kSize;
            out.groupCount = count;
        }
        pos += ne_resource_type::kSize + ne_resource_name::kSize * static_cast<std::uint64_t>(count);
    }
    if (!out.haveGroups || !out.haveImages) return NeIndexResult::kNotIconLibrary;
    // Data offset, length, flags and id: the part of a name record a lookup reads.
    constexpr std::size_t kLookedUp = ne_resource_name::kId + 2;
    for (std::uint32_t k = 0; k < out.imageCount; ++k) {
        auto record = f.Record<kLookedUp>(out.imageRecords + ne_resource_name::kSize * static_cast<std::uint64_t>(k));
        if (!record) break;
        out.imageIds.emplace_back(
            static_cast<std::uint16_t>(record->U16<ne_resource_name::kId>() & ~ne_resource_name::kIntegerId), k);
        out.readableImages = k + 1;
    }
    std::sort(out.imageIds.begin(), out.imageIds.end());
    return NeIndexResult::kOk;
}

bool ReadNeGroup(ByteView f, const NeIconIndex& idx, std::uint32_t group, IconGroupData& out, std::wstring& failure) {
    out = {};
    if (group >= idx.groupCount) return Fail(failure, kMsgNoIconAtIndex);
    auto units = f.U16(idx.groupRecords + ne_resource_name::kSize * static_cast<std::uint64_t>(group) +
                       ne_resource_name::kDataOffset);
    if (!units) return Fail(failure, kMsgReadBeyondEnd);
    const std::uint64_t data = Scaled(*units, idx.alignShift);
    auto header = ReadHeader(f, data);
    if (!header) return Fail(failure, kMsgReadBeyondEnd);
    out.header = *header;
    if (auto refused = CheckIconHeader(out.header)) return Fail(failure, *refused);
    for (std::size_t i = 0; i < out.header.Count; ++i) {
        auto e = ReadGroupEntry(f, data + kIconHeaderSize + kGroupIconEntrySize * i);
        if (!e) return Fail(failure, kMsgReadBeyondEnd);
        // The first image record (in file order) whose id matches.
        auto it = std::lower_bound(idx.imageIds.begin(), idx.imageIds.end(),
                                   std::make_pair(static_cast<std::uint16_t>(e->ID & 0xFFFF), std::uint32_t{0}));
        if (it == idx.imageIds.end() || it->first != e->ID) {
            // A search that ran into the end of the file fails as a read would.
            return Fail(failure, idx.readableImages < idx.imageCount ? kMsgReadBeyondEnd : kMsgInvalidImageSize);
        }
        auto imageUnits = f.U16(idx.imageRecords + ne_resource_name::kSize * static_cast<std::uint64_t>(it->second) +
                                ne_resource_name::kDataOffset);
        if (!imageUnits) return Fail(failure, kMsgReadBeyondEnd);
        auto image = f.Sub(Scaled(*imageUnits, idx.alignShift), e->BytesInRes);
        if (!image) return Fail(failure, kMsgReadBeyondEnd);
        out.entries.push_back(*e);
        out.images.push_back(*image);
    }
    return true;
}

// ---- PE ------------------------------------------------------------------------------------

namespace {

constexpr std::uint32_t kHighBit = resource_directory_entry::kHighBit;
constexpr std::size_t kMaxResourceName = 260;

struct PeSections {
    ByteView file;
    ByteView table;  // the section headers

    struct Mapped {
        std::uint64_t offset = 0;  // file offset of the rva
        ByteView bytes;            // the raw data behind it in its section, as far as the file holds it
    };
    std::optional<Mapped> Map(std::uint32_t rva) const {
        for (std::uint64_t s = 0;; s += pe_section::kSize) {
            auto section = table.Record<pe_section::kSize>(s);
            if (!section) return std::nullopt;
            const std::uint32_t va = section->U32<pe_section::kVirtualAddress>();
            const std::uint32_t rawSize = section->U32<pe_section::kRawSize>();
            const std::uint32_t rawPtr = section->U32<pe_section::kRawData>();
            if (rva < va || rva - va >= rawSize) continue;
            const std::uint64_t offset = static_cast<std::uint64_t>(rawPtr) + (rva - va);
            if (offset >= file.size()) return std::nullopt;
            auto bytes = file.Sub(offset, std::min<std::uint64_t>(rawSize - (rva - va), file.size() - offset));
            if (!bytes) return std::nullopt;
            return Mapped{offset, *bytes};
        }
    }
};

struct DirEntry {
    std::uint32_t name;
    std::uint32_t data;
};

// The entries of the resource directory at `offset` (relative to the resource root), as many
// as lie inside the resource data.
std::vector<DirEntry> ReadDirectory(ByteView res, std::uint32_t offset) {
    std::vector<DirEntry> entries;
    auto header = res.Record<resource_directory::kSize>(offset);
    if (!header) return entries;
    const std::uint64_t first = std::uint64_t{offset} + resource_directory::kSize;
    const std::uint64_t total =
        std::uint64_t{header->U16<resource_directory::kNamedCount>()} + header->U16<resource_directory::kIdCount>();
    for (std::uint64_t i = 0; i < total; ++i) {
        auto entry = res.Record<resource_directory_entry::kSize>(first + resource_directory_entry::kSize * i);
        if (!entry) break;
        entries.push_back(
            {entry->U32<resource_directory_entry::kName>(), entry->U32<resource_directory_entry::kData>()});
    }
    return entries;
}

// A name entry's data: the first language's data entry, mapped into the file.
PeResourceData ReadResourceData(ByteView res, const PeSections& sections, std::uint32_t data) {
    PeResourceData out;
    if (!(data & kHighBit)) return out;
    for (const DirEntry& lang : ReadDirectory(res, data & ~kHighBit)) {
        if (lang.data & kHighBit) continue;
        // Rva and size (code page and reserved not read).
        auto entry = res.Record<resource_data_entry::kCodePage>(lang.data);
        if (!entry) return out;
        out.size = entry->U32<resource_data_entry::kLength>();
        if (out.size == 0) {
            out.present = true;
            return out;
        }
        auto mapped = sections.Map(entry->U32<resource_data_entry::kRva>());
        if (mapped && out.size <= mapped->bytes.size()) {
            out.present = true;
            out.offset = mapped->offset;
        }
        return out;
    }
    return out;
}

PeResourceName ReadName(ByteView res, std::uint32_t name) {
    PeResourceName out;
    if (!(name & kHighBit)) {
        out.id = static_cast<std::uint16_t>(name);
        return out;
    }
    out.isId = false;
    const std::uint64_t at = name & ~kHighBit;
    auto length = res.U16(at);
    if (!length) return out;
    for (std::size_t i = 0; i < *length && i < kMaxResourceName; ++i) {
        auto ch = res.U16(at + 2 + 2 * i);
        if (!ch) break;
        out.name.push_back(static_cast<wchar_t>(*ch));
    }
    return out;
}

}  // namespace

bool IndexPeIcons(ByteView f, PeIconIndex& out) {
    out = {};
    auto mz = f.U16(dos_header::kMagic);
    auto lfanew = f.U32(dos_header::kNewHeader);
    if (!mz || *mz != dos_header::kSignature || !lfanew) return false;
    const std::uint64_t pe = *lfanew;
    auto header = f.Record<pe_header::kSize>(pe);
    if (!header || header->U32<pe_header::kSignature>() != pe_header::kSignatureValue) return false;
    const std::uint16_t sectionCount = header->U16<pe_header::kSectionCount>();
    const std::uint16_t optSize = header->U16<pe_header::kOptionalHeaderSize>();
    const std::uint64_t opt = pe + pe_header::kSize;
    auto magic = f.U16(opt + pe_optional_header::kMagic);
    auto optional = f.Sub(opt, optSize);
    if (!magic || !optional) return false;
    std::uint64_t rvaCountAt = 0, dirs = 0;  // inside the optional header
    if (*magic == pe_optional_header::kMagicPe32) {
        rvaCountAt = pe_optional_header::kDataDirectoryCount;
        dirs = pe_optional_header::kDataDirectories;
    } else if (*magic == pe_optional_header::kMagicPe32Plus) {
        out.is64 = true;
        rvaCountAt = pe_optional_header::kDataDirectoryCount64;
        dirs = pe_optional_header::kDataDirectories64;
    } else {
        return false;
    }
    auto table = f.Sub(opt + optSize, pe_section::kSize * static_cast<std::uint64_t>(sectionCount));
    if (!table) return false;
    const PeSections sections{f, *table};
    // No resource directory: a module without icons.
    auto rvaCount = optional->U32(rvaCountAt);
    auto resDir =
        optional->Record<pe_data_directory::kSize>(dirs + pe_data_directory::kSize * pe_data_directory::kResourceIndex);
    if (!rvaCount || *rvaCount <= pe_data_directory::kResourceIndex || !resDir) return true;
    const std::uint32_t resRva = resDir->U32<pe_data_directory::kRva>();
    auto mapped = resRva == 0 ? std::nullopt : sections.Map(resRva);
    if (!mapped) return true;
    const ByteView res = mapped->bytes;

    const std::vector<DirEntry> types = ReadDirectory(res, 0);
    auto typeDir = [&](std::uint16_t type) -> std::optional<std::uint32_t> {
        for (const DirEntry& t : types) {
            if (!(t.name & kHighBit) && (t.name & 0xFFFF) == type && (t.data & kHighBit)) return t.data & ~kHighBit;
        }
        return std::nullopt;
    };
    if (auto groups = typeDir(resource_type::kGroupIcon)) {
        for (const DirEntry& n : ReadDirectory(res, *groups)) {
            out.groups.push_back({ReadName(res, n.name), ReadResourceData(res, sections, n.data)});
        }
    }
    if (auto icons = typeDir(resource_type::kIcon)) {
        for (const DirEntry& n : ReadDirectory(res, *icons)) {
            if (n.name & kHighBit) continue;  // looked up by integer id only
            out.images.push_back({static_cast<std::uint16_t>(n.name), ReadResourceData(res, sections, n.data)});
        }
        std::stable_sort(out.images.begin(), out.images.end(),
                         [](const PeIconIndex::Image& a, const PeIconIndex::Image& b) { return a.id < b.id; });
        out.images.erase(
            std::unique(out.images.begin(), out.images.end(),
                        [](const PeIconIndex::Image& a, const PeIconIndex::Image& b) { return a.id == b.id; }),
            out.images.end());
    }
    return true;
}

bool ReadPeGroup(ByteView f, const PeIconIndex& idx, std::size_t group, IconGroupData& out, std::wstring& failure) {
    out = {};
    if (group >= idx.groups.size()) return Fail(failure, kMsgNoIconAtIndex);
    const PeResourceData& data = idx.groups[group].data;
    // Data that is not in the file reads as an empty group, which fails the header read.
    const ByteView body = (data.present ? f.Sub(data.offset, data.size) : std::nullopt).value_or(ByteView());
    auto header = ReadHeader(body, 0);
    if (!header) return Fail(failure, kMsgInvalidEntry);
    out.header = *header;
    if (auto refused = CheckIconHeader(out.header)) return Fail(failure, *refused);
    for (std::size_t i = 0; i < out.header.Count; ++i) {
        auto e = ReadGroupEntry(body, kIconHeaderSize + kGroupIconEntrySize * i);
        if (!e) return Fail(failure, kMsgInvalidEntry);
        auto it = std::lower_bound(idx.images.begin(), idx.images.end(), e->ID,
                                   [](const PeIconIndex::Image& a, std::uint16_t id) { return a.id < id; });
        const bool found = it != idx.images.end() && it->id == e->ID && it->data.present;
        const std::uint32_t size = found ? it->data.size : 0;
        if (size != e->BytesInRes) return Fail(failure, kMsgInvalidImageSize);
        ByteView image;
        if (size) {
            auto stored = f.Sub(it->data.offset, size);
            if (!stored) return Fail(failure, kMsgInvalidImageSize);
            image = *stored;
        }
        out.entries.push_back(*e);
        out.images.push_back(image);
    }
    return true;
}

// ---- shared --------------------------------------------------------------------------------

std::vector<std::uint8_t> GroupDirectoryBytes(const IconGroupData& group) {
    std::vector<std::uint8_t> out;
    out.reserve(kIconHeaderSize + kGroupIconEntrySize * group.entries.size());
    IconHeader h = group.header;
    h.Count = static_cast<std::uint16_t>(group.entries.size());
    ByteWriter w(out);
    AppendHeader(w, h);
    for (const GroupIconEntry& e : group.entries) AppendGroupEntry(w, e);
    return out;
}

std::vector<std::uint8_t> IcoFileBytes(const IconGroupData& group) {
    const std::size_t count = group.entries.size();
    std::vector<IconDirectoryEntry> entries;
    std::uint64_t total = kIconHeaderSize + kIconDirectoryEntrySize * count;
    for (std::size_t i = 0; i < count; ++i) {
        entries.push_back(ToDirectoryEntry(group.entries[i]));
        total += group.entries[i].BytesInRes;
    }
    AssignImageOffsets(entries);
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(total));
    ByteWriter w(out);
    AppendHeader(w, IconHeader{0, 1, static_cast<std::uint16_t>(count)});
    for (const IconDirectoryEntry& e : entries) AppendDirectoryEntry(w, e);
    for (std::size_t i = 0; i < count; ++i) w.Bytes(group.images[i].span());
    return out;
}

}  // namespace qm
