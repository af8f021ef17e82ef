// PE reader: headers, sections, the resource directory walk and every group.
#include <cstdint>
#include <cstdlib>

#include "core/icons/icon_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qm::ByteView file(data, size);
    qm::PeIconIndex index;
    if (!qm::IndexPeIcons(file, index)) return 0;
    for (std::size_t g = 0; g < index.groups.size() && g < 256; ++g) {
        qm::IconGroupData group;
        std::wstring failure;
        if (!qm::ReadPeGroup(file, index, g, group, failure)) {
            if (failure.empty()) std::abort();
            continue;
        }
        for (const qm::ByteView& image : group.images) {
            if (image.size() && (image.data() < data || image.data() + image.size() > data + size)) std::abort();
        }
        (void)qm::GroupDirectoryBytes(group);
        (void)qm::IcoFileBytes(group);
    }
    return 0;
}
