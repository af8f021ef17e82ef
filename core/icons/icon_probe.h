#pragma once
// Classifies an icon source by its content and counts its icons.
#include <cstdint>
#include <optional>
#include <string>

namespace qm {

// The kind ProbeIconFile reports, as a 32-bit integer.
enum IconFileKind : std::int32_t {
    kIconFileUnknown = 0,  // not recognised or unreadable
    kIconFileStream = 1,   // the container's own stream format ("IconWren32"); never reported
    kIconFileIco = 2,      // .ico file with a valid header
    kIconFilePe = 3,       // 32-bit or 64-bit PE module
    kIconFileNe = 4,       // 16-bit NE library with resources
};

// The loader selector of TWrenIcoObj::LoadFromFile (8-bit). Other values load nothing.
enum SourceKind : std::uint8_t {
    kSourceIco = 0,
    kSourceNe = 1,
    kSourcePe = 2,
    kSourceStream = 3,  // loads nothing
};

// What the caller does with a probed kind: the SourceKind of the container to load it with, or
// nothing when no container is used (the source file and index are referred to as they are).
std::optional<SourceKind> SourceKindFor(std::int32_t iconFileKind);

// Sets kind and count on every return. For NE and PE files the count is the number of icons our
// icon library reads from the file (the numbering the windows show), and the result is count > 0.
// An .ico file (by its extension) with a valid header counts 1.
bool ProbeIconFile(const std::wstring& fileName, std::int32_t& kind, std::int32_t& count);

}  // namespace qm
