#pragma once
// Reading the names out of a CF_HDROP block: a 20-byte DROPFILES header (pFiles, pt, fNC,
// fWide) followed, at pFiles, by the names, each ending in a zero, the list ending in an extra
// zero; UTF-16LE names when fWide is set, otherwise bytes of the ANSI code page. The block
// comes from another component, so every read stays inside it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/icons/byte_view.h"

namespace qm {

inline constexpr std::size_t kDropFilesHeaderSize = 20;
// Longest name accepted from a drop block (the platform's longest path).
inline constexpr std::size_t kMaxDropName = 32767;

struct DropFileList {
    std::uint32_t namesOffset = 0;          // pFiles
    bool wide = false;                      // fWide
    std::vector<std::u16string> wideNames;  // the names when wide
    std::vector<std::string> ansiNames;     // the names otherwise, in the sender's code page

    std::size_t Count() const { return wide ? wideNames.size() : ansiNames.size(); }
};

// The names of the block, or nothing when it is malformed: shorter than the header, pFiles
// inside the header or at or past the block's end, a name or the list without its zero (an odd
// last byte of a UTF-16 list is no part of it), a name longer than kMaxDropName. A list that
// begins with its final zero holds no names.
std::optional<DropFileList> ParseDropFiles(ByteView block);

}  // namespace qm
