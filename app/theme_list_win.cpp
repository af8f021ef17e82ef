#include "app/theme_list_win.h"

#include <algorithm>
#include <array>

#include "app/gradient_fill_win.h"
#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/icons/icon_library_win.h"
#include "core/settings/language_support.h"
#include "core/themes/theme_files_win.h"
#include "core/themes/theme_path_win.h"
#include "core/themes/themes_manager_win.h"
#include "ui/dpi_win.h"

namespace qm {

namespace {
constexpr std::array<int, 4> kStripIconX = {2, 37, 72, 104};
}  // namespace

std::unique_ptr<ui::Bitmap> MakeThemeStrip(const std::wstring& path, ui::Color background, int dpi) {
    const int width = ui::ScaleToDpi(kThemeStripWidth, dpi), height = ui::ScaleToDpi(kThemeStripHeight, dpi);
    auto strip = std::make_unique<ui::Bitmap>(width, height, dpi);
    strip->GetCanvas().FillRect(RECT{0, 0, width, height}, background);
    IconLibrary library;
    if (!library.Open(path)) return strip;
    const int n = std::min<int>(library.Count(), static_cast<int>(kStripIconX.size()));
    // The icons rendered by our renderer over the background colour, then put into the bitmap.
    const COLORREF rgb = ui::ToRgb(background);
    const std::uint32_t opaque = 0xFF000000u | (GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
    IconPixels pixels{
        width, height,
        std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), opaque)};
    const int size = ui::SystemMetricForDpi(SM_CXICON, dpi);
    IconPixels icon;
    for (int i = 0; i < n; ++i) {
        if (RenderLibraryIcon(library, i, size, size, icon)) {
            PlacePixels(icon, pixels, ui::ScaleToDpi(kStripIconX[static_cast<std::size_t>(i)], dpi), 0);
        }
    }
    const BITMAPINFO info = TopDown32BitInfo(width, height);
    SetDIBitsToDevice(strip->Dc(), 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), pixels.bgra.data(), &info, DIB_RGB_COLORS);
    return strip;
}

namespace {
// Image lists take 32-bit bitmaps in straight alpha and blend them when they draw.
UniqueBitmap StraightAlphaBitmap(IconPixels& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0) return {};
    ToStraightAlpha(pixels.bgra);
    return MakeAlphaBitmap(pixels.width, pixels.height, &pixels);
}
}  // namespace

int AddAlphaPictures(ui::ImageList& list, IconPixels strip) {
    const UniqueBitmap bitmap = StraightAlphaBitmap(strip);
    if (!bitmap) return -1;
    return ImageList_Add(list.Handle(), bitmap.get(), nullptr);
}

bool ReplaceAlphaPicture(ui::ImageList& list, int index, IconPixels picture) {
    if (index < 0 || index >= list.Count()) return false;
    const UniqueBitmap bitmap = StraightAlphaBitmap(picture);
    return bitmap && ImageList_Replace(list.Handle(), index, bitmap.get(), nullptr);
}

int AddMaskedPicture(ui::ImageList& list, const ui::Bitmap& picture, ui::Color transparent) {
    return AddMaskedPictures(list, picture, picture.Width(), transparent);
}

int AddMaskedPictures(ui::ImageList& list, const ui::Bitmap& strip, int width, ui::Color transparent) {
    width = std::clamp(width, 0, strip.Width());
    if (width == 0) return -1;
    // The image list selects the bitmap into a device context of its own: hand it a copy that is
    // selected nowhere. The copy has no alpha channel: icons drawn with alpha would otherwise make
    // the list take every pixel without alpha (other icons, the background) as transparent.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -strip.Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    UniqueBitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!copy || !dc) return -1;
    {
        const SelectedObject target(dc.get(), copy.get());  // out again before the image list reads it
        BitBlt(dc.get(), 0, 0, width, strip.Height(), strip.Dc(), 0, 0, SRCCOPY);
    }
    return ImageList_AddMasked(list.Handle(), copy.get(), ui::ToRgb(transparent));
}

ThemeList::ThemeList(ui::Form& form, ui::Control* parent, ui::Bounds bounds, ThemeListStyle style)
    : form_(form), style_(style) {
    ListBox1 = form.Add<ui::ListBox>(L"ListBox1", parent, bounds, ui::ListStyle::OwnerDrawVariable, 42);
    ImageList2 = form.Add<ui::ImageList>(L"ImageList2", kThemeStripWidth, kThemeStripHeight);
    ListBox1->OnMeasureItem = [this](int index, int& height) { ListBox1MeasureItem(index, height); };
    ListBox1->OnDrawItem = [this](int index, const RECT& r, UINT state, ui::Canvas& c) {
        ListBox1DrawItem(index, r, state, c);
    };
}

void ThemeList::PaintRowBackground(ui::Image& image, ui::Color from, ui::Color to) {
    const SIZE size = image.ClientPixels();
    auto picture = std::make_unique<ui::Bitmap>(std::max<int>(1, size.cx), std::max<int>(1, size.cy));
    FillGradient(picture->GetCanvas(), RECT{0, 0, picture->Width(), picture->Height()}, 128, from, to, 0);
    image.SetPicture(std::move(picture));
}

void ThemeList::ListThemes() {
    ListBox1->Clear();
    const std::vector<ThemeFile> themes = ListStoreThemes(UserThemeFolder(), ShippedThemeFolder());
    // The strips exist before the rows are drawn.
    paths_.clear();
    for (const ThemeFile& theme : themes) paths_.push_back(theme.path);
    MakeStrips();
    for (const ThemeFile& theme : themes) ListBox1->Add(theme.name);
}

void ThemeList::MakeStrips() {
    ImageList2->Clear();
    for (const std::wstring& path : paths_) {
        std::unique_ptr<ui::Bitmap> strip = MakeThemeStrip(path, ui::SystemColor(COLOR_BTNFACE), form_.Dpi());
        AddMaskedPicture(*ImageList2, *strip, ui::SystemColor(COLOR_BTNFACE));
    }
}

void ThemeList::DpiChanged() {
    MakeStrips();
    ListBox1->Invalidate();
}

std::wstring ThemeList::ThemePath(int index) const {
    if (index < 0 || index >= ListBox1->Count() || static_cast<std::size_t>(index) >= paths_.size()) return {};
    return paths_[static_cast<std::size_t>(index)];
}

std::wstring ThemeList::SelectedThemePath() const { return ThemePath(ListBox1->ItemIndex()); }

bool ThemeList::InstallThemeFromDialog(ui::OpenDialog& dialog, HWND owner) {
    dialog.title = TranslateText(L"Add Theme to collection");
    dialog.filter = TranslateText(L"Icon Library") + L" ( *.icl )|*.icl|" + TranslateText(L"iColorFolder Theme") +
                    L" ( iColorFolder.dll )|iColorFolder.dll";
    if (!dialog.Execute()) return false;
    InstallTheme(dialog.fileName, owner);
    ListThemes();
    return true;
}

bool ThemeList::DeleteSelectedTheme(HWND owner) {
    const std::wstring theme = SelectedThemePath();
    if (theme.empty()) {
        MessageBoxExW(owner, TranslateText(L"Please select theme to delete").c_str(), TranslateText(L"Info").c_str(),
                      MB_OK, 0);
        return false;
    }
    DeleteTheme(theme, owner);
    ListThemes();
    return true;
}

int ThemeList::TextHeightOfWg() const {
    WindowDc dc(ListBox1->Handle());
    if (!dc.get()) return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(ListBox1->Handle(), WM_GETFONT, 0, 0));
    HGDIOBJ original = font ? SelectObject(dc.get(), font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), L"Wg", 2, &size);
    if (original) SelectObject(dc.get(), original);
    return size.cy;
}

void ThemeList::ListBox1MeasureItem(int, int& height) {
    height = style_.fixedItemHeight > 0 ? form_.Scale(style_.fixedItemHeight) : TextHeightOfWg() + form_.Scale(42);
}

void ThemeList::ListBox1DrawItem(int index, const RECT& rect, UINT state, ui::Canvas& canvas) {
    const bool selected = (state & ODS_SELECTED) != 0;
    canvas.SetTransparentText(true);
    SetTextAlign(canvas.Handle(), TA_LEFT | TA_TOP);

    ui::Image* background = selected                            ? style_.selectedRow
                            : (index % 2 == 1 && style_.oddRow) ? style_.oddRow
                                                                : style_.evenRow;
    const ui::Bitmap* picture = background ? background->Picture() : nullptr;
    if (picture) {
        StretchBlt(canvas.Handle(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, picture->Dc(),
                   0, 0, picture->Width(), picture->Height(), SRCCOPY);
    } else {
        canvas.FillRect(rect, ui::SystemColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    }

    LOGFONTW font{};
    HFONT listFont = reinterpret_cast<HFONT>(SendMessageW(ListBox1->Handle(), WM_GETFONT, 0, 0));
    if (!listFont || !GetObjectW(listFont, sizeof font, &font)) font = ui::IconTitleFont();
    font.lfWeight = FW_BOLD;
    font.lfHeight = -MulDiv(9, ui::kDesignDpi, 72);  // 9 points at 96 DPI; the canvas makes it for its DPI
    canvas.SetFont(font);
    canvas.SetTextColor(ui::SystemColor(selected ? COLOR_CAPTIONTEXT : COLOR_BTNTEXT));

    const std::wstring name = NameWithoutExtension(ListBox1->Item(index));
    auto s = [this](int value) { return form_.Scale(value); };
    if (style_.nameBesideStrip) {
        canvas.TextOut(s(148), rect.top + s(16), name);
    } else {
        canvas.TextOut(s(2), rect.bottom - canvas.TextHeight(L"Wg") - s(5), name);
    }
    if (index >= 0 && index < ImageList2->Count()) {
        ImageList_Draw(ImageList2->Handle(), index, canvas.Handle(), rect.left + s(4), rect.top + s(4),
                       ILD_TRANSPARENT);
    }
}

ui::Memo* AddDescriptionMemo(ui::Form& form, ui::Bounds bounds) {
    ui::Memo* memo = form.Add<ui::Memo>(L"Memo1", nullptr, bounds);
    memo->SetReadOnly(true);
    const HWND hwnd = memo->Handle();
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, (GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_VSCROLL) & ~WS_BORDER);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    memo->SetVisible(false);
    return memo;
}

bool ShowThemeDescription(ui::AnchorLayout& layout, ui::ListView& view, ui::Memo& memo, const std::wstring& themePath) {
    const ui::Bounds m = memo.GetBounds();
    ui::Bounds v = view.GetBounds();
    const std::optional<std::wstring> description = ReadTextFileAnyEncoding(DescriptionPathOf(themePath));
    if (!description) {
        memo.SetVisible(false);
        v.height = m.y + m.height - v.y;
        layout.Place(view, v);
        return false;
    }
    v.height = m.y - v.y - 12;
    layout.Place(view, v);
    // Line breaks as the edit control shows them.
    std::wstring text;
    const std::vector<std::wstring> lines = SplitLines(*description);
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    memo.SetText(text);
    memo.SetVisible(true);
    return true;
}

}  // namespace qm
