#pragma once
// Readers of icon groups out of .ico files, 16-bit NE modules and 32/64-bit PE modules, over a
// bounds-checked view of the whole file. Nothing is allocated from a size read from the file
// before that size has been checked against the file; walks end on the file's end and on
// absurd counts. Image bytes are views into the file.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/icons/byte_view.h"
#include "core/icons/icon_records.h"

namespace qm {

// One icon group as read from a source: its header, one entry per image and the image bytes.
// For an .ico file the entries' IDs are 1 to Count in entry order.
struct IconGroupData {
    IconHeader header;
    std::vector<GroupIconEntry> entries;
    std::vector<ByteView> images;  // images[i] holds entries[i].BytesInRes bytes
};

// ---- .ico ----
// Header tests, Count entries, the images at their offsets. On failure `failure` holds the
// text (a header message or kMsgReadBeyondEnd).
bool ReadIcoFile(ByteView file, IconGroupData& out, std::wstring& failure);

// ---- NE ----
// The DOS header rule: "MZ" and a relocation-table offset of 0 or at least 0x40.
bool HasNewHeader(ByteView file);

struct NeIconIndex {
    std::uint64_t neHeader = 0;  // file offset of the NE header
    std::uint16_t alignShift = 0;
    std::uint64_t groupRecords = 0;  // file offset of the first 0x800E name record
    std::uint32_t groupCount = 0;
    std::uint64_t imageRecords = 0;  // file offset of the first 0x8003 name record
    std::uint32_t imageCount = 0;
    bool haveGroups = false;
    bool haveImages = false;
    // Image lookup built once: (low 15 bits of the resource id, record number), sorted, and the
    // number of image records that lie wholly inside the file.
    std::vector<std::pair<std::uint16_t, std::uint32_t>> imageIds;
    std::uint32_t readableImages = 0;
};

enum class NeIndexResult {
    kOk,
    kNotIconLibrary,  // no new header, not "NE", no resource table, no image or no group records
    kReadFailed,      // the file ends inside a structure that was to be read
};

// Locates the icon resources. newHeaderOffset32 takes the full 32-bit new-header offset (as the
// platform loader does) instead of its low 16 bits.
NeIndexResult IndexNeIcons(ByteView file, NeIconIndex& out, bool newHeaderOffset32 = false);

// Reads group `index` (< groupCount). Header tests of the .ico reader apply; an entry whose ID
// matches no image record fails with kMsgInvalidImageSize.
bool ReadNeGroup(ByteView file, const NeIconIndex& index, std::uint32_t group, IconGroupData& out,
                 std::wstring& failure);

// ---- PE ----
struct PeResourceName {
    bool isId = true;
    std::uint16_t id = 0;
    std::wstring name;  // when !isId, at most 260 characters
};

struct PeResourceData {
    bool present = false;      // the data lies inside the file
    std::uint64_t offset = 0;  // file offset
    std::uint32_t size = 0;
};

struct PeIconIndex {
    struct Group {
        PeResourceName name;
        PeResourceData data;
    };
    struct Image {
        std::uint16_t id = 0;
        PeResourceData data;
    };
    bool is64 = false;
    std::vector<Group> groups;  // in the platform's enumeration order (stored order)
    std::vector<Image> images;  // sorted by id, first stored entry kept for a repeated id
};

// False if the file is not a PE module the platform would map (no "MZ", no "PE\0\0" header,
// unknown optional header, section table outside the file). A module without resources or
// with a damaged resource directory gives true with no groups.
bool IndexPeIcons(ByteView file, PeIconIndex& out);

// Reads group `group` (< groups.size()) with header tests 1 to 3, the capacity test, and the
// entry tests 4 and 5.
bool ReadPeGroup(ByteView file, const PeIconIndex& index, std::size_t group, IconGroupData& out, std::wstring& failure);

// ---- shared ----
// The group in resource layout: 6-byte header and 14-byte entries, as LookupIconIdFromDirectoryEx
// and RT_GROUP_ICON resources hold it.
std::vector<std::uint8_t> GroupDirectoryBytes(const IconGroupData& group);

// The standalone .ico file of a group: header, entries with packed offsets, images.
std::vector<std::uint8_t> IcoFileBytes(const IconGroupData& group);

}  // namespace qm
