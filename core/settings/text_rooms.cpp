#include "core/settings/text_rooms.h"

#include <algorithm>
#include <iterator>

namespace qm {
namespace {

// Measured in the English windows; regenerate with the GUI test text_fit_test (it prints the
// lines that differ and writes the whole table to artifacts\text_rooms.inc).
constexpr TextRoom kRooms[] = {
#include "core/settings/text_rooms.inc"
};

}  // namespace

std::span<const TextRoom> TextRooms() { return kRooms; }

const TextRoom* FindTextRoom(std::wstring_view key) {
    const auto it = std::lower_bound(std::begin(kRooms), std::end(kRooms), key,
                                     [](const TextRoom& r, std::wstring_view k) { return r.key < k; });
    return it != std::end(kRooms) && it->key == key ? &*it : nullptr;
}

}  // namespace qm
