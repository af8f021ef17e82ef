#include "core/themes/theme_files_win.h"

#include <windows.h>

#include "core/base/handles_win.h"
#include "core/base/module_path_win.h"
#include "core/base/text.h"

namespace qm {

std::vector<std::wstring> FindThemeFiles(const std::wstring& storeFolder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    UniqueFind find(FindFirstFileW((storeFolder + L"*.ICL").c_str(), &data));
    if (!find) return names;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring name = data.cFileName;
        // The pattern also matches through short names; keep only names that end in ".icl".
        if (name.size() < 4 || UpperAscii(name.substr(name.size() - 4)) != L".ICL") continue;
        names.push_back(name);
    } while (FindNextFileW(find.get(), &data));
    return names;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::vector<ThemeFile> ListStoreThemes(const std::wstring& userFolder, const std::wstring& shippedFolder) {
    std::vector<ThemeFile> themes;
    std::vector<std::wstring> own = FindThemeFiles(userFolder);
    if (!SameName(userFolder, shippedFolder)) {
        for (const std::wstring& name : FindThemeFiles(shippedFolder)) {
            ThemeFile theme{name, shippedFolder + name};
            for (const std::wstring& mine : own)
                if (SameName(mine, name)) theme = {mine, userFolder + mine};
            themes.push_back(theme);
        }
    }
    for (const std::wstring& name : own) {
        bool listed = false;
        for (const ThemeFile& theme : themes) listed = listed || SameName(theme.name, name);
        if (!listed) themes.push_back({name, userFolder + name});
    }
    return themes;
}

std::wstring NameWithoutExtension(const std::wstring& fileName) {
    const std::size_t slash = fileName.find_last_of(L"\\/");
    const std::size_t dot = fileName.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return fileName;
    return fileName.substr(0, dot);
}

std::wstring DescriptionPathOf(const std::wstring& themePath) { return NameWithoutExtension(themePath) + L".txt"; }

std::wstring ToolbarFolder() { return ModuleFolder() + L"toolbar"; }

std::vector<std::wstring> ListToolbarThemes(const std::wstring& toolbarFolder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW((toolbarFolder + L"\\*").c_str(), &fd));
    if (!find) return names;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        names.push_back(name);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

}  // namespace qm
