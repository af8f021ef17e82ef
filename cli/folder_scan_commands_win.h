#pragma once
// quillmark-cli folder scan and folder repair: the state of customized folders, and the repair
// of linked ones into copies.
#include <optional>
#include <string>
#include <vector>

namespace qm::cli {

// The arguments after "scan" or "repair"; nothing when they do not make a command (the caller
// shows the usage).
std::optional<int> RunFolderScan(std::vector<std::wstring> args);
std::optional<int> RunFolderRepair(std::vector<std::wstring> args);

}  // namespace qm::cli
