// What ships in data/: the themes (PE icon libraries of multi-size icons, each with a description
// and its lines in LICENSES), counted by our reader and by icoutils' wrestool alike; the language
// files (UTF-16LE, every key of the system translated, info section, flag icon); the toolbar
// themes with their six pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/base/text.h"
#include "core/icons/icon_library.h"
#include "core/settings/language_template.h"

namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(QM_SOURCE_DIR) / "data";

std::vector<fs::path> FilesWithExtension(const fs::path& folder, const std::string& extension) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.is_regular_file() && e.path().extension() == extension) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Output of a command (its standard output), and whether it exited with 0.
bool RunCommand(const std::string& command, std::string& output) {
    output.clear();
    FILE* p = popen(command.c_str(), "r");
    if (!p) return false;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) output.append(buffer, n);
    return pclose(p) == 0;
}

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// ---- themes ---------------------------------------------------------------------------------

TEST(ShippedThemes, TheDefaultAndTheColouredThemesAreAmongAtLeastFour) {
    const auto themes = FilesWithExtension(kData / "samples", ".icl");
    EXPECT_GE(themes.size(), 4u);
    std::set<std::string> names;
    for (const auto& t : themes) names.insert(t.filename().string());
    EXPECT_TRUE(names.count("WindowsXP.icl"));
    EXPECT_TRUE(names.count("Coloured Folders.icl"));
}

TEST(ShippedThemes, EveryThemeIsAPeLibraryOfMultiSizeIconsWithThe256ImageAsPng) {
    for (const auto& path : FilesWithExtension(kData / "samples", ".icl")) {
        SCOPED_TRACE(path.string());
        qm::IconLibrary library;
        ASSERT_TRUE(library.Open(path.wstring()));
        EXPECT_EQ(library.Kind(), qm::kIconFilePe);  // never NE: Windows 10/11 no longer read those
        ASSERT_GE(library.Count(), 20);
        EXPECT_LE(library.Count(), 60);
        for (int i = 0; i < library.Count(); ++i) {
            SCOPED_TRACE(i);
            qm::IconGroupData group;
            std::wstring failure;
            ASSERT_TRUE(library.Group(i, group, &failure)) << qm::WideToUtf8(failure);
            std::map<int, bool> sizes;  // pixel size -> stored as PNG
            for (std::size_t k = 0; k < group.entries.size(); ++k) {
                const auto& e = group.entries[k];
                const int size = e.Width == 0 ? 256 : e.Width;
                EXPECT_EQ(e.Width, e.Height);
                EXPECT_EQ(e.BitCount, 32);
                const auto& image = group.images[k];
                const bool png = image.size() >= 8 && image.data()[0] == 0x89 && image.data()[1] == 'P' &&
                                 image.data()[2] == 'N' && image.data()[3] == 'G';
                sizes[size] = png;
            }
            EXPECT_EQ(sizes, (std::map<int, bool>{{16, false}, {24, false}, {32, false}, {48, false}, {256, true}}));
        }
    }
}

TEST(ShippedThemes, WrestoolFindsAsManyIconsAsOurReader) {
    std::string version;
    ASSERT_TRUE(RunCommand("wrestool --version 2>&1", version)) << "icoutils (wrestool) is missing";
    for (const auto& path : FilesWithExtension(kData / "samples", ".icl")) {
        SCOPED_TRACE(path.string());
        qm::IconLibrary library;
        ASSERT_TRUE(library.Open(path.wstring()));
        std::string groups, images;
        ASSERT_TRUE(RunCommand("wrestool -l --type=14 " + ShellQuote(path.string()), groups));
        ASSERT_TRUE(RunCommand("wrestool -l --type=3 " + ShellQuote(path.string()), images));
        EXPECT_EQ(CountLines(groups), library.Count());
        EXPECT_EQ(CountLines(images), library.Count() * 5);
        // The group wrestool extracts first is the group our reader calls icon 0.
        std::string first;
        ASSERT_TRUE(RunCommand("f=$(mktemp) && wrestool -x --type=14 --name=1 -o \"$f\" " + ShellQuote(path.string()) +
                                   " && icotool -l \"$f\"; s=$?; rm -f \"$f\"; exit $s",
                               first));
        EXPECT_EQ(CountLines(first), 5) << first;
    }
}

TEST(ShippedThemes, EveryThemeHasADescriptionAndEveryIconALicenceLine) {
    const std::string licences = ReadAll(kData / "samples" / "LICENSES");
    for (const auto& path : FilesWithExtension(kData / "samples", ".icl")) {
        SCOPED_TRACE(path.string());
        auto description = path;
        description.replace_extension(".txt");
        ASSERT_TRUE(fs::exists(description));
        EXPECT_FALSE(ReadAll(description).empty());

        qm::IconLibrary library;
        ASSERT_TRUE(library.Open(path.wstring()));
        // The theme's block: its file name on a line of its own, then one line per icon.
        const std::string head = "\n" + path.filename().string() + "\n";
        const auto at = licences.find(head);
        ASSERT_NE(at, std::string::npos);
        std::istringstream block(licences.substr(at + head.size()));
        std::string line;
        int icons = 0;
        while (std::getline(block, line) && !line.empty()) {
            std::istringstream fields(line);
            int position = -1;
            fields >> position;
            EXPECT_EQ(position, icons) << line;
            EXPECT_TRUE(line.find("-icon-theme ") != std::string::npos) << line;  // the source package
            ++icons;
        }
        EXPECT_EQ(icons, library.Count());
    }
    for (const char* text : {"GPL-3", "LGPL-3", "tango-icon-theme.copyright", "papirus-icon-theme.copyright",
                             "adwaita-icon-theme.copyright"}) {
        EXPECT_TRUE(fs::exists(kData / "samples" / "licence-texts" / text)) << text;
    }
}

TEST(ShippedData, StaysSmall) {
    std::uintmax_t total = 0;
    for (const auto& e : fs::recursive_directory_iterator(kData)) {
        if (e.is_regular_file()) total += e.file_size();
    }
    EXPECT_LT(total, 6u * 1024 * 1024);
}

// ---- toolbar themes -------------------------------------------------------------------------

TEST(ShippedToolbarThemes, TwoThemesWithTheSixPicturesAt32Pixels) {
    std::vector<fs::path> themes;
    for (const auto& e : fs::directory_iterator(kData / "toolbar")) {
        // Every entry of the toolbar folder is listed as a theme: only theme folders belong there.
        EXPECT_TRUE(e.is_directory()) << e.path();
        themes.push_back(e.path());
    }
    EXPECT_GE(themes.size(), 2u);
    for (const auto& theme : themes) {
        for (const char* name : {"change.ico", "options.ico", "lang.ico", "tools.ico", "folder.ico", "about.ico"}) {
            SCOPED_TRACE(theme.string() + " " + name);
            qm::IconLibrary icon;
            ASSERT_TRUE(icon.Open((theme / name).wstring()));
            ASSERT_EQ(icon.Kind(), qm::kIconFileIco);
            qm::IconGroupData group;
            ASSERT_TRUE(icon.Group(0, group));
            ASSERT_FALSE(group.entries.empty());
            // The first image is the one drawn at its own size on the 77 x 67 button.
            EXPECT_EQ(group.entries[0].Width, 32);
            EXPECT_EQ(group.entries[0].Height, 32);
        }
    }
}

// ---- languages ------------------------------------------------------------------------------

struct LanguageFile {
    std::map<std::wstring, std::map<std::wstring, std::wstring>> sections;  // lower-case section names
};

// Lines "key=value" under "[section]", split at the first "=", blanks around both trimmed.
LanguageFile ParseLanguageFile(const fs::path& path, bool& utf16) {
    const std::string bytes = ReadAll(path);
    utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
            static_cast<unsigned char>(bytes[1]) == 0xFE && bytes.size() % 2 == 0;
    LanguageFile file;
    if (!utf16) return file;
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    auto trim = [](std::wstring s) {
        const auto b = s.find_first_not_of(L" \t\r");
        const auto e = s.find_last_not_of(L" \t\r");
        return b == std::wstring::npos ? std::wstring() : s.substr(b, e - b + 1);
    };
    std::wistringstream lines(text);
    std::wstring line, section;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            section = line.substr(1, line.size() - 2);
            for (auto& c : section) c = static_cast<wchar_t>(towlower(c));
            continue;
        }
        const auto eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        file.sections[section][trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
    }
    return file;
}

int Occurrences(const std::wstring& text, const std::wstring& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::wstring::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

TEST(ShippedLanguages, RussianGermanAndFrenchCoverEveryKey) {
    const auto files = FilesWithExtension(kData / "langs", ".ini");
    std::set<std::string> names;
    for (const auto& f : files) names.insert(f.filename().string());
    for (const char* name : {"Russian.ini", "German.ini", "French.ini"}) EXPECT_TRUE(names.count(name)) << name;

    const auto keys = qm::LanguageTemplateKeys();
    ASSERT_GT(keys.size(), 60u);
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        bool utf16 = false;
        const auto file = ParseLanguageFile(path, utf16);
        ASSERT_TRUE(utf16) << "not UTF-16LE with a byte-order mark";
        ASSERT_TRUE(file.sections.count(L"dict"));
        const auto& dict = file.sections.at(L"dict");
        for (const auto& key : keys) {
            SCOPED_TRACE(qm::WideToUtf8(key));
            const auto it = dict.find(key);
            ASSERT_NE(it, dict.end()) << "key missing";
            const std::wstring& value = it->second;
            EXPECT_FALSE(value.empty());
            // Line breaks stay where the English has them; a filter keeps its patterns.
            EXPECT_EQ(Occurrences(value, L"/n"), Occurrences(key, L"/n"));
            const auto bar = key.find(L'|');
            if (bar != std::wstring::npos) {
                const std::wstring patterns = key.substr(bar);
                ASSERT_GE(value.size(), patterns.size());
                EXPECT_EQ(value.substr(value.size() - patterns.size()), patterns);
            }
            // A value the profile reader would unquote, or a key it could not match.
            EXPECT_FALSE(value.size() >= 2 && value.front() == L'"' && value.back() == L'"');
        }
        EXPECT_EQ(dict.size(), keys.size()) << "lines for texts the system does not ask for";
    }
}

TEST(ShippedLanguages, EachHasItsInfoSectionAndAFlag) {
    for (const auto& path : FilesWithExtension(kData / "langs", ".ini")) {
        SCOPED_TRACE(path.string());
        bool utf16 = false;
        const auto file = ParseLanguageFile(path, utf16);
        ASSERT_TRUE(file.sections.count(L"info"));
        const auto& info = file.sections.at(L"info");
        // The language page shows the native name only from four characters on.
        ASSERT_TRUE(info.count(L"NativeName"));
        EXPECT_GE(info.at(L"NativeName").size(), 4u);
        ASSERT_TRUE(info.count(L"Ver"));
        EXPECT_FALSE(info.at(L"Ver").empty());
        ASSERT_TRUE(info.count(L"Author"));
        EXPECT_FALSE(info.at(L"Author").empty());

        auto flag = path;
        flag.replace_extension(".ico");
        qm::IconLibrary icon;
        ASSERT_TRUE(icon.Open(flag.wstring()));
        ASSERT_EQ(icon.Kind(), qm::kIconFileIco);
        qm::IconGroupData group;
        ASSERT_TRUE(icon.Group(0, group));
        ASSERT_EQ(group.entries.size(), 1u);
        EXPECT_EQ(group.entries[0].Width, 16);
        EXPECT_EQ(group.entries[0].Height, 16);
    }
}

}  // namespace
