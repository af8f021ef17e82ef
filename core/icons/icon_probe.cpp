#include "core/icons/icon_probe.h"

#include "core/base/text.h"
#include "core/icons/icon_library.h"

namespace qm {

std::optional<SourceKind> SourceKindFor(std::int32_t iconFileKind) {
    switch (iconFileKind) {
    case kIconFileIco:
        return kSourceIco;
    case kIconFileNe:
        return kSourceNe;
    case kIconFilePe:
        return kSourcePe;
    case kIconFileStream:
        return kSourceStream;
    default:
        return std::nullopt;
    }
}

namespace {
bool HasIcoExtension(const std::wstring& fileName) {
    const auto slash = fileName.find_last_of(L"\\/");
    const auto dot = fileName.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return false;
    return UpperAscii(std::wstring_view(fileName).substr(dot)) == L".ICO";
}
}  // namespace

bool ProbeIconFile(const std::wstring& fileName, std::int32_t& kind, std::int32_t& count) {
    kind = kIconFileUnknown;
    count = 0;
    IconLibrary library;
    if (!library.Open(fileName)) return false;
    const ByteView f = library.Bytes();
    if (!f.Has(0, 64)) return false;
    if (HasIcoExtension(fileName)) {
        if (*f.U16(0) == 0 && *f.U16(2) == 1 && *f.U16(4) > 0) {
            kind = kIconFileIco;
            count = 1;
            return true;
        }
        return false;
    }
    if (!HasNewHeader(f)) return false;
    const std::uint16_t header = *f.U16(0x3C);
    if (!f.Has(header, 64)) return false;
    const std::uint16_t signature = *f.U16(header);
    if (signature == 0x454E) {  // "NE"
        if (*f.U16(header + 0x3E) < 0x300 || *f.U16(header + 0x24) == *f.U16(header + 0x26)) return false;
        kind = kIconFileNe;
    } else if (signature == 0x4550) {  // "PE"
        kind = kIconFilePe;
    } else {
        return false;
    }
    // The count the windows show: our library reads NE modules on every Windows version.
    if (library.Kind() == kind) count = library.Count();
    return count > 0;
}

}  // namespace qm
