#pragma once
// What the commands of both folder menus run (the classic submenu and the Windows 11 flyout, whose
// table is menu_layout_win.h): applying a theme icon and resetting run in the calling thread
// through the extension's profile; the custom icon, theme and About windows are the main
// program's, started on its own.
#include <windows.h>

#include <string>

namespace qm::shellext {

// Path of the main program next to this library: the module folder + "Quillmark.exe".
std::wstring MainProgramPath();

// Applies icon `icon` of the theme file to the folder; failures are reported by their own messages,
// after which the answer is HRESULT_FROM_WIN32(ERROR_CANCELLED) (the user has been told).
HRESULT ApplyThemeIcon(const std::wstring& folder, const std::wstring& themePath, UINT icon);
// Resets the folder; a refusal is reported by its own message.
void ResetFolder(const std::wstring& folder);

// The main program with `parameters` ("/theme", "/about"); S_OK when it started, else the
// platform's error.
HRESULT StartMainProgram(const std::wstring& parameters);
// The main program's custom icon window for the folder; S_OK when it started.
HRESULT StartCustomIconWindow(const std::wstring& folder);

}  // namespace qm::shellext
