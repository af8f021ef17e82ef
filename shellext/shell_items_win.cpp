#include "shellext/shell_items_win.h"

#include <servprov.h>
#include <shlobj.h>

#include <string_view>

#include "core/base/long_path_win.h"
#include "core/base/handles_win.h"
#include "shellext/commands_win.h"

namespace qm::shellext {

std::vector<std::wstring> FileSystemPaths(IShellItemArray* items) {
    std::vector<std::wstring> paths;
    DWORD count = 0;
    if (!items || FAILED(items->GetCount(&count)) || count == 0) return paths;
    paths.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        ComPtr<IShellItem> item;
        if (FAILED(items->GetItemAt(i, item.put())) || !item) return {};
        UniqueCoTaskString raw;
        const HRESULT hr = item->GetDisplayName(SIGDN_FILESYSPATH, raw.put());
        std::wstring path = SUCCEEDED(hr) && raw ? raw.get() : L"";
        if (path.empty()) return {};
        paths.push_back(std::move(path));
    }
    return paths;
}

std::vector<std::wstring> SelectedFolders(IShellItemArray* items) {
    std::vector<std::wstring> paths = FileSystemPaths(items);
    for (const std::wstring& path : paths) {
        if (!IsExistingFolder(path)) return {};
    }
    return paths;
}

bool IsOnSlowMedium(const std::wstring& path) {
    std::wstring_view rest = path;
    constexpr std::wstring_view kLong = L"\\\\?\\", kLongUnc = L"\\\\?\\UNC\\";
    if (rest.substr(0, kLongUnc.size()) == kLongUnc) return true;
    if (rest.substr(0, kLong.size()) == kLong) rest.remove_prefix(kLong.size());
    if (rest.substr(0, 2) == L"\\\\") return true;  // \\server\share
    if (rest.size() < 2 || rest[1] != L':') return false;
    const wchar_t root[] = {rest[0], L':', L'\\', L'\0'};
    const UINT type = GetDriveTypeW(root);  // the mount manager's record: the medium is not read
    return type == DRIVE_REMOTE || type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
}

bool AnyOnSlowMedium(IShellItemArray* items) {
    for (const std::wstring& path : FileSystemPaths(items)) {
        if (IsOnSlowMedium(path)) return true;
    }
    return false;
}

ComPtr<IShellItemArray> SiteFolder(IUnknown* site) {
    ComPtr<IShellItemArray> items;
    ComPtr<IServiceProvider> services;
    ComPtr<IFolderView> view;
    ComPtr<IShellItem> folder;
    if (site && SUCCEEDED(site->QueryInterface(IID_IServiceProvider, services.put_void())) && services &&
        SUCCEEDED(services->QueryService(SID_SFolderView, IID_IFolderView, view.put_void())) && view &&
        SUCCEEDED(view->GetFolder(IID_IShellItem, folder.put_void())) && folder) {
        if (FAILED(SHCreateShellItemArrayFromShellItem(folder.get(), IID_IShellItemArray, items.put_void()))) {
            items.reset();
        }
    }
    return items;
}

ComPtr<IShellItemArray> ItemsOrSiteFolder(IShellItemArray* items, IUnknown* site) {
    DWORD count = 0;
    if (items && SUCCEEDED(items->GetCount(&count)) && count > 0) {
        items->AddRef();
        return ComPtr<IShellItemArray>::Attach(items);
    }
    return SiteFolder(site);
}

}  // namespace qm::shellext
