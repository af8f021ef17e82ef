// The folder menu handler under load: a thousand create-Initialize-QueryContextMenu-release cycles
// on one thread and spread over eight shell threads (an apartment each), as a long-running
// Explorer or a program that shows many file dialogs drives it. Afterwards no object, lock or
// factory keeps the library (DllCanUnloadNow), every menu and picture a cycle handed out is gone,
// and the process's GDI and USER object counts and private bytes are where they were after a
// warm-up, within a small fixed slack.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/base/data_folder_win.h"
#include "core/base/handles_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/explorer_command_client_win.h"
#include "tests/support/files_win.h"

namespace {

constexpr int kCycles = 1000;
constexpr int kThreads = 8;
constexpr int kWarmUp = 50;
constexpr int kThemeIcons = 30;  // pictures enough to make a leak per cycle visible
// What may move after the warm-up without a leak: heap and allocator caches of the runtime and
// of Wine. A picture per cycle that stays would be kCycles * kThemeIcons objects; a kilobyte per
// cycle a megabyte.
constexpr DWORD kGuiObjectSlack = 16;
constexpr SIZE_T kPrivateBytesSlack = 768 * 1024;

struct Counters {
    DWORD gdi = 0, user = 0;
    bool guiCounted = false;  // Wine does not count GUI objects (GetGuiResources gives 0)
    SIZE_T privateBytes = 0;
    const char* memoryCounter = "none";
};

Counters Measure() {
    Counters c;
    SetLastError(0);
    c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    c.guiCounted = c.gdi != 0 || c.user != 0;  // a process with a window class and a DC has some
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        // Private bytes where the system reports them; Wine leaves them 0 and fills the commit
        // charge (PagefileUsage) or at least the working set.
        if (memory.PrivateUsage != 0) {
            c.privateBytes = memory.PrivateUsage;
            c.memoryCounter = "PrivateUsage";
        } else if (memory.PagefileUsage != 0) {
            c.privateBytes = memory.PagefileUsage;
            c.memoryCounter = "PagefileUsage";
        } else {
            c.privateBytes = memory.WorkingSetSize;
            c.memoryCounter = "WorkingSetSize";
        }
    }
    return c;
}

// What one cycle handed out, to look at after its release.
struct Handed {
    HMENU submenu = nullptr;
    std::vector<HBITMAP> pictures;
};

// A failed step of a cycle, named on standard output so that a rare failure under load says where.
bool StepFailed(const char* step, HRESULT hr) {
    std::printf("cycle failed at %s: 0x%08lX\n", step, static_cast<unsigned long>(hr));
    return false;
}

// One cycle of Explorer's sequence on an already loaded library; false on any failed step.
bool Cycle(HMODULE library, const std::wstring& folder, Handed* handed) {
    qmtest::ShellMenuHost host;
    if (const HRESULT hr = host.CreateFrom(library); hr != S_OK) return StepFailed("CreateInstance", hr);
    if (const HRESULT hr = host.InitializeWithFolders({folder}); hr != S_OK) return StepFailed("Initialize", hr);
    const HRESULT hr = host.QueryContextMenu();
    if (!SUCCEEDED(hr) || HRESULT_CODE(hr) != kThemeIcons + 5) return StepFailed("QueryContextMenu", hr);
    if (handed) {
        const auto top = qmtest::ReadMenu(host.menu());
        if (top.size() != 1 || !top[0].submenu) return false;
        handed->submenu = top[0].submenu;
        for (const auto& item : qmtest::ReadMenu(top[0].submenu)) {
            if (item.bitmap) handed->pictures.push_back(item.bitmap);
        }
        if (top[0].checked) handed->pictures.push_back(top[0].checked);
    }
    host.Release();
    return true;
}

// One cycle of Windows 11's first menu page on the Windows 11 handler: the entry's title, icon,
// state and flags, its flyout read entry by entry, every object released. False on any failed
// step.
bool CommandCycle(HMODULE library, IShellItemArray* items) {
    const auto root = qmtest::CreateFolderCommand(library);
    if (!root) return false;
    const qmtest::CommandEntry entry = qmtest::ReadCommandEntry(root.get(), items);
    if (entry.titleResult != S_OK || entry.iconResult != S_OK || entry.state != ECS_ENABLED ||
        entry.flags != ECF_HASSUBCOMMANDS) {
        return false;
    }
    HRESULT hr = E_FAIL;
    const auto flyout = qmtest::ReadFlyout(root.get(), items, false, &hr);
    if (hr != S_OK || flyout.size() != static_cast<std::size_t>(kThemeIcons + 5)) return false;
    return flyout.back().iconResult == S_OK && flyout.back().title == std::to_wstring(kThemeIcons - 1);
}

class ShellLoad : public testing::Test {
protected:
    void SetUp() override {
        install_.SetTheme(L"Load.icl", qmtest::ThemeLibrary(kThemeIcons));
        folder_ = work_.MakeFolder(L"Loaded Folder");
        library_.reset(LoadLibraryW(install_.dll().c_str()));
        ASSERT_TRUE(library_);
        canUnload_ = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(library_.get(), "DllCanUnloadNow")));
        ASSERT_NE(canUnload_, nullptr);
    }
    // Cycles on this thread until the caches of the runtime, Wine and the library are warm.
    void WarmUp() {
        qmtest::ComApartment com;
        for (int i = 0; i < kWarmUp; ++i) ASSERT_TRUE(Cycle(library_.get(), folder_, nullptr));
    }
    void ExpectFlat(const Counters& before, const Counters& after) {
        std::printf("counters after warm-up: GDI %lu, USER %lu%s, %s %llu bytes\n", before.gdi, before.user,
                    before.guiCounted ? "" : " (not counted here)", before.memoryCounter,
                    static_cast<unsigned long long>(before.privateBytes));
        std::printf("counters at the end:    GDI %lu, USER %lu, %s %llu bytes (%+lld)\n", after.gdi, after.user,
                    after.memoryCounter, static_cast<unsigned long long>(after.privateBytes),
                    static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes));
        EXPECT_LE(after.gdi, before.gdi + kGuiObjectSlack);
        EXPECT_LE(after.user, before.user + kGuiObjectSlack);
        ASSERT_GT(before.privateBytes, 0u);
        EXPECT_LE(after.privateBytes, before.privateBytes + kPrivateBytesSlack);
        EXPECT_EQ(canUnload_(), S_OK);
    }

    qmtest::ShellInstall install_;
    qmtest::TempDir work_{L"qmload"};
    std::wstring folder_;
    qm::UniqueModule library_;
    HRESULT(STDAPICALLTYPE* canUnload_)() = nullptr;
};

TEST_F(ShellLoad, ThousandCyclesOnOneThreadLeaveNothingBehind) {
    qmtest::ComApartment com;
    ASSERT_TRUE(SUCCEEDED(com.result()));
    WarmUp();
    const Counters before = Measure();
    int failures = 0;
    std::vector<Handed> sample;
    for (int i = 0; i < kCycles; ++i) {
        Handed handed;
        if (!Cycle(library_.get(), folder_, i % 100 == 0 ? &handed : nullptr)) ++failures;
        if (i % 100 == 0) sample.push_back(std::move(handed));
    }
    const Counters after = Measure();
    EXPECT_EQ(failures, 0);
    // The menus and pictures a cycle handed out went with its release.
    for (const Handed& h : sample) {
        ASSERT_NE(h.submenu, nullptr);
        EXPECT_FALSE(IsMenu(h.submenu));
        ASSERT_EQ(h.pictures.size(), static_cast<std::size_t>(kThemeIcons + 1));
        for (HBITMAP picture : h.pictures) EXPECT_EQ(GetObjectType(picture), 0u);
    }
    ExpectFlat(before, after);
}

// Reads one pixel of the screen: a request the X server answers. Under Wine every device context
// is a graphics context on one X connection that all threads of the process share, and libX11
// (1.8.4 here) aborts in _XAllocID ("ret != inval_id") when a thread creates one while another
// thread waits for the sequence sync that Xlib sends by itself after about 65,000 requests without
// a reply. A menu of 30 pictures makes a few hundred such requests; with an answered request
// before every cycle of every thread the sync never falls due. On Windows this is a pixel read.
void AnswerDisplayConnection() {
    const HDC screen = GetDC(nullptr);
    if (!screen) return;
    GetPixel(screen, 0, 0);
    ReleaseDC(nullptr, screen);
}

// Runs `cycles` cycles spread over kThreads new shell threads, each in an apartment of its own;
// looks at what every 50th cycle handed out after its release.
struct ThreadedRun {
    int cycles = 0, failures = 0, survivors = 0;
};
ThreadedRun RunOnShellThreads(HMODULE library, const std::wstring& folder, int cycles) {
    std::atomic<int> failures{0}, done{0}, survivors{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            qmtest::ComApartment com;
            if (FAILED(com.result())) {
                ++failures;
                return;
            }
            for (int i = t; i < cycles; i += kThreads) {
                AnswerDisplayConnection();
                Handed handed;
                const bool look = i % 50 == 0;
                if (!Cycle(library, folder, look ? &handed : nullptr)) ++failures;
                if (look) {
                    if (IsMenu(handed.submenu)) ++survivors;
                    for (HBITMAP picture : handed.pictures) {
                        if (GetObjectType(picture) != 0) ++survivors;
                    }
                }
                ++done;
            }
        });
    }
    for (auto& t : threads) t.join();
    return {done.load(), failures.load(), survivors.load()};
}

TEST_F(ShellLoad, ThousandCyclesOverEightShellThreadsLeaveNothingBehind) {
    // The warm-up runs on shell threads too: the first threads of a process set up per-thread
    // state of the system (message queues, apartments, heap caches) that later threads reuse.
    WarmUp();
    const ThreadedRun warm = RunOnShellThreads(library_.get(), folder_, kCycles / 4);
    EXPECT_EQ(warm.failures, 0);
    const Counters before = Measure();
    const ThreadedRun run = RunOnShellThreads(library_.get(), folder_, kCycles);
    const Counters after = Measure();
    EXPECT_EQ(run.cycles, kCycles);
    EXPECT_EQ(run.failures, 0);
    EXPECT_EQ(run.survivors, 0);
    ExpectFlat(before, after);
}

TEST_F(ShellLoad, ThousandWindows11MenuCyclesLeaveNothingBehind) {
    qmtest::ComApartment com;
    ASSERT_TRUE(SUCCEEDED(com.result()));
    const auto items = qmtest::ShellItemsOf({folder_});
    ASSERT_TRUE(items);
    // The first cycles also write the theme's icon files into the user's cache.
    for (int i = 0; i < kWarmUp; ++i) ASSERT_TRUE(CommandCycle(library_.get(), items.get()));
    const Counters before = Measure();
    int failures = 0;
    for (int i = 0; i < kCycles; ++i) {
        if (!CommandCycle(library_.get(), items.get())) ++failures;
    }
    const Counters after = Measure();
    EXPECT_EQ(failures, 0);
    ExpectFlat(before, after);
    qmtest::RemoveTree(qm::UserCacheFolder() + L"MenuIcons");
}

}  // namespace
