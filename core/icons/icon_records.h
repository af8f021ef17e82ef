#pragma once
// The records of one icon (a group of images): the directory header, the 16-byte directory entry
// of an .ico file, the 14-byte entry of a group-icon resource, and the texts with which a header
// is refused. Image data is never decoded; it is copied byte for byte.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/icons/binary_layouts.h"

namespace qm {

class ByteWriter;

// An icon held by the system has at most this many images.
inline constexpr std::size_t kMaxIconImages = 32;

inline constexpr std::size_t kIconHeaderSize = icon_header::kSize;
inline constexpr std::size_t kIconDirectoryEntrySize = icon_directory_entry::kSize;
inline constexpr std::size_t kGroupIconEntrySize = group_icon_entry::kSize;

struct IconHeader {
    std::uint16_t Reserved = 0;
    std::uint16_t Type = 0;
    std::uint16_t Count = 0;
    friend bool operator==(const IconHeader&, const IconHeader&) = default;
};

// What both kinds of entry say of one image: their first 12 bytes.
struct IconImageEntry {
    std::uint8_t Width = 0;
    std::uint8_t Height = 0;
    std::uint8_t ColorCount = 0;
    std::uint8_t Reserved = 0;
    std::uint16_t Planes = 0;
    std::uint16_t BitCount = 0;
    std::uint32_t BytesInRes = 0;
    friend bool operator==(const IconImageEntry&, const IconImageEntry&) = default;
};

// The entry of an .ico file: where its image lies in the file.
struct IconDirectoryEntry : IconImageEntry {
    std::uint32_t ImageOffset = 0;
    friend bool operator==(const IconDirectoryEntry&, const IconDirectoryEntry&) = default;
};

// The entry of a group-icon resource: the id of its image resource.
struct GroupIconEntry : IconImageEntry {
    std::uint16_t ID = 0;
    friend bool operator==(const GroupIconEntry&, const GroupIconEntry&) = default;
};

// Texts of the header tests, in the order the tests run.
inline constexpr std::wstring_view kMsgReservedNotZero = L"Invalid icon resource header - Reserved <> 0";
inline constexpr std::wstring_view kMsgTypeNotOne = L"Invalid icon resource header - Type <> 1";
inline constexpr std::wstring_view kMsgCountZero = L"Invalid icon resource header - Count = 0";
// An icon with more images than the container holds is refused, not cut.
inline constexpr std::wstring_view kMsgCountTooLarge = L"Invalid icon resource header - Count > 32";
inline constexpr std::wstring_view kMsgInvalidEntry = L"Invalid icon resource header; invalid IconDirectoryEntry";
inline constexpr std::wstring_view kMsgInvalidImageSize = L"Invalid icon resource header; invalid image data size";
inline constexpr std::wstring_view kMsgNoIconAtIndex = L"No icon with specified index";
// The input/output and memory failures, in the words the runtime uses for them.
inline constexpr std::wstring_view kMsgReadBeyondEnd = L"Read beyond end of file";
inline constexpr std::wstring_view kMsgOutOfMemory = L"Out of memory";

// Header tests 1 to 3 plus the capacity test: the text of the first failing test, or nothing.
std::optional<std::wstring_view> CheckIconHeader(const IconHeader& header);

// The directory entry for a group entry: its first 12 bytes, ImageOffset left 0.
IconDirectoryEntry ToDirectoryEntry(const GroupIconEntry& group);

// Sets every ImageOffset by the packing rule: 6 + 16 * count, then each previous offset plus
// its BytesInRes. Returns false if the total would not fit in 32 bits.
bool AssignImageOffsets(std::span<IconDirectoryEntry> entries);

// Little-endian serialisation of the records.
void AppendHeader(ByteWriter& out, const IconHeader& header);
void AppendDirectoryEntry(ByteWriter& out, const IconDirectoryEntry& entry);
void AppendGroupEntry(ByteWriter& out, const GroupIconEntry& entry);

}  // namespace qm
