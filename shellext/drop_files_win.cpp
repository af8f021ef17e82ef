#include "shellext/drop_files_win.h"

#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/shell/drop_files.h"

namespace qm::shellext {

std::optional<std::vector<std::wstring>> ReadDropFiles(HGLOBAL block) {
    const GlobalLockView locked(block);
    if (!locked) return std::nullopt;
    auto list = ParseDropFiles(ByteView(locked.data(), locked.size()));
    if (!list) return std::nullopt;
    std::vector<std::wstring> names;
    names.reserve(list->Count());
    for (const std::u16string& name : list->wideNames) names.emplace_back(name.begin(), name.end());
    for (const std::string& name : list->ansiNames) names.push_back(AnsiToWide(name));
    return names;
}

}  // namespace qm::shellext
