// Page 1 of the main window (p_1): choosing a folder and an icon, applying and resetting.
#include "app/Unit2_win.h"

namespace qm {

// The page's controls: Label1, t_Folder, b_SelFolder, GroupBox2 with Image3 and b_SelIco, the
// hidden Label8 and Label9, Label2, t_Tip, Button1, b_Apply, b_Cancel. None yet: the frame
// already places Image2 (the folder picture) on p_1.
void TForm2::CreateChangeIconPage() {}

// The preview (Image3) draws with a white fill and outline; no preview on the page yet.
void TForm2::PrepareChangeIconPreview() {}

// Puts the folder into t_Folder and reads its customization back; no folder field on the page yet,
// so the argument is only kept by the frame.
void TForm2::ShowFolderFromCommandLine(const std::wstring&) {}

}  // namespace qm
