// NE reader: the resource walk and every group, with both new-header offset rules.
#include <cstdint>
#include <cstdlib>

#include "core/icons/icon_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qm::ByteView file(data, size);
    for (bool wide : {false, true}) {
        qm::NeIconIndex index;
        if (qm::IndexNeIcons(file, index, wide) != qm::NeIndexResult::kOk) continue;
        for (std::uint32_t g = 0; g < index.groupCount && g < 256; ++g) {
            qm::IconGroupData group;
            std::wstring failure;
            if (!qm::ReadNeGroup(file, index, g, group, failure)) {
                if (failure.empty()) std::abort();
                continue;
            }
            for (const qm::ByteView& image : group.images) {
                if (image.size() && (image.data() < data || image.data() + image.size() > data + size)) std::abort();
            }
            (void)qm::IcoFileBytes(group);
        }
    }
    return 0;
}
