#pragma once
// Packs icons into icon libraries: a 16-bit NE module (the classic .icl) or a resource-only PE
// module. Both are read by our readers, by the platform's icon extraction and by icoutils.
#include <cstdint>
#include <string>
#include <vector>

#include "core/icons/icon_readers.h"

namespace qm {

struct LibraryIcon {
    std::wstring name;   // empty: an integer resource id is assigned
    IconGroupData icon;  // image views must outlive the call
};

// Icons keep their order. Integer ids: groups 1, 2, ... among the unnamed, images 1, 2, ... over
// all images in order. Throws UserError if the icons do not fit the format.
std::vector<std::uint8_t> BuildNeIconLibrary(const std::vector<LibraryIcon>& icons,
                                             const std::string& moduleName = "ICONS");

// A PE32 resource-only DLL. The platform enumerates named groups first (sorted by name, as the
// resource directory stores them), then integer ids ascending.
std::vector<std::uint8_t> BuildPeIconLibrary(const std::vector<LibraryIcon>& icons);

}  // namespace qm
