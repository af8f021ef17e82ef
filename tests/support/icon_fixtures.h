#pragma once
// Small icon fixtures made by the tests: real DIB icon images (so the platform can draw them),
// .ico files, and icon libraries built with our writer.
#include <cstdint>
#include <string>
#include <vector>

#include "core/icons/icon_library_writer.h"
#include "core/icons/icon_readers.h"

namespace qmtest {

using qm::IconDirectoryEntry;
using qm::IconHeader;
using qm::LibraryIcon;

struct ImageSpec {
    int width = 32;
    int height = 32;
    int bits = 32;           // 4, 8 or 32
    std::uint32_t seed = 1;  // varies the pixels
};

// One image block: BITMAPINFOHEADER (height doubled), palette, colour bits, AND mask.
std::vector<std::uint8_t> MakeIconImage(const ImageSpec& spec);

// An .ico file with one image per spec, images packed behind the directory.
std::vector<std::uint8_t> MakeIcoFile(const std::vector<ImageSpec>& images);

// Raw .ico bytes from a header and entries; images placed at the entries' ImageOffset.
struct RawIcoImage {
    IconDirectoryEntry entry;
    std::vector<std::uint8_t> bytes;
};
std::vector<std::uint8_t> MakeRawIco(const IconHeader& header, const std::vector<RawIcoImage>& images,
                                     std::size_t fileSize);

// An .ico file of 32-bit square images, one per (side, colour), every pixel of an image that BGRA
// colour: which image a picture was made from shows in its pixels.
std::vector<std::uint8_t> FlatIco(const std::vector<std::pair<int, std::uint32_t>>& images);

// Icon i of a generated library: images of sizes 16, 32 (and 48 when i is odd), seeds from i.
std::vector<ImageSpec> LibraryIconSpecs(int i);

// Icons for the writer, owning their bytes.
class IconSet {
public:
    void Add(std::vector<std::uint8_t> icoFile, std::wstring name = {});
    void AddGenerated(int count);            // icons LibraryIconSpecs(0 .. count-1)
    std::vector<LibraryIcon> Icons() const;  // views into this set
    const std::vector<std::uint8_t>& IcoFile(std::size_t i) const { return files_[i]; }
    std::size_t size() const { return files_.size(); }

private:
    std::vector<std::vector<std::uint8_t>> files_;
    std::vector<std::wstring> names_;
};

// A fresh folder under the system's temporary folder, removed at the end (portable).
class IconTempDir {
public:
    IconTempDir();
    ~IconTempDir();
    IconTempDir(const IconTempDir&) = delete;
    IconTempDir& operator=(const IconTempDir&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring File(const std::wstring& name) const;  // path() plus separator plus name
    std::wstring Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::wstring path_;
};

std::vector<std::uint8_t> ReadAll(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Little-endian patching of fixture bytes.
void Put16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t v);
void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v);

}  // namespace qmtest
