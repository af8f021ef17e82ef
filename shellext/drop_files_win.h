#pragma once
// Reading the names out of a CF_HDROP block (a DROPFILES header followed by a list of names, each
// ending in a zero, the list ending in an extra zero). The block comes from another component, so
// every read stays inside the block's size.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm::shellext {

// Longest name accepted from a drop block (the platform's longest path).
inline constexpr std::size_t kMaxDropName = 32767;

// The names of the block, or nothing when the block is malformed (header out of bounds, a name
// or the list without its terminating zero, a name longer than kMaxDropName).
std::optional<std::vector<std::wstring>> ParseDropFiles(const std::uint8_t* block, std::size_t size);

}  // namespace qm::shellext
