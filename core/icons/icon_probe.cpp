#include "core/icons/icon_probe.h"

#include "core/base/text.h"
#include "core/icons/binary_layouts.h"
#include "core/icons/icon_library.h"

namespace qm {

std::optional<SourceKind> SourceKindFor(std::int32_t iconFileKind) {
    switch (iconFileKind) {
        case kIconFileIco: return kSourceIco;
        case kIconFileNe: return kSourceNe;
        case kIconFilePe: return kSourcePe;
        case kIconFileStream: return kSourceStream;
        default: return std::nullopt;
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
    auto dos = f.Record<dos_header::kSize>(0);
    if (!dos) return false;
    if (HasIcoExtension(fileName)) {
        if (dos->U16<icon_header::kReserved>() == 0 && dos->U16<icon_header::kType>() == 1 &&
            dos->U16<icon_header::kCount>() > 0) {
            kind = kIconFileIco;
            count = 1;
            return true;
        }
        return false;
    }
    if (!HasNewHeader(f)) return false;
    // The NE header is the larger of the two headers whose start is read here.
    auto header = f.Record<ne_header::kSize>(dos->U16<dos_header::kNewHeader>());
    if (!header) return false;
    const std::uint16_t signature = header->U16<ne_header::kMagic>();
    if (signature == ne_header::kSignature) {
        constexpr std::uint16_t kWindows3 = 0x300;
        if (header->U16<ne_header::kExpectedWindowsVersion>() < kWindows3 ||
            header->U16<ne_header::kResourceTable>() == header->U16<ne_header::kResidentNames>()) {
            return false;
        }
        kind = kIconFileNe;
    } else if (signature == static_cast<std::uint16_t>(pe_header::kSignatureValue)) {  // "PE"
        kind = kIconFilePe;
    } else {
        return false;
    }
    // The count the windows show: our library reads NE modules on every Windows version.
    if (library.Kind() == kind) count = library.Count();
    return count > 0;
}

}  // namespace qm
