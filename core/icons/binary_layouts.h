#pragma once
// The binary structures that icon files, icon libraries and pictures are made of, named once:
// each structure's size, the offsets of its fields (from the start of the structure) and the
// values that identify it. Readers read a Record<kSize> and its fields at these offsets; writers
// fill a record at the same offsets; tests read and damage files through them.
#include <cstddef>
#include <cstdint>

namespace qm {

// ---- icon files and group-icon resources ----
namespace icon_header {  // ICONDIR / GRPICONDIR head
inline constexpr std::size_t kSize = 6;
inline constexpr std::size_t kReserved = 0;
inline constexpr std::size_t kType = 2;
inline constexpr std::size_t kCount = 4;
}  // namespace icon_header

// The 12 bytes that both kinds of icon entry begin with.
namespace icon_entry {
inline constexpr std::size_t kWidth = 0;
inline constexpr std::size_t kHeight = 1;
inline constexpr std::size_t kColorCount = 2;
inline constexpr std::size_t kReserved = 3;
inline constexpr std::size_t kPlanes = 4;
inline constexpr std::size_t kBitCount = 6;
inline constexpr std::size_t kBytesInRes = 8;
inline constexpr std::size_t kCommonSize = 12;
}  // namespace icon_entry

namespace icon_directory_entry {  // ICONDIRENTRY of an .ico file
inline constexpr std::size_t kSize = 16;
inline constexpr std::size_t kImageOffset = 12;
}  // namespace icon_directory_entry

namespace group_icon_entry {  // GRPICONDIRENTRY of a group-icon resource
inline constexpr std::size_t kSize = 14;
inline constexpr std::size_t kId = 12;
}  // namespace group_icon_entry

// ---- the DOS header every module starts with ----
namespace dos_header {
inline constexpr std::size_t kSize = 0x40;
inline constexpr std::size_t kMagic = 0x00;
inline constexpr std::size_t kLastPageBytes = 0x02;
inline constexpr std::size_t kPageCount = 0x04;
inline constexpr std::size_t kRelocationCount = 0x06;
inline constexpr std::size_t kHeaderParagraphs = 0x08;
inline constexpr std::size_t kMinExtraParagraphs = 0x0A;
inline constexpr std::size_t kMaxExtraParagraphs = 0x0C;
inline constexpr std::size_t kInitialSs = 0x0E;
inline constexpr std::size_t kInitialSp = 0x10;
inline constexpr std::size_t kRelocationTable = 0x18;  // 0x40 or more: a new header follows
inline constexpr std::size_t kNewHeader = 0x3C;        // file offset of the NE or PE header

inline constexpr std::uint16_t kSignature = 0x5A4D;  // "MZ"
inline constexpr std::uint16_t kNewHeaderRelocationTable = 0x40;
}  // namespace dos_header

// ---- 16-bit NE modules ----
namespace ne_header {
inline constexpr std::size_t kSize = 0x40;
inline constexpr std::size_t kMagic = 0x00;
inline constexpr std::size_t kLinkerVersion = 0x02;   // 8 bits
inline constexpr std::size_t kLinkerRevision = 0x03;  // 8 bits
inline constexpr std::size_t kEntryTable = 0x04;      // offsets below are from the NE header
inline constexpr std::size_t kEntryTableSize = 0x06;
inline constexpr std::size_t kModuleFlags = 0x0C;
inline constexpr std::size_t kNonResidentNamesSize = 0x20;
inline constexpr std::size_t kSegmentTable = 0x22;
inline constexpr std::size_t kResourceTable = 0x24;
inline constexpr std::size_t kResidentNames = 0x26;
inline constexpr std::size_t kModuleReferences = 0x28;
inline constexpr std::size_t kImportedNames = 0x2A;
inline constexpr std::size_t kNonResidentNames = 0x2C;  // 32 bits, from the start of the file
inline constexpr std::size_t kAlignmentShift = 0x32;
inline constexpr std::size_t kResourceSegmentCount = 0x34;
inline constexpr std::size_t kTargetSystem = 0x36;  // 8 bits
inline constexpr std::size_t kExpectedWindowsVersion = 0x3E;

inline constexpr std::uint16_t kSignature = 0x454E;  // "NE"
inline constexpr std::uint16_t kLibraryModule = 0x8000;
inline constexpr std::uint8_t kTargetWindows = 2;
}  // namespace ne_header

// The resource table: an alignment shift (16 bits), then per type a type record followed by its
// name records, ended by a type id of 0.
namespace ne_resource_type {
inline constexpr std::size_t kSize = 8;
inline constexpr std::size_t kTypeId = 0;
inline constexpr std::size_t kCount = 2;
inline constexpr std::size_t kReserved = 4;  // 32 bits
}  // namespace ne_resource_type

namespace ne_resource_name {  // one resource of a type
inline constexpr std::size_t kSize = 12;
inline constexpr std::size_t kDataOffset = 0;  // in alignment units
inline constexpr std::size_t kDataLength = 2;  // in alignment units
inline constexpr std::size_t kFlags = 4;
inline constexpr std::size_t kId = 6;  // 0x8000 bit: integer id, else the name's offset in the table
inline constexpr std::size_t kHandle = 8;
inline constexpr std::size_t kUsage = 10;

inline constexpr std::uint16_t kIntegerId = 0x8000;
inline constexpr std::uint16_t kMoveablePureDiscardable = 0x1030;
}  // namespace ne_resource_name

// ---- PE modules ----
namespace pe_header {  // the "PE\0\0" signature and the COFF file header behind it
inline constexpr std::size_t kSize = 24;
inline constexpr std::size_t kSignature = 0;
inline constexpr std::size_t kMachine = 4;
inline constexpr std::size_t kSectionCount = 6;
inline constexpr std::size_t kTimeDateStamp = 8;
inline constexpr std::size_t kSymbolTable = 12;
inline constexpr std::size_t kSymbolCount = 16;
inline constexpr std::size_t kOptionalHeaderSize = 20;
inline constexpr std::size_t kCharacteristics = 22;

inline constexpr std::uint32_t kSignatureValue = 0x00004550;  // "PE\0\0"
inline constexpr std::uint16_t kMachineI386 = 0x14C;
inline constexpr std::uint16_t kExecutableDll32 = 0x2102;  // executable image, 32-bit machine, DLL
}  // namespace pe_header

// The optional header of PE32 (magic 0x10B); in PE32+ (0x20B) the fields from the image base on
// lie elsewhere, and only its data directories are read here.
namespace pe_optional_header {
inline constexpr std::size_t kMagic = 0;
inline constexpr std::size_t kLinkerVersion = 2;  // major and minor, 8 bits each
inline constexpr std::size_t kCodeSize = 4;
inline constexpr std::size_t kInitializedDataSize = 8;
inline constexpr std::size_t kUninitializedDataSize = 12;
inline constexpr std::size_t kEntryPoint = 16;
inline constexpr std::size_t kCodeBase = 20;
inline constexpr std::size_t kDataBase = 24;
inline constexpr std::size_t kImageBase = 28;
inline constexpr std::size_t kSectionAlignment = 32;
inline constexpr std::size_t kFileAlignment = 36;
inline constexpr std::size_t kSystemVersion = 40;  // major, minor
inline constexpr std::size_t kImageVersion = 44;
inline constexpr std::size_t kSubsystemVersion = 48;
inline constexpr std::size_t kImageSize = 56;
inline constexpr std::size_t kHeadersSize = 60;
inline constexpr std::size_t kSubsystem = 68;
inline constexpr std::size_t kDllCharacteristics = 70;
inline constexpr std::size_t kStackReserve = 72;
inline constexpr std::size_t kStackCommit = 76;
inline constexpr std::size_t kHeapReserve = 80;
inline constexpr std::size_t kHeapCommit = 84;
inline constexpr std::size_t kDataDirectoryCount = 92;  // PE32
inline constexpr std::size_t kDataDirectories = 96;     // PE32
inline constexpr std::size_t kDataDirectoryCount64 = 108;
inline constexpr std::size_t kDataDirectories64 = 112;

inline constexpr std::uint16_t kMagicPe32 = 0x10B;
inline constexpr std::uint16_t kMagicPe32Plus = 0x20B;
inline constexpr std::uint16_t kSubsystemGui = 2;
inline constexpr std::uint16_t kNxCompatible = 0x100;
inline constexpr std::size_t kStandardDataDirectoryCount = 16;
inline constexpr std::size_t kSizePe32 = kDataDirectories + 8 * kStandardDataDirectoryCount;  // 0xE0
}  // namespace pe_optional_header

namespace pe_data_directory {  // one entry of the optional header's table
inline constexpr std::size_t kSize = 8;
inline constexpr std::size_t kRva = 0;
inline constexpr std::size_t kLength = 4;

inline constexpr std::size_t kExportIndex = 0;
inline constexpr std::size_t kImportIndex = 1;
inline constexpr std::size_t kResourceIndex = 2;
}  // namespace pe_data_directory

namespace pe_section {  // a section header
inline constexpr std::size_t kSize = 40;
inline constexpr std::size_t kName = 0;  // 8 bytes
inline constexpr std::size_t kNameLength = 8;
inline constexpr std::size_t kVirtualSize = 8;
inline constexpr std::size_t kVirtualAddress = 12;
inline constexpr std::size_t kRawSize = 16;
inline constexpr std::size_t kRawData = 20;
inline constexpr std::size_t kCharacteristics = 36;

inline constexpr std::uint32_t kInitializedReadableData = 0x40000040;
}  // namespace pe_section

// The resource section: directory tables with their entries, data entries, names.
namespace resource_directory {
inline constexpr std::size_t kSize = 16;
inline constexpr std::size_t kNamedCount = 12;
inline constexpr std::size_t kIdCount = 14;
}  // namespace resource_directory

namespace resource_directory_entry {
inline constexpr std::size_t kSize = 8;
inline constexpr std::size_t kName = 0;  // an integer id, or with kHighBit a name's offset
inline constexpr std::size_t kData = 4;  // a data entry's offset, or with kHighBit a directory's

inline constexpr std::uint32_t kHighBit = 0x80000000u;
}  // namespace resource_directory_entry

namespace resource_data_entry {
inline constexpr std::size_t kSize = 16;
inline constexpr std::size_t kRva = 0;
inline constexpr std::size_t kLength = 4;
inline constexpr std::size_t kCodePage = 8;
}  // namespace resource_data_entry

// Resource type ids (in NE modules with ne_resource_name::kIntegerId set).
namespace resource_type {
inline constexpr std::uint16_t kIcon = 3;
inline constexpr std::uint16_t kGroupIcon = 14;
}  // namespace resource_type

// ---- device-independent bitmaps ----
namespace bmp_file_header {  // in front of the DIB in a .bmp file
inline constexpr std::size_t kSize = 14;
}  // namespace bmp_file_header

namespace dib_core_header {  // BITMAPCOREHEADER
inline constexpr std::size_t kSize = 12;
inline constexpr std::size_t kHeaderSize = 0;
inline constexpr std::size_t kWidth = 4;  // 16 bits
inline constexpr std::size_t kHeight = 6;
inline constexpr std::size_t kPlanes = 8;
inline constexpr std::size_t kBitCount = 10;
}  // namespace dib_core_header

namespace dib_info_header {  // BITMAPINFOHEADER; the later versions begin with it
inline constexpr std::size_t kSize = 40;
inline constexpr std::size_t kHeaderSize = 0;
inline constexpr std::size_t kWidth = 4;   // 32 bits, signed
inline constexpr std::size_t kHeight = 8;  // signed: negative for top-down rows
inline constexpr std::size_t kPlanes = 12;
inline constexpr std::size_t kBitCount = 14;
inline constexpr std::size_t kCompression = 16;
inline constexpr std::size_t kImageSize = 20;
inline constexpr std::size_t kColoursUsed = 32;
inline constexpr std::size_t kBitfieldMasksSize = 12;  // red, green, blue masks behind 40 bytes

inline constexpr std::uint32_t kRgb = 0;
inline constexpr std::uint32_t kBitfields = 3;
}  // namespace dib_info_header

}  // namespace qm
