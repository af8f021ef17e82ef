#include "app/menu_theme_window_win.h"

#include "app/window_translation_win.h"
#include "core/base/data_folder_win.h"
#include "core/base/long_path_win.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_probe.h"
#include "core/settings/current_language.h"
#include "core/settings/settings_win.h"
#include "core/shell/shell_helpers_win.h"
#include "core/themes/theme_path_win.h"

namespace qm {

namespace {
constexpr int kClientWidth = 376, kClientHeight = 472;
constexpr int kItemHeight = 42;
}  // namespace

TfTheme::TfTheme(ui::Form* owner) : ui::Form(owner) {
    SetCaption(L"Theme for Quillmark Context menu");
    SetBorderStyle(ui::BorderStyle::FixedSingle, false, false);
    SetClientSize(kClientWidth, kClientHeight);
    SetCenterOnScreen(true);

    GroupBox1 = Add<ui::GroupBox>(L"GroupBox1", nullptr, ui::Bounds{8, 8, 360, 105}, L"Current Theme");
    Shape1 = Add<ui::Shape>(L"Shape1", GroupBox1, ui::Bounds{9, 25, 336, 63}, ui::SystemColor(COLOR_WINDOW),
                            ui::SystemColor(COLOR_BTNSHADOW));
    Image5 = Add<ui::Image>(L"Image5", GroupBox1, ui::Bounds{16, 32, kThemeStripWidth, kThemeStripHeight});
    GroupBox2 = Add<ui::GroupBox>(L"GroupBox2", nullptr, ui::Bounds{8, 120, 360, 313}, L"Available themes");

    ThemeListStyle rows;
    rows.evenRow = {L"Image3", 265, 73, ui::SystemColor(COLOR_BTNFACE), ui::SystemColor(COLOR_WINDOW)};
    rows.selectedRow = {L"Image4", 265, 65};
    rows.fixedItemHeight = kItemHeight;
    rows.nameBesideStrip = true;
    FThemes = std::make_unique<ThemeList>(*this, GroupBox2, ui::Bounds{10, 17, 337, 249}, rows);
    Image3 = FThemes->EvenRow;
    Image4 = FThemes->SelectedRow;
    ListBox1 = FThemes->ListBox1;
    ImageList2 = FThemes->ImageList2;

    Label1 = Add<ui::Label>(L"Label1", GroupBox2, ui::Bounds{8, 272, 337, 33},
                            L"Double click on theme to set it as theme for Quillmark context menu.");
    b_CopyShell32 = Add<ui::Button>(L"b_CopyShell32", nullptr, ui::Bounds{8, 440, 201, 25}, L"Add Shell Icons");
    bCancel = Add<ui::Button>(L"bCancel", nullptr, ui::Bounds{293, 439, 75, 25}, L"Close");

    ListBox1->OnDblClick = [this] { ListBox1DblClick(); };
    b_CopyShell32->OnClick = [this] { b_CopyShell32Click(); };
    bCancel->OnClick = [this] { bCancelClick(); };

    FormCreate();
}

void TfTheme::FormCreate() {
    // ReadSetting gives the default on any failure.
    FThemeName = ReadSetting(kThemeNameSetting);
    FillThemeList();
    ShowCurrentTheme();
}

void TfTheme::FormDpiChanged() {
    FThemes->DpiChanged();
    ShowCurrentTheme();
}

void TfTheme::FormShow() {
    ReadCurrentLanguage();
    TranslateWindow(*this);
    ApplySystemFont();
}

void TfTheme::ApplySystemFont() { SetFont(ui::IconTitleFont()); }

void TfTheme::FillThemeList() { FThemes->ListThemes(); }

void TfTheme::ShowCurrentTheme() {
    const std::wstring path = ResolveTheme(FThemeName);
    IconLibrary library;
    // A theme without icons (or no file) leaves the preview as it is.
    if (!library.Open(path) || library.Count() <= 0) return;
    Image5->SetPicture(MakeThemeStrip(path, RGB(255, 255, 255), Dpi()));
    Image5->Invalidate();
}

void TfTheme::ListBox1DblClick() {
    const int index = ListBox1->ItemIndex();
    if (index < 0 || ListBox1->Count() == 0) return;
    const std::wstring name = ListBox1->Item(index);
    FThemeName = name;
    try {
        WriteSetting(kThemeNameSetting, name);
    } catch (const std::exception&) {
        // Not reported: the preview still follows the choice.
    }
    ShowCurrentTheme();
}

std::wstring ShellIconsSource(const SystemFolders& folders) {
    if (folders.system.empty()) return {};
    const std::wstring shell32 = folders.system + L"\\shell32.dll";
    std::int32_t kind = kIconFileUnknown, count = 0;
    if (ProbeIconFile(shell32, kind, count) || folders.windows.empty()) return shell32;
    // Windows 10 1903 and later keep shell32's icon groups in a resource file of their own.
    const std::wstring resources = folders.windows + L"\\SystemResources\\shell32.dll.mun";
    return IsExistingFile(resources) ? resources : shell32;
}

void TfTheme::b_CopyShell32Click() {
    const std::wstring source = ShellIconsSource(GetSystemFolders());
    // A failed copy is not reported; the list shows what the store holds.
    if (!source.empty()) {
        CreateFolderPath(UserThemeFolder());
        CopyFileSilently(source, UserThemeFolder() + kShellIconsThemeName);
    }
    FillThemeList();
    ShowCurrentTheme();
}

void TfTheme::bCancelClick() { Close(); }

int RunThemeWindow() {
    TfTheme window;
    return ui::App().Run(window);
}

void ShowThemeWindow(ui::Form& owner) {
    TfTheme window(&owner);
    window.ShowModal();
}

}  // namespace qm
