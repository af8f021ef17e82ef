#pragma once
// Small helpers through which the program asks the platform for file sizes, shell file operations
// and a file's version-information description (registry strings: core/shell/registry_win.h). No
// state is kept between calls.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Size of the first file the search finds for `path` (wildcards allowed); 0 when none is found.
std::uint64_t FindFileSize(const std::wstring& path);

// One shell file-operation request each (SHFileOperationW, no window, no confirmation, no
// progress, and no error box of the shell's own: a file in use stays without a word, as the callers
// report failures themselves). True when the shell reports success.
bool RecycleFile(const std::wstring& path);            // FO_DELETE with undo: to the recycle bin
bool DeleteFilePermanently(const std::wstring& path);  // FO_DELETE
// FO_COPY, replacing an existing target without asking; true only when the target exists afterwards.
bool CopyFileSilently(const std::wstring& source, const std::wstring& target);

// Test seam: told of every shell file-operation request after the platform has answered it.
struct FileOperationRequest {
    UINT operation = 0;  // FO_COPY, FO_DELETE
    unsigned flags = 0;  // FOF_*
    std::wstring source, target;
    bool succeeded = false;
};
using FileOperationObserver = std::function<void(const FileOperationRequest&)>;
void SetFileOperationObserver(FileOperationObserver observer);

// The system folder (GetSystemDirectoryW) and the Windows folder (GetWindowsDirectoryW), without a
// trailing backslash; a folder the platform does not give is empty.
struct SystemFolders {
    std::wstring system, windows;
};
SystemFolders GetSystemFolders();
// Test seam: GetSystemFolders answers these instead of the platform while set.
void SetSystemFoldersSeam(std::optional<SystemFolders> folders);

// Replaces `text` with the file's version-information FileDescription (string block of its first
// translation entry, else 040904E4); leaves it unchanged when the file has none.
void GetFileDescription(const std::wstring& path, std::wstring& text);

}  // namespace qm
