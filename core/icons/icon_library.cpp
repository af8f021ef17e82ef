#include "core/icons/icon_library.h"

#include "core/icons/binary_layouts.h"

namespace qm {

bool IconLibrary::Open(const std::wstring& fileName) {
    Close();
    if (!OpenForReading(file_, fileName)) return false;
    const ByteView f = file_.Bytes();
    auto header = f.Record<icon_header::kSize>(0);
    if (header && header->U16<icon_header::kReserved>() == 0 && header->U16<icon_header::kType>() == 1 &&
        header->U16<icon_header::kCount>() > 0) {
        kind_ = kIconFileIco;
        return true;
    }
    if (IndexPeIcons(f, pe_)) {
        kind_ = kIconFilePe;
        return true;
    }
    // NE modules as the loader reads them: the DOS header rule and the 16-bit new-header offset.
    if (HasNewHeader(f)) {
        auto ne = f.U16(dos_header::kNewHeader);
        auto sig = ne ? f.U16(*ne + ne_header::kMagic) : std::nullopt;
        if (sig && *sig == ne_header::kSignature) {
            kind_ = kIconFileNe;
            if (IndexNeIcons(f, ne_) != NeIndexResult::kOk) ne_ = {};
        }
    }
    return true;
}

void IconLibrary::Close() {
    file_.Close();
    kind_ = kIconFileUnknown;
    ne_ = {};
    pe_ = {};
}

int IconLibrary::Count() const {
    switch (kind_) {
        case kIconFileIco: return 1;
        case kIconFileNe: return static_cast<int>(ne_.groupCount);
        case kIconFilePe: return static_cast<int>(pe_.groups.size());
        default: return 0;
    }
}

bool IconLibrary::Group(int index, IconGroupData& out, std::wstring* failure) const {
    std::wstring text;
    bool ok = false;
    if (index < 0 || index >= Count()) {
        out = {};
        text = kMsgNoIconAtIndex;
    } else if (kind_ == kIconFileIco) {
        ok = ReadIcoFile(file_.Bytes(), out, text);
    } else if (kind_ == kIconFileNe) {
        ok = ReadNeGroup(file_.Bytes(), ne_, static_cast<std::uint32_t>(index), out, text);
    } else {
        ok = ReadPeGroup(file_.Bytes(), pe_, static_cast<std::size_t>(index), out, text);
    }
    if (!ok && failure) *failure = std::move(text);
    return ok;
}

std::vector<std::uint8_t> IconLibrary::GroupDirectory(int index) const {
    IconGroupData group;
    if (!Group(index, group)) return {};
    return GroupDirectoryBytes(group);
}

PeResourceName IconLibrary::GroupName(int index) const {
    PeResourceName name;
    name.id = static_cast<std::uint16_t>(index + 1);
    if (index < 0 || index >= Count()) return name;
    if (kind_ == kIconFilePe) return pe_.groups[static_cast<std::size_t>(index)].name;
    if (kind_ == kIconFileNe) {
        // An integer id carries the 0x8000 bit; otherwise the id is the offset of a
        // length-prefixed name from the start of the resource table.
        const ByteView f = file_.Bytes();
        auto id = f.U16(ne_.groupRecords + 12 * static_cast<std::uint64_t>(index) + 6);
        auto table = f.U16(ne_.neHeader + 0x24);
        if (!id || !table) return name;
        if (*id & 0x8000) {
            name.id = static_cast<std::uint16_t>(*id & 0x7FFF);
            return name;
        }
        const std::uint64_t at = ne_.neHeader + *table + *id;
        auto length = f.U8(at);
        auto text = length ? f.Sub(at + 1, *length) : std::nullopt;
        if (!text) return name;
        name.isId = false;
        for (const std::uint8_t c : text->span()) name.name.push_back(static_cast<wchar_t>(c));
    }
    return name;
}

}  // namespace qm
