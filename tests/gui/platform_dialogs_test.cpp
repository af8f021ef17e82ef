// The platform's dialogs behind ui/dialogs_win.h, opened for real:
// - the colour dialog runs in a system-aware thread DPI context (the common dialog does not rescale
//   itself under per-monitor v2; system-aware, Windows stretches it on a monitor of another DPI),
//   and the caller's context comes back after it, whichever way it ends. Its hook sees the context
//   inside the ChooseColorW call.
// - the folder browser's path of the chosen item: a real item gives its folder; paths of MAX_PATH
//   characters and more come back whole. Wine's shell makes no item of such a path (see
//   tests/README.md), so the long cases answer through a seam as SHGetPathFromIDListEx does on
//   Windows: FALSE until the buffer holds the path and its terminating zero.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/files_win.h"
#include "ui/dialogs_win.h"

namespace {

struct ItemFree {
    void operator()(ITEMIDLIST* p) const noexcept { CoTaskMemFree(p); }
};
using UniqueItem = std::unique_ptr<ITEMIDLIST, ItemFree>;

// ---- colour dialog ------------------------------------------------------------------------------

TEST(ColourDialog, OpensInASystemAwareThreadContextAndGivesTheCallersBack) {
    const struct {
        const char* name;
        DPI_AWARENESS_CONTEXT callers;  // nullptr: the thread's own (the process's per-monitor context)
        WPARAM button;
    } cases[] = {
        {"own context, Cancel", nullptr, IDCANCEL},
        {"own context, OK", nullptr, IDOK},
        {"unaware thread, OK", DPI_AWARENESS_CONTEXT_UNAWARE, IDOK},
    };
    for (const auto& c : cases) {
        const DPI_AWARENESS_CONTEXT own = c.callers ? SetThreadDpiAwarenessContext(c.callers) : nullptr;
        const DPI_AWARENESS_CONTEXT before = GetThreadDpiAwarenessContext();
        // Otherwise the check below could not tell the dialog's context from the caller's.
        ASSERT_FALSE(AreDpiAwarenessContextsEqual(before, DPI_AWARENESS_CONTEXT_SYSTEM_AWARE)) << c.name;
        int opened = 0;
        DPI_AWARENESS_CONTEXT during = nullptr;
        ui::SetColourDialogOpenedObserver([&](HWND dialog) {
            ++opened;
            during = GetThreadDpiAwarenessContext();
            PostMessageW(dialog, WM_COMMAND, c.button, 0);
        });
        ui::ChooseColourRequest request;
        request.initial = RGB(12, 34, 56);
        const std::optional<COLORREF> chosen = ui::ShowColourDialog(request);
        ui::SetColourDialogOpenedObserver({});
        const DPI_AWARENESS_CONTEXT after = GetThreadDpiAwarenessContext();
        if (own) SetThreadDpiAwarenessContext(own);

        EXPECT_EQ(opened, 1) << c.name;
        EXPECT_TRUE(during && AreDpiAwarenessContextsEqual(during, DPI_AWARENESS_CONTEXT_SYSTEM_AWARE)) << c.name;
        EXPECT_TRUE(AreDpiAwarenessContextsEqual(after, before)) << c.name;
        if (c.button == IDOK) {
            ASSERT_TRUE(chosen) << c.name;
            EXPECT_EQ(*chosen, RGB(12, 34, 56)) << c.name;
        } else {
            EXPECT_FALSE(chosen) << c.name;
        }
    }
}

// ---- the folder browser's path -------------------------------------------------------------------

TEST(FolderBrowserPath, ARealItemGivesItsFolderAndAVirtualOneNothing) {
    qmtest::TempDir dir;
    const std::wstring folder = dir.MakeFolder(L"Holiday photos");
    UniqueItem item(ILCreateFromPathW(folder.c_str()));
    ASSERT_TRUE(item);
    EXPECT_EQ(ui::FileSystemPathOf(item.get()), std::optional<std::wstring>(folder));

    ITEMIDLIST* computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    UniqueItem virtualItem(computer);
    EXPECT_EQ(ui::FileSystemPathOf(virtualItem.get()), std::nullopt);
}

// SHGetPathFromIDListEx as Windows answers for an item of `path`, recording the buffer sizes asked.
ui::PathFromItemSeam AnswerAs(const std::wstring& path, std::vector<DWORD>& asked) {
    return [path, &asked](PCIDLIST_ABSOLUTE, PWSTR buffer, DWORD size, GPFIDL_FLAGS flags) -> BOOL {
        asked.push_back(size);
        if (flags != GPFIDL_DEFAULT || size <= path.size()) {
            if (size) buffer[0] = L'\0';
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        path.copy(buffer, path.size());
        buffer[path.size()] = L'\0';
        return TRUE;
    };
}

TEST(FolderBrowserPath, PathsOfAnyLengthComeBackWhole) {
    qmtest::TempDir dir;
    UniqueItem item(ILCreateFromPathW(dir.path().c_str()));
    ASSERT_TRUE(item);
    // Lengths around MAX_PATH and up to the longest path Windows has (32,767 with its zero).
    for (const std::size_t length : {40u, 259u, 260u, 261u, 300u, 520u, 1000u, 32766u}) {
        std::wstring path = L"C:\\";
        while (path.size() < length)
            path += path.size() % 9 == 8 ? L'\\' : static_cast<wchar_t>(L'a' + path.size() % 26);
        path.resize(length);
        std::vector<DWORD> asked;
        ui::SetPathFromItemSeam(AnswerAs(path, asked));
        const std::optional<std::wstring> got = ui::FileSystemPathOf(item.get());
        ui::SetPathFromItemSeam({});
        ASSERT_TRUE(got) << length;
        EXPECT_EQ(*got, path) << length;
        ASSERT_FALSE(asked.empty());
        EXPECT_GT(asked.back(), path.size()) << length;
        EXPECT_LE(asked.size(), 10u) << length;  // the buffer grows by steps, not a character at a time
    }
}

TEST(FolderBrowserPath, AnItemThatNeverFitsEndsAtTheLongestPath) {
    qmtest::TempDir dir;
    UniqueItem item(ILCreateFromPathW(dir.path().c_str()));
    ASSERT_TRUE(item);
    std::vector<DWORD> asked;
    ui::SetPathFromItemSeam(AnswerAs(std::wstring(40000, L'a'), asked));
    EXPECT_EQ(ui::FileSystemPathOf(item.get()), std::nullopt);
    ui::SetPathFromItemSeam({});
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), 32768u);
    EXPECT_LE(asked.size(), 10u);
}

}  // namespace
