#pragma once
// The structure of JPEG and TIFF files as several readers walk it: a JPEG's marker segments up to
// its first scan, and the entries of a TIFF structure's first image directory (a TIFF file, or the
// TIFF inside a JPEG's Exif segment). Every read is checked against the bytes given.
#include <cstdint>
#include <functional>
#include <optional>

#include "core/icons/byte_view.h"

namespace qm {

struct JpegSegment {
    std::uint8_t code = 0;     // the marker's second byte: E1 for APP1, C0 for a baseline frame ...
    std::uint32_t length = 0;  // as the segment states it, counting its two length bytes
    ByteView data;             // the bytes after the length field, as far as the file holds them
};

// Calls `visit` for each segment of a JPEG stream after its start-of-image marker until `visit`
// returns true, a scan or the end of image starts, the stream is cut or damaged, or 4096 segments
// have passed. True when `visit` stopped the walk.
bool WalkJpegSegments(ByteView file, const std::function<bool(const JpegSegment&)>& visit);

// "II" and 42 little-endian, or "MM" and 42 big-endian, then the offset of the first directory.
class TiffStructure {
public:
    explicit TiffStructure(ByteView bytes);
    bool Valid() const { return valid_; }
    // The value of the first directory's first entry for `tag` when it is a SHORT or a LONG;
    // nothing when the tag is missing or of another type, or the directory does not lie wholly in
    // the bytes.
    std::optional<std::uint32_t> FirstDirectoryValue(std::uint16_t tag) const;

private:
    std::optional<std::uint32_t> U16(std::uint64_t at) const;
    std::optional<std::uint32_t> U32(std::uint64_t at) const;
    ByteView bytes_;
    bool little_ = false;
    bool valid_ = false;
};

}  // namespace qm
