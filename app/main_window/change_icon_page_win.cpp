// Page 1 of the main window (p_1): choosing a folder and an icon, applying and resetting.
#include "app/icon_picker_window_win.h"
#include "app/main_window/main_window_win.h"
#include "core/base/error.h"
#include "core/base/message_owner_win.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_profiles.h"
#include "core/folder/folder_messages_win.h"
#include "core/icons/icon_library_win.h"
#include "core/settings/language_support.h"
#include "ui/dialogs_win.h"

namespace qm {

namespace {
constexpr int kPreviewWidth = 51, kPreviewHeight = 50;
}  // namespace

void TForm2::CreateChangeIconPage() {
    Label1 = Add<ui::Label>(L"Label1", p_1, ui::Bounds{44, 34, 340, 17}, L"Change Icon for Folder:");
    t_Folder = Add<ui::Edit>(L"t_Folder", p_1, ui::Bounds{44, 56, 346, 22}, L"", true);
    b_SelFolder = Add<ui::Button>(L"b_SelFolder", p_1, ui::Bounds{398, 54, 113, 26}, L"Select folder...");

    GroupBox2 = Add<ui::GroupBox>(L"GroupBox2", p_1, ui::Bounds{4, 96, 507, 96}, L"Selected Icon:");
    Image3 = Add<ui::Image>(L"Image3", GroupBox2, ui::Bounds{16, 28, kPreviewWidth, kPreviewHeight});
    Label6 = Add<ui::Label>(L"Label6", GroupBox2, ui::Bounds{84, 28, 200, 17}, L"Selected Icon:");
    b_SelIco = Add<ui::Button>(L"b_SelIco", GroupBox2, ui::Bounds{84, 50, 140, 26}, L"Select icon...");
    Label8 = Add<ui::Label>(L"Label8", p_1, ui::Bounds{300, 8, 200, 17}, L"");
    Label9 = Add<ui::Label>(L"Label9", p_1, ui::Bounds{300, 8, 40, 17}, L"");
    Label8->SetVisible(false);
    Label9->SetVisible(false);
    // They hold the page's IconFile and IconIndex, not design texts: translation must not touch them.
    Label8->SetHoldsUserText(true);
    Label9->SetHoldsUserText(true);

    Label2 = Add<ui::Label>(L"Label2", p_1, ui::Bounds{4, 208, 340, 17}, L"Tooltip for Folder:");
    t_Tip = Add<ui::Edit>(L"t_Tip", p_1, ui::Bounds{4, 228, 507, 22});

    Button1 = Add<ui::Button>(L"Button1", p_1, ui::Bounds{4, 310, 160, 28}, L"Reset folder icon");
    b_Apply = Add<ui::Button>(L"b_Apply", p_1, ui::Bounds{328, 310, 88, 28}, L"Apply");
    b_Cancel = Add<ui::Button>(L"b_Cancel", p_1, ui::Bounds{423, 310, 88, 28}, L"Close");

    b_SelFolder->OnClick = [this] { b_SelFolderClick(); };
    b_SelIco->OnClick = [this] { b_SelIcoClick(); };
    b_Apply->OnClick = [this] { b_ApplyClick(); };
    Button1->OnClick = [this] { Button1Click(); };
    b_Cancel->OnClick = [this] { b_CancelClick(); };
}

void TForm2::PrepareChangeIconPreview() {
    ui::Canvas& canvas = Image3->GetCanvas();
    canvas.SetBrushColor(ui::kWhite);
    canvas.SetPen(ui::kWhite);
    canvas.FillRect(RECT{0, 0, Scale(kPreviewWidth), Scale(kPreviewHeight)});
}

void TForm2::ShowFolderFromCommandLine(const std::wstring& folder) {
    t_Folder->SetText(folder);
    ReadBackFolder();
}

void TForm2::b_SelFolderClick() {
    ui::BrowseFolderRequest request;
    request.owner = Handle();
    request.title = TranslateText(L"Select folder");
    const std::optional<std::wstring> folder = ui::BrowseForFolder(request);
    if (!folder) return;
    t_Folder->SetText(*folder);
    ReadBackFolder();
}

void TForm2::ReadBackFolder() {
    const FolderCustomization current = ReadFolderCustomization(t_Folder->Text());
    Label8->SetText(current.IconFile);
    Label9->SetText(current.IconIndex);
    t_Tip->SetText(current.Infotip);
    Image3->GetCanvas().Rectangle(RECT{0, 0, Scale(48), Scale(48)});
    if (current.IconFile.size() > 3) {
        // A hand-edited index that is no decimal number leaves the preview blank; Apply reports it.
        int position = -1;
        try {
            position = IconIndexValue(current.IconIndex);
        } catch (const UserError&) {
            return;
        }
        // A copy-mode folder names its copy without a folder: it lies in the folder read back.
        DrawICO(ResolveInFolder(current.Folder, current.IconFile), position);
    }
}

void TForm2::DrawICO(const std::wstring& file, int position) {
    ui::Canvas& canvas = Image3->GetCanvas();
    canvas.FillRect(RECT{0, 0, Scale(kPreviewWidth), Scale(kPreviewHeight)});
    IconLibrary library;
    if (!library.Open(file)) return;
    UniqueIcon icon = MakeLibraryIcon(library, position, Metric(SM_CXICON), Metric(SM_CYICON));
    if (icon) canvas.DrawIcon(0, 0, icon.get());
    Image3->Invalidate();
}

void TForm2::b_SelIcoClick() { ShowIconPicker(this, IconChoiceTarget{Label8, Label9, Image3, t_Folder}); }

void TForm2::b_ApplyClick() {
    const FolderCustomization record{t_Folder->Text(), Label8->Text(), Label9->Text(), t_Tip->Text()};
    const ThreadMessageOwnerScope owner(Handle());
    ApplyIconToFolder(record, CallerProfile::MainWindow);
}

void TForm2::Button1Click() {
    const ThreadMessageOwnerScope owner(Handle());
    ResetIconOfFolder(t_Folder->Text(), CallerProfile::MainWindow);
}

void TForm2::b_CancelClick() { Close(); }

}  // namespace qm
