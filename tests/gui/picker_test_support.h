#pragma once
// Fixtures shared by the GUI tests of the change-icon page, the icon picker and the custom icon
// window: the program folder (the test executable's) kept as it was, icon libraries made by our
// writer, answers to the open-file dialogs, and running test code inside the message loop of a
// modal window.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/icon_picker_window_win.h"
#include "core/settings/history_file.h"
#include "core/base/module_path_win.h"
#include "core/icons/icon_library_writer.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/gui_driver_win.h"
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

// Answers a dialog seam (open-file dialog, folder browser, colour dialog) for the test's scope and
// records what the dialog was asked.
template <class Request, class Answer, void (*SetSeam)(std::function<std::optional<Answer>(const Request&)>)>
class DialogAnswer {
public:
    explicit DialogAnswer(std::optional<Answer> answer) {
        SetSeam([this, answer](const Request& r) {
            requests.push_back(r);
            return answer;
        });
    }
    ~DialogAnswer() { SetSeam(nullptr); }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;
    std::vector<Request> requests;
};
using OpenFileAnswer = DialogAnswer<ui::OpenFileRequest, std::wstring, &ui::SetOpenFileSeam>;
using FolderBrowserAnswer = DialogAnswer<ui::BrowseFolderRequest, std::wstring, &ui::SetBrowseFolderSeam>;
using ColourDialogAnswer = DialogAnswer<ui::ChooseColourRequest, COLORREF, &ui::SetColourDialogSeam>;

// The "+" button of a window with a theme list, pressed over an empty store with `library`
// answered: the dialog's title and filter, the theme installed and listed at once with its strip;
// then a cancelled dialog installs nothing.
inline void ExpectPlusInstallsAndLists(ui::Button& plus, ui::ListBox& themes, ui::ImageList& strips,
                                       const std::wstring& library, const std::wstring& store) {
    const std::wstring name = library.substr(library.find_last_of(L"\\/") + 1);
    ASSERT_EQ(themes.Count(), 0);
    {
        OpenFileAnswer answer(library);
        Click(plus);
        ASSERT_EQ(answer.requests.size(), 1u);
        EXPECT_EQ(answer.requests[0].title, L"Add Theme to collection");
        EXPECT_EQ(answer.requests[0].filter,
                  L"Icon Library ( *.icl )|*.icl|iColorFolder Theme ( iColorFolder.dll )|iColorFolder.dll");
    }
    EXPECT_TRUE(Exists(store + name));
    EXPECT_EQ(themes.Items(), std::vector<std::wstring>{name});
    EXPECT_EQ(strips.Count(), 1);
    OpenFileAnswer cancel(std::nullopt);
    Click(plus);
    EXPECT_EQ(cancel.requests.size(), 1u);
    EXPECT_EQ(themes.Count(), 1);
}

// An NE icon library of `count` generated icons (icon i differs from icon j in its pixels).
inline std::vector<std::uint8_t> MakeNeLibrary(int count) {
    qmtest::IconSet set;
    set.AddGenerated(count);
    return qm::BuildNeIconLibrary(set.Icons());
}

inline std::vector<std::uint8_t> MakePeLibrary(int count) {
    qmtest::IconSet set;
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
