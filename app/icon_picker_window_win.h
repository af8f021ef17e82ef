#pragma once
// The icon picker TForm1: the theme store as a list with previews, the icons of the chosen theme or
// of any icon file, and a history of the files used before ("lib.ini"). Select hands the file and
// the icon's number back to the change-icon page of the main window.
#include <memory>
#include <string>
#include <vector>

#include "app/icon_list_win.h"
#include "app/theme_list_win.h"
#include "ui/controls_win.h"

namespace qm {

// Where the picker reads the starting icon file and puts its result: the change-icon page's hidden
// labels (file, number) and its preview.
struct IconChoiceTarget {
    ui::Label* iconFile = nullptr;   // Label8
    ui::Label* iconIndex = nullptr;  // Label9
    ui::Image* preview = nullptr;    // Image3
    // t_Folder: a bare IconFile read back from the folder's desktop.ini (a copy) lies in it.
    ui::Control* folder = nullptr;
};

class TForm1 : public ui::Form {
public:
    TForm1(ui::Form* owner, IconChoiceTarget target);

    void FormShow() override;
    // The background, the row pictures, the theme strips and the icon pictures at the new DPI.
    void FormDpiChanged() override;
    void ListBox1Click();
    void cb_FileNameChange();
    void BitBtn1Click();
    // Lists the icons of the file named in cb_FileName.
    void Button1Click();
    // Select.
    void Button2Click();
    void b_CancelClick();
    void ListView1DblClick();
    void SetTheFonts();
    void ListThemes();

    ui::Image* Image1 = nullptr;
    ui::Label* Label1 = nullptr;
    ui::ListBox* ListBox1 = nullptr;
    ui::ComboBox* cb_FileName = nullptr;
    ui::Button* BitBtn1 = nullptr;
    ui::ListView* ListView1 = nullptr;
    ui::Memo* Memo1 = nullptr;
    ui::Button* Button2 = nullptr;
    ui::Button* b_Cancel = nullptr;
    ui::Button* Button3 = nullptr;
    ui::Button* b_ThDelete = nullptr;
    ui::Button* Button1 = nullptr;  // hidden; its click lists the icons of cb_FileName
    ui::Image* Image3 = nullptr;
    ui::Image* Image4 = nullptr;
    ui::ImageList* ImageList1 = nullptr;
    ui::ImageList* ImageList2 = nullptr;
    ui::ImageList* ImageList3 = nullptr;
    ui::OpenDialog* OpenDialog1 = nullptr;
    ui::OpenDialog* OpenDialog2 = nullptr;
    // The background again at the new size.
    void FormResize() override;

private:
    void FormCreate();
    void PaintBackground();
    void ShowMessage(const wchar_t* english, const wchar_t* caption);

    IconChoiceTarget FTarget;
    std::unique_ptr<ThemeList> FThemes;
    std::unique_ptr<IconList> FIcons;
};

// Creates the picker over `owner`, shows it modally and destroys it when it closes.
void ShowIconPicker(ui::Form* owner, IconChoiceTarget target);

}  // namespace qm
