#include "core/shell/icon_module_win.h"

#include <windows.h>

#include "core/base/long_path_win.h"
#include "core/icons/icon_probe.h"
#include "core/shell/shell_helpers_win.h"

namespace qm {

std::wstring IconGroupsFileOf(const std::wstring& module) {
    std::int32_t kind = kIconFileUnknown, count = 0;
    if (module.empty() || ProbeIconFile(module, kind, count)) return module;
    const SystemFolders folders = GetSystemFolders();
    if (folders.windows.empty()) return module;
    const std::size_t slash = module.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? module : module.substr(slash + 1);
    const std::wstring mun = folders.windows + L"\\SystemResources\\" + name + L".mun";
    return IsExistingFile(mun) ? mun : module;
}

}  // namespace qm
