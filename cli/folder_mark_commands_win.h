#pragma once
// quillmark-cli folder mark: an emblem on the icon each folder shows, and --clear, which puts back
// what the folder had before.
#include <optional>
#include <string>
#include <vector>

namespace qm::cli {

// The arguments after "mark"; nothing when they do not make a command (the caller shows the usage).
std::optional<int> RunFolderMark(std::vector<std::wstring> args);

}  // namespace qm::cli
