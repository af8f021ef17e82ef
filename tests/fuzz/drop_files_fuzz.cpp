// CF_HDROP parser: any bytes give names that lie inside the input, without zeros, none empty and
// none longer than the limit, or no list at all.
#include <cstdint>
#include <cstdlib>

#include "core/shell/drop_files.h"

namespace {
template <class Names>
void CheckNames(const Names& names, std::size_t unit, std::size_t bytes) {
    std::size_t used = 0;
    for (const auto& name : names) {
        if (name.empty() || name.size() > qm::kMaxDropName) std::abort();
        for (auto c : name) {
            if (c == 0) std::abort();
        }
        used += (name.size() + 1) * unit;
    }
    if (used + unit > bytes) std::abort();  // every name, its zero and the final zero came from the input
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto list = qm::ParseDropFiles(qm::ByteView(data, size));
    if (!list) return 0;
    if (list->namesOffset < qm::kDropFilesHeaderSize || list->namesOffset >= size) std::abort();
    const std::size_t bytes = size - list->namesOffset;
    if (list->wide) {
        if (!list->ansiNames.empty()) std::abort();
        CheckNames(list->wideNames, 2, bytes);
    } else {
        if (!list->wideNames.empty()) std::abort();
        CheckNames(list->ansiNames, 1, bytes);
    }
    return 0;
}
