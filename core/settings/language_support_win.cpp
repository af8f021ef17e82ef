#include "core/base/long_path_win.h"
#include "core/settings/language_support.h"

#include <windows.h>

#include "core/base/module_path_win.h"
#include "core/base/text.h"
#include "core/settings/current_language.h"
#include "core/settings/ini_file_win.h"
#include "core/settings/language_lookup.h"
#include "core/settings/settings_win.h"

namespace qm {

namespace {
constexpr wchar_t kBuiltInLanguage[] = L"English";
constexpr wchar_t kDictSection[] = L"Dict";
constexpr wchar_t kInfoSection[] = L"info";

// Each call binds its own reader to the file: nothing is shared between calls or threads.
std::optional<std::wstring> ReadDictionary(const std::wstring& languageFile, const std::wstring& key) {
    return IniFile(languageFile).TryReadString(kDictSection, key, key);
}
}  // namespace

std::wstring LanguageFolderIn(const std::wstring& moduleFolder) { return moduleFolder + L"langs\\"; }

std::wstring LanguageFilePathIn(const std::wstring& moduleFolder) {
    if (moduleFolder.empty()) return std::wstring();
    return LanguageFolderIn(moduleFolder) +
           IniFile(SettingsFilePathIn(moduleFolder))
               .ReadStringOr(kCurLangSetting.section, kCurLangSetting.key, kCurLangSetting.fallback);
}

std::wstring LanguageFilePath() { return LanguageFilePathIn(ModuleFolder()); }

std::wstring TranslateTextWith(const LanguageProfile& profile, std::wstring_view english) {
    if (profile.moduleFolder.empty()) return ExpandLineBreaks(english);
    if (profile.lookup == LanguageLookup::Program) {
        const std::wstring file = LanguageFolderIn(profile.moduleFolder) + profile.language;
        return LookUpText(english, profile.language == kBuiltInLanguage,
                          [&](const std::wstring& key) { return ReadDictionary(file, key); });
    }
    // The extension has no built-in language: no file under the current name means the texts
    // as written. The path is formed again for the read, as the settings may change meanwhile.
    const bool noFile = !IsExistingFile(LanguageFilePathIn(profile.moduleFolder));
    return LookUpText(english, noFile, [&](const std::wstring& key) {
        return ReadDictionary(LanguageFilePathIn(profile.moduleFolder), key);
    });
}

std::wstring TranslateText(std::wstring_view english) {
    return TranslateTextWith({LanguageLookup::Program, ModuleFolder(), CurrentLanguage()}, english);
}

std::wstring TranslateText(std::string_view english) { return TranslateText(AsciiToWide(english)); }

std::wstring TranslateTextForExtension(std::wstring_view english) {
    return TranslateTextWith({LanguageLookup::Extension, ModuleFolder(), {}}, english);
}

std::wstring TranslateTextForExtension(std::string_view english) {
    return TranslateTextForExtension(AsciiToWide(english));
}

std::wstring LanguageInfoIn(const std::wstring& moduleFolder, std::wstring_view entry, std::wstring_view key) {
    if (moduleFolder.empty() || entry.empty()) return std::wstring();
    return IniFile(LanguageFolderIn(moduleFolder) + std::wstring(entry)).ReadStringOr(kInfoSection, key, L"");
}

std::wstring LanguageNativeName(std::wstring_view entry) {
    return LanguageInfoIn(ModuleFolder(), entry, L"NativeName");
}
std::wstring LanguageVersion(std::wstring_view entry) { return LanguageInfoIn(ModuleFolder(), entry, L"Ver"); }

TranslatorDetails LanguageTranslatorIn(const std::wstring& moduleFolder, std::wstring_view entry) {
    return {LanguageInfoIn(moduleFolder, entry, L"Author"), LanguageInfoIn(moduleFolder, entry, L"www"),
            LanguageInfoIn(moduleFolder, entry, L"email")};
}

TranslatorDetails LanguageTranslator(std::wstring_view entry) { return LanguageTranslatorIn(ModuleFolder(), entry); }

}  // namespace qm
