#pragma once
// The theme store: the folders "samples" holding icon libraries (*.icl), the user's and the shipped
// one (the same folder when the program's folder can be written; see theme_path_win.h), and the
// operations that change it. Each reports to the user itself with message boxes owned by the
// application's main window; callers refresh their theme lists afterwards.
#include <windows.h>

#include <string>

namespace qm {

struct ThemeStore {
    std::wstring folder;   // the user's store, where themes are installed and deleted; trailing backslash
    HWND owner = nullptr;  // owner of the message boxes: the application's main window
    std::wstring shipped;  // the shipped themes, read-only when not `folder`; empty: the same as `folder`
};

// The program's store: UserThemeFolder() and ShippedThemeFolder().
ThemeStore ProgramThemeStore(HWND owner = nullptr);

// Dispatches by file type: an .icl library, an iColorFolder.dll, or "do not knows" for anything else.
void InstallTheme(const ThemeStore& store, const std::wstring& file);
// Copies an .icl file into the store under its own name, asking before replacing one of that name.
void InstallIconLibrary(const ThemeStore& store, const std::wstring& file);
// Copies an iColorFolder theme library into the store as "<FileDescription>.icl".
void InstallColorFolderTheme(const ThemeStore& store, const std::wstring& file);
// Asks, then moves the theme file to the recycle bin (its .txt description stays). A shipped theme
// outside the user's store is not deleted: a box says that only an administrator can.
void DeleteTheme(const ThemeStore& store, const std::wstring& themePath);

// The same on the program's store.
void InstallTheme(const std::wstring& file, HWND owner = nullptr);
void DeleteTheme(const std::wstring& themePath, HWND owner = nullptr);

}  // namespace qm
