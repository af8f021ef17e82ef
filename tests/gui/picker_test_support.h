#pragma once
// Fixtures shared by the GUI tests of the change-icon page, the icon picker and the custom icon
// window: the program folder (the test executable's) kept as it was, icon libraries made by our
// writer, answers to the open-file dialogs, and running test code inside the message loop of a
// modal window.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Unit1_win.h"
#include "core/base/module_path_win.h"
#include "core/icons/icon_library_writer.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"
#include "ui/dialogs_win.h"

namespace qmtest {

// The program folder's "lib.ini", "samples" folder and settings file are moved aside for the test
// and put back at the end; the test starts with no history, an empty theme store and default
// settings.
class ProgramFolderGuard {
public:
    ProgramFolderGuard() {
        const std::wstring stamp = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
        historyBackup_ = history_ + L".picker-test-" + stamp;
        storeBackup_ = store_ + L".picker-test-" + stamp;
        movedHistory_ = MoveFileW(history_.c_str(), historyBackup_.c_str()) != 0;
        movedStore_ = MoveFileW(store_.c_str(), storeBackup_.c_str()) != 0;
        CreateDirectoryW(store_.c_str(), nullptr);
    }
    ~ProgramFolderGuard() {
        SetFileAttributesW(history_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(history_.c_str());
        RemoveTree(store_);
        if (movedHistory_) MoveFileW(historyBackup_.c_str(), history_.c_str());
        if (movedStore_) MoveFileW(storeBackup_.c_str(), store_.c_str());
    }
    ProgramFolderGuard(const ProgramFolderGuard&) = delete;
    ProgramFolderGuard& operator=(const ProgramFolderGuard&) = delete;

    const std::wstring& History() const { return history_; }
    // "samples\" with a trailing backslash.
    std::wstring Store() const { return store_ + L"\\"; }
    const SettingsFileGuard& Settings() const { return settings_; }

private:
    SettingsFileGuard settings_;
    std::wstring history_ = qm::ModuleFolder() + L"lib.ini";
    std::wstring store_ = qm::ModuleFolder() + L"samples";
    std::wstring historyBackup_, storeBackup_;
    bool movedHistory_ = false, movedStore_ = false;
};

// Answers the open-file dialogs for the test's scope and records what they were asked.
class OpenFileAnswer {
public:
    explicit OpenFileAnswer(std::optional<std::wstring> answer) {
        ui::SetOpenFileSeam([this, answer](const ui::OpenFileRequest& r) {
            requests.push_back(r);
            return answer;
        });
    }
    ~OpenFileAnswer() { ui::SetOpenFileSeam(nullptr); }
    OpenFileAnswer(const OpenFileAnswer&) = delete;
    OpenFileAnswer& operator=(const OpenFileAnswer&) = delete;
    std::vector<ui::OpenFileRequest> requests;
};

// An NE icon library of `count` generated icons (icon i differs from icon j in its pixels).
inline std::vector<std::uint8_t> MakeNeLibrary(int count) {
    qm::test::IconSet set;
    set.AddGenerated(count);
    return qm::BuildNeIconLibrary(set.Icons());
}

inline std::vector<std::uint8_t> MakePeLibrary(int count) {
    qm::test::IconSet set;
    set.AddGenerated(count);
    return qm::BuildPeIconLibrary(set.Icons());
}

// Runs `action` from inside whatever message loop this thread runs next (a modal window's): a
// thread timer fires once and runs it.
class InsideModalLoop {
public:
    explicit InsideModalLoop(std::function<void()> action) {
        Pending() = std::move(action);
        timer_ = SetTimer(nullptr, 0, 50, &InsideModalLoop::Fire);
    }
    ~InsideModalLoop() {
        if (timer_) KillTimer(nullptr, timer_);
        Pending() = nullptr;
    }
    InsideModalLoop(const InsideModalLoop&) = delete;
    InsideModalLoop& operator=(const InsideModalLoop&) = delete;

private:
    static std::function<void()>& Pending() {
        static std::function<void()> pending;
        return pending;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        std::function<void()> action = std::move(Pending());
        Pending() = nullptr;
        if (action) action();
    }
    UINT_PTR timer_ = 0;
};

// The icon picker open on this thread, or nullptr.
inline qm::TForm1* OpenPicker() {
    qm::TForm1* found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM out) -> BOOL {
            if (auto* picker = dynamic_cast<qm::TForm1*>(ui::Form::FromHandle(hwnd))) {
                if (IsWindowVisible(hwnd)) {
                    *reinterpret_cast<qm::TForm1**>(out) = picker;
                    return FALSE;
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Pixels of a bitmap's rectangle that are not white.
inline int InkPixels(const ui::Bitmap& b, int width, int height) {
    int n = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) n += b.Pixel(x, y) != RGB(255, 255, 255);
    return n;
}

}  // namespace qmtest
