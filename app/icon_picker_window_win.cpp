#include "app/icon_picker_window_win.h"

#include <algorithm>
#include <tuple>

#include "app/gradient_fill_win.h"
#include "core/base/error.h"
#include "core/base/long_path_win.h"
#include "core/base/message_owner_win.h"
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
constexpr int kClientWidth = 589, kClientHeight = 469;
}  // namespace

TForm1::TForm1(ui::Form* owner, IconChoiceTarget target) : ui::Form(owner), FTarget(target) {
    SetCaption(L"Select Icon for Folder");
    SetBorderStyle(ui::BorderStyle::Sizeable, false, true);
    SetClientSize(kClientWidth, kClientHeight);
    SetCenterOnScreen(true);

    Image1 = Add<ui::Image>(L"Image1", nullptr, ui::Bounds{0, 0, kClientWidth, kClientHeight});
    Label1 = Add<ui::Label>(L"Label1", nullptr, ui::Bounds{12, 8, 180, 16}, L"Icon libraries:");

    ThemeListStyle rows;
    rows.evenRow = {L"Image3", 186, 64, ui::SystemColor(COLOR_BTNFACE), ui::SystemColor(COLOR_WINDOW)};
    rows.selectedRow = {L"Image4", 186, 64};
    FThemes = std::make_unique<ThemeList>(*this, nullptr, ui::Bounds{8, 24, 186, 401}, rows);
    Image3 = FThemes->EvenRow;
    Image4 = FThemes->SelectedRow;
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
    std::tie(Button3, b_ThDelete) =
        FThemes->AddStoreButtons(L"Button3", {8, 431, 29, 29}, L"b_ThDelete", {43, 431, 29, 30}, -16);
    b_ThDelete->SetEnabled(false);
    Button1 = Add<ui::Button>(L"Button1", nullptr, ui::Bounds{0, 0, 75, 25}, L"Button1");
    Button1->SetVisible(false);

    OpenDialog1 = Add<ui::OpenDialog>(L"OpenDialog1", L"", AsciiToWide(texts::kFilesWithIconsAndPicturesFilter));
    OpenDialog2 = Add<ui::OpenDialog>(L"OpenDialog2");

    // The background lies under every other control and does not paint over them.
    Image1->ModifyStyle(WS_CLIPSIBLINGS, 0);
    Image1->SendToBack();
    Label1->SetBackgroundColor(ui::SystemColor(COLOR_WINDOW));

    SetAnchors(*Image1, ui::akLeft | ui::akTop | ui::akRight | ui::akBottom);
    SetAnchors(*cb_FileName, ui::akLeft | ui::akTop | ui::akRight);
    SetAnchors(*BitBtn1, ui::akTop | ui::akRight);
    AnchorThemeAndIconLists(*this, *ListBox1, *ListView1, *Memo1);
    for (ui::Button* b : {Button2, b_Cancel}) SetAnchors(*b, ui::akRight | ui::akBottom);
    for (ui::Button* b : {Button3, b_ThDelete}) SetAnchors(*b, ui::akLeft | ui::akBottom);
    SetCancelButton(b_Cancel);

    ListBox1->OnClick = [this] { ListBox1Click(); };
    cb_FileName->OnChange = [this] { cb_FileNameChange(); };
    BitBtn1->OnClick = [this] { BitBtn1Click(); };
    Button1->OnClick = [this] { Button1Click(); };
    Button2->OnClick = [this] { Button2Click(); };
    FThemes->BindStoreButtons(*Button3, *b_ThDelete, *OpenDialog2, [this] { Button1Click(); });
    b_Cancel->OnClick = [this] { b_CancelClick(); };
    ListView1->OnDblClick = [this] { ListView1DblClick(); };

    FormCreate();
}

void TForm1::FormCreate() {
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
    FThemes->DpiChanged();
    FIcons->DpiChanged();
    PaintBackground();
}

void TForm1::ListThemes() { FThemes->ListThemes(); }

void TForm1::FormShow() {
    cb_FileName->Clear();
    const std::wstring history = HistoryFilePath();
    if (qm::IsExistingFile(history)) {
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
void TForm1::cb_FileNameChange() {
    Later([this] { Button1Click(); });
}

void TForm1::ListBox1Click() {
    if (ShowSelectedTheme(
            *FThemes, *cb_FileName, [this] { Button1Click(); }, *ListView1, *Memo1)) {
        b_ThDelete->SetEnabled(true);
    }
}

void TForm1::BitBtn1Click() {
    if (!OpenDialog1->Execute()) return;
    cb_FileName->SetText(OpenDialog1->fileName);
    Button1Click();
}

void TForm1::ShowMessage(const wchar_t* english, const wchar_t* caption) {
    // Owned by the picker: a box owned by the disabled main window would enable it again on closing.
    const ThreadMessageOwnerScope owner(Handle());
    ShowUserMessage(TranslateText(english), TranslateText(caption));
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
            ImageList1->Draw(number, canvas, 0, 0);
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
        cb_FileName->Insert(0, file);
        entries.insert(entries.begin(), file);
        WriteHistoryFile(HistoryFilePath(), entries);
    }
    SetModalResult(ui::mrOk);
    Close();
}

void TForm1::ListView1DblClick() {
    if (ListView1->ItemIndex() >= 0) Button2Click();
}

void TForm1::b_CancelClick() { Close(); }

void TForm1::FormResize() {
    if (!Image1) return;  // not made yet
    const SIZE size = Image1->ClientPixels();
    if (!Image1->Picture() || Image1->Picture()->Width() != size.cx || Image1->Picture()->Height() != size.cy) {
        PaintBackground();
    }
}

void ShowIconPicker(ui::Form* owner, IconChoiceTarget target) {
    TForm1 picker(owner, target);
    picker.ShowModal();
}

}  // namespace qm
