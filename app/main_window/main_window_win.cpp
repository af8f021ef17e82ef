#include "app/main_window/main_window_win.h"

#include <array>

#include "app/about_window_win.h"
#include "core/base/error.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_profiles.h"
#include "ui/dpi_win.h"
#include "app/window_translation_win.h"
#include "core/folder/folder_files_win.h"
#include "core/settings/current_language.h"
#include "core/settings/language_support.h"
#include "core/settings/settings_win.h"
#include "resources/resource_ids.h"

namespace qm {

namespace {
constexpr std::array<int, 5> kToolbarIcons = {IDI_TOOLBAR_CHANGE, IDI_TOOLBAR_OPTIONS, IDI_TOOLBAR_LANGUAGE,
                                              IDI_TOOLBAR_TOOLS, IDI_TOOLBAR_ABOUT};
constexpr int kAboutButton = 5;

// The group's image for `size` (the resources hold 32, 40, 48 and 64 pixels).
UniqueIcon LoadBuiltInIcon(int id, int size) {
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

std::wstring_view TrimBlanks(std::wstring_view s) {
    while (!s.empty() && s.front() <= L' ') s.remove_prefix(1);
    while (!s.empty() && s.back() <= L' ') s.remove_suffix(1);
    return s;
}

std::wstring WithoutLineBreaks(std::wstring_view s) {
    std::wstring out;
    for (wchar_t ch : s) {
        if (ch != L'\n' && ch != L'\r') out.push_back(ch);
    }
    return out;
}

}  // namespace

ToolbarCaption SplitToolbarCaption(std::wstring_view text) {
    const std::size_t feed = text.find(L'\n');
    if (feed == std::wstring_view::npos) return {std::wstring(text), {}, false};
    const std::size_t p = feed + 1;
    const std::wstring_view trimmed = TrimBlanks(text);
    const std::size_t tail = text.size() - p;
    ToolbarCaption c;
    c.twoLines = true;
    c.line1 = WithoutLineBreaks(trimmed.substr(0, p));
    c.line2 = WithoutLineBreaks(tail >= trimmed.size() ? trimmed : trimmed.substr(trimmed.size() - tail));
    return c;
}

std::unique_ptr<ui::Bitmap> RenderToolbarButton(HICON icon, std::wstring_view englishCaption, bool selected, int dpi) {
    auto scaled = [dpi](int value) { return ui::ScaleToDpi(value, dpi); };
    const int width = scaled(kToolbarButtonWidth), height = scaled(kToolbarButtonHeight);
    auto image = std::make_unique<ui::Bitmap>(width, height, dpi);
    ui::Canvas& canvas = image->GetCanvas();
    const RECT all{0, 0, width, height};
    canvas.FillRect(all, ui::SystemColor(selected ? COLOR_INACTIVEBORDER : COLOR_BTNFACE));
    if (selected) {
        canvas.SetPen(ui::SystemColor(COLOR_3DDKSHADOW), scaled(1));
        canvas.Line(scaled(1), 0, scaled(1), height);
        canvas.Line(width - scaled(1), 0, width - scaled(1), height);
    }
    canvas.DrawIcon(scaled(22), scaled(5), icon);

    const ToolbarCaption caption = SplitToolbarCaption(TranslateText(englishCaption));
    canvas.SetTransparentText(true);
    canvas.SetTextColor(ui::SystemColor(COLOR_BTNTEXT));
    auto centred = [&](const std::wstring& line, int y) {
        canvas.TextOut((width - canvas.TextWidth(line)) / 2, y, line);
    };
    if (!caption.twoLines) {
        centred(caption.line1, scaled(42));
    } else {
        centred(caption.line1, scaled(35));
        centred(caption.line2, scaled(36) + canvas.TextHeight(L"Wg"));
    }
    return image;
}

TForm2::TForm2(std::wstring firstArgument) : FFirstArgument(std::move(firstArgument)) {
    CreateFrame();
    CreateChangeIconPage();
    CreateOptionsPage();
    CreateLanguagePage();
    CreateToolsPage();
    FormCreate();
}

void TForm2::CreateFrame() {
    SetCaption(L"Icon for selected folder");
    SetBorderStyle(ui::BorderStyle::FixedSingle, true, false);
    SetClientSize(531, 427);
    SetCenterOnScreen(true);

    Panel1 = Add<ui::Panel>(L"Panel1", nullptr, ui::Bounds{0, 0, 531, kToolbarButtonHeight});
    auto button = [&](const wchar_t* name, int x) {
        return Add<ui::Image>(name, Panel1, ui::Bounds{x, 0, kToolbarButtonWidth, kToolbarButtonHeight});
    };
    t_1 = button(L"t_1", 0);
    t_2 = button(L"t_2", 77);
    t_3 = button(L"t_3", 154);
    t_4 = button(L"t_4", 231);
    t_5 = button(L"t_5", 455);
    t_1->OnClick = [this] { t_1Click(); };
    t_2->OnClick = [this] { t_2Click(); };
    t_3->OnClick = [this] { t_3Click(); };
    t_4->OnClick = [this] { t_4Click(); };
    t_5->OnClick = [this] { t_5Click(); };

    auto icon = [&](const wchar_t* name) {
        ui::Image* i = Add<ui::Image>(name, Panel1, ui::Bounds{0, 0, 32, 32});
        i->SetVisible(false);
        return i;
    };
    i_1 = icon(L"i_1");
    i_2 = icon(L"i_2");
    i_3 = icon(L"i_3");
    i_4 = icon(L"i_4");
    Image1 = icon(L"Image1");

    Shape5 = Add<ui::Shape>(L"Shape5", nullptr, ui::Bounds{0, kToolbarButtonHeight, 531, 2},
                            ui::SystemColor(COLOR_BTNSHADOW), ui::SystemColor(COLOR_BTNSHADOW));

    auto page = [&](const wchar_t* name) { return Add<ui::Panel>(name, nullptr, ui::Bounds{8, 73, 517, 346}); };
    p_1 = page(L"p_1");
    p_2 = page(L"p_2");
    p_3 = page(L"p_3");
    p_4 = page(L"p_4");

    Image2 = Add<ui::Image>(L"Image2", p_1, ui::Bounds{4, 51, 32, 32});
    LoadBuiltInIcons();
    FileListBox1 = Add<ui::FileListBox>(L"FileListBox1", p_3, L"*.ini");
}

void TForm2::LoadBuiltInIcons() {
    for (int n = 1; n <= kAboutButton; ++n) {
        ToolbarIcon(n)->SetIcon(LoadBuiltInIcon(kToolbarIcons[static_cast<std::size_t>(n - 1)], Scale(32)));
    }
    Image2->SetIcon(LoadBuiltInIcon(IDI_FOLDER, Scale(32)));
}

void TForm2::FormCreate() {
    PrepareChangeIconPreview();
    if (!FFirstArgument.empty()) ShowFolderFromCommandLine(FFirstArgument);
    SeedCopyNamesForProcess();
    SetActivePage(1);
    ShowIconModeSetting();
    FillLanguageList();
    ReadCurrentLanguage(L"English");  // the main window's own default
    ShowCurrentLanguageName();
    SetTheFonts();
    ShowShellVerbSetting();
}

void TForm2::FormShow() {
    ReadCurrentLanguage(L"English");  // the main window's own default
    TranslateAllWindows();
    ApplySavedToolbarTheme();
}

ui::Image* TForm2::ToolbarButton(int n) const {
    const std::array<ui::Image*, 5> buttons = {t_1, t_2, t_3, t_4, t_5};
    return buttons[static_cast<std::size_t>(n - 1)];
}

ui::Image* TForm2::ToolbarIcon(int n) const {
    const std::array<ui::Image*, 5> icons = {i_1, i_2, i_3, i_4, Image1};
    return icons[static_cast<std::size_t>(n - 1)];
}

void TForm2::SetActivePage(int page) {
    if (page < 1 || page > 4) return;
    for (int n = 1; n <= kAboutButton; ++n) {
        const bool selected = n == page;  // the about button is never selected
        ToolbarButton(n)->SetPicture(RenderToolbarButton(
            ToolbarIcon(n)->Icon(), kToolbarCaptions[static_cast<std::size_t>(n - 1)], selected, Dpi()));
    }
    // Only the page in front is visible: the pages behind take no Tab, arrow key or Space.
    const std::array<ui::Panel*, 4> pages = {p_1, p_2, p_3, p_4};
    ui::Panel* front = pages[static_cast<std::size_t>(page - 1)];
    front->SetVisible(true);
    front->BringToFront();
    bool focusHidden = false;
    for (ui::Panel* p : pages) {
        if (p == front) continue;
        focusHidden |= p->ContainsFocus();
        p->SetVisible(false);
    }
    if (focusHidden) FocusFirstControl();
    FActivePage = page;
}

void TForm2::SetTheFonts() {
    const LOGFONTW font = ui::WindowFont();
    SetFont(font);
    if (Label1) Label1->SetFont(font);
}

void TForm2::t_5Click() { ShowAboutWindow(this); }

void TForm2::FormDpiChanged() {
    LoadBuiltInIcons();
    // The toolbar theme on show, picked or saved, at the new DPI's sizes.
    if (!toolbarThemeShown_.empty()) LoadToolbarTheme(toolbarThemeShown_);
    SetActivePage(FActivePage);
    Image4->SetPicture(nullptr);
    DrawLinkSymbol(*Image4);
    // The preview at its new size, with the chosen icon drawn again.
    Image3->SetPicture(nullptr);
    PrepareChangeIconPreview();
    if (Label8->Text().size() > 3) {
        try {
            DrawICO(ResolveInFolder(t_Folder->Text(), Label8->Text()), IconIndexValue(Label9->Text()));
        } catch (const UserError&) {
            // An index that is no number leaves the preview blank, as when the folder was read.
        }
    }
}

int RunMainWindow(const std::wstring& firstArgument) {
    TForm2 form(firstArgument);
    return ui::App().Run(form);
}

}  // namespace qm
