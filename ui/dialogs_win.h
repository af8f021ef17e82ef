#pragma once
// The folder browser, the open-file dialog and the colour dialog, through one seam each so that tests can answer them
// instead of the user. Message boxes are not behind a seam: tests read and answer real ones.
#include <windows.h>
#include <shlobj.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace ui {

struct BrowseFolderRequest {
    HWND owner = nullptr;
    std::wstring title;
    UINT flags = BIF_RETURNONLYFSDIRS_VALUE;
    static constexpr UINT BIF_RETURNONLYFSDIRS_VALUE = 0x0001;
};

struct OpenFileRequest {
    HWND owner = nullptr;
    std::wstring title;
    std::wstring filter;  // "Description|patterns|..."
    std::wstring initialFolder;
    std::wstring fileName;
};

struct ChooseColourRequest {
    HWND owner = nullptr;
    COLORREF initial = RGB(0, 0, 0);
    std::array<COLORREF, 16> custom{};  // the dialog's row of custom colours
};

// The chosen folder's file-system path, or nothing when the user cancels. Without a seam:
// SHBrowseForFolderW with no root and no callback, then FileSystemPathOf.
std::optional<std::wstring> BrowseForFolder(const BrowseFolderRequest& request);
// The file-system path of a shell item, of any length (SHGetPathFromIDListEx with a buffer that
// grows), or nothing when it has none (a virtual folder).
std::optional<std::wstring> FileSystemPathOf(PCIDLIST_ABSOLUTE item);
// The chosen file, or nothing when the user cancels. Without a seam: GetOpenFileNameW.
std::optional<std::wstring> ShowOpenFileDialog(const OpenFileRequest& request);

// The chosen colour, or nothing when the user cancels. Without a seam: ChooseColorW, opened full
// with the initial colour.
std::optional<COLORREF> ShowColourDialog(const ChooseColourRequest& request);

using BrowseFolderSeam = std::function<std::optional<std::wstring>(const BrowseFolderRequest&)>;
using OpenFileSeam = std::function<std::optional<std::wstring>(const OpenFileRequest&)>;
using ColourDialogSeam = std::function<std::optional<COLORREF>(const ChooseColourRequest&)>;
// Tests: answer the dialog instead of showing it (an empty function restores the real dialog).
void SetBrowseFolderSeam(BrowseFolderSeam seam);
void SetOpenFileSeam(OpenFileSeam seam);
void SetColourDialogSeam(ColourDialogSeam seam);

// Tests: answers in place of SHGetPathFromIDListEx (the same arguments and answers; an empty
// function restores the platform's).
using PathFromItemSeam = std::function<BOOL(PCIDLIST_ABSOLUTE, PWSTR, DWORD, GPFIDL_FLAGS)>;
void SetPathFromItemSeam(PathFromItemSeam seam);
// Tests: called by the real colour dialog's hook when it opens (WM_INITDIALOG), on the thread of the
// ChooseColorW call and while it runs; it may end the dialog.
using ColourDialogOpenedObserver = std::function<void(HWND dialog)>;
void SetColourDialogOpenedObserver(ColourDialogOpenedObserver observer);

// "A|b|C|d" -> "A\0b\0C\0d\0\0", the form the platform's filter takes.
std::wstring FilterForPlatform(const std::wstring& filter);

}  // namespace ui
