#pragma once
// quillmark-cli folder scan, repair and restore: the state of customized folders, the repair of
// linked ones into copies, and putting back what a sync client lost.
#include <optional>
#include <string>
#include <vector>

namespace qm::cli {

// The arguments after "scan" or "repair"; nothing when they do not make a command (the caller
// shows the usage).
std::optional<int> RunFolderScan(std::vector<std::wstring> args);
std::optional<int> RunFolderRepair(std::vector<std::wstring> args);
// The arguments after "restore" (the batch options and --quiet).
std::optional<int> RunFolderRestore(std::vector<std::wstring> args);

}  // namespace qm::cli
