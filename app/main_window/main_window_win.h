#pragma once
// The main window TForm2: a toolbar of five picture buttons over four stacked pages.
//
// The frame (this file and main_window_win.cpp) owns the toolbar, the pages p_1..p_4 and the start-up
// order. Each page adds its controls and its share of the start-up work in a source file of its
// own, through the hooks declared below:
//   change_icon_page_win.cpp         page 1 (p_1): change icon
//   options_and_tools_pages_win.cpp pages 2 and 4 (p_2, p_4): options, tools
//   language_page_win.cpp           page 3 (p_3): language
//   toolbar_themes_win.cpp          the toolbar themes applied when the window is shown
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <array>

#include "ui/controls_win.h"

namespace qm {

inline constexpr int kToolbarButtonWidth = 77;
inline constexpr int kToolbarButtonHeight = 67;
// The English captions of the toolbar buttons 1 to 5.
inline constexpr std::array<const wchar_t*, 5> kToolbarCaptions = {L"Change /nicon", L"Options", L"Language", L"Tools",
                                                                   L"About"};

// A toolbar caption after the lookup, split where the lookup put its first line break: line 1 is
// the first p characters of the trimmed text (p = position of the first line feed, from 1), line 2
// the last (length - p) characters of the trimmed text (length of the untrimmed text); line feeds
// and carriage returns are removed from both.
struct ToolbarCaption {
    std::wstring line1, line2;
    bool twoLines = false;
};
ToolbarCaption SplitToolbarCaption(std::wstring_view translated);

// One 77 x 67 toolbar button image: button face (normal) or inactive border with two dark lines at
// x = 1 and x = 76 (selected); the icon at (22, 5) at its own size; the caption through
// TranslateText, centred, one line at y = 42, or two lines at y = 35 and 36 + height of "Wg".
// Every figure is at 96 DPI and drawn scaled to `dpi`.
std::unique_ptr<ui::Bitmap> RenderToolbarButton(HICON icon, std::wstring_view englishCaption, bool selected,
                                                int dpi = 96);

class TForm2 : public ui::Form {
public:
    // `firstArgument`: the program's first command-line argument (a folder), or empty.
    explicit TForm2(std::wstring firstArgument = {});

    // Renders all five toolbar buttons for `page` (1..4) and shows p_<page> in front; the other
    // pages are hidden, so no key reaches their controls.
    void SetActivePage(int page);
    int ActivePage() const { return FActivePage; }
    // The window's font from the icon-title font with the default character set; Label1 too.
    void SetTheFonts();

    void t_1Click() { SetActivePage(1); }
    void t_2Click() { SetActivePage(2); }
    void t_3Click() { SetActivePage(3); }
    void t_4Click() { SetActivePage(4); }
    // Opens the about window modally.
    void t_5Click();
    void FormShow() override;
    // The pictures again at the new DPI: toolbar icons and buttons, the folder picture, the preview.
    void FormDpiChanged() override;

    // ---- the frame ----
    ui::Panel* Panel1 = nullptr;
    ui::Image* t_1 = nullptr;
    ui::Image* t_2 = nullptr;
    ui::Image* t_3 = nullptr;
    ui::Image* t_4 = nullptr;
    ui::Image* t_5 = nullptr;
    // Hidden pictures holding the toolbar icons of the five buttons (a toolbar theme replaces them).
    ui::Image* i_1 = nullptr;
    ui::Image* i_2 = nullptr;
    ui::Image* i_3 = nullptr;
    ui::Image* i_4 = nullptr;
    ui::Image* Image1 = nullptr;
    ui::Shape* Shape5 = nullptr;
    ui::Panel* p_1 = nullptr;
    ui::Panel* p_2 = nullptr;
    ui::Panel* p_3 = nullptr;
    ui::Panel* p_4 = nullptr;
    // The folder picture of page 1, at (4, 51).
    ui::Image* Image2 = nullptr;
    // Hidden list of the language files ("*.ini").
    ui::FileListBox* FileListBox1 = nullptr;

    // ---- page 1: change icon ----
    ui::Label* Label1 = nullptr;  // "Change Icon for Folder:", given the window's font
    ui::Edit* t_Folder = nullptr;
    ui::Button* b_SelFolder = nullptr;
    ui::GroupBox* GroupBox2 = nullptr;
    ui::Image* Image3 = nullptr;  // preview of the chosen icon
    ui::Label* Label6 = nullptr;
    ui::Button* b_SelIco = nullptr;
    ui::Label* Label8 = nullptr;  // hidden: IconFile
    ui::Label* Label9 = nullptr;  // hidden: IconIndex
    ui::Label* Label2 = nullptr;
    ui::Edit* t_Tip = nullptr;
    ui::Button* Button1 = nullptr;
    ui::Button* b_Apply = nullptr;
    ui::Button* b_Cancel = nullptr;

    void b_SelFolderClick();
    void b_SelIcoClick();
    void b_ApplyClick();
    void Button1Click();
    void b_CancelClick();
    // Previews icon `position` of `file` (used as given, not joined to any folder).
    void DrawICO(const std::wstring& file, int position);

    // ---- page 2: options (options_and_tools_pages_win.cpp, toolbar_themes_win.cpp) ----
    ui::GroupBox* GroupBox3 = nullptr;
    ui::RadioButton* RadioButton1 = nullptr;  // copy mode
    ui::RadioButton* RadioButton2 = nullptr;  // link mode
    ui::GroupBox* GroupBox5 = nullptr;
    ui::ComboBox* cbTBThemes = nullptr;
    ui::Label* Label5 = nullptr;
    ui::GroupBox* GroupBox6 = nullptr;
    ui::CheckBox* cb_ShellMenu = nullptr;
    ui::Button* Button3 = nullptr;
    ui::Button* Button2 = nullptr;
    // Saves the icon mode, the toolbar theme and the ".icl" shell verb.
    void Button2Click();
    // Opens the context-menu theme window.
    void Button3Click();
    void cbTBThemesChange();
    void cbTBThemesDrawItem(int index, const RECT& rect, UINT state, ui::Canvas& canvas);
    // Loads the icons of the toolbar theme `name` into i_1..i_4, Image2 and Image1, as far as present.
    void LoadToolbarTheme(const std::wstring& name);

    // ---- page 3: language (language_page_win.cpp) ----
    ui::Label* Label13 = nullptr;
    ui::Edit* Edit1 = nullptr;
    ui::Label* Label14 = nullptr;
    ui::ListBox* ListBox1 = nullptr;
    ui::GroupBox* GroupBox1 = nullptr;
    ui::Label* Label15 = nullptr;
    ui::Label* Label16 = nullptr;
    ui::Label* Label17 = nullptr;
    ui::Label* Label18 = nullptr;
    ui::Label* Label19 = nullptr;
    ui::Label* Label20 = nullptr;
    ui::Label* Label21 = nullptr;
    ui::Image* Image4 = nullptr;
    ui::Label* Label4 = nullptr;
    void ListBox1Click();
    void ListBox1DblClick();
    void ListBox1DrawItem(int index, const RECT& rect, UINT state, ui::Canvas& canvas);
    void Label4Click();

    // ---- page 4: tools (options_and_tools_pages_win.cpp) ----
    ui::GroupBox* GroupBox4 = nullptr;
    ui::Label* Label3 = nullptr;
    ui::Label* Label22 = nullptr;  // the Windows 11 menu's state
    ui::Button* b_RebuiltIconCache = nullptr;
    void b_RebuiltIconCacheClick();

private:
    void CreateFrame();
    void LoadBuiltInIcons();
    void FormCreate();
    ui::Image* ToolbarButton(int page) const;
    ui::Image* ToolbarIcon(int page) const;

    // Page 1 (change_icon_page_win.cpp).
    void CreateChangeIconPage();
    void PrepareChangeIconPreview();                             // start-up step 1: the preview draws in white
    void ShowFolderFromCommandLine(const std::wstring& folder);  // step 2, only with an argument
    void ReadBackFolder();  // the chosen folder's customization into the page and the preview
    // Pages 2 and 4 (options_and_tools_pages_win.cpp).
    void CreateOptionsPage();
    void CreateToolsPage();
    void ShowIconModeSetting();   // step 5
    void ShowShellVerbSetting();  // step 9
    // Page 3 (language_page_win.cpp).
    void CreateLanguagePage();
    void FillLanguageList();         // step 6
    void ShowCurrentLanguageName();  // end of step 7, after CurrentLanguage is read
    // Toolbar themes (toolbar_themes_win.cpp): shown step 3; ends with SetActivePage(1)
    // unless the saved theme is "Default".
    void ApplySavedToolbarTheme();

    std::wstring FFirstArgument;
    int FActivePage = 1;
    std::wstring toolbarThemeShown_;  // the toolbar theme last loaded (picked or saved); empty: built-in
};

// The language list's display name: the native name, "   (", the entry and ")" when the native
// name has at least 4 characters; otherwise the entry alone.
std::wstring LanguageDisplayName(std::wstring_view entry, std::wstring_view nativeName);
// The link symbol of the language page: a blue arrow pointing up and right, 16 x 16 at 96 DPI.
void DrawLinkSymbol(ui::Image& image);
// The colour with 32 taken from red, green and blue (system colours resolved first), 0 at least.
COLORREF DarkenColor(ui::Color color);

// The program's main mode: runs TForm2 until it closes. Returns the exit code.
int RunMainWindow(const std::wstring& firstArgument);

}  // namespace qm
