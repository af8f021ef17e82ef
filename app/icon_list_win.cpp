#include "app/icon_list_win.h"

#include <algorithm>
#include <cwchar>

#include "app/theme_list_win.h"
#include "core/icons/icon_library_win.h"

namespace qm {

namespace {
constexpr int kIconBatch = 64;

// Turns the view's painting off while it is filled, and back on (and repaints) at the end.
class RedrawPause {
public:
    explicit RedrawPause(HWND hwnd) : hwnd_(hwnd) { SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawPause() {
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND hwnd_;
};
}  // namespace

IconList::IconList(ui::Form& form, ui::Control* parent, ui::Bounds bounds, const wchar_t* picturesName,
                   const wchar_t* largeIconsName) {
    ListView1 = form.Add<ui::ListView>(L"ListView1", parent, bounds, ui::ListViewStyle::List);
    if (largeIconsName) LargeIcons = form.Add<ui::ImageList>(largeIconsName, 32, 32);
    Pictures = form.Add<ui::ImageList>(picturesName, kIconPictureWidth, kIconPictureHeight);
    ListView1->SetImageList(Pictures, LVSIL_NORMAL);
    ListView1->SetImageList(Pictures, LVSIL_SMALL);
}

int IconList::Fill(const std::wstring& file) {
    RedrawPause pause(ListView1->Handle());
    ListView1->Clear();
    if (LargeIcons) LargeIcons->Clear();
    Pictures->Clear();

    IconLibrary library;
    if (!library.Open(file)) return 0;
    const int n = library.Count();
    const int large = GetSystemMetrics(SM_CXICON), small = GetSystemMetrics(SM_CXSMICON);
    // The pictures are rendered side by side into one strip per batch (our renderer, no icon
    // objects) and added to the image lists batch by batch: adding them one at a time regrows the
    // lists for every few icons.
    auto emptyStrip = [](int width, int height) {
        return IconPixels{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0)};
    };
    IconPixels pixels;
    for (int first = 0; first < n; first += kIconBatch) {
        const int count = std::min(kIconBatch, n - first);
        IconPixels pictures = emptyStrip(kIconPictureWidth * count, kIconPictureHeight);
        IconPixels largeIcons = emptyStrip(32 * count, 32);
        for (int j = 0; j < count; ++j) {
            // An icon that cannot be made leaves its pictures empty; every entry keeps its index.
            IconGroupData group;
            if (!library.Group(first + j, group)) continue;
            const int x = j * kIconPictureWidth;
            if (RenderGroupIcon(group, large, large, pixels)) {
                PlacePixels(pixels, pictures, x, 0);
                PlacePixels(pixels, largeIcons, j * 32, 0);
            }
            if (RenderGroupIcon(group, small, small, pixels)) PlacePixels(pixels, pictures, x + 34, 16);
        }
        AddAlphaPictures(*Pictures, std::move(pictures));
        if (LargeIcons) AddAlphaPictures(*LargeIcons, std::move(largeIcons));
    }
    for (int i = 0; i < n; ++i) ListView1->AddItem(std::to_wstring(i), i);
    return n;
}

int IconList::SelectedIconNumber() const {
    const int item = ListView1->ItemIndex();
    if (item < 0) return -1;
    const std::wstring caption = ListView1->ItemText(item);
    wchar_t* end = nullptr;
    const long value = std::wcstol(caption.c_str(), &end, 10);
    return (end && *end == 0 && !caption.empty()) ? static_cast<int>(value) : -1;
}

}  // namespace qm
