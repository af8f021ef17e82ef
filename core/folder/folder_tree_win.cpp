#include "core/folder/folder_tree_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/base/text.h"
#include "core/folder/folder_customization.h"

namespace qm {

namespace {

// What tells one folder from another whatever the path: the volume and the file's number on it.
using FolderIdentity = std::pair<std::uint32_t, std::uint64_t>;

bool IdentityOf(const std::wstring& folder, FolderIdentity& out) {
    // FILE_FLAG_BACKUP_SEMANTICS opens a folder; no access right is asked, so nothing is refused
    // that listing the folder would allow.
    UniqueFile file(CreateFileW(LongPathForm(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) return false;
    out = {info.dwVolumeSerialNumber, static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
    return true;
}

struct Child {
    std::wstring name;
    bool link;
};

// The sub-folders of a folder; false when it cannot be listed.
bool SubFolders(const std::wstring& folder, std::vector<Child>& out) {
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileExW(LongPathForm(WithTrailingBackslash(folder) + L"*").c_str(), FindExInfoBasic, &fd,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root lists nothing
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        const std::wstring_view name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        out.push_back({std::wstring(name), (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileW(find.get(), &fd));
    std::sort(out.begin(), out.end(), [](const Child& a, const Child& b) {
        const std::wstring ua = UpperAscii(a.name), ub = UpperAscii(b.name);
        return ua != ub ? ua < ub : a.name < b.name;
    });
    return true;
}

}  // namespace

bool IsExistingFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(LongPathForm(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

FolderTree ListFolderTree(const std::wstring& root, int maxDepth) {
    FolderTree tree;
    std::set<FolderIdentity> seen;
    // Depth first with a stack of its own: a tree as deep as the longest path allows does not
    // use up the thread's stack.
    std::vector<std::pair<std::wstring, int>> pending{{root, 0}};
    while (!pending.empty()) {
        auto [folder, depth] = std::move(pending.back());
        pending.pop_back();
        FolderIdentity id;
        if (!IsExistingFolder(folder) || !IdentityOf(folder, id)) {
            tree.unreadable.push_back(folder);
            continue;
        }
        if (!seen.insert(id).second) continue;
        std::vector<Child> children;
        if (maxDepth != kNoDepthLimit && depth >= maxDepth) {
            tree.folders.push_back(std::move(folder));
            continue;
        }
        const bool listed = SubFolders(folder, children);
        if (!listed) tree.unreadable.push_back(folder);  // the folder itself is still there
        const std::wstring prefix = WithTrailingBackslash(folder);
        tree.folders.push_back(std::move(folder));
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (it->link)
                tree.links.push_back(prefix + it->name);
            else
                pending.emplace_back(prefix + it->name, depth + 1);
        }
    }
    // Links were met in reverse order of the walk.
    std::sort(tree.links.begin(), tree.links.end());
    return tree;
}

}  // namespace qm
