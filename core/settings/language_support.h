#pragma once
// The string lookup through which every user-visible text passes. English texts are their own keys
// in the section "Dict" of a language file in the folder "langs" next to the module.
//
// The program and the shell extension differ only in how they learn the current language:
// the program uses the process-wide CurrentLanguage() ("English" is built in); the extension reads
// `CurLang` from the settings file next to its library at every call, and a name with no file
// behind it gives the texts as written. Both run the same lookup with their LanguageProfile.
#include <string>
#include <string_view>

namespace qm {

enum class LanguageLookup { Program, Extension };

struct LanguageProfile {
    LanguageLookup lookup = LanguageLookup::Program;
    // Folder of the module that asks, with trailing backslash; it holds "langs" and, for the
    // extension, the settings file. Empty (the module's file name is unknown): texts as written.
    std::wstring moduleFolder;
    // Program only: the current language name.
    std::wstring language;
};

// The whole lookup for one profile. A language file that cannot be read gives the text as
// written: nothing but a lack of memory fails towards the caller. Holds no state between calls and
// shares none between threads.
std::wstring TranslateTextWith(const LanguageProfile& profile, std::wstring_view english);

// The program's lookup: CurrentLanguage() and the program's folder.
std::wstring TranslateText(std::wstring_view english);
std::wstring TranslateText(std::string_view english);  // ASCII

// The extension's lookup: `CurLang` afresh from the settings file next to this module.
std::wstring TranslateTextForExtension(std::wstring_view english);
std::wstring TranslateTextForExtension(std::string_view english);  // ASCII

// moduleFolder + "langs\".
std::wstring LanguageFolderIn(const std::wstring& moduleFolder);

// The extension's language file: moduleFolder + "langs\" + `CurLang` of the settings file in
// moduleFolder (default "Default"). Empty when moduleFolder is empty.
std::wstring LanguageFilePathIn(const std::wstring& moduleFolder);
std::wstring LanguageFilePath();

// Section "info" of the language file named `entry` (a list entry of the language page) in the
// program's "langs" folder; empty when the file or the key is missing.
std::wstring LanguageInfoIn(const std::wstring& moduleFolder, std::wstring_view entry, std::wstring_view key);
std::wstring LanguageNativeName(std::wstring_view entry);  // key NativeName
std::wstring LanguageVersion(std::wstring_view entry);     // key Ver

// The translator's details from the same section.
struct TranslatorDetails {
    std::wstring author, www, email;
};
TranslatorDetails LanguageTranslatorIn(const std::wstring& moduleFolder, std::wstring_view entry);
TranslatorDetails LanguageTranslator(std::wstring_view entry);

}  // namespace qm
