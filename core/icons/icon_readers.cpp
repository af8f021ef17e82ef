#include "core/icons/icon_readers.h"

#include <algorithm>

namespace qm {

namespace {

constexpr std::uint64_t kNowhere = ~std::uint64_t{0};

// The 12 common bytes of an entry at `offset` and, for a group entry, the ID behind them.
std::optional<GroupIconEntry> ReadEntryCommon(ByteView f, std::uint64_t offset, bool withId) {
    if (!f.Has(offset, withId ? kGroupIconEntrySize : 12)) return std::nullopt;
    GroupIconEntry e;
    e.Width = *f.U8(offset);
    e.Height = *f.U8(offset + 1);
    e.ColorCount = *f.U8(offset + 2);
    e.Reserved = *f.U8(offset + 3);
    e.Planes = *f.U16(offset + 4);
    e.BitCount = *f.U16(offset + 6);
    e.BytesInRes = *f.U32(offset + 8);
    if (withId) e.ID = *f.U16(offset + 12);
    return e;
}

std::optional<IconHeader> ReadHeader(ByteView f, std::uint64_t offset) {
    if (!f.Has(offset, kIconHeaderSize)) return std::nullopt;
    return IconHeader{*f.U16(offset), *f.U16(offset + 2), *f.U16(offset + 4)};
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
        const std::uint64_t at = kIconHeaderSize + kIconDirectoryEntrySize * i;
        auto e = ReadEntryCommon(f, at, false);
        if (!e || !f.Has(at, kIconDirectoryEntrySize)) return Fail(failure, kMsgReadBeyondEnd);
        e->ID = static_cast<std::uint16_t>(i + 1);
        out.entries.push_back(*e);
        offsets.push_back(*f.U32(at + 12));
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
    auto sig = f.U16(0);
    auto reloc = f.U16(0x18);
    if (!sig || *sig != 0x5A4D || !reloc) return false;
    return *reloc == 0 || *reloc >= 0x40;
}

NeIndexResult IndexNeIcons(ByteView f, NeIconIndex& out, bool newHeaderOffset32) {
    out = {};
    if (!f.Has(0, 64)) return NeIndexResult::kReadFailed;
    if (!HasNewHeader(f)) return NeIndexResult::kNotIconLibrary;
    const std::uint64_t ne = newHeaderOffset32 ? *f.U32(0x3C) : *f.U16(0x3C);
    if (!f.Has(ne, 64)) return NeIndexResult::kReadFailed;
    if (*f.U16(ne) != 0x454E) return NeIndexResult::kNotIconLibrary;  // "NE"
    const std::uint16_t resources = *f.U16(ne + 0x24);
    if (resources == *f.U16(ne + 0x26)) return NeIndexResult::kNotIconLibrary;
    out.neHeader = ne;
    std::uint64_t pos = ne + resources;
    auto shift = f.U16(pos);
    if (!shift) return NeIndexResult::kReadFailed;
    out.alignShift = *shift;
    pos += 2;
    // Every step moves at least 8 bytes forward, so the walk ends at the file's end at the latest.
    while (!(out.haveGroups && out.haveImages)) {
        auto type = f.U16(pos);
        if (!type) return NeIndexResult::kReadFailed;
        if (*type == 0) break;
        if (!f.Has(pos, 8)) return NeIndexResult::kReadFailed;
        const std::uint16_t count = *f.U16(pos + 2);
        if (*f.U32(pos + 4) != 0) break;
        if (*type == 0x8003 && !out.haveImages) {
            out.haveImages = true;
            out.imageRecords = pos + 8;
            out.imageCount = count;
        } else if (*type == 0x800E && !out.haveGroups) {
            out.haveGroups = true;
            out.groupRecords = pos + 8;
            out.groupCount = count;
        }
        pos += 8 + 12 * static_cast<std::uint64_t>(count);
    }
    if (!out.haveGroups || !out.haveImages) return NeIndexResult::kNotIconLibrary;
    for (std::uint32_t k = 0; k < out.imageCount; ++k) {
        auto id = f.U16(out.imageRecords + 12 * static_cast<std::uint64_t>(k) + 6);
        if (!id) break;
        out.imageIds.emplace_back(static_cast<std::uint16_t>(*id & 0x7FFF), k);
        out.readableImages = k + 1;
    }
    std::sort(out.imageIds.begin(), out.imageIds.end());
    return NeIndexResult::kOk;
}

bool ReadNeGroup(ByteView f, const NeIconIndex& idx, std::uint32_t group, IconGroupData& out,
                 std::wstring& failure) {
    out = {};
    if (group >= idx.groupCount) return Fail(failure, kMsgNoIconAtIndex);
    auto units = f.U16(idx.groupRecords + 12 * static_cast<std::uint64_t>(group));
    if (!units) return Fail(failure, kMsgReadBeyondEnd);
    const std::uint64_t data = Scaled(*units, idx.alignShift);
    auto header = ReadHeader(f, data);
    if (!header) return Fail(failure, kMsgReadBeyondEnd);
    out.header = *header;
    if (auto refused = CheckIconHeader(out.header)) return Fail(failure, *refused);
    for (std::size_t i = 0; i < out.header.Count; ++i) {
        auto e = ReadEntryCommon(f, data + kIconHeaderSize + kGroupIconEntrySize * i, true);
        if (!e) return Fail(failure, kMsgReadBeyondEnd);
        // The first image record (in file order) whose id matches.
        auto it = std::lower_bound(idx.imageIds.begin(), idx.imageIds.end(),
                                   std::make_pair(static_cast<std::uint16_t>(e->ID & 0xFFFF), std::uint32_t{0}));
        if (it == idx.imageIds.end() || it->first != e->ID) {
            // A search that ran into the end of the file fails as a read would.
            return Fail(failure, idx.readableImages < idx.imageCount ? kMsgReadBeyondEnd : kMsgInvalidImageSize);
        }
        const std::uint16_t imageUnits = *f.U16(idx.imageRecords + 12 * static_cast<std::uint64_t>(it->second));
        auto image = f.Sub(Scaled(imageUnits, idx.alignShift), e->BytesInRes);
        if (!image) return Fail(failure, kMsgReadBeyondEnd);
        out.entries.push_back(*e);
        out.images.push_back(*image);
    }
    return true;
}

// ---- PE ------------------------------------------------------------------------------------

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kMaxResourceName = 260;

struct PeSections {
    ByteView file;
    std::uint64_t table = 0;
    std::uint16_t count = 0;

    // The file offset of rva and the bytes of raw data behind it in its section.
    bool Map(std::uint32_t rva, std::uint64_t& offset, std::uint64_t& available) const {
        for (std::uint16_t i = 0; i < count; ++i) {
            const std::uint64_t s = table + 40 * static_cast<std::uint64_t>(i);
            const std::uint32_t va = *file.U32(s + 12);
            const std::uint32_t rawSize = *file.U32(s + 16);
            const std::uint32_t rawPtr = *file.U32(s + 20);
            if (rva < va || rva - va >= rawSize) continue;
            offset = static_cast<std::uint64_t>(rawPtr) + (rva - va);
            if (offset >= file.size()) return false;
            available = std::min<std::uint64_t>(rawSize - (rva - va), file.size() - offset);
            return true;
        }
        return false;
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
    auto named = res.U16(std::uint64_t{offset} + 12);
    auto ids = res.U16(std::uint64_t{offset} + 14);
    if (!named || !ids) return entries;
    const std::uint64_t first = std::uint64_t{offset} + 16;
    const std::uint64_t total = std::uint64_t{*named} + *ids;
    for (std::uint64_t i = 0; i < total && res.Has(first + 8 * i, 8); ++i) {
        entries.push_back({*res.U32(first + 8 * i), *res.U32(first + 8 * i + 4)});
    }
    return entries;
}

// A name entry's data: the first language's data entry, mapped into the file.
PeResourceData ReadResourceData(ByteView res, const PeSections& sections, std::uint32_t data) {
    PeResourceData out;
    if (!(data & kHighBit)) return out;
    for (const DirEntry& lang : ReadDirectory(res, data & ~kHighBit)) {
        if (lang.data & kHighBit) continue;
        auto rva = res.U32(lang.data);
        auto size = res.U32(std::uint64_t{lang.data} + 4);
        if (!rva || !size) return out;
        out.size = *size;
        std::uint64_t offset = 0, available = 0;
        if (*size == 0) {
            out.present = true;
            return out;
        }
        if (sections.Map(*rva, offset, available) && *size <= available) {
            out.present = true;
            out.offset = offset;
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
    auto mz = f.U16(0);
    auto lfanew = f.U32(0x3C);
    if (!mz || *mz != 0x5A4D || !lfanew) return false;
    const std::uint64_t pe = *lfanew;
    if (!f.Has(pe, 24) || *f.U32(pe) != 0x00004550) return false;  // "PE\0\0"
    const std::uint64_t coff = pe + 4;
    PeSections sections{f, 0, *f.U16(coff + 2)};
    const std::uint16_t optSize = *f.U16(coff + 16);
    const std::uint64_t opt = coff + 20;
    auto magic = f.U16(opt);
    if (!magic || !f.Has(opt, optSize)) return false;
    std::uint64_t rvaCountAt = 0, dirs = 0;
    if (*magic == 0x10B) {
        rvaCountAt = opt + 92;
        dirs = opt + 96;
    } else if (*magic == 0x20B) {
        out.is64 = true;
        rvaCountAt = opt + 108;
        dirs = opt + 112;
    } else {
        return false;
    }
    sections.table = opt + optSize;
    if (!f.Has(sections.table, 40 * static_cast<std::uint64_t>(sections.count))) return false;
    // No resource directory: a module without icons.
    if (rvaCountAt + 4 > opt + optSize || *f.U32(rvaCountAt) < 3 || dirs + 24 > opt + optSize) return true;
    const std::uint32_t resRva = *f.U32(dirs + 16);
    std::uint64_t resOffset = 0, resAvailable = 0;
    if (resRva == 0 || !sections.Map(resRva, resOffset, resAvailable)) return true;
    const ByteView res = *f.Sub(resOffset, resAvailable);

    const std::vector<DirEntry> types = ReadDirectory(res, 0);
    auto typeDir = [&](std::uint16_t type) -> std::optional<std::uint32_t> {
        for (const DirEntry& t : types) {
            if (!(t.name & kHighBit) && (t.name & 0xFFFF) == type && (t.data & kHighBit)) return t.data & ~kHighBit;
        }
        return std::nullopt;
    };
    if (auto groups = typeDir(14)) {
        for (const DirEntry& n : ReadDirectory(res, *groups)) {
            out.groups.push_back({ReadName(res, n.name), ReadResourceData(res, sections, n.data)});
        }
    }
    if (auto icons = typeDir(3)) {
        for (const DirEntry& n : ReadDirectory(res, *icons)) {
            if (n.name & kHighBit) continue;  // looked up by integer id only
            out.images.push_back({static_cast<std::uint16_t>(n.name), ReadResourceData(res, sections, n.data)});
        }
        std::stable_sort(out.images.begin(), out.images.end(),
                         [](const PeIconIndex::Image& a, const PeIconIndex::Image& b) { return a.id < b.id; });
        out.images.erase(std::unique(out.images.begin(), out.images.end(),
                                     [](const PeIconIndex::Image& a, const PeIconIndex::Image& b) { return a.id == b.id; }),
                         out.images.end());
    }
    return true;
}

bool ReadPeGroup(ByteView f, const PeIconIndex& idx, std::size_t group, IconGroupData& out, std::wstring& failure) {
    out = {};
    if (group >= idx.groups.size()) return Fail(failure, kMsgNoIconAtIndex);
    const PeResourceData& data = idx.groups[group].data;
    const ByteView body = data.present ? *f.Sub(data.offset, data.size) : ByteView();
    auto header = ReadHeader(body, 0);
    if (!header) return Fail(failure, kMsgInvalidEntry);
    out.header = *header;
    if (auto refused = CheckIconHeader(out.header)) return Fail(failure, *refused);
    for (std::size_t i = 0; i < out.header.Count; ++i) {
        auto e = ReadEntryCommon(body, kIconHeaderSize + kGroupIconEntrySize * i, true);
        if (!e) return Fail(failure, kMsgInvalidEntry);
        auto it = std::lower_bound(idx.images.begin(), idx.images.end(), e->ID,
                                   [](const PeIconIndex::Image& a, std::uint16_t id) { return a.id < id; });
        const bool found = it != idx.images.end() && it->id == e->ID && it->data.present;
        const std::uint32_t size = found ? it->data.size : 0;
        if (size != e->BytesInRes) return Fail(failure, kMsgInvalidImageSize);
        out.entries.push_back(*e);
        out.images.push_back(found && size ? *f.Sub(it->data.offset, size) : ByteView());
    }
    return true;
}

// ---- shared --------------------------------------------------------------------------------

std::vector<std::uint8_t> GroupDirectoryBytes(const IconGroupData& group) {
    std::vector<std::uint8_t> out;
    out.reserve(kIconHeaderSize + kGroupIconEntrySize * group.entries.size());
    IconHeader h = group.header;
    h.Count = static_cast<std::uint16_t>(group.entries.size());
    AppendHeader(out, h);
    for (const GroupIconEntry& e : group.entries) AppendGroupEntry(out, e);
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
    AssignImageOffsets(entries.data(), count);
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(total));
    AppendHeader(out, IconHeader{0, 1, static_cast<std::uint16_t>(count)});
    for (const IconDirectoryEntry& e : entries) AppendDirectoryEntry(out, e);
    for (std::size_t i = 0; i < count; ++i) {
        out.insert(out.end(), group.images[i].data(), group.images[i].data() + group.images[i].size());
    }
    return out;
}

}  // namespace qm
