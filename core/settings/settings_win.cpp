#include "core/settings/settings_win.h"

#include "core/base/data_folder_win.h"
#include "core/settings/current_language.h"
#include "core/settings/ini_file_win.h"

namespace qm {

std::wstring SettingsFilePathIn(const std::wstring& moduleFolder) {
    return DataFolderFor(moduleFolder) + L"quillmark.ini";
}
std::wstring SettingsFilePath() { return DataFolder() + L"quillmark.ini"; }

std::wstring SettingsFilePathForWriting() {
    CreateFolderPath(DataFolder());
    return SettingsFilePath();
}

std::wstring ReadSetting(const SettingKey& key) { return ReadSetting(key, key.fallback); }

std::wstring ReadSetting(const SettingKey& key, std::wstring_view fallback) {
    return IniFile(SettingsFilePath()).ReadStringOr(key.section, key.key, fallback);
}

void ReadCurrentLanguage(std::wstring_view fallback) { CurrentLanguage() = ReadSetting(kCurLangSetting, fallback); }

void WriteSetting(const SettingKey& key, std::wstring_view value) {
    IniFile ini(SettingsFilePathForWriting());
    ini.WriteString(key.section, key.key, value);
}

}  // namespace qm
