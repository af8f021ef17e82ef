#include "app/program_win.h"

#include <windows.h>
#include <commctrl.h>

#include "app/command_line.h"
#include "app/about_window_win.h"
#include "app/custom_icon_window_win.h"
#include "app/menu_theme_window_win.h"
#include "app/main_window/main_window_win.h"
#include "core/base/handles_win.h"
#include "core/settings/current_language.h"
#include "core/settings/settings_win.h"
#include "core/themes/themes_manager_win.h"
#include "ui/form_win.h"

namespace qm {

namespace {
const wchar_t kApplicationTitle[] = L"Quillmark";
}  // namespace

int RunProgram(std::wstring_view commandLine) {
    // The UI thread is a single-threaded apartment for the whole run, before any window: the shell
    // asks for one before ShellExecute (the download and mail links) and the folder browser.
    const ComApartment apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    ui::App().SetTitle(kApplicationTitle);

    ReadCurrentLanguage();

    const StartRequest request = SelectMode(SplitCommandLine(commandLine));
    switch (request.mode) {
        case ProgramMode::About: return RunAboutWindow();
        case ProgramMode::Theme: return RunThemeWindow();
        case ProgramMode::Custom: return RunCustomIconWindow(request.argument);
        case ProgramMode::Install: InstallTheme(request.argument); return 0;  // its own message boxes, no window
        case ProgramMode::Main: break;
    }
    return RunMainWindow(request.argument);
}

}  // namespace qm
