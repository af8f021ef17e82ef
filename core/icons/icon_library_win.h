#pragma once
// Pictures of the icon library: an HICON of a requested size from one icon's group, the image
// chosen as the platform chooses (LookupIconIdFromDirectoryEx) and made with
// CreateIconFromResourceEx.
#include <windows.h>

#include "core/base/handles_win.h"
#include "core/icons/icon_library.h"

namespace qm {

// The icon of `index` at cx by cy pixels (0 for the system metric), or an empty handle.
UniqueIcon MakeLibraryIcon(const IconLibrary& library, int index, int cx, int cy, UINT flags = LR_DEFAULTCOLOR);

// The same for a group already read.
UniqueIcon MakeGroupIcon(const IconGroupData& group, int cx, int cy, UINT flags = LR_DEFAULTCOLOR);

// Large and small icons as ExtractIconEx gives them (system large and small icon sizes).
UniqueIcon MakeLargeLibraryIcon(const IconLibrary& library, int index);
UniqueIcon MakeSmallLibraryIcon(const IconLibrary& library, int index);

}  // namespace qm
