#pragma once
// One folder as the platform lists it for the tree walk: the folder's own identity (from the
// handle that lists it) and its sub-folders with their attributes, reparse tags and file ids.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qm {

using FileId128 = std::array<std::uint8_t, 16>;

struct ListedFolder {
    std::wstring name;
    DWORD attributes = 0;
    DWORD reparseTag = 0;  // 0 when the listing gives none (or the folder is no reparse point)
    FileId128 fileId{};    // from the listing, when it gives one: only a hint (all 0: none)
};

struct FolderListing {
    bool opened = false;  // false: gone, not a folder, or refused
    bool listed = false;  // false: opened, but its contents could not be listed
    std::uint64_t volumeSerial = 0;
    std::uint64_t fileIndex = 0;         // the 64-bit number of GetFileInformationByHandle
    FileId128 fileId{};                  // FileIdInfo's 128-bit id (all 0 where the file system gives none)
    std::vector<ListedFolder> children;  // in the listing's order, without "." and ".."
};

// Opens the folder once (nothing inside it is opened) and lists its sub-folders.
FolderListing ListFolderFromPlatform(const std::wstring& folder);

// What the walk lists through: the platform, or a test's stand-in while one is set (a test
// gives the listings Windows gives where Wine cannot: cloud placeholders, ReFS ids).
using FolderListingSeam = std::function<FolderListing(const std::wstring& folder)>;
void SetFolderListingSeam(FolderListingSeam seam);
FolderListing ListFolderForWalk(const std::wstring& folder);

}  // namespace qm
