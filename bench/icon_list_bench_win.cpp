// The icon list of the icon picker and the custom icon window (IconList, its list view and image
// lists) filled with a library of 1000 icons of 16, 32 and 48 pixels, in a shown window, until the
// window has painted and answers again (the view holds every entry; pictures are rendered for the
// entries it shows); then scrolled to its end and painted. Beside it, a list view of the same kind
// with items filled through the platform's per-icon path (ExtractIconExW of the large and small
// icon, ImageList_AddIcon), in the same run and on the same file. Goal: at most 200 ms.
//   icon_list_bench [ICONS] [ROUNDS]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/icon_list_win.h"
#include "bench/bench_clock_win.h"
#include "app/theme_list_win.h"
#include "core/icons/icon_library_win.h"
#include "core/icons/icon_library_writer.h"
#include "tests/support/files_win.h"
#include "tests/support/icon_fixtures.h"
#include "ui/form_win.h"

namespace {

using qmbench::Median;
using qmbench::Now;

// Paints what is due and handles every message waiting: the window answers again.
void UntilIdle(HWND window) {
    UpdateWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class ListForm : public ui::Form {
public:
    ListForm() {
        SetCaption(L"Icon list");
        SetClientSize(420, 300);
        icons =
            std::make_unique<qm::IconList>(*this, nullptr, ui::Bounds{0, 0, 420, 300}, L"ImageList3", L"ImageList1");
    }
    std::unique_ptr<qm::IconList> icons;
};

// The platform's path needs a list view that holds its items.
class PlatformForm : public ui::Form {
public:
    PlatformForm() {
        SetCaption(L"Icon list (platform)");
        SetClientSize(420, 300);
        view = Add<ui::ListView>(L"ListView1", nullptr, ui::Bounds{0, 0, 420, 300}, ui::ListViewStyle::List);
    }
    ui::ListView* view = nullptr;
};

// The platform's path into the same kind of list view: per icon one extraction of the large and
// the small icon, each added to an image list, then the entries.
int PlatformFill(HWND listView, const std::wstring& file, HIMAGELIST large, HIMAGELIST small) {
    SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(listView);
    ImageList_RemoveAll(large);
    ImageList_RemoveAll(small);
    const int n = static_cast<int>(ExtractIconExW(file.c_str(), -1, nullptr, nullptr, 0));
    for (int i = 0; i < n; ++i) {
        HICON l = nullptr, s = nullptr;
        ExtractIconExW(file.c_str(), i, &l, &s, 1);
        ImageList_AddIcon(large, l);
        ImageList_AddIcon(small, s);
        if (l) DestroyIcon(l);
        if (s) DestroyIcon(s);
    }
    for (int i = 0; i < n; ++i) {
        std::wstring caption = std::to_wstring(i);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.iImage = i;
        item.pszText = caption.data();
        ListView_InsertItem(listView, &item);
    }
    SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listView, nullptr, TRUE);
    return n;
}

// The renderer's part alone: both pictures of every icon rendered.
void RenderOnly(const std::wstring& file) {
    qm::IconLibrary library;
    if (!library.Open(file)) return;
    qm::IconPixels pixels;
    for (int i = 0; i < library.Count(); ++i) {
        qm::RenderLibraryIcon(library, i, 32, 32, pixels);
        qm::RenderLibraryIcon(library, i, 16, 16, pixels);
    }
}

// The theme list's strips of five themes (the shipped four and the benchmark's library).
std::vector<std::wstring> FiveThemes(const std::wstring& generated) {
    std::vector<std::wstring> themes;
    const std::wstring samples = qmtest::SourceFolder() + L"\\data\\samples\\";
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((samples + L"*.icl").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do themes.push_back(samples + found.cFileName);
        while (themes.size() < 4 && FindNextFileW(search, &found));
        FindClose(search);
    }
    themes.push_back(generated);
    return themes;
}

// The same strips through the platform: the first four large icons extracted and drawn.
void PlatformStrips(const std::vector<std::wstring>& themes) {
    for (const std::wstring& theme : themes) {
        ui::Bitmap strip(qm::kThemeStripWidth, qm::kThemeStripHeight);
        for (int i = 0; i < 4; ++i) {
            HICON large = nullptr;
            if (ExtractIconExW(theme.c_str(), i, &large, nullptr, 1) && large) {
                DrawIconEx(strip.Dc(), 2 + 35 * i, 0, large, 0, 0, 0, nullptr, DI_NORMAL);
                DestroyIcon(large);
            }
        }
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int icons = argc > 1 ? std::max(1, _wtoi(argv[1])) : 1000;
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 7;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    qmtest::IconTempDir work;
    qmtest::IconSet set;
    set.AddGenerated(icons);
    const std::wstring file = work.Write(L"Bench.icl", qm::BuildNeIconLibrary(set.Icons()));

    std::vector<double> ours, platform, rendering, scrolling, painting;
    int oursCount = 0, platformCount = 0, shownMade = 0, scrolledMade = 0;
    {
        ListForm form;
        form.Show();
        UntilIdle(form.Handle());
        const HWND listView = form.icons->ListView1->Handle();
        for (int r = 0; r < rounds; ++r) {
            const double t0 = Now();
            oursCount = form.icons->Fill(file);
            UntilIdle(form.Handle());
            ours.push_back(Now() - t0);
            shownMade = form.icons->PicturesMade();
            const double t1 = Now();
            RenderOnly(file);
            rendering.push_back(Now() - t1);
            // The end of the list scrolled into view: its pictures are rendered as it is painted.
            const double t2 = Now();
            ListView_EnsureVisible(listView, oursCount - 1, FALSE);
            UntilIdle(form.Handle());
            scrolling.push_back(Now() - t2);
            scrolledMade = form.icons->PicturesMade();
            InvalidateRect(form.Handle(), nullptr, TRUE);
            InvalidateRect(listView, nullptr, TRUE);
            const double t3 = Now();
            UntilIdle(form.Handle());
            painting.push_back(Now() - t3);
        }
        form.Hide();
    }
    {
        PlatformForm form;
        form.Show();
        UntilIdle(form.Handle());
        const HWND listView = form.view->Handle();
        HIMAGELIST large = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 8, 8);
        HIMAGELIST small = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
        // The platform's lists go into the view for its rounds, and out again before it goes.
        ListView_SetImageList(listView, large, LVSIL_NORMAL);
        ListView_SetImageList(listView, small, LVSIL_SMALL);
        for (int r = 0; r < rounds; ++r) {
            const double t0 = Now();
            platformCount = PlatformFill(listView, file, large, small);
            UntilIdle(form.Handle());
            platform.push_back(Now() - t0);
        }
        ListView_DeleteAllItems(listView);
        ListView_SetImageList(listView, nullptr, LVSIL_NORMAL);
        ListView_SetImageList(listView, nullptr, LVSIL_SMALL);
        ImageList_Destroy(large);
        ImageList_Destroy(small);
        form.Hide();
    }
    std::wprintf(L"library of %d icons (NE, 16/32/48 pixel images), %d rounds, median until the window answers:\n",
                 icons, rounds);
    std::wprintf(L"  IconList::Fill (owner data, shown entries rendered): %8.1f ms  (%d entries)\n", Median(ours),
                 oursCount);
    std::wprintf(L"  pictures made for the entries shown:                 %8d\n", shownMade);
    std::wprintf(L"  then scrolled to the last entry and painted:         %8.1f ms  (%d pictures made)\n",
                 Median(scrolling), scrolledMade);
    std::wprintf(L"  then painted again (pictures already made):          %8.1f ms\n", Median(painting));
    std::wprintf(L"  for comparison, rendering every icon's pictures:     %8.1f ms\n", Median(rendering));
    std::wprintf(L"  ExtractIconExW + ImageList_AddIcon per icon:         %8.1f ms  (%d entries)\n", Median(platform),
                 platformCount);
    std::wprintf(L"  ratio: %.1fx\n", Median(platform) / std::max(Median(ours), 0.001));

    const std::vector<std::wstring> themes = FiveThemes(file);
    std::vector<double> strips, platformStrips;
    for (int r = 0; r < rounds; ++r) {
        const double t0 = Now();
        for (const std::wstring& theme : themes) qm::MakeThemeStrip(theme, ui::SystemColor(COLOR_BTNFACE));
        strips.push_back(Now() - t0);
        const double t1 = Now();
        PlatformStrips(themes);
        platformStrips.push_back(Now() - t1);
    }
    std::wprintf(L"theme list strips of %d themes, median:\n", static_cast<int>(themes.size()));
    std::wprintf(L"  MakeThemeStrip (our renderer):                      %8.1f ms\n", Median(strips));
    std::wprintf(L"  ExtractIconExW + DrawIconEx of four icons a theme:  %8.1f ms\n", Median(platformStrips));
    CoUninitialize();
    return 0;
}
