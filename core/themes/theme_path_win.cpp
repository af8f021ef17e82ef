#include "core/base/long_path_win.h"
#include "core/themes/theme_path_win.h"

#include <windows.h>

#include "core/base/data_folder_win.h"
#include "core/base/module_path_win.h"
#include "core/settings/ini_file_win.h"
#include "core/settings/settings_win.h"

namespace qm {

namespace {

std::wstring Resolve(const std::wstring& userStore, const std::wstring& shippedStore, const std::wstring& name) {
    const std::wstring own = userStore + name;
    return userStore != shippedStore && IsExistingFile(own) ? own : shippedStore + name;
}
}  // namespace

std::wstring ThemeStoreFolderIn(const std::wstring& folder) { return folder + L"samples\\"; }
std::wstring UserThemeFolderIn(const std::wstring& moduleFolder) {
    return ThemeStoreFolderIn(DataFolderFor(moduleFolder));
}
std::wstring UserThemeFolder() { return ThemeStoreFolderIn(DataFolder()); }
std::wstring ShippedThemeFolder() { return ThemeStoreFolderIn(ModuleFolder()); }

std::wstring ReadThemeNameIn(const std::wstring& moduleFolder) {
    if (moduleFolder.empty()) return kDefaultThemeName;
    return IniFile(SettingsFilePathIn(moduleFolder))
        .ReadStringOr(kThemeNameSetting.section, kThemeNameSetting.key, kDefaultThemeName);
}

std::wstring ReadThemeName() { return ReadSetting(kThemeNameSetting); }

std::wstring ResolveThemeIn(const std::wstring& moduleFolder, const std::wstring& name) {
    return Resolve(UserThemeFolderIn(moduleFolder), ThemeStoreFolderIn(moduleFolder), name);
}
std::wstring ResolveTheme(const std::wstring& name) { return Resolve(UserThemeFolder(), ShippedThemeFolder(), name); }

std::wstring CurrentThemePathIn(const std::wstring& moduleFolder) {
    return ResolveThemeIn(moduleFolder, ReadThemeNameIn(moduleFolder));
}

std::wstring CurrentThemePath() { return ResolveTheme(ReadThemeName()); }

}  // namespace qm
