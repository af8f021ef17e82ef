#include "core/folder/folder_tree_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <utility>

#include "core/base/file_attributes_win.h"
#include "core/base/long_path_win.h"
#include "core/base/text.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_listing_win.h"

namespace qm {

namespace {

// What tells one folder from another whatever the path: the volume and the file's id on it.
using FolderIdentity = std::pair<std::uint64_t, FileId128>;

bool AllBytesAre(const FileId128& id, std::uint8_t value) {
    return std::all_of(id.begin(), id.end(), [value](std::uint8_t b) { return b == value; });
}

// FileIdInfo's 128-bit id where the file system gives one, else the 64-bit number (not unique on
// ReFS); none when neither is known (0 and all ones mean no id): such a folder is always walked.
std::optional<FolderIdentity> IdentityOf(const FolderListing& listing) {
    if (!AllBytesAre(listing.fileId, 0) && !AllBytesAre(listing.fileId, 0xFF))
        return FolderIdentity{listing.volumeSerial, listing.fileId};
    if (listing.fileIndex == 0 || listing.fileIndex == ~std::uint64_t{0}) return std::nullopt;
    FileId128 id{};
    std::memcpy(id.data(), &listing.fileIndex, sizeof listing.fileIndex);
    return FolderIdentity{listing.volumeSerial, id};
}

// A junction, mount point or symbolic link: a reparse point whose tag names another object, or
// whose tag is unknown (Wine 8 lists its Unix symbolic links with 0). A cloud placeholder
// (OneDrive and every Cloud Files provider) carries a tag that is no name surrogate: a folder.
bool IsLink(const ListedFolder& child) {
    return (child.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (child.reparseTag == 0 || IsReparseTagNameSurrogate(child.reparseTag));
}

// Opening a folder that is online only would make the provider fetch it.
bool IsOnlineOnly(const ListedFolder& child) { return (child.attributes & kAttributesOfRecall) != 0; }

// The folders Windows keeps at the root of a drive: readable by SYSTEM only, the recycle bin,
// recovery and setup folders. Never ours to change or to walk.
bool IsDriveRootSystemName(const std::wstring& name) {
    static constexpr std::wstring_view names[] = {
        L"SYSTEM VOLUME INFORMATION",
        L"$RECYCLE.BIN",
        L"RECYCLER",
        L"RECOVERY",
        L"CONFIG.MSI",
        L"$WINREAGENT",
        L"$SYSRESET",
        L"$WINDOWS.~BT",
        L"$WINDOWS.~WS",
    };
    const std::wstring upper = UpperAscii(name);
    return std::find(std::begin(names), std::end(names), upper) != std::end(names);
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 1 && path.back() == L'\\') path.pop_back();
    return path;
}

// True when the folder is the root of a volume (a drive or a volume mounted in a folder).
bool IsVolumeRoot(const std::wstring& folder) {
    const std::wstring shell = ShellPathForm(folder);
    const std::wstring asked = shell.size() < MAX_PATH ? WithTrailingBackslash(shell) : WithTrailingBackslash(folder);
    std::wstring volume(asked.size() + 2, L'\0');
    if (!GetVolumePathNameW(asked.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) return false;
    volume.resize(std::wcslen(volume.c_str()));
    return UpperAscii(WithoutTrailingBackslash(ShellPathForm(volume))) == UpperAscii(WithoutTrailingBackslash(shell));
}

void SortByName(std::vector<ListedFolder>& children) {
    std::sort(children.begin(), children.end(), [](const ListedFolder& a, const ListedFolder& b) {
        const std::wstring ua = UpperAscii(a.name), ub = UpperAscii(b.name);
        return ua != ub ? ua < ub : a.name < b.name;
    });
}

}  // namespace

FolderTree ListFolderTree(const std::wstring& root, int maxDepth) {
    FolderTree tree;
    std::set<FolderIdentity> seen;
    // Depth first with a stack of its own: a tree as deep as the longest path allows does not
    // use up the thread's stack. Below the root every folder is kept in the long form, so a name
    // the platform would normalise (a trailing dot or blank, "CON", "aux.txt") is that folder.
    struct Pending {
        std::wstring path;  // as the tree lists it
        std::wstring longPath;
        int depth;
    };
    std::vector<Pending> pending{{root, FullLongPathForm(root), 0}};
    while (!pending.empty()) {
        Pending next = std::move(pending.back());
        pending.pop_back();
        std::wstring& folder = next.path;
        FolderListing listing = ListFolderForWalk(next.depth == 0 ? folder : next.longPath);
        if (!listing.opened) {
            // Refused folders are still there to be changed, only not walked.
            if (IsExistingFolder(next.longPath)) tree.folders.push_back(folder);
            tree.unreadable.push_back(std::move(folder));
            continue;
        }
        if (const auto identity = IdentityOf(listing); identity && !seen.insert(*identity).second) {
            tree.skipped.push_back({std::move(folder), kSkippedAlreadyWalked});
            continue;
        }
        if (!listing.listed) tree.unreadable.push_back(folder);
        tree.folders.push_back(std::move(folder));
        if (maxDepth != kNoDepthLimit && next.depth >= maxDepth) continue;
        const std::wstring prefix = WithTrailingBackslash(next.longPath);
        std::optional<bool> volumeRoot;  // asked once, and only when a name calls for it
        SortByName(listing.children);
        for (auto it = listing.children.rbegin(); it != listing.children.rend(); ++it) {
            std::wstring path = prefix + it->name;
            if (IsLink(*it)) {
                tree.links.push_back(std::move(path));
            } else if (IsOnlineOnly(*it)) {
                tree.skipped.push_back({std::move(path), kSkippedOnlineOnly});
            } else if (IsDriveRootSystemName(it->name) &&
                       (volumeRoot ? *volumeRoot : *(volumeRoot = IsVolumeRoot(next.longPath)))) {
                tree.skipped.push_back({std::move(path), kSkippedSystemFolder});
            } else {
                pending.push_back({path, path, next.depth + 1});
            }
        }
    }
    // Links and skipped folders were met in reverse order of the walk.
    std::sort(tree.links.begin(), tree.links.end());
    std::sort(tree.skipped.begin(), tree.skipped.end(),
              [](const FolderTree::Skipped& a, const FolderTree::Skipped& b) { return a.path < b.path; });
    return tree;
}

}  // namespace qm
