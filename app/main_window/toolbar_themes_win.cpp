// Toolbar themes of the main window: folders of icon files inside the program's "toolbar" folder,
// listed in cbTBThemes, applied when picked and, as saved, when the window is shown.
#include "app/main_window/main_window_win.h"

#include <windows.h>

#include <array>

#include "core/base/handles_win.h"
#include "core/settings/settings_win.h"
#include "core/themes/theme_files_win.h"
#include "ui/dpi_win.h"

namespace qm {

namespace {
const wchar_t kDefaultTheme[] = L"Default";

std::wstring ThemeFolder(const std::wstring& name) { return ToolbarFolder() + L"\\" + name + L"\\"; }
}  // namespace

void TForm2::LoadToolbarTheme(const std::wstring& name) {
    toolbarThemeShown_ = name;
    const std::wstring folder = ThemeFolder(name);
    const std::array<std::pair<const wchar_t*, ui::Image*>, 6> pictures = {{{L"change.ico", i_1},
                                                                            {L"options.ico", i_2},
                                                                            {L"lang.ico", i_3},
                                                                            {L"tools.ico", i_4},
                                                                            {L"folder.ico", Image2},
                                                                            {L"about.ico", Image1}}};
    for (const auto& [file, picture] : pictures) {
        if (UniqueIcon icon{ui::LoadIconFileForDpi((folder + file).c_str(), Dpi())}) {
            picture->SetIcon(std::move(icon));
            picture->Invalidate();
        }
    }
}

void TForm2::ApplySavedToolbarTheme() {
    // Items and the selection field 48 pixels high, set after the window's font (a new font resets
    // the field's height).
    cbTBThemes->SetItemHeight(48);
    cbTBThemes->Clear();
    cbTBThemes->Add(kDefaultTheme);
    for (const std::wstring& name : ListToolbarThemes(ToolbarFolder())) cbTBThemes->Add(name);

    const std::wstring saved = ReadSetting(kToolbarNameSetting, kDefaultTheme);
    int match = -1;
    for (int i = 0; i < cbTBThemes->Count() && match < 0; ++i) {
        if (cbTBThemes->Item(i) == saved) match = i;
    }
    cbTBThemes->SetItemIndex(match);
    if (saved == kDefaultTheme) return;
    LoadToolbarTheme(saved);
    SetActivePage(1);
}

void TForm2::cbTBThemesChange() {
    const std::wstring name = cbTBThemes->Text();
    // Icons loaded earlier stay until the next start.
    if (name == kDefaultTheme) return;
    LoadToolbarTheme(name);
    SetActivePage(2);
    cbTBThemes->SetFocus();
}

void TForm2::cbTBThemesDrawItem(int index, const RECT& rect, UINT state, ui::Canvas& canvas) {
    const bool selected = (state & ODS_SELECTED) != 0;
    const std::wstring name = cbTBThemes->Item(index);
    canvas.SetTransparentText(true);
    canvas.FillRect(rect, ui::SystemColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const std::wstring folder = ThemeFolder(name);
    const std::array<std::pair<const wchar_t*, int>, 4> previews = {
        {{L"change.ico", 6}, {L"options.ico", 40}, {L"lang.ico", 74}, {L"tools.ico", 108}}};
    for (const auto& [file, x] : previews) {
        if (UniqueIcon icon{ui::LoadIconFileForDpi((folder + file).c_str(), Dpi())}) {
            canvas.DrawIcon(Scale(x), rect.top + Scale(4), icon.get());
        }
    }
    canvas.SetTextColor(ui::SystemColor(selected ? COLOR_CAPTIONTEXT : COLOR_BTNTEXT));
    const int x = name == kDefaultTheme ? 12 : 145;
    canvas.TextOut(Scale(x), rect.bottom - canvas.TextHeight(L"Wg") - Scale(24), name);
}

}  // namespace qm
