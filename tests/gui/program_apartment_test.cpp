// The program initialises its UI thread as a single-threaded COM apartment, as the shell asks before
// ShellExecute (the language page's download link, the about window's mail link), once and before
// any window, and uninitialises it when the mode ends. Each mode runs through RunProgram on a fresh
// thread of the test process:
// - an initialize spy (CoRegisterInitializeSpy) on that thread records every CoInitializeEx with
//   its flags and whether the thread had a window yet;
// - a thread timer, which fires inside any message loop of the thread (the forms' and a message
//   box's), asks CoGetApartmentType while the mode's window is up, then closes it.
// Wine's imm32, like Windows', initialises an apartment by itself (COINIT_APARTMENTTHREADED only)
// when a thread makes its first window and drops it with the thread's last one, so the apartment
// seen while a window is up does not tell the program's own from it: the first initialisation, its
// flags and the moment it came do.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>
#include <thread>
#include <vector>

#include "app/program_win.h"
#include "tests/support/files_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/settings_backup_win.h"

namespace {

struct Seen {
    bool windowUp = false;  // a visible window of the mode was there when the apartment was asked
    HRESULT hr = E_FAIL;
    APTTYPE type = APTTYPE_CURRENT;
};
thread_local Seen* t_seen = nullptr;

struct Initialisation {
    DWORD flags = 0;
    DWORD refsBefore = 0;  // the thread's apartment references before this call
    bool hadWindow = false;
};

BOOL CALLBACK AnyWindow(HWND, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

// Records the CoInitializeEx calls of the thread it is registered on.
class InitializeSpy : public IInitializeSpy {
public:
    std::vector<Initialisation> calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IInitializeSpy) {
            *out = static_cast<IInitializeSpy*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the stack of its thread
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE PreInitialize(DWORD flags, DWORD refs) override {
        bool window = false;
        EnumThreadWindows(GetCurrentThreadId(), AnyWindow, reinterpret_cast<LPARAM>(&window));
        calls.push_back({flags, refs, window});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostInitialize(HRESULT hr, DWORD, DWORD) override { return hr; }
    HRESULT STDMETHODCALLTYPE PreUninitialize(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostUninitialize(DWORD) override { return S_OK; }
};

BOOL CALLBACK CloseVisible(HWND hwnd, LPARAM found) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    // A message box ends with its OK button; a form with WM_CLOSE.
    if (std::wstring(cls) == L"#32770") {
        PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    } else {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

void CALLBACK AskThenClose(HWND, UINT, UINT_PTR, DWORD) {
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), CloseVisible, reinterpret_cast<LPARAM>(&found));
    if (!found || t_seen->windowUp) return;
    t_seen->windowUp = true;
    APTTYPEQUALIFIER qualifier{};
    t_seen->hr = CoGetApartmentType(&t_seen->type, &qualifier);
}

struct ModeRun {
    std::vector<Initialisation> initialisations;
    Seen during;
    HRESULT afterHr = E_FAIL;
    APTTYPE afterType = APTTYPE_CURRENT;
};

ModeRun RunMode(const std::wstring& commandLine) {
    ModeRun run;
    std::thread thread([&] {
        t_seen = &run.during;
        InitializeSpy spy;
        ULARGE_INTEGER cookie{};
        const bool spying = SUCCEEDED(CoRegisterInitializeSpy(&spy, &cookie));
        const UINT_PTR timer = SetTimer(nullptr, 0, 200, AskThenClose);
        qm::RunProgram(commandLine);
        KillTimer(nullptr, timer);
        if (spying) {
            CoRevokeInitializeSpy(cookie);
            run.initialisations = spy.calls;
        }
        APTTYPEQUALIFIER qualifier{};
        run.afterHr = CoGetApartmentType(&run.afterType, &qualifier);
    });
    thread.join();
    return run;
}

class ProgramApartment : public testing::Test {
protected:
    qmtest::ScopedSettingsFile settings_;
    qmtest::ScopedCurrentLanguage english_{L"English"};
};

TEST_F(ProgramApartment, EveryModeRunsInASingleThreadedApartmentThatEndsWithIt) {
    qmtest::TempDir dir;
    const std::wstring folder = dir.MakeFolder(L"Holiday");
    const std::wstring notATheme = dir / L"notes.txt";
    qmtest::WriteBytes(notATheme, {'x'});
    const struct {
        const char* mode;
        std::wstring commandLine;
    } modes[] = {
        {"main", L"Quillmark.exe"},
        {"about", L"Quillmark.exe /ABOUT"},
        {"theme", L"Quillmark.exe /THEME"},
        {"custom", L"Quillmark.exe /CUSTOM \"" + folder + L"\""},
        {"install (its message box)", L"Quillmark.exe /INSTALL \"" + notATheme + L"\""},
    };
    for (const auto& m : modes) {
        const ModeRun run = RunMode(m.commandLine);
        // The first initialisation of the thread is the program's: an STA without OLE1 DDE, before
        // any window.
        ASSERT_FALSE(run.initialisations.empty()) << m.mode;
        const Initialisation& first = run.initialisations.front();
        EXPECT_EQ(first.flags, static_cast<DWORD>(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) << m.mode;
        EXPECT_EQ(first.refsBefore, 0u) << m.mode;
        EXPECT_FALSE(first.hadWindow) << m.mode;
        ASSERT_TRUE(run.during.windowUp) << m.mode;
        EXPECT_EQ(run.during.hr, S_OK) << m.mode;
        // The main single-threaded apartment when it is the process's first.
        EXPECT_TRUE(run.during.type == APTTYPE_STA || run.during.type == APTTYPE_MAINSTA) << m.mode;
        // Uninitialised again: no apartment (or the process's implicit multithreaded one).
        EXPECT_TRUE(run.afterHr == CO_E_NOTINITIALIZED || run.afterType == APTTYPE_MTA)
            << m.mode << ": " << std::hex << run.afterHr << " type " << run.afterType;
    }
}

}  // namespace
