#pragma once
// The folders of a tree, for the commands that change or check many folders at once.
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr int kNoDepthLimit = -1;

struct FolderTree {
    // The root first (as given), then every folder before the folders inside it, siblings sorted
    // by name (without case). Hidden and system folders are included. Every path below the root
    // is in the long form ("\\?\C:\..."), so a name the plain form would change ("name.",
    // "CON") still names that folder; reports show them with ShellPathForm.
    std::vector<std::wstring> folders;
    // Junctions, symbolic links and mount points below the root (reparse points whose tag is a
    // name surrogate, or unknown): listed here, not entered, so a link back up the tree cannot
    // make the walk go round. Cloud placeholders (OneDrive) are folders, not links.
    std::vector<std::wstring> links;
    // Folders that could not be walked: gone since their parent was read (not in `folders`), or
    // refused to list what they hold (in `folders`, their contents not).
    std::vector<std::wstring> unreadable;
    // Folders left alone on purpose, each with why: not failures. A folder reached a second time,
    // an online-only folder (not opened), a drive root's system folder (System Volume
    // Information, $RECYCLE.BIN and the like).
    struct Skipped {
        std::wstring path;
        std::wstring_view why;
    };
    std::vector<Skipped> skipped;
};

// Why a folder was skipped (the text after "skipped: ").
inline constexpr std::wstring_view kSkippedAlreadyWalked = L"already walked (the same folder by another path)";
inline constexpr std::wstring_view kSkippedSystemFolder = L"a system folder of the drive";
inline constexpr std::wstring_view kSkippedOnlineOnly = L"online-only (opening it would download it)";

// Walks the tree below `root` down to `maxDepth` levels (0: the root alone; kNoDepthLimit: all).
// Paths of any length; a folder reached a second time (the same folder through another path, told
// by its volume and 128-bit file id) is not walked again. A root that is not a folder gives an empty list and the root
// in `unreadable`.
FolderTree ListFolderTree(const std::wstring& root, int maxDepth = kNoDepthLimit);

}  // namespace qm
