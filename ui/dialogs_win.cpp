#include "ui/dialogs_win.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/base/handles_win.h"
#include "ui/dpi_win.h"

namespace ui {

namespace {
BrowseFolderSeam& BrowseSeam() {
    static BrowseFolderSeam seam;
    return seam;
}
OpenFileSeam& OpenSeam() {
    static OpenFileSeam seam;
    return seam;
}
ColourDialogSeam& ColourSeam() {
    static ColourDialogSeam seam;
    return seam;
}
PathFromItemSeam& PathSeam() {
    static PathFromItemSeam seam;
    return seam;
}
ColourDialogOpenedObserver& ColourOpened() {
    static ColourDialogOpenedObserver observer;
    return observer;
}

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG && ColourOpened()) ColourOpened()(dialog);
    return 0;  // the dialog's own handling goes on
}
}  // namespace

void SetBrowseFolderSeam(BrowseFolderSeam seam) { BrowseSeam() = std::move(seam); }
void SetOpenFileSeam(OpenFileSeam seam) { OpenSeam() = std::move(seam); }
void SetColourDialogSeam(ColourDialogSeam seam) { ColourSeam() = std::move(seam); }
void SetPathFromItemSeam(PathFromItemSeam seam) { PathSeam() = std::move(seam); }
void SetColourDialogOpenedObserver(ColourDialogOpenedObserver observer) { ColourOpened() = std::move(observer); }

std::optional<std::wstring> FileSystemPathOf(PCIDLIST_ABSOLUTE item) {
    // SHGetPathFromIDListEx answers FALSE both for a buffer too small and for an item outside the
    // file system: the buffer doubles up to the longest path Windows has (32,767 characters and
    // the terminating zero), where a FALSE means the item has no path.
    constexpr DWORD kLongestPath = 32768;
    std::vector<wchar_t> path;
    for (DWORD size = MAX_PATH;; size = std::min(size * 2, kLongestPath)) {
        path.assign(size, L'\0');
        const BOOL got = PathSeam() ? PathSeam()(item, path.data(), size, GPFIDL_DEFAULT)
                                    : SHGetPathFromIDListEx(item, path.data(), size, GPFIDL_DEFAULT);
        if (got) return std::wstring(path.data());
        if (size == kLongestPath) return std::nullopt;
    }
}

std::optional<std::wstring> BrowseForFolder(const BrowseFolderRequest& request) {
    if (BrowseSeam()) return BrowseSeam()(request);
    const qm::ComApartment apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    BROWSEINFOW bi{};
    bi.hwndOwner = request.owner;
    bi.lpszTitle = request.title.c_str();
    bi.ulFlags = request.flags;
    const qm::UniqueCoTaskMem<ITEMIDLIST> item(SHBrowseForFolderW(&bi));
    if (!item) return std::nullopt;
    return FileSystemPathOf(item.get());
}

std::wstring FilterForPlatform(const std::wstring& filter) {
    std::wstring out = filter;
    for (auto& ch : out) {
        if (ch == L'|') ch = L'\0';
    }
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

std::optional<std::wstring> ShowOpenFileDialog(const OpenFileRequest& request) {
    if (OpenSeam()) return OpenSeam()(request);
    std::vector<wchar_t> file(32768, L'\0');
    request.fileName.copy(file.data(), std::min<std::size_t>(request.fileName.size(), file.size() - 1));
    const std::wstring filter = FilterForPlatform(request.filter);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner;
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    return std::wstring(file.data());
}

std::optional<COLORREF> ShowColourDialog(const ChooseColourRequest& request) {
    if (ColourSeam()) return ColourSeam()(request);
    std::array<COLORREF, 16> custom = request.custom;
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = request.owner;
    cc.rgbResult = request.initial;
    cc.lpCustColors = custom.data();
    cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (ColourOpened()) {
        cc.Flags |= CC_ENABLEHOOK;
        cc.lpfnHook = ColourDialogHook;
    }
    // The common colour dialog does not rescale itself under per-monitor v2: system aware, Windows
    // stretches it on a monitor of another DPI instead of leaving it at the size of the first.
    const ThreadDpiContextScope systemAware(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
    if (!ChooseColorW(&cc)) return std::nullopt;
    return cc.rgbResult;
}

}  // namespace ui
