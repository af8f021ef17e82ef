#include "shellext/drop_files_win.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "core/base/text.h"

namespace qm::shellext {

namespace {

template <class Char>
std::optional<std::vector<std::basic_string<Char>>> ReadNames(const std::uint8_t* at, std::size_t bytes) {
    const std::size_t count = bytes / sizeof(Char);
    std::vector<std::basic_string<Char>> names;
    std::size_t pos = 0;
    for (;;) {
        if (pos >= count) return std::nullopt;  // the list has no final zero
        Char c;
        std::memcpy(&c, at + pos * sizeof(Char), sizeof(Char));
        if (c == 0) return names;  // the extra zero that ends the list
        std::basic_string<Char> name;
        while (true) {
            if (pos >= count) return std::nullopt;  // a name without its zero
            std::memcpy(&c, at + pos * sizeof(Char), sizeof(Char));
            ++pos;
            if (c == 0) break;
            if (name.size() >= kMaxDropName) return std::nullopt;
            name.push_back(c);
        }
        names.push_back(std::move(name));
    }
}

}  // namespace

std::optional<std::vector<std::wstring>> ParseDropFiles(const std::uint8_t* block, std::size_t size) {
    if (!block || size < sizeof(DROPFILES)) return std::nullopt;
    DROPFILES header;
    std::memcpy(&header, block, sizeof header);
    if (header.pFiles < sizeof(DROPFILES) || header.pFiles >= size) return std::nullopt;
    const std::uint8_t* names = block + header.pFiles;
    const std::size_t bytes = size - header.pFiles;
    if (header.fWide) {
        return ReadNames<wchar_t>(names, bytes);
    }
    auto ansi = ReadNames<char>(names, bytes);
    if (!ansi) return std::nullopt;
    std::vector<std::wstring> wide;
    wide.reserve(ansi->size());
    for (const auto& n : *ansi) wide.push_back(AnsiToWide(n));
    return wide;
}

}  // namespace qm::shellext
