#include "core/icons/icon_library_win.h"

#include <vector>

namespace qm {

UniqueIcon MakeGroupIcon(const IconGroupData& group, int cx, int cy, UINT flags) {
    if (group.entries.empty() || group.images.size() != group.entries.size()) return {};
    if (cx == 0) cx = GetSystemMetrics(SM_CXICON);
    if (cy == 0) cy = GetSystemMetrics(SM_CYICON);
    std::vector<std::uint8_t> directory = GroupDirectoryBytes(group);
    const int id = LookupIconIdFromDirectoryEx(directory.data(), TRUE, cx, cy, flags);
    for (std::size_t i = 0; i < group.entries.size(); ++i) {
        if (group.entries[i].ID != id) continue;
        const ByteView image = group.images[i];
        if (image.empty()) return {};
        // The platform takes a non-const pointer; it does not write through it.
        return UniqueIcon(CreateIconFromResourceEx(const_cast<PBYTE>(image.data()), static_cast<DWORD>(image.size()),
                                                   TRUE, 0x00030000, cx, cy, flags));
    }
    return {};
}

UniqueIcon MakeLibraryIcon(const IconLibrary& library, int index, int cx, int cy, UINT flags) {
    IconGroupData group;
    if (!library.Group(index, group)) return {};
    return MakeGroupIcon(group, cx, cy, flags);
}

UniqueIcon MakeLargeLibraryIcon(const IconLibrary& library, int index) {
    return MakeLibraryIcon(library, index, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
}

UniqueIcon MakeSmallLibraryIcon(const IconLibrary& library, int index) {
    return MakeLibraryIcon(library, index, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
}

}  // namespace qm
