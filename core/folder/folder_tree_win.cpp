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
#include "core/folder/folder_listing_win.h"

namespace qm {

namespace {

// What tells one folder from another whatever the path: the volume and the file's number on it.
using FolderIdentity = std::pair<std::uint64_t, std::uint64_t>;

struct Child {
    std::wstring name;
    bool link;
    std::optional<std::uint64_t> id;  // the file's number, when the listing gives it
};

// One folder opened once: its identity, and its sub-folders with theirs from the same listing.
struct Listing {
    bool opened = false;  // false: gone, not a folder, or refused
    bool listed = false;
    FolderIdentity identity{};
    std::vector<Child> children;
};

Listing ListFolder(const std::wstring& folder) {
    const FolderListing platform = ListFolderForWalk(folder);
    Listing out;
    out.opened = platform.opened;
    out.listed = platform.listed;
    out.identity = {platform.volumeSerial, platform.fileIndex};
    for (const auto& c : platform.children) {
        std::uint64_t low = 0;
        std::memcpy(&low, c.fileId.data(), sizeof low);
        out.children.push_back({c.name, (c.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                                low ? std::optional<std::uint64_t>(low) : std::nullopt});
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
