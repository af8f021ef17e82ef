#include "core/icons/icon_library_writer.h"

#include <algorithm>

#include "core/base/error.h"

namespace qm {

namespace {

class Out {
public:
    std::vector<std::uint8_t> bytes;
    std::size_t Pos() const { return bytes.size(); }
    void U8(std::uint8_t v) { bytes.push_back(v); }
    void U16(std::uint32_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    // A length-prefixed 8-bit string, as NE name tables hold them.
    void Pascal(const std::string& text) {
        U8(static_cast<std::uint8_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    // A names table of one entry (the module name, ordinal 0) and its end mark.
    void ModuleNameTable(const std::string& module) {
        Pascal(module);
        U16(0);
        U8(0);
    }
    // The DOS header; the new header follows at `newHeader`.
    void DosHeader(std::uint16_t lastPageBytes, std::uint16_t pages, std::uint32_t newHeader) {
        U16(0x5A4D);
        U16(lastPageBytes);
        U16(pages);
        U16(0);  // relocations
        U16(4);  // header paragraphs
        U16(0);
        U16(0xFFFF);
        U16(0);
        U16(0xB8);
        Zeros(0x18 - Pos());
        U16(0x40);  // relocation-table offset: a new header follows
        Zeros(0x3C - Pos());
        U32(newHeader);
    }
    void Bytes(ByteView v) { bytes.insert(bytes.end(), v.data(), v.data() + v.size()); }
    void PadTo(std::size_t alignment) {
        while (bytes.size() % alignment) U8(0);
    }
    void Zeros(std::size_t n) { bytes.resize(bytes.size() + n, 0); }
    void Put16At(std::size_t at, std::uint32_t v) {
        bytes[at] = static_cast<std::uint8_t>(v);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void Put32At(std::size_t at, std::uint32_t v) {
        Put16At(at, v & 0xFFFF);
        Put16At(at + 2, v >> 16);
    }
};

[[noreturn]] void Refuse(const wchar_t* what) {
    throw UserError(std::wstring(L"Cannot build the icon library: ") + what);
}

// The group resource of an icon whose images got ids firstId, firstId + 1, ...
std::vector<std::uint8_t> GroupResource(const IconGroupData& icon, std::uint32_t firstId) {
    std::vector<std::uint8_t> out;
    AppendHeader(out, IconHeader{0, 1, static_cast<std::uint16_t>(icon.entries.size())});
    for (std::size_t i = 0; i < icon.entries.size(); ++i) {
        GroupIconEntry e = icon.entries[i];
        e.ID = static_cast<std::uint16_t>(firstId + i);
        e.BytesInRes = static_cast<std::uint32_t>(icon.images[i].size());
        AppendGroupEntry(out, e);
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

}  // namespace

std::vector<std::uint8_t> BuildNeIconLibrary(const std::vector<LibraryIcon>& icons, const std::string& moduleName) {
    CheckIcons(icons, 0x7FFF);
    struct Resource {
        std::uint16_t id;  // with the 0x8000 bit, or the offset of its name in the resource table
        std::vector<std::uint8_t> owned;
        ByteView data;
    };
    std::vector<Resource> images, groups;
    std::vector<std::string> names;  // names of named groups, in resource-table order
    std::uint32_t nextImage = 1, nextGroup = 1;
    for (const LibraryIcon& li : icons) {
        Resource g;
        g.owned = GroupResource(li.icon, nextImage);
        for (ByteView v : li.icon.images) images.push_back({static_cast<std::uint16_t>(0x8000 | nextImage++), {}, v});
        if (li.name.empty()) {
            g.id = static_cast<std::uint16_t>(0x8000 | nextGroup++);
        } else {
            g.id = 0;  // set below, once the name's place is known
            names.push_back(NeName(li.name));
            if (names.back().empty()) names.back() = "ICON";
        }
        groups.push_back(std::move(g));
    }
    for (Resource& g : groups) g.data = ByteView(g.owned.data(), g.owned.size());

    constexpr std::size_t kNe = 0x40;
    const std::size_t resTable = kNe + 0x40;
    const std::size_t typesEnd = resTable + 2 + 8 + 12 * images.size() + 8 + 12 * groups.size() + 2;
    std::size_t namesSize = 1;
    for (const std::string& n : names) namesSize += 1 + n.size();
    if (typesEnd + namesSize - resTable > 0xFFFF) Refuse(L"resource table too large");
    // Name offsets of the named groups, relative to the resource table.
    {
        std::size_t at = typesEnd - resTable, k = 0;
        for (Resource& g : groups) {
            if (g.id != 0) continue;
            g.id = static_cast<std::uint16_t>(at);
            at += 1 + names[k++].size();
        }
    }
    const std::string module = NeName(std::wstring(moduleName.begin(), moduleName.end()));

    Out o;
    o.DosHeader(0x40, 1, kNe);  // no DOS program: the NE header right behind

    const std::size_t neAt = o.Pos();
    o.Zeros(0x40);
    // Resource table; data offsets are patched once the alignment is known.
    std::size_t shiftAt = o.Pos();
    o.U16(0);
    std::vector<std::size_t> recordAt;
    auto typeRecord = [&](std::uint16_t type, const std::vector<Resource>& list) {
        o.U16(type);
        o.U16(static_cast<std::uint32_t>(list.size()));
        o.U32(0);
        for (const Resource& r : list) {
            recordAt.push_back(o.Pos());
            o.U16(0);
            o.U16(0);
            o.U16(0x1030);  // moveable, pure, discardable
            o.U16(r.id);
            o.U16(0);
            o.U16(0);
        }
    };
    typeRecord(0x8003, images);
    typeRecord(0x800E, groups);
    o.U16(0);
    for (const std::string& n : names) o.Pascal(n);
    o.U8(0);
    const std::size_t residentAt = o.Pos();
    o.ModuleNameTable(module);
    const std::size_t moduleRefAt = o.Pos();
    const std::size_t importedAt = o.Pos();
    o.U8(0);
    const std::size_t entryAt = o.Pos();
    o.U16(0);
    const std::size_t nonResidentAt = o.Pos();
    o.ModuleNameTable(module);
    const std::size_t nonResidentSize = o.Pos() - nonResidentAt;
    const std::size_t headerEnd = o.Pos();

    // The smallest alignment at which every offset and length fits 16 bits.
    std::vector<const Resource*> all;
    for (const Resource& r : images) all.push_back(&r);
    for (const Resource& r : groups) all.push_back(&r);
    unsigned shift = 4;
    for (;; ++shift) {
        if (shift > 16) Refuse(L"resources too large");
        const std::uint64_t unit = 1ull << shift;
        std::uint64_t at = (headerEnd + unit - 1) / unit * unit;
        bool fits = true;
        for (const Resource* r : all) {
            const std::uint64_t units = (r->data.size() + unit - 1) / unit;
            if (at / unit > 0xFFFF || units > 0xFFFF) {
                fits = false;
                break;
            }
            at += units * unit;
        }
        if (fits) break;
    }
    const std::size_t unit = std::size_t{1} << shift;
    o.Put16At(shiftAt, shift);
    for (std::size_t k = 0; k < all.size(); ++k) {
        o.PadTo(unit);
        o.Put16At(recordAt[k], static_cast<std::uint32_t>(o.Pos() >> shift));
        o.Put16At(recordAt[k] + 2, static_cast<std::uint32_t>((all[k]->data.size() + unit - 1) >> shift));
        o.Bytes(all[k]->data);
    }
    o.PadTo(unit);

    // NE header.
    auto ne16 = [&](std::size_t field, std::size_t v) { o.Put16At(neAt + field, static_cast<std::uint32_t>(v)); };
    ne16(0x00, 0x454E);
    o.bytes[neAt + 2] = 5;  // linker version
    o.bytes[neAt + 3] = 10;
    ne16(0x04, entryAt - neAt);
    ne16(0x06, 2);
    ne16(0x0C, 0x8000);  // library module
    ne16(0x20, nonResidentSize);
    ne16(0x22, resTable - neAt);  // segment table (empty)
    ne16(0x24, resTable - neAt);
    ne16(0x26, residentAt - neAt);
    ne16(0x28, moduleRefAt - neAt);
    ne16(0x2A, importedAt - neAt);
    o.Put32At(neAt + 0x2C, static_cast<std::uint32_t>(nonResidentAt));
    ne16(0x32, shift);
    ne16(0x34, all.size());
    o.bytes[neAt + 0x36] = 2;  // Windows
    ne16(0x3E, 0x030A);        // expected Windows version 3.10
    return std::move(o.bytes);
}

std::vector<std::uint8_t> BuildPeIconLibrary(const std::vector<LibraryIcon>& icons) {
    CheckIcons(icons, 0xFFFF);
    struct Group {
        std::wstring name;
        std::uint16_t id = 0;
        std::vector<std::uint8_t> data;
    };
    std::vector<ByteView> images;
    std::vector<Group> groups;
    std::uint32_t nextImage = 1, nextGroup = 1;
    for (const LibraryIcon& li : icons) {
        Group g;
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
    std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
        if (a.name.empty() != b.name.empty()) return !a.name.empty();
        if (!a.name.empty()) return a.name < b.name;
        return a.id < b.id;
    });
    for (std::size_t i = 1; i < groups.size(); ++i) {
        if (!groups[i].name.empty() && groups[i].name == groups[i - 1].name) Refuse(L"two icons with the same name");
    }
    const std::size_t named = static_cast<std::size_t>(
        std::count_if(groups.begin(), groups.end(), [](const Group& g) { return !g.name.empty(); }));

    constexpr std::uint32_t kRva = 0x1000;
    const std::size_t n = images.size(), g = groups.size();
    const std::size_t iconDirAt = 16 + 2 * 8, groupDirAt = iconDirAt + 16 + 8 * n;
    const std::size_t langAt = groupDirAt + 16 + 8 * g;  // one language directory per resource
    const std::size_t dataEntryAt = langAt + 24 * (n + g);
    const std::size_t stringsAt = dataEntryAt + 16 * (n + g);

    Out r;
    auto dir = [&](std::size_t namedCount, std::size_t idCount) {
        r.U32(0);
        r.U32(0);
        r.U16(0);
        r.U16(0);
        r.U16(static_cast<std::uint32_t>(namedCount));
        r.U16(static_cast<std::uint32_t>(idCount));
    };
    constexpr std::uint32_t kDir = 0x80000000u;
    dir(0, 2);
    r.U32(3);
    r.U32(kDir | static_cast<std::uint32_t>(iconDirAt));
    r.U32(14);
    r.U32(kDir | static_cast<std::uint32_t>(groupDirAt));
    dir(0, n);
    for (std::size_t i = 0; i < n; ++i) {
        r.U32(static_cast<std::uint32_t>(i + 1));
        r.U32(kDir | static_cast<std::uint32_t>(langAt + 24 * i));
    }
    dir(named, g - named);
    std::size_t stringAt = stringsAt;
    for (std::size_t i = 0; i < g; ++i) {
        if (!groups[i].name.empty()) {
            r.U32(kDir | static_cast<std::uint32_t>(stringAt));
            stringAt += 2 + 2 * groups[i].name.size();
        } else {
            r.U32(groups[i].id);
        }
        r.U32(kDir | static_cast<std::uint32_t>(langAt + 24 * (n + i)));
    }
    for (std::size_t i = 0; i < n + g; ++i) {
        dir(0, 1);
        r.U32(0);  // language neutral
        r.U32(static_cast<std::uint32_t>(dataEntryAt + 16 * i));
    }
    // Data entries, patched with the data's place below.
    r.Zeros(16 * (n + g));
    for (const Group& gr : groups) {
        if (gr.name.empty()) continue;
        r.U16(static_cast<std::uint32_t>(gr.name.size()));
        for (wchar_t c : gr.name) r.U16(static_cast<std::uint16_t>(c));
    }
    for (std::size_t i = 0; i < n + g; ++i) {
        r.PadTo(8);
        const ByteView data = i < n ? images[i] : ByteView(groups[i - n].data.data(), groups[i - n].data.size());
        if (r.Pos() + data.size() > 0x7FFFF000u) Refuse(L"resources too large");
        r.Put32At(dataEntryAt + 16 * i, static_cast<std::uint32_t>(kRva + r.Pos()));
        r.Put32At(dataEntryAt + 16 * i + 4, static_cast<std::uint32_t>(data.size()));
        r.Bytes(data);
    }
    const std::uint32_t rsrcSize = static_cast<std::uint32_t>(r.Pos());
    r.PadTo(0x200);
    const std::uint32_t rawSize = static_cast<std::uint32_t>(r.Pos());

    Out o;
    o.DosHeader(0x90, 3, 0x40);
    o.U32(0x00004550);  // "PE\0\0"
    o.U16(0x14C);       // i386
    o.U16(1);           // sections
    o.U32(0);
    o.U32(0);
    o.U32(0);
    o.U16(0xE0);    // optional header size
    o.U16(0x2102);  // executable image, 32-bit machine, DLL
    const std::size_t optAt = o.Pos();
    o.U16(0x10B);
    o.U8(1);
    o.U8(0);
    o.U32(0);        // code
    o.U32(rawSize);  // initialised data
    o.U32(0);
    o.U32(0);  // no entry point
    o.U32(kRva);
    o.U32(kRva);
    o.U32(0x10000000);  // image base
    o.U32(0x1000);      // section alignment
    o.U32(0x200);       // file alignment
    o.U16(4);
    o.U16(0);
    o.U16(0);
    o.U16(0);
    o.U16(4);
    o.U16(0);
    o.U32(0);
    o.U32(kRva + ((rsrcSize + 0xFFF) & ~0xFFFu));  // image size
    o.U32(0x200);                                  // headers size
    o.U32(0);
    o.U16(2);      // GUI subsystem
    o.U16(0x100);  // NX compatible
    o.U32(0x100000);
    o.U32(0x1000);
    o.U32(0x100000);
    o.U32(0x1000);
    o.U32(0);
    o.U32(16);
    for (int d = 0; d < 16; ++d) {
        o.U32(d == 2 ? kRva : 0);
        o.U32(d == 2 ? rsrcSize : 0);
    }
    if (o.Pos() != optAt + 0xE0) Refuse(L"internal layout");
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    o.bytes.insert(o.bytes.end(), name, name + 8);
    o.U32(rsrcSize);
    o.U32(kRva);
    o.U32(rawSize);
    o.U32(0x200);
    o.U32(0);
    o.U32(0);
    o.U16(0);
    o.U16(0);
    o.U32(0x40000040);  // initialised data, readable
    o.PadTo(0x200);
    o.bytes.insert(o.bytes.end(), r.bytes.begin(), r.bytes.end());
    return std::move(o.bytes);
}

}  // namespace qm
