#pragma once
// The custom icon window TfCustomIcon: the whole program under "/CUSTOM folder". The user picks a
// theme, any icon file or picture, or a colour for our folder shape, an icon and a tooltip, and
// Apply gives them to that one folder; a
// successful apply closes the window and so ends the program.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/icon_list_win.h"
#include "app/theme_list_win.h"
#include "ui/controls_win.h"

namespace qm {

class TfCustomIcon : public ui::Form {
public:
    // `folder`: the folder named on the command line (may be empty or name no folder).
    explicit TfCustomIcon(std::wstring folder, ui::Form* owner = nullptr);

    void FormShow() override;
    // The row pictures, the theme strips and the icon pictures at the new DPI.
    void FormDpiChanged() override;
    void ListBox1Click();
    void ListView1DblClick();
    // Lists the icons of cb_FileName.
    void Button1Click();
    // "Select custom icon...": any icon file.
    void Button2Click();
    // "Colour...": the colour dialog, then our folder shape in that colour as the one icon listed.
    void b_ColourClick();
    // Applies the chosen icon (if any) and the tooltip to the folder; closes after success.
    void bApplyClick();
    void bCancelClick();
    void ListThemes();

    ui::Label* Label1 = nullptr;
    ui::Edit* t_Tip = nullptr;
    ui::ListBox* ListBox1 = nullptr;
    ui::ListView* ListView1 = nullptr;
    ui::Memo* Memo1 = nullptr;
    ui::Button* Button2 = nullptr;
    ui::Button* bApply = nullptr;
    ui::Button* bCancel = nullptr;
    ui::Button* b_ThemeAdd = nullptr;
    ui::Button* b_ThemeMinus = nullptr;
    ui::Button* b_Colour = nullptr;
    ui::Edit* cb_FileName = nullptr;    // hidden
    ui::GroupBox* GroupBox2 = nullptr;  // hidden
    ui::Edit* t_Folder = nullptr;
    ui::Edit* t_Folder2 = nullptr;
    ui::Button* Button1 = nullptr;  // hidden
    ui::Image* Image3 = nullptr;
    ui::Image* Image1 = nullptr;
    ui::Image* Image4 = nullptr;
    ui::ImageList* ImageList1 = nullptr;
    ui::ImageList* ImageList2 = nullptr;
    ui::OpenDialog* OpenDialog1 = nullptr;
    ui::OpenDialog* OpenDialog2 = nullptr;

private:
    void FormCreate();
    void SetTheFonts();

    std::wstring FFolder;
    std::vector<std::uint8_t> FColourIcon;  // the listed colour folder's .ico, while it is listed
    std::unique_ptr<ThemeList> FThemes;
    std::unique_ptr<IconList> FIcons;
};

// The program under "/CUSTOM folder": shows the window and runs until it closes.
int RunCustomIconWindow(const std::wstring& folder);

}  // namespace qm
