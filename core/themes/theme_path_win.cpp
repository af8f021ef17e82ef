#include "core/themes/theme_path_win.h"

#include "core/base/module_path_win.h"
#include "core/settings/ini_file_win.h"
#include "core/settings/settings_win.h"

namespace qm {

std::wstring ThemeStoreFolderIn(const std::wstring& moduleFolder) { return moduleFolder + L"samples\\"; }
std::wstring ThemeStoreFolder() { return ThemeStoreFolderIn(ModuleFolder()); }

std::wstring ReadThemeNameIn(const std::wstring& moduleFolder) {
    try {
        if (moduleFolder.empty()) return kDefaultThemeName;
        IniFile ini(SettingsFilePathIn(moduleFolder));
        return ini.ReadString(kThemeNameSetting.section, kThemeNameSetting.key, kDefaultThemeName);
    } catch (...) {
        return kDefaultThemeName;
    }
}

std::wstring ReadThemeName() { return ReadThemeNameIn(ModuleFolder()); }

std::wstring CurrentThemePathIn(const std::wstring& moduleFolder) {
    return ThemeStoreFolderIn(moduleFolder) + ReadThemeNameIn(moduleFolder);
}

std::wstring CurrentThemePath() { return CurrentThemePathIn(ModuleFolder()); }

}  // namespace qm
