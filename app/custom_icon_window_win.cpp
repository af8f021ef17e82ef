#include "app/custom_icon_window_win.h"

#include <tuple>

#include "app/window_translation_win.h"
#include "core/base/error.h"
#include "core/base/message_owner_win.h"
#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_messages_win.h"
#include "core/icons/picture_codec_win.h"
#include "core/settings/colour_history.h"
#include "core/settings/current_language.h"
#include "core/settings/language_keys.h"
#include "core/settings/settings_win.h"
#include "ui/dialogs_win.h"

namespace qm {

namespace {
constexpr int kClientWidth = 518, kClientHeight = 451;
}  // namespace

TfCustomIcon::TfCustomIcon(std::wstring folder, ui::Form* owner) : ui::Form(owner), FFolder(std::move(folder)) {
    SetCaption(L"Icon for selected folder");
    SetBorderStyle(ui::BorderStyle::Sizeable, true, true);
    SetClientSize(kClientWidth, kClientHeight);
    SetCenterOnScreen(true);

    Label1 = Add<ui::Label>(L"Label1", nullptr, ui::Bounds{8, 8, 194, 21}, L"Tooltip for Folder:");
    Label1->SetAlignment(ui::Alignment::Right);
    t_Tip = Add<ui::Edit>(L"t_Tip", nullptr, ui::Bounds{208, 8, 302, 21});

    ThemeListStyle rows;
    rows.evenRow = {L"Image3", 194, 64, ui::SystemColor(COLOR_3DLIGHT), ui::SystemColor(COLOR_3DLIGHT)};
    rows.oddRow = {L"Image1", 194, 64};
    rows.selectedRow = {L"Image4", 194, 64};
    FThemes = std::make_unique<ThemeList>(*this, nullptr, ui::Bounds{8, 35, 194, 380}, rows);
    Image3 = FThemes->EvenRow;
    Image1 = FThemes->OddRow;
    Image4 = FThemes->SelectedRow;
    ListBox1 = FThemes->ListBox1;
    ImageList2 = FThemes->ImageList2;

    FIcons = std::make_unique<IconList>(*this, nullptr, ui::Bounds{208, 35, 302, 379}, L"ImageList1", nullptr);
    ListView1 = FIcons->ListView1;
    ImageList1 = FIcons->Pictures;

    Memo1 = AddDescriptionMemo(*this, ui::Bounds{208, 335, 302, 81});

    Button2 = Add<ui::Button>(L"Button2", nullptr, ui::Bounds{208, 421, 140, 25}, L"Select custom icon...");
    bApply = Add<ui::Button>(L"bApply", nullptr, ui::Bounds{354, 420, 75, 25}, L"Apply");
    bCancel = Add<ui::Button>(L"bCancel", nullptr, ui::Bounds{435, 420, 75, 25}, L"Cancel");
    std::tie(b_ThemeAdd, b_ThemeMinus) =
        FThemes->AddStoreButtons(L"b_ThemeAdd", {8, 421, 25, 25}, L"b_ThemeMinus", {39, 421, 25, 25}, -14);
    b_Colour = Add<ui::Button>(L"b_Colour", nullptr, ui::Bounds{127, 421, 75, 25}, L"Colour...");

    cb_FileName = Add<ui::Edit>(L"cb_FileName", nullptr, ui::Bounds{0, 0, 100, 21});
    cb_FileName->SetVisible(false);
    GroupBox2 = Add<ui::GroupBox>(L"GroupBox2", nullptr, ui::Bounds{0, 0, 200, 60}, L"GroupBox2");
    GroupBox2->SetVisible(false);
    t_Folder = Add<ui::Edit>(L"t_Folder", GroupBox2, ui::Bounds{8, 16, 180, 21});
    t_Folder2 = Add<ui::Edit>(L"t_Folder2", GroupBox2, ui::Bounds{8, 36, 180, 21});
    Button1 = Add<ui::Button>(L"Button1", nullptr, ui::Bounds{0, 0, 75, 25}, L"Button1");
    Button1->SetVisible(false);

    OpenDialog1 = Add<ui::OpenDialog>(L"OpenDialog1", L"", AsciiToWide(texts::kFilesWithIconsAndPicturesFilter));
    OpenDialog2 = Add<ui::OpenDialog>(L"OpenDialog2");

    SetAnchors(*t_Tip, ui::akLeft | ui::akTop | ui::akRight);
    AnchorThemeAndIconLists(*this, *ListBox1, *ListView1, *Memo1);
    for (ui::Button* b : {Button2, bApply, bCancel}) SetAnchors(*b, ui::akRight | ui::akBottom);
    for (ui::Button* b : {b_ThemeAdd, b_ThemeMinus, b_Colour}) SetAnchors(*b, ui::akLeft | ui::akBottom);
    SetCancelButton(bCancel);

    ListBox1->OnClick = [this] { ListBox1Click(); };
    ListView1->OnDblClick = [this] { ListView1DblClick(); };
    Button1->OnClick = [this] { Button1Click(); };
    Button2->OnClick = [this] { Button2Click(); };
    FThemes->BindStoreButtons(*b_ThemeAdd, *b_ThemeMinus, *OpenDialog2, [this] { Button1Click(); });
    b_Colour->OnClick = [this] { b_ColourClick(); };
    bApply->OnClick = [this] { bApplyClick(); };
    bCancel->OnClick = [this] { bCancelClick(); };

    FormCreate();
}

void TfCustomIcon::FormCreate() {
    ListThemes();
    // The copy names of the apply come from the engine's own generator, seeded once per process.
}

void TfCustomIcon::FormDpiChanged() {
    FThemes->DpiChanged();
    FIcons->DpiChanged();
}

void TfCustomIcon::ListThemes() { FThemes->ListThemes(); }

void TfCustomIcon::SetTheFonts() { SetFont(ui::WindowFont()); }

void TfCustomIcon::FormShow() {
    t_Folder->SetText(FFolder);
    // A path that names no folder (or an empty one) gives an empty tooltip.
    std::wstring tip;
    if (!FFolder.empty()) {
        try {
            tip = ReadFolderCustomization(FFolder).Infotip;
        } catch (const std::exception&) {
            tip.clear();
        }
    }
    t_Tip->SetText(tip);
    ReadCurrentLanguage();
    TranslateWindow(*this);
    SetTheFonts();
}

void TfCustomIcon::Button1Click() {
    FColourIcon.clear();
    FIcons->Fill(cb_FileName->Text());
}

void TfCustomIcon::b_ColourClick() {
    const std::vector<RgbColour> history = ReadColourHistory();
    ui::ChooseColourRequest request;
    request.owner = Handle();
    request.initial = history.empty() ? RGB(0x3A, 0x7B, 0xD5) : RGB(history[0].r, history[0].g, history[0].b);
    for (std::size_t i = 0; i < history.size() && i < request.custom.size(); ++i)
        request.custom[i] = RGB(history[i].r, history[i].g, history[i].b);
    const auto chosen = ui::ShowColourDialog(request);
    if (!chosen) return;
    const RgbColour colour{GetRValue(*chosen), GetGValue(*chosen), GetBValue(*chosen)};
    std::vector<std::uint8_t> ico = MakeColourFolderIcon(colour);
    // The history is a convenience: a settings file that cannot be written does not stop the choice.
    try {
        RememberColour(colour);
    } catch (const UserError&) {}
    cb_FileName->SetText(L"");
    if (FIcons->FillWithIcon(ico) == 1) {
        FColourIcon = std::move(ico);
        ListView1->SetItemIndex(0);
    }
}

void TfCustomIcon::ListBox1Click() {
    ShowSelectedTheme(
        *FThemes, *cb_FileName, [this] { Button1Click(); }, *ListView1, *Memo1);
}

void TfCustomIcon::Button2Click() {
    if (!OpenDialog1->Execute()) return;
    cb_FileName->SetText(OpenDialog1->fileName);
    Button1Click();
}

void TfCustomIcon::bApplyClick() {
    FolderCustomization record;
    record.Folder = t_Folder->Text();
    const int item = ListView1->ItemIndex();
    if (item >= 0) {
        record.IconFile = cb_FileName->Text();
        record.IconIndex = std::to_wstring(item);
    } else {
        record.IconIndex = L"-1";
    }
    record.Infotip = t_Tip->Text();
    const ThreadMessageOwnerScope owner(Handle());
    const bool applied = item >= 0 && !FColourIcon.empty()
                             ? ApplyMadeIconToFolder(record, FColourIcon, CallerProfile::CustomIconWindow)
                             : ApplyIconToFolder(record, CallerProfile::CustomIconWindow);
    if (applied) Close();
}

void TfCustomIcon::ListView1DblClick() {
    if (ListView1->ItemIndex() >= 0) bApplyClick();
}

void TfCustomIcon::bCancelClick() { Close(); }

int RunCustomIconWindow(const std::wstring& folder) {
    TfCustomIcon window(folder);
    return ui::App().Run(window);
}

}  // namespace qm
