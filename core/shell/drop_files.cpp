#include "core/shell/drop_files.h"

namespace qm {

namespace {

template <class Char>
std::optional<Char> UnitAt(ByteView names, std::uint64_t offset) {
    if constexpr (sizeof(Char) == 1) {
        auto unit = names.U8(offset);
        if (!unit) return std::nullopt;
        return static_cast<Char>(*unit);
    } else {
        auto unit = names.U16(offset);
        if (!unit) return std::nullopt;
        return static_cast<Char>(*unit);
    }
}

// The names of a list of zero-terminated names that ends in an extra zero.
template <class Char>
std::optional<std::vector<std::basic_string<Char>>> ReadNames(ByteView names) {
    std::vector<std::basic_string<Char>> out;
    std::basic_string<Char> name;
    for (std::uint64_t at = 0;; at += sizeof(Char)) {
        auto unit = UnitAt<Char>(names, at);
        if (!unit) return std::nullopt;  // the list or a name ran into the block's end
        if (*unit != 0) {
            if (name.size() >= kMaxDropName) return std::nullopt;
            name.push_back(*unit);
        } else if (name.empty()) {
            return out;  // the extra zero that ends the list
        } else {
            out.push_back(std::move(name));
            name.clear();
        }
    }
}

}  // namespace

std::optional<DropFileList> ParseDropFiles(ByteView block) {
    auto header = block.Record<kDropFilesHeaderSize>(0);
    if (!header) return std::nullopt;
    DropFileList list;
    list.namesOffset = header->U32<0>();
    list.wide = header->U32<16>() != 0;
    if (list.namesOffset < kDropFilesHeaderSize || list.namesOffset >= block.size()) return std::nullopt;
    auto names = block.Sub(list.namesOffset, block.size() - list.namesOffset);
    if (!names) return std::nullopt;
    if (list.wide) {
        auto read = ReadNames<char16_t>(*names);
        if (!read) return std::nullopt;
        list.wideNames = std::move(*read);
    } else {
        auto read = ReadNames<char>(*names);
        if (!read) return std::nullopt;
        list.ansiNames = std::move(*read);
    }
    return list;
}

}  // namespace qm
