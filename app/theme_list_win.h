#pragma once
// The theme list shared by the icon picker, the custom icon window and the context-menu theme
// window: an owner-drawn list of the theme store's files (the user's and the shipped ones), each
// row with a preview strip of the theme's first icons; plus the theme descriptions those windows show beside it.
#include <windows.h>

#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "core/base/text_file.h"
#include "core/icons/icon_renderer.h"
#include "ui/controls_win.h"

namespace qm {

inline constexpr int kThemeStripWidth = 138;
inline constexpr int kThemeStripHeight = 32;

// The 138 x 32 strip of a theme: button face, the large versions of at most the first four icons
// at x = 2, 37, 72 and 104, y = 0. A file without icons (or no file) gives an empty strip. The
// figures are at 96 DPI; the strip and its icons are rendered at the sizes of `dpi`.
std::unique_ptr<ui::Bitmap> MakeThemeStrip(const std::wstring& path, ui::Color background, int dpi = 96);

// Adds the pictures lying side by side in `strip` (premultiplied BGRA from the icon renderer),
// each as wide as the list's images, with their alpha. Returns the index of the first.
int AddAlphaPictures(ui::ImageList& list, IconPixels strip);
// Replaces image `index` of the list by `picture` (premultiplied BGRA, as large as the list's
// images), with its alpha. False when the index is out of the list or the picture cannot be made.
bool ReplaceAlphaPicture(ui::ImageList& list, int index, IconPixels picture);

// Adds a picture to an image list with `transparent` as its transparent colour. Returns the index.
int AddMaskedPicture(ui::ImageList& list, const ui::Bitmap& picture, ui::Color transparent);
// Adds the pictures lying side by side in the first `width` columns of `strip`, each as wide as the
// list's images. Returns the index of the first.
int AddMaskedPictures(ui::ImageList& list, const ui::Bitmap& strip, int width, ui::Color transparent);

// A hidden picture of the form, painted top to bottom from one colour to another in 128 bands,
// that a kind of row is stretched from.
struct ThemeRowPicture {
    const wchar_t* name = nullptr;  // the form's image component; nullptr: none of this kind
    int width = 0, height = 0;      // at 96 DPI
    ui::Color from = ui::SystemColor(COLOR_WINDOW), to = ui::SystemColor(COLOR_WINDOW);
};

// How the windows differ in drawing their theme rows.
struct ThemeListStyle {
    // Row backgrounds, made in this order before the list. No odd-row picture: every unselected
    // row takes the even one. The selected row runs from the inactive to the active caption's
    // gradient colour.
    ThemeRowPicture evenRow, oddRow, selectedRow;
    // 0: the height of "Wg" in the list's font plus 42; otherwise this fixed height.
    int fixedItemHeight = 0;
    // Where the name goes: false at x = 2 near the bottom (bottom - height of "Wg" - 5); true
    // beside the strip at x = 148, y = top + 16.
    bool nameBesideStrip = false;
};

// ListBox1 (owner-drawn, variable item height) with ImageList2 (one strip per entry), filled from
// the theme store. The form owns both components.
class ThemeList {
public:
    ThemeList(ui::Form& form, ui::Control* parent, ui::Bounds bounds, ThemeListStyle style);

    // Lists the store's themes anew (ListStoreThemes) and makes one strip per entry. No entry stays selected.
    void ListThemes();
    // The entry's full path (in the user's store or among the shipped themes); empty when nothing is selected.
    std::wstring SelectedThemePath() const;
    std::wstring ThemePath(int index) const;

    // The "+" button of the windows with a theme list: asks for a file in `dialog` (its title and
    // filter set here, through the lookup), installs it into the store and lists the themes anew.
    // The store's boxes are owned by `owner`. False when no file was chosen; nothing changes then.
    bool InstallThemeFromDialog(ui::OpenDialog& dialog, HWND owner);
    // The "-" button: without a selected entry shows "Please select theme to delete" (caption "Info")
    // owned by `owner` and returns false. Otherwise deletes the entry's theme after asking and lists
    // the themes anew, without a selection; true.
    bool DeleteSelectedTheme(HWND owner);

    // Adds the windows' "+" and "-" buttons (in this order, captions in a bold window font of
    // `fontHeight`); bind them with BindStoreButtons.
    std::pair<ui::Button*, ui::Button*> AddStoreButtons(const wchar_t* plusName, ui::Bounds plus,
                                                        const wchar_t* minusName, ui::Bounds minus, int fontHeight);
    // Binds the windows' "+" and "-" buttons to InstallThemeFromDialog (through `dialog`) and
    // DeleteSelectedTheme, their boxes owned by the form; `changed` runs after either changed the store.
    void BindStoreButtons(ui::Button& plus, ui::Button& minus, ui::OpenDialog& dialog, std::function<void()> changed);

    ui::Image* EvenRow = nullptr;
    ui::Image* OddRow = nullptr;  // null when the style has none
    ui::Image* SelectedRow = nullptr;
    ui::ListBox* ListBox1 = nullptr;
    ui::ImageList* ImageList2 = nullptr;

    // After the form's DPI changed: the row pictures and the strips again at the new size.
    void DpiChanged();

private:
    ui::Image* AddRowPicture(const ThemeRowPicture& row);
    void PaintRowPictures();
    void MakeStrips();
    void ListBox1MeasureItem(int index, int& height);
    void ListBox1DrawItem(int index, const RECT& rect, UINT state, ui::Canvas& canvas);
    int TextHeightOfWg() const;

    ui::Form& form_;
    ThemeListStyle style_;
    std::vector<std::wstring> paths_;  // one per entry
};

// Memo1, the place of a theme's description: read-only, without border or client edge, with a
// vertical scroll bar, hidden until a description is shown.
ui::Memo* AddDescriptionMemo(ui::Form& form, ui::Bounds bounds);

// The theme list's click in the windows that list a theme's icons: the selected theme's path into
// `fileName`, its icons listed (`listIcons`), its description shown. False when nothing is selected.
bool ShowSelectedTheme(const ThemeList& themes, ui::Control& fileName, const std::function<void()>& listIcons,
                       ui::ListView& view, ui::Memo& memo);

// The anchors the windows with a theme list, an icon list and a description give them: the theme
// list grows downwards, the icon list both ways, the description sideways.
void AnchorThemeAndIconLists(ui::Form& form, ui::ListBox& themes, ui::ListView& icons, ui::Memo& description);

// The description of a theme under its icon list: when the theme has a description file, the
// list view ends 12 pixels above the memo and the memo shows the text; otherwise the memo is
// hidden and the list view reaches down to the memo's bottom. True when a description is shown.
bool ShowThemeDescription(ui::ListView& view, ui::Memo& memo, const std::wstring& themePath);

}  // namespace qm
