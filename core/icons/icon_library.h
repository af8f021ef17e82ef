#pragma once
// The icon library: every icon of an .ico file, an NE icon library or a PE module, numbered as
// the platform's icon extraction (ExtractIconEx) numbers them. The file is opened and indexed
// once; each icon's group is then read on demand. Used by every window and by the shell
// extension instead of the platform's extraction, which no longer reads NE modules since
// Windows Vista.
#include <cstdint>
#include <string>

#include "core/icons/icon_file.h"
#include "core/icons/icon_probe.h"
#include "core/icons/icon_readers.h"

namespace qm {

class IconLibrary {
public:
    IconLibrary() = default;
    IconLibrary(IconLibrary&&) noexcept = default;
    IconLibrary& operator=(IconLibrary&&) noexcept = default;

    // Opens fileName and locates its icons. False if the file cannot be opened; a file that is
    // no icon source opens with Kind() kIconFileUnknown and Count() 0. The kind is decided by
    // content: an .ico header, or "MZ" with an "NE" or "PE" header.
    bool Open(const std::wstring& fileName);
    void Close();

    IconFileKind Kind() const { return kind_; }
    // Number of icons: 1 for an .ico file, the group-icon resources of an NE or PE module.
    int Count() const;

    // The group of icon `index` (0 to Count() - 1). Its image views stay valid while the library
    // is open. False with the failure's text for a damaged group or an index out of range.
    bool Group(int index, IconGroupData& out, std::wstring* failure = nullptr) const;

    // The group directory of icon `index` in resource layout (6-byte header, 14-byte entries),
    // as LookupIconIdFromDirectoryEx takes it; empty if the group cannot be read.
    std::vector<std::uint8_t> GroupDirectory(int index) const;

    // The resource name of a group (for listings): the id or name of a PE or NE group resource;
    // an .ico file gives id 1.
    PeResourceName GroupName(int index) const;

    ByteView Bytes() const { return file_.Bytes(); }

private:
    InputFile file_;
    IconFileKind kind_ = kIconFileUnknown;
    NeIconIndex ne_;
    PeIconIndex pe_;
};

}  // namespace qm
