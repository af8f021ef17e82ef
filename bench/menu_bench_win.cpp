// The folder menu of a large theme: the extension's QueryContextMenu (theme file parsed once,
// each picture rendered from its group by our icon renderer into a 32-bit DIB section) against
// the same menu built with one ExtractIconExW call per icon after a count call, in the same run
// and on the same file. Goal: at most 50 ms for 1000 icons and at least 20 times faster.
// Beside it, the double-click path: QueryContextMenu with CMF_DEFAULTONLY (Explorer asks it on
// every folder double-click) against an empty call of the same method (CMF_VERBSONLY, refused at
// once). Goal: the same cost, whatever the theme.
//   menu_bench [ICONS] [ROUNDS]
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/bench_clock_win.h"
#include "core/base/handles_win.h"
#include "core/icons/icon_library_win.h"
#include "tests/support/com_client_win.h"

namespace {

using qmbench::Median;
using qmbench::Now;

// Icon entry i at the top of the submenu, as the extension describes it.
void InsertIconEntry(HMENU submenu, int i, HBITMAP picture) {
    std::wstring caption = std::to_wstring(i);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_BITMAP;
    item.wID = 105 + static_cast<UINT>(i);
    item.hbmpItem = picture;
    item.dwTypeData = caption.data();
    InsertMenuItemW(submenu, 0, TRUE, &item);
}

// The menu built as the letter describes it: count, then per icon one extraction of the large
// and the small image, the small one drawn on the menu colour, the entry inserted at the top.
int ExtractIconExMenu(const std::wstring& theme, std::vector<qm::UniqueBitmap>& pictures) {
    qm::UniqueMenu submenu(CreatePopupMenu());
    const int n = static_cast<int>(ExtractIconExW(theme.c_str(), -1, nullptr, nullptr, 0));
    qm::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    for (int i = n - 1; i >= 0; --i) {
        HICON large = nullptr, small = nullptr;
        ExtractIconExW(theme.c_str(), i, &large, &small, 1);
        qm::UniqueIcon keepLarge(large), keepSmall(small);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 16;
        info.bmiHeader.biHeight = 16;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        qm::UniqueBitmap picture(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        const HGDIOBJ old = SelectObject(dc.get(), picture.get());
        const RECT all{0, 0, 16, 16};
        FillRect(dc.get(), &all, GetSysColorBrush(COLOR_MENU));
        if (small) DrawIconEx(dc.get(), 0, 0, small, 16, 16, 0, nullptr, DI_NORMAL);
        SelectObject(dc.get(), old);
        InsertIconEntry(submenu.get(), i, picture.get());
        pictures.push_back(std::move(picture));
    }
    return n;
}

// Only the menu's part: the same number of entries with one shared picture, inserted at the top.
void InsertionOnly(int n) {
    qm::UniqueMenu submenu(CreatePopupMenu());
    qm::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    qm::UniqueBitmap picture(CreateCompatibleBitmap(dc.get(), 16, 16));
    for (int i = n - 1; i >= 0; --i) {
        InsertIconEntry(submenu.get(), i, picture.get());
    }
}

// The renderer's part alone: every icon's group read and rendered at 16 pixels.
void RenderOnly(const std::wstring& theme) {
    qm::IconLibrary library;
    if (!library.Open(theme)) return;
    qm::IconPixels pixels;
    for (int i = 0; i < library.Count(); ++i) qm::RenderLibraryIcon(library, i, 16, 16, pixels);
}

// The bitmaps' part alone: as many 32-bit DIB sections.
void BitmapsOnly(int n) {
    std::vector<qm::UniqueBitmap> bitmaps;
    for (int i = 0; i < n; ++i) bitmaps.push_back(qm::MakeAlphaBitmap(16, 16, nullptr));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int icons = argc > 1 ? std::max(1, _wtoi(argv[1])) : 1000;
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 7;
    qmtest::ComApartment com;
    qmtest::ShellInstall install;
    install.SetTheme(L"Bench.icl", qmtest::ThemeLibrary(icons));
    qmtest::TempDir work(L"qmbench");
    const std::wstring folder = work.MakeFolder(L"folder");
    qm::UniqueModule library(LoadLibraryW(install.dll().c_str()));
    if (!library) {
        std::fwprintf(stderr, L"cannot load %ls\n", install.dll().c_str());
        return 1;
    }

    std::vector<double> ours, letter, insertion, rendering, bitmaps, defaultOnly, emptyCall;
    constexpr int kCalls = 1000;  // calls per figure of the double-click path
    int oursIds = 0, letterIcons = 0;
    for (int r = 0; r < rounds; ++r) {
        qmtest::ShellMenuHost host;
        if (host.CreateFrom(library.get()) != S_OK || host.InitializeWithFolders({folder}) != S_OK) return 1;
        const double t0 = Now();
        const HRESULT hr = host.QueryContextMenu();
        ours.push_back(Now() - t0);
        oursIds = HRESULT_CODE(hr);

        const qm::UniqueMenu shellMenu(CreatePopupMenu());
        IContextMenu* handler = host.menuHandler();
        const double t5 = Now();
        for (int i = 0; i < kCalls; ++i) handler->QueryContextMenu(shellMenu.get(), 0, 100, 0x7FFF, CMF_DEFAULTONLY);
        defaultOnly.push_back((Now() - t5) * 1000.0 / kCalls);
        const double t6 = Now();
        for (int i = 0; i < kCalls; ++i) handler->QueryContextMenu(shellMenu.get(), 0, 100, 0x7FFF, CMF_VERBSONLY);
        emptyCall.push_back((Now() - t6) * 1000.0 / kCalls);
        if (GetMenuItemCount(shellMenu.get()) != 0) return 1;

        std::vector<qm::UniqueBitmap> pictures;
        const double t1 = Now();
        letterIcons = ExtractIconExMenu(install.ThemePath(L"Bench.icl"), pictures);
        letter.push_back(Now() - t1);

        const double t2 = Now();
        InsertionOnly(icons);
        insertion.push_back(Now() - t2);

        const double t3 = Now();
        RenderOnly(install.ThemePath(L"Bench.icl"));
        rendering.push_back(Now() - t3);

        const double t4 = Now();
        BitmapsOnly(icons);
        bitmaps.push_back(Now() - t4);
    }
    std::wprintf(L"theme of %d icons (NE library), %d rounds, median per menu:\n", icons, rounds);
    std::wprintf(L"  QueryContextMenu (our renderer, 32-bit DIBs):     %8.1f ms  (%d identifiers)\n", Median(ours),
                 oursIds);
    std::wprintf(L"  ExtractIconExW once per icon:                      %8.1f ms  (%d icons)\n", Median(letter),
                 letterIcons);
    std::wprintf(L"  of which inserting %d entries alone:               %8.1f ms\n", icons, Median(insertion));
    std::wprintf(L"  of which rendering %d pictures alone:              %8.1f ms\n", icons, Median(rendering));
    std::wprintf(L"  of which making %d DIB sections alone:            %8.1f ms\n", icons, Median(bitmaps));
    std::wprintf(L"  ratio: %.1fx\n", Median(letter) / std::max(Median(ours), 0.001));
    std::wprintf(L"double-click path, median per call over %d calls a round:\n", kCalls);
    std::wprintf(L"  QueryContextMenu with CMF_DEFAULTONLY:            %8.3f us\n", Median(defaultOnly));
    std::wprintf(L"  empty call (CMF_VERBSONLY, refused at once):      %8.3f us\n", Median(emptyCall));
    return 0;
}
