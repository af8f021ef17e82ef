#pragma once
// A small file read whole and written back in place, through an open handle.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qm {

// The file's bytes from its start; nothing when it cannot be read or holds more than `maxBytes`.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(HANDLE file, std::uint64_t maxBytes);

// Writes `bytes` at `offset` and ends the file behind them; false when the platform refuses.
bool WriteFileBytesAt(HANDLE file, std::uint64_t offset, std::span<const std::uint8_t> bytes);

}  // namespace qm
