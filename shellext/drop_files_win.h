#pragma once
// The names of the shell's CF_HDROP data, read from its global memory block.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qm::shellext {

// The names in the block, ANSI names turned to UTF-16 by the ANSI code page, or nothing when the
// block cannot be locked or is malformed (see ParseDropFiles).
std::optional<std::vector<std::wstring>> ReadDropFiles(HGLOBAL block);

}  // namespace qm::shellext
