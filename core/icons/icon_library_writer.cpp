#include "core/icons/icon_library_writer.h"

#include <algorithm>

#include "core/base/error.h"
#include "core/icons/binary_layouts.h"
#include "core/icons/byte_writer.h"

namespace qm {

namespace {

[[noreturn]] void Refuse(const wchar_t* what) {
    throw UserError(std::wstring(L"Cannot build the icon library: ") + what);
}

// The group resource of an icon whose images got ids firstId, firstId + 1, ...
std::vector<std::uint8_t> GroupResource(const IconGroupData& icon, std::uint32_t firstId) {
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    AppendHeader(w, IconHeader{0, 1, static_cast<std::uint16_t>(icon.entries.size())});
    for (std::size_t i = 0; i < icon.entries.size(); ++i) {
        GroupIconEntry e = icon.entries[i];
        e.ID = static_cast<std::uint16_t>(firstId + i);
        e.BytesInRes = static_cast<std::uint32_t>(icon.images[i].size());
        AppendGroupEntry(w, e);
    }
    return out;
}

void CheckIcons(const std::vector<LibraryIcon>& icons, std::size_t maxImages) {
    if (icons.size() > 0x7FFF) Refuse(L"too many icons");
    std::size_t images = 0;
    for (const LibraryIcon& li : icons) {
        if (li.icon.entries.empty() || li.icon.entries.size() > 0xFFFF ||
            li.icon.images.size() != li.icon.entries.size()) {
            Refuse(L"an icon without images");
        }
        for (ByteView v : li.icon.images) {
            if (v.size() > 0xFFFFFFF0u) Refuse(L"an image too large");
        }
        images += li.icon.entries.size();
    }
    if (images > maxImages) Refuse(L"too many images");
}

std::string NeName(const std::wstring& name) {
    std::string out;
    for (wchar_t c : name) {
        if (out.size() == 255) break;
        char a = (c > 0x20 && c < 0x7F) ? static_cast<char>(c) : '_';
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        out.push_back(a);
    }
    return out;
}

// The DOS header at the start of the file; the new header follows at `newHeader`.
void WriteDosHeader(ByteWriter& w, std::uint16_t lastPageBytes, std::uint16_t pages, std::uint32_t newHeader) {
    using namespace dos_header;
    w.Record<kSize>()
        .U16<kMagic>(kSignature)
        .U16<kLastPageBytes>(lastPageBytes)
        .U16<kPageCount>(pages)
        .U16<kHeaderParagraphs>(4)
        .U16<kMaxExtraParagraphs>(0xFFFF)
        .U16<kInitialSp>(0xB8)
        .U16<kRelocationTable>(kNewHeaderRelocationTable)
        .U32<kNewHeader>(newHeader);
}

// ---- NE ----

// A length-prefixed 8-bit string, as NE name tables hold them.
void WritePascal(ByteWriter& w, const std::string& text) {
    w.U8(static_cast<std::uint8_t>(text.size()));
    w.Bytes(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// A names table of one entry (the module name, ordinal 0) and its end mark.
void WriteModuleNameTable(ByteWriter& w, const std::string& module) {
    WritePascal(w, module);
    w.U16(0);
    w.U8(0);
}

struct NeResource {
    std::uint16_t id;  // with the 0x8000 bit, or the offset of its name in the resource table
    std::vector<std::uint8_t> owned;
    ByteView data;
};

// Where the resource table's alignment and each resource's data place are to be written.
struct NeResourceTablePlaces {
    std::size_t shift = 0;
    std::vector<std::size_t> records;  // images first, then groups
};

// One type record and the name records of its resources; their data places are left 0.
void WriteNeResourceType(ByteWriter& w, std::uint16_t type, const std::vector<NeResource>& list,
                         NeResourceTablePlaces& places) {
    w.Record<ne_resource_type::kSize>()
        .U16<ne_resource_type::kTypeId>(static_cast<std::uint16_t>(ne_resource_name::kIntegerId | type))
        .U16<ne_resource_type::kCount>(static_cast<std::uint16_t>(list.size()));
    for (const NeResource& r : list) {
        places.records.push_back(w.size());
        w.Record<ne_resource_name::kSize>()
            .U16<ne_resource_name::kFlags>(ne_resource_name::kMoveablePureDiscardable)
            .U16<ne_resource_name::kId>(r.id);
    }
}

// The resource table: alignment, image and group types, end mark, the groups' names.
NeResourceTablePlaces WriteNeResourceTable(ByteWriter& w, const std::vector<NeResource>& images,
                                           const std::vector<NeResource>& groups,
                                           const std::vector<std::string>& names) {
    NeResourceTablePlaces places;
    places.shift = w.size();
    w.U16(0);
    WriteNeResourceType(w, resource_type::kIcon, images, places);
    WriteNeResourceType(w, resource_type::kGroupIcon, groups, places);
    w.U16(0);
    for (const std::string& n : names) WritePascal(w, n);
    w.U8(0);
    return places;
}

// The smallest alignment shift at which every data offset and length fits 16 bits, for data
// placed from `dataStart` on.
unsigned NeAlignmentShift(std::size_t dataStart, const std::vector<const NeResource*>& all) {
    for (unsigned shift = 4; shift <= 16; ++shift) {
        const std::uint64_t unit = 1ull << shift;
        std::uint64_t at = (dataStart + unit - 1) / unit * unit;
        bool fits = true;
        for (const NeResource* r : all) {
            const std::uint64_t units = (r->data.size() + unit - 1) / unit;
            if (at / unit > 0xFFFF || units > 0xFFFF) {
                fits = false;
                break;
            }
            at += units * unit;
        }
        if (fits) return shift;
    }
    Refuse(L"resources too large");
}

// The resources' data, each aligned, and their places in the resource table.
void WriteNeResourceData(ByteWriter& w, const NeResourceTablePlaces& places, const std::vector<const NeResource*>& all,
                         unsigned shift) {
    const std::size_t unit = std::size_t{1} << shift;
    w.RecordAt<2>(places.shift).U16<0>(static_cast<std::uint16_t>(shift));
    for (std::size_t k = 0; k < all.size(); ++k) {
        w.PadTo(unit);
        w.RecordAt<ne_resource_name::kSize>(places.records[k])
            .U16<ne_resource_name::kDataOffset>(static_cast<std::uint16_t>(w.size() >> shift))
            .U16<ne_resource_name::kDataLength>(static_cast<std::uint16_t>((all[k]->data.size() + unit - 1) >> shift));
        w.Bytes(all[k]->data.span());
    }
    w.PadTo(unit);
}

// Places of the NE header's tables, as file offsets.
struct NeTables {
    std::size_t header = 0, resources = 0, residentNames = 0, moduleReferences = 0, importedNames = 0, entries = 0,
                nonResidentNames = 0, nonResidentNamesSize = 0;
    unsigned alignmentShift = 0;
    std::size_t resourceCount = 0;
};

void FillNeHeader(ByteWriter& w, const NeTables& t) {
    using namespace ne_header;
    const auto relative = [&](std::size_t at) { return static_cast<std::uint16_t>(at - t.header); };
    w.RecordAt<kSize>(t.header)
        .U16<kMagic>(kSignature)
        .U8<kLinkerVersion>(5)
        .U8<kLinkerRevision>(10)
        .U16<kEntryTable>(relative(t.entries))
        .U16<kEntryTableSize>(2)
        .U16<kModuleFlags>(kLibraryModule)
        .U16<kNonResidentNamesSize>(static_cast<std::uint16_t>(t.nonResidentNamesSize))
        .U16<kSegmentTable>(relative(t.resources))  // empty
        .U16<kResourceTable>(relative(t.resources))
        .U16<kResidentNames>(relative(t.residentNames))
        .U16<kModuleReferences>(relative(t.moduleReferences))
        .U16<kImportedNames>(relative(t.importedNames))
        .U32<kNonResidentNames>(static_cast<std::uint32_t>(t.nonResidentNames))
        .U16<kAlignmentShift>(static_cast<std::uint16_t>(t.alignmentShift))
        .U16<kResourceSegmentCount>(static_cast<std::uint16_t>(t.resourceCount))
        .U8<kTargetSystem>(kTargetWindows)
        .U16<kExpectedWindowsVersion>(0x030A);  // 3.10
}

// ---- PE ----

struct PeGroup {
    std::wstring name;
    std::uint16_t id = 0;
    std::vector<std::uint8_t> data;
};

constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::uint32_t kPeFileAlignment = 0x200;
constexpr std::uint32_t kPeSectionAlignment = 0x1000;

void WriteResourceDirectory(ByteWriter& w, std::size_t namedCount, std::size_t idCount) {
    w.Record<resource_directory::kSize>()
        .U16<resource_directory::kNamedCount>(static_cast<std::uint16_t>(namedCount))
        .U16<resource_directory::kIdCount>(static_cast<std::uint16_t>(idCount));
}

void WriteResourceDirectoryEntry(ByteWriter& w, std::uint32_t name, std::uint32_t data) {
    w.Record<resource_directory_entry::kSize>()
        .U32<resource_directory_entry::kName>(name)
        .U32<resource_directory_entry::kData>(data);
}

// The resource section: the type directory, the icon and group name directories, one language
// directory per resource, the data entries, the group names and the data.
std::vector<std::uint8_t> ResourceSection(const std::vector<ByteView>& images, const std::vector<PeGroup>& groups) {
    const std::size_t named = static_cast<std::size_t>(
        std::count_if(groups.begin(), groups.end(), [](const PeGroup& g) { return !g.name.empty(); }));
    constexpr std::size_t kDirectory = resource_directory::kSize, kEntry = resource_directory_entry::kSize;
    constexpr std::size_t kLanguageDirectory = kDirectory + kEntry;  // one entry: language neutral
    constexpr std::uint32_t kSubdirectory = resource_directory_entry::kHighBit;
    const std::size_t n = images.size(), g = groups.size();
    const std::size_t iconDirAt = kDirectory + 2 * kEntry, groupDirAt = iconDirAt + kDirectory + kEntry * n;
    const std::size_t langAt = groupDirAt + kDirectory + kEntry * g;
    const std::size_t dataEntryAt = langAt + kLanguageDirectory * (n + g);
    const std::size_t stringsAt = dataEntryAt + resource_data_entry::kSize * (n + g);
    const auto at = [](std::size_t offset) { return static_cast<std::uint32_t>(offset); };

    std::vector<std::uint8_t> section;
    ByteWriter w(section);
    WriteResourceDirectory(w, 0, 2);
    WriteResourceDirectoryEntry(w, resource_type::kIcon, kSubdirectory | at(iconDirAt));
    WriteResourceDirectoryEntry(w, resource_type::kGroupIcon, kSubdirectory | at(groupDirAt));
    WriteResourceDirectory(w, 0, n);
    for (std::size_t i = 0; i < n; ++i)
        WriteResourceDirectoryEntry(w, at(i + 1), kSubdirectory | at(langAt + kLanguageDirectory * i));
    WriteResourceDirectory(w, named, g - named);
    std::size_t stringAt = stringsAt;
    for (std::size_t i = 0; i < g; ++i) {
        std::uint32_t name = groups[i].id;
        if (!groups[i].name.empty()) {
            name = resource_directory_entry::kHighBit | at(stringAt);
            stringAt += 2 + 2 * groups[i].name.size();
        }
        WriteResourceDirectoryEntry(w, name, kSubdirectory | at(langAt + kLanguageDirectory * (n + i)));
    }
    for (std::size_t i = 0; i < n + g; ++i) {
        WriteResourceDirectory(w, 0, 1);
        WriteResourceDirectoryEntry(w, 0, at(dataEntryAt + resource_data_entry::kSize * i));
    }
    // Data entries, filled with the data's place below.
    w.Zeros(resource_data_entry::kSize * (n + g));
    for (const PeGroup& gr : groups) {
        if (gr.name.empty()) continue;
        w.U16(static_cast<std::uint16_t>(gr.name.size()));
        for (wchar_t c : gr.name) w.U16(static_cast<std::uint16_t>(c));
    }
    for (std::size_t i = 0; i < n + g; ++i) {
        w.PadTo(8);
        const ByteView data = i < n ? images[i] : ByteView(groups[i - n].data.data(), groups[i - n].data.size());
        if (w.size() + data.size() > 0x7FFFF000u) Refuse(L"resources too large");
        w.RecordAt<resource_data_entry::kSize>(dataEntryAt + resource_data_entry::kSize * i)
            .U32<resource_data_entry::kRva>(static_cast<std::uint32_t>(kSectionRva + w.size()))
            .U32<resource_data_entry::kLength>(static_cast<std::uint32_t>(data.size()));
        w.Bytes(data.span());
    }
    return section;
}

// The signature and COFF file header of a DLL with one section.
void WritePeFileHeader(ByteWriter& w) {
    using namespace pe_header;
    w.Record<kSize>()
        .U32<kSignature>(kSignatureValue)
        .U16<kMachine>(kMachineI386)
        .U16<kSectionCount>(1)
        .U16<kOptionalHeaderSize>(static_cast<std::uint16_t>(pe_optional_header::kSizePe32))
        .U16<kCharacteristics>(kExecutableDll32);
}

// A PE32 optional header without entry point whose one directory is the resource section's.
void WritePeOptionalHeader(ByteWriter& w, std::uint32_t resourceSize, std::uint32_t rawSize) {
    using namespace pe_optional_header;
    constexpr std::size_t kResource = kDataDirectories + pe_data_directory::kSize * pe_data_directory::kResourceIndex;
    w.Record<kSizePe32>()
        .U16<kMagic>(kMagicPe32)
        .U8<kLinkerVersion>(1)
        .U32<kInitializedDataSize>(rawSize)
        .U32<kCodeBase>(kSectionRva)
        .U32<kDataBase>(kSectionRva)
        .U32<kImageBase>(0x10000000)
        .U32<kSectionAlignment>(kPeSectionAlignment)
        .U32<kFileAlignment>(kPeFileAlignment)
        .U16<kSystemVersion>(4)
        .U16<kSubsystemVersion>(4)
        .U32<kImageSize>(kSectionRva + ((resourceSize + kPeSectionAlignment - 1) & ~(kPeSectionAlignment - 1)))
        .U32<kHeadersSize>(kPeFileAlignment)
        .U16<kSubsystem>(kSubsystemGui)
        .U16<kDllCharacteristics>(kNxCompatible)
        .U32<kStackReserve>(0x100000)
        .U32<kStackCommit>(0x1000)
        .U32<kHeapReserve>(0x100000)
        .U32<kHeapCommit>(0x1000)
        .U32<kDataDirectoryCount>(static_cast<std::uint32_t>(kStandardDataDirectoryCount))
        .U32<kResource + pe_data_directory::kRva>(kSectionRva)
        .U32<kResource + pe_data_directory::kLength>(resourceSize);
}

void WriteResourceSectionHeader(ByteWriter& w, std::uint32_t resourceSize, std::uint32_t rawSize) {
    using namespace pe_section;
    w.Record<kSize>()
        .Text<kName, kNameLength>(".rsrc")
        .U32<kVirtualSize>(resourceSize)
        .U32<kVirtualAddress>(kSectionRva)
        .U32<kRawSize>(rawSize)
        .U32<kRawData>(kPeFileAlignment)
        .U32<kCharacteristics>(kInitializedReadableData);
}

}  // namespace

std::vector<std::uint8_t> BuildNeIconLibrary(const std::vector<LibraryIcon>& icons, const std::string& moduleName) {
    CheckIcons(icons, 0x7FFF);
    std::vector<NeResource> images, groups;
    std::vector<std::string> names;  // names of named groups, in resource-table order
    std::uint32_t nextImage = 1, nextGroup = 1;
    for (const LibraryIcon& li : icons) {
        NeResource g;
        g.owned = GroupResource(li.icon, nextImage);
        for (ByteView v : li.icon.images)
            images.push_back({static_cast<std::uint16_t>(ne_resource_name::kIntegerId | nextImage++), {}, v});
        if (li.name.empty()) {
            g.id = static_cast<std::uint16_t>(ne_resource_name::kIntegerId | nextGroup++);
        } else {
            g.id = 0;  // set below, once the name's place is known
            names.push_back(NeName(li.name));
            if (names.back().empty()) names.back() = "ICON";
        }
        groups.push_back(std::move(g));
    }
    for (NeResource& g : groups) g.data = ByteView(g.owned.data(), g.owned.size());

    NeTables t;
    t.header = dos_header::kSize;
    t.resources = t.header + ne_header::kSize;
    const std::size_t typesEnd = t.resources + 2 + ne_resource_type::kSize + ne_resource_name::kSize * images.size() +
                                 ne_resource_type::kSize + ne_resource_name::kSize * groups.size() + 2;
    std::size_t namesSize = 1;
    for (const std::string& n : names) namesSize += 1 + n.size();
    if (typesEnd + namesSize - t.resources > 0xFFFF) Refuse(L"resource table too large");
    // Name offsets of the named groups, relative to the resource table.
    {
        std::size_t at = typesEnd - t.resources, k = 0;
        for (NeResource& g : groups) {
            if (g.id != 0) continue;
            g.id = static_cast<std::uint16_t>(at);
            at += 1 + names[k++].size();
        }
    }
    const std::string module = NeName(std::wstring(moduleName.begin(), moduleName.end()));

    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    WriteDosHeader(w, dos_header::kSize, 1, static_cast<std::uint32_t>(t.header));  // no DOS program
    w.Record<ne_header::kSize>();                                                   // filled in last
    const NeResourceTablePlaces places = WriteNeResourceTable(w, images, groups, names);
    t.residentNames = w.size();
    WriteModuleNameTable(w, module);
    t.moduleReferences = t.importedNames = w.size();  // no module references
    w.U8(0);
    t.entries = w.size();
    w.U16(0);
    t.nonResidentNames = w.size();
    WriteModuleNameTable(w, module);
    t.nonResidentNamesSize = w.size() - t.nonResidentNames;

    std::vector<const NeResource*> all;
    for (const NeResource& r : images) all.push_back(&r);
    for (const NeResource& r : groups) all.push_back(&r);
    t.alignmentShift = NeAlignmentShift(w.size(), all);
    t.resourceCount = all.size();
    WriteNeResourceData(w, places, all, t.alignmentShift);
    FillNeHeader(w, t);
    return out;
}

std::vector<std::uint8_t> BuildPeIconLibrary(const std::vector<LibraryIcon>& icons) {
    CheckIcons(icons, 0xFFFF);
    std::vector<ByteView> images;
    std::vector<PeGroup> groups;
    std::uint32_t nextImage = 1, nextGroup = 1;
    for (const LibraryIcon& li : icons) {
        PeGroup g;
        g.data = GroupResource(li.icon, nextImage);
        nextImage += static_cast<std::uint32_t>(li.icon.images.size());
        images.insert(images.end(), li.icon.images.begin(), li.icon.images.end());
        if (li.name.empty()) {
            g.id = static_cast<std::uint16_t>(nextGroup++);
        } else {
            for (wchar_t c : li.name) g.name.push_back(c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c);
            if (g.name.size() > 260) g.name.resize(260);
        }
        groups.push_back(std::move(g));
    }
    // The resource directory stores named entries first, sorted, then ids ascending.
    std::stable_sort(groups.begin(), groups.end(), [](const PeGroup& a, const PeGroup& b) {
        if (a.name.empty() != b.name.empty()) return !a.name.empty();
        if (!a.name.empty()) return a.name < b.name;
        return a.id < b.id;
    });
    for (std::size_t i = 1; i < groups.size(); ++i) {
        if (!groups[i].name.empty() && groups[i].name == groups[i - 1].name) Refuse(L"two icons with the same name");
    }

    std::vector<std::uint8_t> section = ResourceSection(images, groups);
    const auto resourceSize = static_cast<std::uint32_t>(section.size());
    ByteWriter(section).PadTo(kPeFileAlignment);
    const auto rawSize = static_cast<std::uint32_t>(section.size());

    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    WriteDosHeader(w, 0x90, 3, static_cast<std::uint32_t>(dos_header::kSize));
    WritePeFileHeader(w);
    WritePeOptionalHeader(w, resourceSize, rawSize);
    WriteResourceSectionHeader(w, resourceSize, rawSize);
    w.PadTo(kPeFileAlignment);
    w.Bytes(section);
    return out;
}

}  // namespace qm
