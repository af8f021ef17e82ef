#include "app/theme_list_win.h"

#include <algorithm>
#include <array>

#include "app/gradient_fill_win.h"
#include "core/base/handles_win.h"
#include "core/base/message_owner_win.h"
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
    return list.AddBitmap(bitmap.get());
}

bool ReplaceAlphaPicture(ui::ImageList& list, int index, IconPixels picture) {
    if (index < 0 || index >= list.Count()) return false;
    const UniqueBitmap bitmap = StraightAlphaBitmap(picture);
    return bitmap && list.ReplaceBitmap(index, bitmap.get());
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
    return list.AddMasked(copy.get(), ui::ToRgb(transparent));
}

ThemeList::ThemeList(ui::Form& form, ui::Control* parent, ui::Bounds bounds, ThemeListStyle style)
    : form_(form), style_(style) {
    style_.selectedRow.from = ui::SystemColor(COLOR_GRADIENTINACTIVECAPTION);
    style_.selectedRow.to = ui::SystemColor(COLOR_GRADIENTACTIVECAPTION);
    EvenRow = AddRowPicture(style_.evenRow);
    OddRow = AddRowPicture(style_.oddRow);
    SelectedRow = AddRowPicture(style_.selectedRow);
    PaintRowPictures();
    ListBox1 = form.Add<ui::ListBox>(L"ListBox1", parent, bounds, ui::ListStyle::OwnerDrawVariable, 42);
    ImageList2 = form.Add<ui::ImageList>(L"ImageList2", kThemeStripWidth, kThemeStripHeight);
    ListBox1->OnMeasureItem = [this](int index, int& height) { ListBox1MeasureItem(index, height); };
    ListBox1->OnDrawItem = [this](int index, const RECT& r, UINT state, ui::Canvas& c) {
        ListBox1DrawItem(index, r, state, c);
    };
}

ui::Image* ThemeList::AddRowPicture(const ThemeRowPicture& row) {
    if (!row.name) return nullptr;
    ui::Image* image = form_.Add<ui::Image>(row.name, nullptr, ui::Bounds{0, 0, row.width, row.height});
    image->SetVisible(false);
    return image;
}

void ThemeList::PaintRowPictures() {
    const std::pair<ui::Image*, const ThemeRowPicture*> rows[] = {
        {EvenRow, &style_.evenRow}, {SelectedRow, &style_.selectedRow}, {OddRow, &style_.oddRow}};
    for (const auto& [image, row] : rows) {
        if (!image) continue;
        const SIZE size = image->ClientPixels();
        auto picture = std::make_unique<ui::Bitmap>(std::max<int>(1, size.cx), std::max<int>(1, size.cy));
        FillGradient(picture->GetCanvas(), RECT{0, 0, picture->Width(), picture->Height()}, 128, row->from, row->to, 0);
        image->SetPicture(std::move(picture));
    }
}

std::pair<ui::Button*, ui::Button*> ThemeList::AddStoreButtons(const wchar_t* plusName, ui::Bounds plus,
                                                               const wchar_t* minusName, ui::Bounds minus,
                                                               int fontHeight) {
    ui::Button* plusButton = form_.Add<ui::Button>(plusName, nullptr, plus, L"+");
    ui::Button* minusButton = form_.Add<ui::Button>(minusName, nullptr, minus, L"-");
    for (ui::Button* b : {plusButton, minusButton}) b->SetFont(ui::BoldWindowFont(fontHeight));
    return {plusButton, minusButton};
}

void ThemeList::BindStoreButtons(ui::Button& plus, ui::Button& minus, ui::OpenDialog& dialog,
                                 std::function<void()> changed) {
    plus.OnClick = [this, &dialog, changed] {
        if (InstallThemeFromDialog(dialog, form_.Handle()) && changed) changed();
    };
    minus.OnClick = [this, changed] {
        if (DeleteSelectedTheme(form_.Handle()) && changed) changed();
    };
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
    PaintRowPictures();
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
        const ThreadMessageOwnerScope messages(owner);
        ShowUserMessage(TranslateText(L"Please select theme to delete"), TranslateText(L"Info"));
        return false;
    }
    DeleteTheme(theme, owner);
    ListThemes();
    return true;
}

int ThemeList::TextHeightOfWg() const { return ListBox1->TextExtent(L"Wg").cy; }

void ThemeList::ListBox1MeasureItem(int, int& height) {
    height = style_.fixedItemHeight > 0 ? form_.Scale(style_.fixedItemHeight) : TextHeightOfWg() + form_.Scale(42);
}

void ThemeList::ListBox1DrawItem(int index, const RECT& rect, UINT state, ui::Canvas& canvas) {
    const bool selected = (state & ODS_SELECTED) != 0;
    canvas.SetTransparentText(true);

    ui::Image* background = selected ? SelectedRow : (index % 2 == 1 && OddRow) ? OddRow : EvenRow;
    const ui::Bitmap* picture = background ? background->Picture() : nullptr;
    if (picture) {
        canvas.StretchDraw(rect, *picture);
    } else {
        canvas.FillRect(rect, ui::SystemColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    }

    LOGFONTW font{};
    HFONT listFont = ListBox1->Font();
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
        ImageList2->Draw(index, canvas, rect.left + s(4), rect.top + s(4));
    }
}

ui::Memo* AddDescriptionMemo(ui::Form& form, ui::Bounds bounds) {
    ui::Memo* memo = form.Add<ui::Memo>(L"Memo1", nullptr, bounds);
    memo->SetReadOnly(true);
    memo->ModifyExStyle(0, WS_EX_CLIENTEDGE);
    memo->ModifyStyle(WS_VSCROLL, WS_BORDER);
    memo->SetVisible(false);
    return memo;
}

bool ShowSelectedTheme(const ThemeList& themes, ui::Control& fileName, const std::function<void()>& listIcons,
                       ui::ListView& view, ui::Memo& memo) {
    const int index = themes.ListBox1->ItemIndex();
    if (index == -1) return false;
    const std::wstring theme = themes.ThemePath(index);
    fileName.SetText(theme);
    listIcons();
    ShowThemeDescription(view, memo, theme);
    return true;
}

void AnchorThemeAndIconLists(ui::Form& form, ui::ListBox& themes, ui::ListView& icons, ui::Memo& description) {
    form.SetAnchors(themes, ui::akLeft | ui::akTop | ui::akBottom);
    form.SetAnchors(icons, ui::akLeft | ui::akTop | ui::akRight | ui::akBottom);
    form.SetAnchors(description, ui::akLeft | ui::akRight | ui::akBottom);
}

bool ShowThemeDescription(ui::ListView& view, ui::Memo& memo, const std::wstring& themePath) {
    ui::Form& layout = view.Owner();
    const ui::Bounds m = memo.GetBounds();
    ui::Bounds v = view.GetBounds();
    const std::optional<std::wstring> description = ReadTextFileAnyEncoding(DescriptionPathOf(themePath));
    if (!description) {
        memo.SetVisible(false);
        v.height = m.y + m.height - v.y;
        layout.PlaceAnchored(view, v);
        return false;
    }
    v.height = m.y - v.y - 12;
    layout.PlaceAnchored(view, v);
    // Line breaks as the edit control shows them.
    std::wstring text;
    const std::vector<std::wstring> lines = SplitLines(*description);
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    memo.SetText(text);
    memo.SetVisible(true);
    return true;
}

}  // namespace qm
