// Page 3 of the main window (p_3): the installed languages and the current one.
#include "app/Unit2_win.h"

namespace qm {

// Label13, Edit1, Label14, ListBox1, GroupBox1 with Label15..Label20, Label21, Image4, Label4.
// Not on the page yet (the frame already places the hidden FileListBox1 on p_3).
void TForm2::CreateLanguagePage() {}

// Lists "langs\*.ini" through FileListBox1 into ListBox1 and selects CurrentLanguage; the list
// is not there yet.
void TForm2::FillLanguageList() {}

// Edit1 shows CurrentLanguage; the field is not there yet.
void TForm2::ShowCurrentLanguageName() {}

}  // namespace qm
