#include "app/icon_list_win.h"

#include <algorithm>
#include <cwchar>

#include "app/theme_list_win.h"
#include "core/icons/icon_library_win.h"
#include "core/icons/icon_readers.h"
#include "core/icons/picture_codec_win.h"

namespace qm {

namespace {
IconPixels Transparent(int width, int height) {
    return IconPixels{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0)};
}
}  // namespace

IconList::IconList(ui::Form& form, ui::Control* parent, ui::Bounds bounds, const wchar_t* picturesName,
                   const wchar_t* largeIconsName)
    : form_(form) {
    ListView1 = form.Add<ui::ListView>(L"ListView1", parent, bounds, ui::ListViewStyle::List, ui::ListViewData::Owner);
    if (largeIconsName) LargeIcons = form.Add<ui::ImageList>(largeIconsName, 32, 32);
    Pictures = form.Add<ui::ImageList>(picturesName, kIconPictureWidth, kIconPictureHeight);
    ListView1->SetImageList(Pictures, LVSIL_NORMAL);
    ListView1->SetImageList(Pictures, LVSIL_SMALL);
    ListView1->OnItemText = [](int item) { return std::to_wstring(item); };
    ListView1->OnItemImage = [this](int item) {
        if (item < 0 || item >= static_cast<int>(made_.size())) return -1;
        MakePictures(item, item);
        return item;
    };
    ListView1->OnCacheHint = [this](int from, int to) { MakePictures(from, to); };
}

void IconList::Empty() {
    ListView1->Clear();
    if (LargeIcons) LargeIcons->Clear();
    Pictures->Clear();
    made_.clear();
    library_.Close();
    madeIco_.clear();
    madeGroup_ = IconGroupData();
}

bool IconList::EntryGroup(int item, IconGroupData& group) const {
    if (madeIco_.empty()) return library_.Group(item, group);
    group = madeGroup_;
    return item == 0;
}

int IconList::FillWithIcon(std::vector<std::uint8_t> ico) {
    // The view's painting is off while it is filled.
    ui::RedrawPause pause(*ListView1);
    Empty();
    madeIco_ = std::move(ico);
    std::wstring failure;
    if (madeIco_.empty() || !ReadIcoFile(ByteView(madeIco_.data(), madeIco_.size()), madeGroup_, failure)) {
        madeIco_.clear();
        madeGroup_ = IconGroupData();
        return 0;
    }
    if (LargeIcons) LargeIcons->SetCount(1);
    Pictures->SetCount(1);
    made_.assign(1, false);
    ListView1->SetItemCount(1);
    return 1;
}

int IconList::Fill(const std::wstring& file) {
    if (IsPictureFile(file)) {
        Empty();
        return FillWithIcon(MakePictureIcon(file));
    }
    ui::RedrawPause pause(*ListView1);
    Empty();

    if (!library_.Open(file)) return 0;
    const int n = library_.Count();
    // Every entry has its images from the start, blank until the view first shows the entry.
    if (LargeIcons) LargeIcons->SetCount(n);
    Pictures->SetCount(n);
    made_.assign(static_cast<std::size_t>(n), false);
    ListView1->SetItemCount(n);
    return n;
}

void IconList::MakePictures(int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(made_.size()) - 1);
    const int large = form_.Metric(SM_CXICON), small = form_.Metric(SM_CXSMICON);
    IconPixels pixels;
    for (int item = from; item <= to; ++item) {
        if (made_[static_cast<std::size_t>(item)]) continue;
        made_[static_cast<std::size_t>(item)] = true;
        // An icon that cannot be made keeps transparent pictures; every entry keeps its index.
        IconPixels picture = Transparent(Pictures->Width(), Pictures->Height());
        IconPixels largeIcon = LargeIcons ? Transparent(LargeIcons->Width(), LargeIcons->Height()) : IconPixels{};
        IconGroupData group;
        if (EntryGroup(item, group)) {
            if (RenderGroupIcon(group, large, large, pixels)) {
                PlacePixels(pixels, picture, 0, 0);
                PlacePixels(pixels, largeIcon, 0, 0);
            }
            if (RenderGroupIcon(group, small, small, pixels)) {
                PlacePixels(pixels, picture, form_.Scale(34), form_.Scale(16));
            }
        }
        ReplaceAlphaPicture(*Pictures, item, std::move(picture));
        if (LargeIcons) ReplaceAlphaPicture(*LargeIcons, item, std::move(largeIcon));
    }
}

void IconList::DpiChanged() {
    made_.assign(made_.size(), false);
    // The view lays its entries out anew for the lists' new size.
    ListView1->SetImageList(Pictures, LVSIL_NORMAL);
    ListView1->SetImageList(Pictures, LVSIL_SMALL);
    ListView1->Invalidate();
}

int IconList::PicturesMade() const { return static_cast<int>(std::count(made_.begin(), made_.end(), true)); }

int IconList::SelectedIconNumber() const {
    const int item = ListView1->ItemIndex();
    if (item < 0) return -1;
    const std::wstring caption = ListView1->ItemText(item);
    wchar_t* end = nullptr;
    const long value = std::wcstol(caption.c_str(), &end, 10);
    return (end && *end == 0 && !caption.empty()) ? static_cast<int>(value) : -1;
}

}  // namespace qm
