#pragma once
// The context-menu theme window TfTheme: the themes of the store with their strips, the preview of
// the current context-menu theme, a double click that makes a theme current, and "Add Shell Icons"
// that copies the system's shell icons (shell32.dll, or its resource file on current Windows) into
// the store as a theme.
#include <memory>
#include <string>

#include "app/theme_list_win.h"
#include "ui/controls_win.h"

namespace qm {

inline constexpr wchar_t kShellIconsThemeName[] = L"Current Shell Icons.ICL";

struct SystemFolders;
// Where the system's shell icons are: the system folder's shell32.dll when it holds icon groups;
// otherwise "SystemResources\shell32.dll.mun" of the Windows folder when it exists (Windows 10 1903
// and later); otherwise shell32.dll still. Empty without a system folder.
std::wstring ShellIconsSource(const SystemFolders& folders);

class TfTheme : public ui::Form {
public:
    explicit TfTheme(ui::Form* owner = nullptr);

    void FormShow() override;
    // The row pictures, the theme strips and the current theme's strip at the new DPI.
    void FormDpiChanged() override;
    void ListBox1DblClick();
    void b_CopyShell32Click();
    void bCancelClick();
    void FillThemeList();
    void ShowCurrentTheme();
    void ApplySystemFont();
    // The theme name the window holds (read when it was made, changed by double clicks).
    const std::wstring& CurrentThemeName() const { return FThemeName; }

    ui::GroupBox* GroupBox1 = nullptr;
    ui::Shape* Shape1 = nullptr;
    ui::Image* Image5 = nullptr;
    ui::GroupBox* GroupBox2 = nullptr;
    ui::ListBox* ListBox1 = nullptr;
    ui::Label* Label1 = nullptr;
    ui::Button* b_CopyShell32 = nullptr;
    ui::Button* bCancel = nullptr;
    ui::Image* Image3 = nullptr;
    ui::Image* Image4 = nullptr;
    ui::ImageList* ImageList2 = nullptr;

private:
    void FormCreate();

    std::wstring FThemeName;
    std::unique_ptr<ThemeList> FThemes;
};

// The program under "/THEME": the window as the only one, until it closes.
int RunThemeWindow();
// From another window: modal over `owner`, destroyed when it closes.
void ShowThemeWindow(ui::Form& owner);

}  // namespace qm
