#include "shellext/apply_queue_win.h"

#include <objbase.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

#include "core/base/handles_win.h"
#include "core/base/message_owner_win.h"
#include "shellext/failure_trail_win.h"
#include "shellext/server_win.h"
#include "shellext/test_seams_win.h"

namespace qm::shellext {

namespace {

struct JobQueue {
    std::mutex mutex;
    std::condition_variable idle;
    std::deque<FolderJob> jobs;
    bool working = false;  // a worker runs (and takes the next job before it ends)
};

// Never destroyed: a worker may still be ending when the library's statics go.
JobQueue& Queue() {
    static JobQueue* queue = new JobQueue;
    return *queue;
}

// Runs the queued jobs in an apartment of its own, which ends before the thread does.
void RunJobs() {
    const ComApartment com(COINIT_APARTMENTTHREADED);
    JobQueue& queue = Queue();
    for (;;) {
        FolderJob job;
        {
            std::lock_guard lock(queue.mutex);
            if (queue.jobs.empty()) {
                queue.working = false;
                queue.idle.notify_all();
                break;
            }
            job = std::move(queue.jobs.front());
            queue.jobs.pop_front();
        }
        const ThreadMessageOwnerScope messages(job.owner);
        for (const std::wstring& folder : job.folders) {
            if (Seams().beforeFolderJob) Seams().beforeFolderJob(folder.c_str());
            Guarded("FolderJob", [&] { return job.run(folder); });
        }
    }
}

DWORD WINAPI Work(void* module) {
    RunJobs();
    ServerCounters::Unlock();
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);  // never returns: no owner may be left open here
}

}  // namespace

HRESULT QueueFolderJob(FolderJob job) {
    JobQueue& queue = Queue();
    std::lock_guard lock(queue.mutex);
    if (!queue.working) {
        // The worker's own reference keeps the library mapped until its last instruction.
        UniqueModule self;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&Work), self.put())) {
            return LastErrorResult();
        }
        ServerCounters::Lock();
        const UniqueKernelHandle worker(CreateThread(nullptr, 0, &Work, self.get(), 0, nullptr));
        if (!worker) {
            const HRESULT hr = LastErrorResult();
            ServerCounters::Unlock();
            return hr;
        }
        self.release();  // the worker's now: it frees the reference as it exits
        queue.working = true;
    }
    queue.jobs.push_back(std::move(job));
    return S_OK;
}

bool WaitForFolderJobs(DWORD timeoutMs) noexcept {
    try {
        JobQueue& queue = Queue();
        std::unique_lock lock(queue.mutex);
        return queue.idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !queue.working; });
    } catch (...) {
        return false;
    }
}

}  // namespace qm::shellext

// For tests: waits for the queued applies (exported by ordinal only).
extern "C" BOOL WINAPI QuillshellWaitForJobs(DWORD timeoutMs) {
    return qm::shellext::WaitForFolderJobs(timeoutMs) ? TRUE : FALSE;
}
