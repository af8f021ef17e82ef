// .ico reader: any bytes give a group within the input or a failure text.
#include <cstdint>
#include <cstdlib>

#include "core/icons/icon_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qm::ByteView file(data, size);
    qm::IconGroupData group;
    std::wstring failure;
    if (qm::ReadIcoFile(file, group, failure)) {
        if (group.entries.size() > qm::kMaxIconImages) std::abort();
        for (const qm::ByteView& image : group.images) {
            if (image.size() && (image.data() < data || image.data() + image.size() > data + size)) std::abort();
        }
        (void)qm::IcoFileBytes(group);
    } else if (failure.empty()) {
        std::abort();
    }
    return 0;
}
