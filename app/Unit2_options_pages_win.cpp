// Pages 2 and 4 of the main window: options (p_2) and tools (p_4).
#include "app/Unit2_win.h"

namespace qm {

// p_2: GroupBox3 with RadioButton1/RadioButton2, GroupBox5 with cbTBThemes and Label5,
// GroupBox6 with cb_ShellMenu and Button3, Button2 "Save Options". Not on the page yet.
void TForm2::CreateOptionsPage() {}

// p_4: GroupBox4 with Label3 and b_RebuiltIconCache. Not on the page yet.
void TForm2::CreateToolsPage() {}

// Checks RadioButton1 or RadioButton2 from Options/CopyIco; the radio buttons are not there yet.
void TForm2::ShowIconModeSetting() {}

// Unchecks cb_ShellMenu when the ".icl" verb's command key cannot be opened; not there yet.
void TForm2::ShowShellVerbSetting() {}

}  // namespace qm
