// The string lookup against real language files in a temporary "langs" folder, through the
// platform's profile reader.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/base/text.h"
#include "core/settings/current_language.h"
#include "core/settings/language_keys.h"
#include "core/settings/language_lookup.h"
#include "core/settings/language_support.h"
#include "core/settings/language_template.h"
#include "tests/support/files_win.h"

namespace {

using qm::LanguageLookup;
using qm::LanguageProfile;
using qm::TranslateTextWith;
using qmtest::TempDir;

enum class Encoding { Ansi, Utf16 };

// A module folder with a "langs" folder in it.
class ModuleFolder {
public:
    ModuleFolder() { dir_.MakeFolder(L"langs"); }
    std::wstring path() const { return dir_.path() + L"\\"; }
    void AddLanguage(const std::wstring& name, const std::wstring& text, Encoding encoding = Encoding::Utf16) const {
        const std::wstring file = dir_ / (L"langs\\" + name);
        if (encoding == Encoding::Utf16)
            qmtest::WriteUtf16File(file, text);
        else
            qmtest::WriteAnsiFile(file, qm::WideToAnsi(text));
    }
    void SetCurLang(const std::wstring& name) const {
        qmtest::WriteUtf16File(dir_ / L"quillmark.ini", L"[Translate]\r\nCurLang=" + name + L"\r\n");
    }
    std::wstring Program(const std::wstring& language, std::wstring_view english) const {
        return TranslateTextWith({LanguageLookup::Program, path(), language}, english);
    }
    std::wstring Extension(std::wstring_view english) const {
        return TranslateTextWith({LanguageLookup::Extension, path(), {}}, english);
    }

private:
    TempDir dir_{L"qm-lang"};
};

const std::wstring kTools =
    L"Rebuilds all Explorer icons and removes unused Explorer icons from memory. /n /n Rebuild icon when you find "
    L"that Explorer is displaying the wrong icon for a programm or shortcut.";

struct ProgramCase {
    const char* what;
    const wchar_t* language;  // CurrentLanguage
    const wchar_t* fileName;  // language file made in "langs" (nullptr: none)
    std::wstring fileText;
    Encoding encoding;
    std::wstring english;
    std::wstring expected;
};

TEST(LanguageSupport, ProgramLookupAgainstRealFiles) {
    const std::wstring cut(3000, L'x');
    const ProgramCase cases[] = {
        {"English keeps the tools text and makes two line breaks", L"English", nullptr, L"", Encoding::Utf16, kTools,
         L"Rebuilds all Explorer icons and removes unused Explorer icons from memory. \n\r \n\r Rebuild icon when you "
         L"find that Explorer is displaying the wrong icon for a programm or shortcut."},
        {"English keeps trailing dots", L"English", nullptr, L"", Encoding::Utf16, L"Sorry ...", L"Sorry ..."},
        {"English opens no file", L"English", L"English", L"[Dict]\r\nApply=Anwenden\r\n", Encoding::Utf16, L"Apply",
         L"Apply"},
        {"missing file trims", L"German.ini", nullptr, L"", Encoding::Utf16, L" Info: ", L"Info:"},
        {"missing file writes dots as ' ...'", L"German.ini", nullptr, L"", Encoding::Utf16, L"Select folder...",
         L"Select folder ..."},
        {"missing file keeps 'Sorry ...'", L"German.ini", nullptr, L"", Encoding::Utf16, L"Sorry ...", L"Sorry ..."},
        {"Default names no file", L"Default", nullptr, L"", Encoding::Utf16, L"About Quillmark...",
         L"About Quillmark ..."},
        {"no Dict section", L"German.ini", L"German.ini", L"[info]\r\nNativeName=Deutsch\r\n", Encoding::Utf16,
         L"Select icon...", L"Select icon ..."},
        {"empty value leaves the text as written", L"German.ini", L"German.ini", L"[Dict]\r\nSorry=\r\n",
         Encoding::Utf16, L"Sorry ...", L"Sorry ..."},
        {"lower-case key translates and keeps the dots", L"German.ini", L"German.ini",
         L"[dict]\r\nselect icon = Symbol w\u00e4hlen\r\n", Encoding::Utf16, L"Select icon...",
         L"Symbol w\u00e4hlen ..."},
        {"'english' is a file name", L"english", L"english", L"[Dict]\r\nApply=Appliquer\r\n", Encoding::Utf16,
         L"Apply", L"Appliquer"},
        {"/n in a translation", L"German.ini", L"German.ini", L"[Dict]\r\nChange /nicon=Symbol/n\u00e4ndern\r\n",
         Encoding::Utf16, L"Change /nicon", L"Symbol\n\r\u00e4ndern"},
        {"a value of 3000 characters is cut at 2047", L"Long.ini", L"Long.ini", L"[Dict]\r\nApply=" + cut + L"\r\n",
         Encoding::Utf16, L"Apply", std::wstring(2047, L'x')},
        {"UTF-16LE file", L"Russian.ini", L"Russian.ini",
         L"[Dict]\r\nClose=\u0417\u0430\u043a\u0440\u044b\u0442\u044c\r\n", Encoding::Utf16, L"Close",
         L"\u0417\u0430\u043a\u0440\u044b\u0442\u044c"},
        {"whitespace only is the empty text", L"German.ini", L"German.ini", L"[Dict]\r\nApply=x\r\n", Encoding::Utf16,
         L" \t ", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ModuleFolder module;
        if (c.fileName) module.AddLanguage(c.fileName, c.fileText, c.encoding);
        EXPECT_EQ(module.Program(c.language, c.english), c.expected);
    }
}

TEST(LanguageSupport, AnsiFileIsReadInTheAnsiCodePage) {
    ModuleFolder module;
    // e-acute and u-umlaut as single bytes of the ANSI code page (no byte-order mark).
    const std::string bytes = "[Dict]\r\nApply=Appliqu\xe9 \xfc\r\n";
    qmtest::WriteAnsiFile(module.path() + L"langs\\French.ini", bytes);
    EXPECT_EQ(module.Program(L"French.ini", L"Apply"), qm::AnsiToWide("Appliqu\xe9 \xfc"));
    if (GetACP() == 1252) {
        EXPECT_EQ(module.Program(L"French.ini", L"Apply"), L"Appliqu\u00e9 \u00fc");
    }
}

TEST(LanguageSupport, ExtensionReadsCurLangAtEveryCall) {
    ModuleFolder module;
    module.AddLanguage(L"German.ini", L"[Dict]\r\nAbout Quillmark=\u00dcber Quillmark\r\nReset=Zur\u00fccksetzen\r\n");

    // No settings file ("Default"), "English" and a missing file: texts exactly as written.
    EXPECT_EQ(module.Extension(L"About Quillmark..."), L"About Quillmark...");
    module.SetCurLang(L"English");
    EXPECT_EQ(module.Extension(L"About Quillmark..."), L"About Quillmark...");
    EXPECT_EQ(module.Extension(L"Select custom icon..."), L"Select custom icon...");
    EXPECT_EQ(module.Extension(L"Sorry, but Quillmark cannot change icon of this folder. /n Because"),
              L"Sorry, but Quillmark cannot change icon of this folder. \n\r Because");
    module.SetCurLang(L"Missing.ini");
    EXPECT_EQ(module.Extension(L"About Quillmark..."), L"About Quillmark...");
    // ...while the program normalises under the same missing name.
    EXPECT_EQ(module.Program(L"Missing.ini", L"About Quillmark..."), L"About Quillmark ...");

    // A change of the settings is seen at the next call, without a restart.
    module.SetCurLang(L"German.ini");
    EXPECT_EQ(module.Extension(L"About Quillmark..."), L"\u00dcber Quillmark ...");
    EXPECT_EQ(module.Extension(L"Reset"), L"Zur\u00fccksetzen");
    EXPECT_EQ(module.Extension(L"Change Theme..."), L"Change Theme ...");
    EXPECT_EQ(module.Extension(L"   "), L"");

    EXPECT_EQ(qm::LanguageFilePathIn(module.path()), module.path() + L"langs\\German.ini");
    EXPECT_EQ(qm::LanguageFilePathIn(L""), L"");
    // Without the module's folder nothing is read.
    EXPECT_EQ(TranslateTextWith({LanguageLookup::Extension, L"", {}}, L"Reset..."), L"Reset...");
}

TEST(LanguageSupport, ExtensionLookupFromSeveralThreadsAtOnce) {
    ModuleFolder module;
    module.AddLanguage(L"German.ini", L"[Dict]\r\nReset=Zur\u00fccksetzen\r\nAbout Quillmark=\u00dcber Quillmark\r\n");
    module.SetCurLang(L"German.ini");
    std::vector<std::thread> threads;
    std::vector<int> wrong(8, 0);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                if (module.Extension(L"Reset") != L"Zur\u00fccksetzen") ++wrong[t];
                if (module.Extension(L"About Quillmark...") != L"\u00dcber Quillmark ...") ++wrong[t];
                if (module.Extension(L"Change Theme...") != L"Change Theme ...") ++wrong[t];
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrong, std::vector<int>(8, 0));
}

TEST(LanguageSupport, EditedFileTakesEffectAtTheNextLookup) {
    ModuleFolder module;
    module.AddLanguage(L"German.ini", L"[Dict]\r\nApply=Eins\r\n");
    EXPECT_EQ(module.Program(L"German.ini", L"Apply"), L"Eins");
    module.AddLanguage(L"German.ini", L"[Dict]\r\nApply=Zwei und mehr\r\n");
    EXPECT_EQ(module.Program(L"German.ini", L"Apply"), L"Zwei und mehr");
}

TEST(LanguageSupport, ProductEntriesUseCurrentLanguageAndTheirModuleFolder) {
    // The test executable's folder has no language file of these names.
    const std::wstring saved = qm::CurrentLanguage();
    qm::CurrentLanguage() = L"English";
    EXPECT_EQ(qm::TranslateText(qm::texts::kSelectFolderEllipsis), L"Select folder...");
    EXPECT_EQ(qm::TranslateText(L"Change /nicon"), L"Change \n\ricon");
    qm::CurrentLanguage() = L"No such language.ini";
    EXPECT_EQ(qm::TranslateText(qm::texts::kSelectFolderEllipsis), L"Select folder ...");
    EXPECT_EQ(qm::TranslateText(qm::texts::kInfoGroup), L"Info:");
    qm::CurrentLanguage() = saved;
    EXPECT_EQ(qm::TranslateTextForExtension(qm::texts::kMenuAboutEllipsis), L"About Quillmark...");
}

TEST(LanguageSupport, InfoSectionHelpers) {
    ModuleFolder module;
    module.AddLanguage(L"German.ini",
                       L"[Info]\r\nNativeName=Deutsch\r\nVer=1.2\r\nAuthor=Anna\r\nwww=example.org\r\nemail=a@b\r\n");
    module.AddLanguage(L"Bare.ini", L"[Dict]\r\nApply=x\r\n", Encoding::Ansi);
    EXPECT_EQ(qm::LanguageInfoIn(module.path(), L"German.ini", L"NativeName"), L"Deutsch");
    EXPECT_EQ(qm::LanguageInfoIn(module.path(), L"German.ini", L"Ver"), L"1.2");
    const auto details = qm::LanguageTranslatorIn(module.path(), L"German.ini");
    EXPECT_EQ(details.author, L"Anna");
    EXPECT_EQ(details.www, L"example.org");
    EXPECT_EQ(details.email, L"a@b");
    EXPECT_EQ(qm::LanguageInfoIn(module.path(), L"Bare.ini", L"NativeName"), L"");
    EXPECT_EQ(qm::LanguageInfoIn(module.path(), L"English", L"Ver"), L"");
    EXPECT_EQ(qm::LanguageTranslatorIn(module.path(), L"Missing.ini").author, L"");
    EXPECT_EQ(qm::LanguageNativeName(L"English"), L"");
}

TEST(LanguageSupport, EveryKeyOfTheTemplateIsFoundInALanguageFile) {
    ModuleFolder module;
    // The empty template changes nothing: every text comes back as written.
    qmtest::WriteBytes(module.path() + L"langs\\Template.ini", qm::LanguageTemplateFile());
    // A file that translates every key as "<key>".
    std::wstring filled = L"[Dict]\r\n";
    for (const auto& key : qm::LanguageTemplateKeys()) filled += key + L"=<" + key + L">\r\n";
    module.AddLanguage(L"Filled.ini", filled);
    for (std::string_view english : qm::texts::kAll) {
        const std::wstring text = qm::AsciiToWide(english);
        SCOPED_TRACE(qm::WideToUtf8(text));
        EXPECT_EQ(module.Program(L"Template.ini", text), qm::ExpandLineBreaks(text));
        const auto key = qm::NormaliseLanguageKey(text);
        EXPECT_EQ(module.Program(L"Filled.ini", text),
                  qm::ExpandLineBreaks(L"<" + key.key + L">" + (key.dotsRemoved ? L" ..." : L"")));
    }
}

}  // namespace
