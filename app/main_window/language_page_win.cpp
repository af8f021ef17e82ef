// Page 3 of the main window (p_3): the installed languages and the current one.
#include "app/main_window/main_window_win.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "core/base/handles_win.h"
#include "core/base/module_path_win.h"
#include "core/settings/current_language.h"
#include "core/settings/language_support.h"
#include "core/settings/settings_win.h"
#include "ui/dpi_win.h"

namespace qm {

namespace {
const wchar_t kEnglish[] = L"English";
// The built-in English texts' own translator details, and where more languages are offered.
const TranslatorDetails kEnglishDetails{L"Ostrel", L"quillmark.ostrel.example", L"quillmark@ostrel.example"};
const wchar_t kDownloadPage[] = L"https://quillmark.ostrel.example/languages/";

const wchar_t* const kNoDetail = L"-";

// The flag of a list entry: "langs\" + the entry with its extension replaced by ".ico".
std::wstring FlagPath(const std::wstring& entry) {
    std::wstring name = entry;
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return LanguageFolderIn(ModuleFolder()) + name + L".ico";
}
}  // namespace

void DrawLinkSymbol(ui::Image& image) {
    const ui::Form& form = image.Owner();
    auto s = [&](int value) { return form.Scale(value); };
    ui::Canvas& c = image.GetCanvas();
    c.FillRect(RECT{0, 0, s(16), s(16)}, ui::SystemColor(COLOR_BTNFACE));
    c.SetPen(RGB(0, 90, 200), s(2));
    c.Line(s(3), s(12), s(12), s(3));
    c.Line(s(6), s(3), s(13), s(3));
    c.Line(s(12), s(3), s(12), s(10));
}

std::wstring LanguageDisplayName(std::wstring_view entry, std::wstring_view nativeName) {
    if (nativeName.size() < 4) return std::wstring(entry);
    return std::wstring(nativeName) + L"   (" + std::wstring(entry) + L")";
}

COLORREF DarkenColor(ui::Color color) {
    const COLORREF c = ui::ToRgb(color);
    auto darker = [](int v) { return static_cast<BYTE>(std::max(v - 32, 0)); };
    return RGB(darker(GetRValue(c)), darker(GetGValue(c)), darker(GetBValue(c)));
}

void TForm2::CreateLanguagePage() {
    Label13 = Add<ui::Label>(L"Label13", p_3, ui::Bounds{0, 2, 114, 16}, L"Current language:");
    Label13->SetAlignment(ui::Alignment::Right);
    Edit1 = Add<ui::Edit>(L"Edit1", p_3, ui::Bounds{120, 0, 393, 22}, L"", true);
    Edit1->SetBackgroundColor(ui::SystemColor(COLOR_BTNFACE));
    Label14 =
        Add<ui::Label>(L"Label14", p_3, ui::Bounds{3, 34, 300, 16}, L"Double click to setup it as current language ");
    ListBox1 = Add<ui::ListBox>(L"ListBox1", p_3, ui::Bounds{3, 55, 265, 235}, ui::ListStyle::OwnerDrawFixed, 22);
    ListBox1->OnMeasureItem = [this](int, int& height) { height = Scale(22); };
    ListBox1->OnDrawItem = [this](int index, const RECT& rect, UINT state, ui::Canvas& canvas) {
        ListBox1DrawItem(index, rect, state, canvas);
    };
    ListBox1->OnClick = [this] { ListBox1Click(); };
    ListBox1->OnDblClick = [this] { ListBox1DblClick(); };

    GroupBox1 = Add<ui::GroupBox>(L"GroupBox1", p_3, ui::Bounds{274, 55, 231, 179}, L" Info: ");
    Label15 = Add<ui::Label>(L"Label15", GroupBox1, ui::Bounds{12, 26, 210, 16}, L"Author:");
    Label17 = Add<ui::Label>(L"Label17", GroupBox1, ui::Bounds{12, 43, 210, 16}, kNoDetail);
    Label16 = Add<ui::Label>(L"Label16", GroupBox1, ui::Bounds{12, 67, 210, 16}, L"www:");
    Label18 = Add<ui::Label>(L"Label18", GroupBox1, ui::Bounds{12, 86, 210, 16}, kNoDetail);
    Label19 = Add<ui::Label>(L"Label19", GroupBox1, ui::Bounds{12, 112, 210, 16}, L"e-mail:");
    Label20 = Add<ui::Label>(L"Label20", GroupBox1, ui::Bounds{12, 131, 210, 16}, kNoDetail);

    Label21 =
        Add<ui::Label>(L"Label21", p_3, ui::Bounds{3, 296, 500, 16}, L"* Please Restart application to apply Language");
    Image4 = Add<ui::Image>(L"Image4", p_3, ui::Bounds{4, 323, 16, 16});
    DrawLinkSymbol(*Image4);
    Image4->OnClick = [this] { Label4Click(); };
    Label4 =
        Add<ui::Label>(L"Label4", p_3, ui::Bounds{26, 323, 300, 16}, L"Download additional languages from internet");
    Label4->SetTextColor(ui::SystemColor(COLOR_HOTLIGHT));
    Label4->SetHandCursor();
    Label4->OnClick = [this] { Label4Click(); };
}

void TForm2::FillLanguageList() {
    ListBox1->Clear();
    FileListBox1->ListFolder(LanguageFolderIn(ModuleFolder()));
    ListBox1->Add(kEnglish);
    for (const std::wstring& file : FileListBox1->Items()) ListBox1->Add(file);
    int match = -1;
    for (int i = 0; i < ListBox1->Count() && match < 0; ++i) {
        if (ListBox1->Item(i) == CurrentLanguage()) match = i;
    }
    ListBox1->SetItemIndex(match);
    ListBox1Click();
}

void TForm2::ShowCurrentLanguageName() { Edit1->SetText(CurrentLanguage()); }

void TForm2::ListBox1Click() {
    // Nothing selected (the stored name matches no entry): the first entry, "English".
    const int index = std::max(ListBox1->ItemIndex(), 0);
    const std::wstring entry = ListBox1->Item(index);
    const TranslatorDetails details = !entry.empty() && entry != kEnglish ? LanguageTranslator(entry) : kEnglishDetails;
    Label17->SetText(details.author);
    Label18->SetText(details.www);
    Label20->SetText(details.email);
}

void TForm2::ListBox1DblClick() {
    const int index = std::max(ListBox1->ItemIndex(), 0);
    const std::wstring entry = ListBox1->Item(index);
    WriteSetting(kCurLangSetting, entry.empty() ? std::wstring(kEnglish) : entry);
    CurrentLanguage() = entry;
    Edit1->SetText(entry);
    Label21->SetText(TranslateText(std::string_view("* Please Restart application to apply Language")));
}

void TForm2::ListBox1DrawItem(int index, const RECT& rect, UINT state, ui::Canvas& canvas) {
    const std::wstring entry = ListBox1->Item(index);
    canvas.SetTransparentText(true);
    if (state & ODS_SELECTED) {
        canvas.FillRect(rect, ui::SystemColor(COLOR_HIGHLIGHT));
        canvas.SetTextColor(ui::SystemColor(COLOR_HIGHLIGHTTEXT));
    } else {
        canvas.FillRect(rect, index % 2 == 1 ? ui::ToRgb(ui::SystemColor(COLOR_WINDOW))
                                             : DarkenColor(ui::SystemColor(COLOR_WINDOW)));
        canvas.SetTextColor(ui::kBlack);
    }
    canvas.TextOut(Scale(24), rect.top + Scale(3), LanguageDisplayName(entry, LanguageNativeName(entry)));
    canvas.TextOut(rect.right - Scale(45), rect.top + Scale(1), LanguageVersion(entry));
    const std::wstring flag = FlagPath(entry);
    if (UniqueIcon icon{ui::LoadIconFileForDpi(flag.c_str(), Dpi())}) {
        canvas.DrawIcon(rect.left + Scale(3), rect.top + Scale(2), icon.get());
    }
}

void TForm2::Label4Click() { ShellExecuteW(nullptr, L"open", kDownloadPage, L"", nullptr, SW_SHOW); }

}  // namespace qm
