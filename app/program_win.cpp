#include "app/program_win.h"

#include <windows.h>
#include <commctrl.h>

#include "app/command_line.h"
#include "app/Un_fAbout_win.h"
#include "app/Unit2_win.h"
#include "core/settings/current_language.h"
#include "core/settings/settings_win.h"
#include "core/themes/themes_manager_win.h"
#include "ui/form_win.h"

namespace qm {

namespace {
const wchar_t kApplicationTitle[] = L"Quillmark";

// A mode whose window is not part of this build says so instead of pretending to work.
int ReportModeNotBuilt(const wchar_t* what) {
    std::wstring text = std::wstring(what) + L" is not available in this build of Quillmark.";
    MessageBoxW(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_ICONINFORMATION);
    return 1;
}
}  // namespace

int RunProgram(std::wstring_view commandLine) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    ui::App().SetTitle(kApplicationTitle);

    try {
        CurrentLanguage() = ReadSetting(kCurLangSetting, L"Default");
    } catch (...) {
        CurrentLanguage() = L"Default";
    }

    const StartRequest request = SelectMode(SplitCommandLine(commandLine));
    switch (request.mode) {
        case ProgramMode::About: return RunAboutWindow();
        case ProgramMode::Theme: return ReportModeNotBuilt(L"The context-menu theme window");
        case ProgramMode::Custom: return ReportModeNotBuilt(L"The custom icon window");
        case ProgramMode::Install: InstallTheme(request.argument); return 0;  // its own message boxes, no window
        case ProgramMode::Main: break;
    }
    return RunMainWindow(request.argument);
}

}  // namespace qm
