#pragma once
// The Windows 11 menu's applies and resets run on one worker thread of the library, in the order
// the commands came, so that Invoke returns to Explorer at once; a second command queued while
// the first runs waits its turn. The worker shows the commands' messages owned by the window the
// command named, and holds a reference to the library and a server lock until the queue is empty.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qm::shellext {

struct FolderJob {
    std::vector<std::wstring> folders;
    std::function<HRESULT(const std::wstring& folder)> run;  // for each folder in turn
    HWND owner = nullptr;                                    // of the messages; none: unowned
};

// Queues the job; S_OK, or the platform's error when no worker could be started (nothing runs).
HRESULT QueueFolderJob(FolderJob job);

// Waits until every queued job has run; false when `timeoutMs` passed first.
bool WaitForFolderJobs(DWORD timeoutMs) noexcept;

}  // namespace qm::shellext
