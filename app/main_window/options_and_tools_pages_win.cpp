// Pages 2 and 4 of the main window: options (p_2) and tools (p_4).
#include "app/main_window/main_window_win.h"
#include "app/menu_theme_window_win.h"

#include <windows.h>

#include "core/base/module_path_win.h"
#include "core/settings/ini_file_win.h"
#include "core/settings/language_support.h"
#include "core/settings/settings_win.h"
#include "core/shell/icl_verb_win.h"
#include "core/shell/icon_cache_win.h"
#include "core/shell/shell_status_win.h"
#include "ui/form_win.h"

namespace qm {

void TForm2::CreateOptionsPage() {
    GroupBox3 = Add<ui::GroupBox>(L"GroupBox3", p_2, ui::Bounds{0, 0, 517, 82}, L"How to install icon:");
    RadioButton1 = Add<ui::RadioButton>(
        L"RadioButton1", GroupBox3, ui::Bounds{12, 18, 495, 34},
        L"Extract icon from icl-theme to a single file /n copy to the customized folder. ( Default )");
    RadioButton1->SetChecked(true);
    RadioButton2 = Add<ui::RadioButton>(L"RadioButton2", GroupBox3, ui::Bounds{12, 54, 495, 20},
                                        L"Only make a link to icl-theme. Do not extract any icons.");

    GroupBox5 = Add<ui::GroupBox>(L"GroupBox5", p_2, ui::Bounds{0, 90, 517, 96}, L"Theme for Quillmark toolbar");
    cbTBThemes =
        Add<ui::ComboBox>(L"cbTBThemes", GroupBox5, ui::Bounds{12, 20, 300, 54}, ui::ComboStyle::OwnerDrawFixed, 48);
    cbTBThemes->OnChange = [this] { cbTBThemesChange(); };
    cbTBThemes->OnDrawItem = [this](int index, const RECT& rect, UINT state, ui::Canvas& canvas) {
        cbTBThemesDrawItem(index, rect, state, canvas);
    };
    Label5 = Add<ui::Label>(L"Label5", GroupBox5, ui::Bounds{12, 76, 495, 16},
                            L"Please Restart application to apply default toolbar theme");

    GroupBox6 = Add<ui::GroupBox>(L"GroupBox6", p_2, ui::Bounds{0, 194, 517, 96}, L"Integration to shell");
    cb_ShellMenu = Add<ui::CheckBox>(L"cb_ShellMenu", GroupBox6, ui::Bounds{12, 22, 495, 20},
                                     L"Add \"Install Theme\" menu item for IconLibraries ( ICL )");
    cb_ShellMenu->SetChecked(true);
    Button3 = Add<ui::Button>(L"Button3", GroupBox6, ui::Bounds{12, 54, 260, 28}, L"Change contex menu icon-theme ...");
    Button3->OnClick = [this] { Button3Click(); };

    Button2 = Add<ui::Button>(L"Button2", p_2, ui::Bounds{387, 308, 130, 30}, L"Save Options");
    Button2->OnClick = [this] { Button2Click(); };
}

void TForm2::CreateToolsPage() {
    GroupBox4 = Add<ui::GroupBox>(L"GroupBox4", p_4, ui::Bounds{0, 0, 517, 150}, L" Icon cache ");
    Label3 =
        Add<ui::Label>(L"Label3", GroupBox4, ui::Bounds{12, 20, 493, 80},
                       L"Rebuilds all Explorer icons and removes unused Explorer icons from memory. /n /n Rebuild "
                       L"icon when you find that Explorer is displaying the wrong icon for a programm or shortcut.");
    b_RebuiltIconCache =
        Add<ui::Button>(L"b_RebuiltIconCache", GroupBox4, ui::Bounds{12, 108, 160, 30}, L"Rebuild Icon-cache");
    b_RebuiltIconCache->OnClick = [this] { b_RebuiltIconCacheClick(); };
    Label22 = Add<ui::Label>(L"Label22", p_4, ui::Bounds{0, 160, 517, 34}, Windows11MenuLine(CurrentShellStatus()));
}

void TForm2::ShowIconModeSetting() {
    const bool copy = ReadSetting(kCopyIcoSetting, L"1") == L"1";
    RadioButton1->SetChecked(copy);
    RadioButton2->SetChecked(!copy);
}

void TForm2::ShowShellVerbSetting() {
    if (!IclVerbRegistered()) cb_ShellMenu->SetChecked(false);
}

void TForm2::Button2Click() {
    try {
        IniFile settings(SettingsFilePathForWriting());
        settings.WriteString(kCopyIcoSetting.section, kCopyIcoSetting.key, RadioButton2->Checked() ? L"0" : L"1");
        settings.WriteString(kToolbarNameSetting.section, kToolbarNameSetting.key, cbTBThemes->Text());
    } catch (const std::exception&) {
        // An unwritable settings file loses the two options; the shell verb is still saved.
    }

    if (cb_ShellMenu->Checked()) {
        RegisterIclVerb(TranslateText(std::string_view("Install as Theme for Quillmark")), ModulePath());
    } else {
        UnregisterIclVerb();
    }
}

void TForm2::Button3Click() { ShowThemeWindow(*this); }

void TForm2::b_RebuiltIconCacheClick() { RebuildIconCache(); }

}  // namespace qm
