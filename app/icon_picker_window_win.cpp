#include "app/icon_picker_window_win.h"

#include <algorithm>

#include "app/gradient_fill_win.h"
#include "core/base/error.h"
#include "core/base/module_path_win.h"
#include "core/base/text.h"
#include "core/folder/folder_profiles.h"
#include "core/settings/current_language.h"
#include "core/settings/history_file.h"
#include "core/settings/language_support.h"
#include "core/settings/language_keys.h"
#include "core/settings/settings_win.h"

namespace qm {

namespace {
// Lists the icons of cb_FileName after the combo box has taken the chosen entry's text.
constexpr UINT kListIconsLater = WM_APP + 0x51;
constexpr int kClientWidth = 589, kClientHeight = 469;
}  // namespace

TForm1::TForm1(ui::Form* owner, IconChoiceTarget target) : ui::Form(owner), FTarget(target) {
    SetCaption(L"Select Icon for Folder");
    SetBorderStyle(ui::BorderStyle::Sizeable, false, true);
    SetClientSize(kClientWidth, kClientHeight);

    Image1 = Add<ui::Image>(L"Image1", nullptr, ui::Bounds{0, 0, kClientWidth, kClientHeight});
    Label1 = Add<ui::Label>(L"Label1", nullptr, ui::Bounds{12, 8, 180, 16}, L"Icon libraries:");

    Image3 = Add<ui::Image>(L"Image3", nullptr, ui::Bounds{0, 0, 186, 64});
    Image4 = Add<ui::Image>(L"Image4", nullptr, ui::Bounds{0, 0, 186, 64});
    Image3->SetVisible(false);
    Image4->SetVisible(false);
    ThemeListStyle rows;
    rows.evenRow = Image3;
    rows.selectedRow = Image4;
    FThemes = std::make_unique<ThemeList>(*this, nullptr, ui::Bounds{8, 24, 186, 401}, rows);
    ListBox1 = FThemes->ListBox1;
    ImageList2 = FThemes->ImageList2;

    cb_FileName = Add<ui::ComboBox>(L"cb_FileName", nullptr, ui::Bounds{200, 28, 342, 21}, ui::ComboStyle::DropDown);
    BitBtn1 = Add<ui::Button>(L"BitBtn1", nullptr, ui::Bounds{549, 23, 26, 26}, L"...");
    FIcons = std::make_unique<IconList>(*this, nullptr, ui::Bounds{200, 55, 377, 371}, L"ImageList3", L"ImageList1");
    ListView1 = FIcons->ListView1;
    ImageList1 = FIcons->LargeIcons;
    ImageList3 = FIcons->Pictures;

    Memo1 = AddDescriptionMemo(*this, ui::Bounds{200, 353, 377, 73});

    Button2 = Add<ui::Button>(L"Button2", nullptr, ui::Bounds{376, 432, 96, 28}, L"Select");
    b_Cancel = Add<ui::Button>(L"b_Cancel", nullptr, ui::Bounds{480, 432, 96, 26}, L"Cancel");
    Button3 = Add<ui::Button>(L"Button3", nullptr, ui::Bounds{8, 431, 29, 29}, L"+");
    b_ThDelete = Add<ui::Button>(L"b_ThDelete", nullptr, ui::Bounds{43, 431, 29, 30}, L"-");
    Button3->SetFont(ui::BoldWindowFont(-16));
    b_ThDelete->SetFont(ui::BoldWindowFont(-16));
    b_ThDelete->SetEnabled(false);
    Button1 = Add<ui::Button>(L"Button1", nullptr, ui::Bounds{0, 0, 75, 25}, L"Button1");
    Button1->SetVisible(false);

    OpenDialog1 = Add<ui::OpenDialog>(L"OpenDialog1", L"", AsciiToWide(texts::kFilesWithIconsAndPicturesFilter));
    OpenDialog2 = Add<ui::OpenDialog>(L"OpenDialog2");

    // The background lies under every other control and does not paint over them.
    SetWindowLongW(Image1->Handle(), GWL_STYLE, GetWindowLongW(Image1->Handle(), GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(Image1->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Label1->SetBackgroundColor(ui::SystemColor(COLOR_WINDOW));

    FAnchors = std::make_unique<ui::AnchorLayout>(*this);
    FAnchors->Add(*Image1, ui::akLeft | ui::akTop | ui::akRight | ui::akBottom);
    FAnchors->Add(*ListBox1, ui::akLeft | ui::akTop | ui::akBottom);
    FAnchors->Add(*cb_FileName, ui::akLeft | ui::akTop | ui::akRight);
    FAnchors->Add(*BitBtn1, ui::akTop | ui::akRight);
    FAnchors->Add(*ListView1, ui::akLeft | ui::akTop | ui::akRight | ui::akBottom);
    FAnchors->Add(*Memo1, ui::akLeft | ui::akRight | ui::akBottom);
    FAnchors->Add(*Button2, ui::akRight | ui::akBottom);
    FAnchors->Add(*b_Cancel, ui::akRight | ui::akBottom);
    FAnchors->Add(*Button3, ui::akLeft | ui::akBottom);
    FAnchors->Add(*b_ThDelete, ui::akLeft | ui::akBottom);

    ListBox1->OnClick = [this] { ListBox1Click(); };
    cb_FileName->OnChange = [this] { cb_FileNameChange(); };
    BitBtn1->OnClick = [this] { BitBtn1Click(); };
    Button1->OnClick = [this] { Button1Click(); };
    Button2->OnClick = [this] { Button2Click(); };
    Button3->OnClick = [this] { Button3Click(); };
    b_ThDelete->OnClick = [this] { b_ThDeleteClick(); };
    b_Cancel->OnClick = [this] { b_CancelClick(); };
    ListView1->OnDblClick = [this] { ListView1DblClick(); };

    FormCreate();
}

void TForm1::FormCreate() {
    PaintRowBackgrounds();
    ListThemes();
    PaintBackground();
    SetTheFonts();
}

// Window colour to 3-D light over the whole picture, then 3-D light to button face over its bottom
// 80 pixels.
void TForm1::PaintBackground() {
    const SIZE size = Image1->ClientPixels();
    auto picture = std::make_unique<ui::Bitmap>(std::max<int>(1, size.cx), std::max<int>(1, size.cy));
    const int w = picture->Width(), h = picture->Height();
    FillGradient(picture->GetCanvas(), RECT{0, 0, w, h}, 256, ui::SystemColor(COLOR_WINDOW),
                 ui::SystemColor(COLOR_3DLIGHT), 0);
    FillGradient(picture->GetCanvas(), RECT{0, std::max(0, h - Scale(80)), w, h}, 256, ui::SystemColor(COLOR_3DLIGHT),
                 ui::SystemColor(COLOR_BTNFACE), 0);
    Image1->SetPicture(std::move(picture));
}

void TForm1::SetTheFonts() { SetFont(ui::WindowFont()); }

void TForm1::FormDpiChanged() {
    PaintRowBackgrounds();
    FThemes->DpiChanged();
    FIcons->DpiChanged();
    PaintBackground();
}

void TForm1::PaintRowBackgrounds() {
    ThemeList::PaintRowBackground(*Image3, ui::SystemColor(COLOR_BTNFACE), ui::SystemColor(COLOR_WINDOW));
    ThemeList::PaintRowBackground(*Image4, ui::SystemColor(COLOR_GRADIENTINACTIVECAPTION),
                                  ui::SystemColor(COLOR_GRADIENTACTIVECAPTION));
}

void TForm1::ListThemes() { FThemes->ListThemes(); }

void TForm1::CentreOnOwner() {
    RECT self{}, over{};
    GetWindowRect(Handle(), &self);
    if (OwnerForm()) {
        GetWindowRect(OwnerForm()->Handle(), &over);
    } else {
        over = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const int w = self.right - self.left, h = self.bottom - self.top;
    int x = over.left + ((over.right - over.left) - w) / 2;
    int y = over.top + ((over.bottom - over.top) - h) / 2;
    // Kept on the screen of the owner when the owner lies near its edge.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        x = std::max<int>(work.left, std::min<int>(x, work.right - w));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
    }
    SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::FormShow() {
    CentreOnOwner();
    cb_FileName->Clear();
    const std::wstring history = HistoryFilePath();
    if (GetFileAttributesW(history.c_str()) != INVALID_FILE_ATTRIBUTES) {
        for (const std::wstring& line : ReadHistoryFile(history)) cb_FileName->Add(line);
    }
    std::wstring file = FTarget.iconFile ? FTarget.iconFile->Text() : std::wstring();
    if (FTarget.folder && !file.empty()) file = ResolveInFolder(FTarget.folder->Text(), file);
    cb_FileName->SetText(file);
    Button1Click();
    ReadCurrentLanguage();
    Button2->SetText(TranslateText(L"Select"));
    b_Cancel->SetText(TranslateText(L"Cancel"));
    Label1->SetText(TranslateText(L"Icon libraries:"));
    SetCaption(TranslateText(L"Select Icon for Folder"));
}

void TForm1::Button1Click() { FIcons->Fill(cb_FileName->Text()); }

// A chosen history entry reaches the edit text after the notification: list the icons once the
// combo box has taken it.
void TForm1::cb_FileNameChange() { PostMessageW(Handle(), kListIconsLater, 0, 0); }

void TForm1::ListBox1Click() {
    const int index = ListBox1->ItemIndex();
    if (index == -1) return;
    const std::wstring theme = FThemes->ThemePath(index);
    cb_FileName->SetText(theme);
    Button1Click();

    ShowThemeDescription(*FAnchors, *ListView1, *Memo1, theme);
    b_ThDelete->SetEnabled(true);
}

void TForm1::BitBtn1Click() {
    if (!OpenDialog1->Execute()) return;
    cb_FileName->SetText(OpenDialog1->fileName);
    Button1Click();
}

void TForm1::ShowMessage(const wchar_t* english, const wchar_t* caption) {
    // Owned by the picker: a box owned by the disabled main window would enable it again on closing.
    MessageBoxExW(Handle(), TranslateText(english).c_str(), TranslateText(caption).c_str(), MB_OK, 0);
}

void TForm1::Button2Click() {
    const int item = ListView1->ItemIndex();
    if (item < 0) {
        ShowMessage(L"Please select icon.", L"Warning");
        return;
    }
    const int number = FIcons->SelectedIconNumber();
    if (FTarget.preview) {
        ui::Canvas& canvas = FTarget.preview->GetCanvas();
        const int side = FTarget.preview->Owner().Scale(48);
        canvas.Rectangle(RECT{0, 0, side, side});
        if (number >= 0 && number < ImageList1->Count()) {
            FIcons->MakePictures(number, number);  // an entry chosen before the view ever showed it
            ImageList_Draw(ImageList1->Handle(), number, canvas.Handle(), 0, 0, ILD_TRANSPARENT);
        }
        FTarget.preview->Invalidate();
    }
    const std::wstring file = cb_FileName->Text();
    if (FTarget.iconFile) FTarget.iconFile->SetText(file);
    if (FTarget.iconIndex) FTarget.iconIndex->SetText(std::to_wstring(item));

    bool known = false;
    std::vector<std::wstring> entries;
    for (int i = 0, n = cb_FileName->Count(); i < n; ++i) {
        entries.push_back(cb_FileName->Item(i));
        known |= entries.back() == file;
    }
    if (!known) {
        SendMessageW(cb_FileName->Handle(), CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(file.c_str()));
        entries.insert(entries.begin(), file);
        WriteHistoryFile(HistoryFilePath(), entries);
    }
    SetModalResult(ui::mrOk);
    Close();
}

void TForm1::ListView1DblClick() {
    if (ListView1->ItemIndex() >= 0) Button2Click();
}

void TForm1::Button3Click() {
    // The store's boxes are owned by the picker, which is modal over the main window.
    if (FThemes->InstallThemeFromDialog(*OpenDialog2, Handle())) Button1Click();
}

void TForm1::b_ThDeleteClick() {
    if (FThemes->DeleteSelectedTheme(Handle())) Button1Click();
}

void TForm1::b_CancelClick() { Close(); }

LRESULT TForm1::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kListIconsLater) {
        Guard([this] { Button1Click(); });
        return 0;
    }
    const LRESULT result = ui::Form::WindowProc(msg, wp, lp);
    if (msg == WM_SIZE && FAnchors) {
        FAnchors->Apply();
        const SIZE size = Image1->ClientPixels();
        if (!Image1->Picture() || Image1->Picture()->Width() != size.cx || Image1->Picture()->Height() != size.cy) {
            PaintBackground();
        }
    }
    return result;
}

void ShowIconPicker(ui::Form* owner, IconChoiceTarget target) {
    TForm1 picker(owner, target);
    picker.ShowModal();
}

}  // namespace qm
