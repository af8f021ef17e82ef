#include "core/folder/folder_tree_win.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
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

struct Child {
    std::wstring name;
    bool link;
    std::optional<std::uint64_t> id;  // the file's number, when the listing gives it
};

// The sub-folders by name alone, for file systems whose listings give no file numbers (some
// network servers); false when the folder cannot be listed.
bool ListByName(const std::wstring& folder, std::vector<Child>& out) {
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileExW(LongPathForm(WithTrailingBackslash(folder) + L"*").c_str(), FindExInfoBasic, &fd,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root lists nothing
    do {
        const std::wstring_view name = fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..") continue;
        out.push_back({std::wstring(name), (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0, std::nullopt});
    } while (FindNextFileW(find.get(), &fd));
    return true;
}

// One folder opened once: its identity, and its sub-folders with theirs from the same listing.
struct Listing {
    bool opened = false;  // false: gone, not a folder, or refused
    bool listed = false;
    FolderIdentity identity{};
    std::vector<Child> children;
};

Listing ListFolder(const std::wstring& folder) {
    Listing out;
    UniqueFile dir(CreateFileW(LongPathForm(folder).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!dir || !GetFileInformationByHandle(dir.get(), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return out;
    out.opened = true;
    out.identity = {info.dwVolumeSerialNumber,
                    static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
    // Entries are 8-byte aligned records chained by their offsets; every offset and name length
    // is checked against the buffer before it is read.
    std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
    const std::size_t bytes = buffer.size() * sizeof(std::uint64_t);
    const auto* base = reinterpret_cast<const unsigned char*>(buffer.data());
    constexpr std::size_t kNameAt = offsetof(FILE_ID_BOTH_DIR_INFO, FileName);
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
        if (!GetFileInformationByHandleEx(dir.get(), kind, buffer.data(), static_cast<DWORD>(bytes))) {
            const DWORD error = GetLastError();
            out.listed = error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND;
            if (!out.listed && kind == FileIdBothDirectoryRestartInfo) out.listed = ListByName(folder, out.children);
            break;
        }
        for (std::size_t at = 0;;) {
            if (at + kNameAt > bytes) break;
            FILE_ID_BOTH_DIR_INFO entry;
            std::memcpy(&entry, base + at, kNameAt);
            if (at + kNameAt + entry.FileNameLength > bytes) break;
            if (entry.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                std::wstring name(entry.FileNameLength / sizeof(wchar_t), L'\0');
                std::memcpy(name.data(), base + at + kNameAt, name.size() * sizeof(wchar_t));
                if (name != L"." && name != L"..")
                    out.children.push_back({std::move(name), (entry.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                                            static_cast<std::uint64_t>(entry.FileId.QuadPart)});
            }
            if (entry.NextEntryOffset == 0) break;
            at += entry.NextEntryOffset;
        }
    }
    std::sort(out.children.begin(), out.children.end(), [](const Child& a, const Child& b) {
        const std::wstring ua = UpperAscii(a.name), ub = UpperAscii(b.name);
        return ua != ub ? ua < ub : a.name < b.name;
    });
    return out;
}

}  // namespace

FolderTree ListFolderTree(const std::wstring& root, int maxDepth) {
    FolderTree tree;
    std::set<FolderIdentity> seen;
    // Depth first with a stack of its own: a tree as deep as the longest path allows does not
    // use up the thread's stack.
    std::vector<std::pair<std::wstring, int>> pending{{root, 0}};
    while (!pending.empty()) {
        auto [folder, depth] = std::move(pending.back());
        pending.pop_back();
        Listing listing = ListFolder(folder);
        if (!listing.opened) {
            // Refused folders are still there to be changed, only not walked.
            if (IsExistingFolder(folder)) tree.folders.push_back(folder);
            tree.unreadable.push_back(std::move(folder));
            continue;
        }
        if (!seen.insert(listing.identity).second) continue;
        if (!listing.listed) tree.unreadable.push_back(folder);
        const std::wstring prefix = WithTrailingBackslash(folder);
        tree.folders.push_back(std::move(folder));
        if (maxDepth != kNoDepthLimit && depth >= maxDepth) continue;
        for (auto it = listing.children.rbegin(); it != listing.children.rend(); ++it) {
            if (it->link)
                tree.links.push_back(prefix + it->name);
            else if (!it->id || !seen.count({listing.identity.first, *it->id}))  // the same folder by another path
                pending.emplace_back(prefix + it->name, depth + 1);
        }
    }
    // Links were met in reverse order of the walk.
    std::sort(tree.links.begin(), tree.links.end());
    return tree;
}

}  // namespace qm
