#pragma once
// The settings file "quillmark.ini" in the calling module's data folder (next to the module when
// that folder can be written, otherwise the user's own; see data_folder_win.h). Read afresh at
// every use.
#include <string>
#include <string_view>

namespace qm {

struct SettingKey {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* fallback;  // the default when file, section or key is missing
};

inline constexpr SettingKey kCurLangSetting{L"Translate", L"CurLang", L"Default"};
inline constexpr SettingKey kCopyIcoSetting{L"Options", L"CopyIco", L"1"};
inline constexpr SettingKey kToolbarNameSetting{L"Toolbar", L"Name", L"Default"};
inline constexpr SettingKey kThemeNameSetting{L"Theme", L"name", L"WindowsXP.icl"};
// The colours chosen for folders, newest first (core/settings/colour_history.h).
inline constexpr SettingKey kColourHistorySetting{L"Colours", L"History", L""};

// DataFolder() + "quillmark.ini".
std::wstring SettingsFilePath();
// The settings file of a module in a given folder (with trailing backslash): DataFolderFor(moduleFolder).
std::wstring SettingsFilePathIn(const std::wstring& moduleFolder);
// SettingsFilePath(), its folder created first (the user's data folder on its first write).
std::wstring SettingsFilePathForWriting();

// Opens, reads one key and closes; any failure gives the default (the key's own, or `fallback`).
std::wstring ReadSetting(const SettingKey& key);
std::wstring ReadSetting(const SettingKey& key, std::wstring_view fallback);

// Reads `CurLang` again into CurrentLanguage(): `fallback` when file or key is missing or unreadable.
// The windows do this when they are shown, so a language chosen elsewhere is taken up.
void ReadCurrentLanguage(std::wstring_view fallback = kCurLangSetting.fallback);

// Opens, writes one key and closes. Throws UserError "Unable to write to %s".
void WriteSetting(const SettingKey& key, std::wstring_view value);

}  // namespace qm
