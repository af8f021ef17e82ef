#include "ui/dialogs_win.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <vector>

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

struct CoTaskFree {
    void operator()(void* p) const noexcept { CoTaskMemFree(p); }
};
}  // namespace

void SetBrowseFolderSeam(BrowseFolderSeam seam) { BrowseSeam() = std::move(seam); }
void SetOpenFileSeam(OpenFileSeam seam) { OpenSeam() = std::move(seam); }
void SetColourDialogSeam(ColourDialogSeam seam) { ColourSeam() = std::move(seam); }

std::optional<std::wstring> BrowseForFolder(const BrowseFolderRequest& request) {
    if (BrowseSeam()) return BrowseSeam()(request);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::optional<std::wstring> result;
    {
        BROWSEINFOW bi{};
        bi.hwndOwner = request.owner;
        bi.lpszTitle = request.title.c_str();
        bi.ulFlags = request.flags;
        std::unique_ptr<ITEMIDLIST, CoTaskFree> item(SHBrowseForFolderW(&bi));
        if (item) {
            wchar_t path[MAX_PATH + 1] = {};
            if (SHGetPathFromIDListW(item.get(), path)) result = std::wstring(path);
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
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
    if (!ChooseColorW(&cc)) return std::nullopt;
    return cc.rgbResult;
}

}  // namespace ui
