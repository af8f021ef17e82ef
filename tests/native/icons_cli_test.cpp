// quillmark-cli icons: list, extract and pack as processes, and the differential test of
// `icons extract` against icoutils' wrestool on generated NE and PE libraries and on real PE
// modules of the Wine installation.
//
// wrestool writes more bytes than an icon holds: behind the .ico file it leaves as many bytes
// as the group resource has (and, for NE modules, the images' padding to the alignment unit),
// of unset content. The test therefore requires wrestool's output to start with ours byte for
// byte and its surplus to stay within that bound.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "core/base/text.h"
#include "core/icons/binary_layouts.h"
#include "core/icons/icon_library.h"
#include "tests/support/icon_fixtures.h"

using namespace qm;
using qmtest::IconSet;
using qmtest::IconTempDir;

namespace {

struct Result {
    int exit = -1;
    std::string output;
};

Result RunShell(const std::string& command) {
    Result r;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) r.output.append(buffer, n);
    const int status = pclose(p);
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string Cli() { return std::string(QM_BUILD_DIR) + "/quillmark-cli"; }
std::string U(const std::wstring& w) { return WideToUtf8(w); }
std::string Q(const std::wstring& w) { return "'" + U(w) + "'"; }

bool HaveWrestool() { return RunShell("wrestool --version").exit == 0; }

// wrestool's --name for group i of a library.
std::string WrestoolName(const IconLibrary& lib, int i) {
    const PeResourceName name = lib.GroupName(i);
    return name.isId ? std::to_string(name.id) : U(name.name);
}

// wrestool -x -o FOLDER names its files FILE_14_NAME_LANGUAGE.ico (PE) or FILE_14_NAME.ico (NE).
std::map<std::string, std::wstring> WrestoolGroups(const std::wstring& file, const std::wstring& folder, bool pe) {
    std::filesystem::create_directories(std::filesystem::path(folder));
    const Result w = RunShell("(wrestool -x -t 14 -o " + Q(folder) + " " + Q(file) + " 2>/dev/null)");
    EXPECT_EQ(w.exit, 0) << w.output;
    std::map<std::string, std::wstring> groups;
    const std::string prefix = std::filesystem::path(file).filename().string() + "_14_";
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(folder))) {
        std::string name = e.path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        name = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (pe) name = name.substr(0, name.rfind('_'));
        groups[name] = e.path().wstring();
    }
    return groups;
}

// Every group through `extract all` (one process), a few through single extracts, all of them
// against wrestool's extraction of every group (one process).
void ExpectSameAsWrestool(const std::wstring& file, const std::wstring& folder) {
    IconLibrary lib;
    ASSERT_TRUE(lib.Open(file));
    const int count = lib.Count();
    ASSERT_GT(count, 0);
    const Result all = RunShell(Cli() + " icons extract " + Q(file) + " all " + Q(folder + L"/all"));
    ASSERT_EQ(all.exit, 0) << all.output;
    for (int i : {0, count / 2, count - 1}) {
        const std::wstring one = folder + L"/one.ico";
        const Result r = RunShell(Cli() + " icons extract " + Q(file) + " " + std::to_string(i) + " " + Q(one));
        ASSERT_EQ(r.exit, 0) << r.output;
        EXPECT_EQ(qmtest::ReadAll(one), qmtest::ReadAll(folder + L"/all/" + std::to_wstring(i) + L".ico"))
            << "all vs one, icon " << i;
    }
    const auto theirs = WrestoolGroups(file, folder + L"/wrestool", lib.Kind() == kIconFilePe);
    ASSERT_EQ(theirs.size(), static_cast<std::size_t>(count)) << U(file);
    for (int i = 0; i < count; ++i) {
        const auto it = theirs.find(WrestoolName(lib, i));
        ASSERT_NE(it, theirs.end()) << U(file) << " icon " << i << " " << WrestoolName(lib, i);
        const auto a = qmtest::ReadAll(folder + L"/all/" + std::to_wstring(i) + L".ico");
        const auto b = qmtest::ReadAll(it->second);
        ASSERT_GE(b.size(), a.size()) << U(file) << " icon " << i;
        EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin())) << U(file) << " icon " << i;
        IconGroupData g;
        ASSERT_TRUE(lib.Group(i, g));
        std::size_t bound = 6 + 14 * g.entries.size();
        if (lib.Kind() == kIconFileNe) bound += g.entries.size() * 65536;  // padding, at most one unit each
        EXPECT_LE(b.size() - a.size(), bound) << U(file) << " icon " << i;
    }
}

}  // namespace

TEST(IconsCli, ListShowsKindCountAndImages) {
    IconTempDir dir;
    IconSet set;
    set.AddGenerated(2);
    const std::wstring ne = dir.Write(L"lib.icl", BuildNeIconLibrary(set.Icons()));
    const Result r = RunShell(Cli() + " icons list " + Q(ne));
    ASSERT_EQ(r.exit, 0) << r.output;
    EXPECT_EQ(r.output,
              "kind 4 ne\ncount 2\n"
              "icon 0 id 1: 2 images\n"
              "  image 0: width 16 height 16 colors 16 bits 4 bytes " +
                  std::to_string(set.Icons()[0].icon.entries[0].BytesInRes) +
                  "\n"
                  "  image 1: width 32 height 32 colors 0 bits 32 bytes " +
                  std::to_string(set.Icons()[0].icon.entries[1].BytesInRes) +
                  "\n"
                  "icon 1 id 2: 3 images\n"
                  "  image 0: width 16 height 16 colors 16 bits 4 bytes " +
                  std::to_string(set.Icons()[1].icon.entries[0].BytesInRes) +
                  "\n"
                  "  image 1: width 32 height 32 colors 0 bits 32 bytes " +
                  std::to_string(set.Icons()[1].icon.entries[1].BytesInRes) +
                  "\n"
                  "  image 2: width 48 height 48 colors 0 bits 8 bytes " +
                  std::to_string(set.Icons()[1].icon.entries[2].BytesInRes) + "\n");
}

// The tool reads a file by its content and says which format it found: an icon file under
// another name, and an NE library an apply's probe refuses (it asks for Windows 3.0 or later and
// a resource table), are still listed and extracted.
TEST(IconsCli, ReadsByContentWhateverTheNameAndSaysTheFormatFound) {
    IconTempDir dir;
    IconSet set;
    set.AddGenerated(2);
    std::vector<std::uint8_t> oldNe = BuildNeIconLibrary(set.Icons());
    const std::size_t header = oldNe[qm::dos_header::kNewHeader] | oldNe[qm::dos_header::kNewHeader + 1] << 8;
    qmtest::Put16(oldNe, header + qm::ne_header::kExpectedWindowsVersion, 0x0200);  // Windows 2.0
    struct Case {
        std::wstring file;
        std::string kind;
        int count;
    } cases[] = {
        {dir.Write(L"icon.dat", set.IcoFile(1)), "kind 2 ico\ncount 1\n", 1},
        {dir.Write(L"icon", set.IcoFile(1)), "kind 2 ico\ncount 1\n", 1},
        {dir.Write(L"old.icl", oldNe), "kind 4 ne\ncount 2\n", 2},
        {dir.Write(L"lib.icl", BuildPeIconLibrary(set.Icons())), "kind 3 pe\ncount 2\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(U(c.file));
        const Result list = RunShell(Cli() + " icons list " + Q(c.file));
        EXPECT_EQ(list.exit, 0) << list.output;
        EXPECT_EQ(list.output.rfind(c.kind, 0), 0u) << list.output;
        const std::wstring out = dir.File(L"one.ico");
        const int last = c.count - 1;
        const Result one = RunShell(Cli() + " icons extract " + Q(c.file) + " " + std::to_string(last) + " " + Q(out));
        EXPECT_EQ(one.exit, 0) << one.output;
        EXPECT_EQ(one.output, c.kind.substr(0, c.kind.find('\n') + 1));
        EXPECT_EQ(qmtest::ReadAll(out), set.IcoFile(c.count == 1 ? 1 : static_cast<std::size_t>(last)));
        std::filesystem::remove(std::filesystem::path(out));
        const std::wstring folder = dir.File(L"all-" + std::to_wstring(c.count) + c.file.substr(c.file.size() - 3));
        const Result all = RunShell(Cli() + " icons extract " + Q(c.file) + " all " + Q(folder));
        EXPECT_EQ(all.exit, 0) << all.output;
        EXPECT_EQ(qmtest::ReadAll(folder + L"/" + std::to_wstring(last) + L".ico"),
                  set.IcoFile(c.count == 1 ? 1 : static_cast<std::size_t>(last)));
    }
}

TEST(IconsCli, PackThenExtractGivesTheInputsBack) {
    IconTempDir dir;
    IconSet set;
    set.AddGenerated(3);
    std::string inputs;
    for (std::size_t i = 0; i < set.size(); ++i)
        inputs += " " + Q(dir.Write(std::to_wstring(i) + L"-in.ico", set.IcoFile(i)));
    for (const char* option : {"", " --pe"}) {
        const std::wstring lib = dir.File(std::wstring(L"packed") + (*option ? L"-pe" : L"") + L".icl");
        const Result pack = RunShell(Cli() + " icons pack " + Q(lib) + option + inputs);
        ASSERT_EQ(pack.exit, 0) << pack.output;
        std::int32_t kind = 0, count = 0;
        ASSERT_TRUE(ProbeIconFile(lib, kind, count));
        EXPECT_EQ(kind, *option ? kIconFilePe : kIconFileNe);
        EXPECT_EQ(count, 3);
        for (int i = 0; i < 3; ++i) {
            const std::wstring out = dir.File(L"out.ico");
            const Result r = RunShell(Cli() + " icons extract " + Q(lib) + " " + std::to_string(i) + " " + Q(out));
            ASSERT_EQ(r.exit, 0) << r.output;
            EXPECT_EQ(qmtest::ReadAll(out), set.IcoFile(static_cast<std::size_t>(i)));
        }
    }
}

TEST(IconsCli, BadInputGivesAMessageAndAFailingExit) {
    IconTempDir dir;
    IconSet set;
    set.AddGenerated(2);
    const std::wstring lib = dir.Write(L"lib.icl", BuildNeIconLibrary(set.Icons()));
    const std::wstring pe = dir.Write(L"lib.dll", BuildPeIconLibrary(set.Icons()));
    const std::wstring text = dir.Write(L"notes.txt", std::vector<std::uint8_t>(100, 'x'));
    auto badIco = set.IcoFile(0);
    qmtest::Put16(badIco, 2, 2);
    const std::wstring bad = dir.Write(L"bad.ico", badIco);
    auto manyIco = set.IcoFile(0);
    qmtest::Put16(manyIco, 4, 33);
    const std::wstring many = dir.Write(L"many.ico", manyIco);
    const std::wstring out = dir.File(L"out.ico");
    struct Case {
        std::string args;
        int exit;
        std::string message;  // a part of the output
    } cases[] = {
        {"", 2, "usage"},
        {"nonsense", 2, "unknown command: nonsense"},
        {"icons", 2, "usage"},
        {"icons list", 2, "usage"},
        {"icons list " + Q(dir.File(L"missing.icl")), 1, "cannot open"},
        {"icons list " + Q(text), 1, "not an icon file"},
        {"icons extract " + Q(lib) + " x " + Q(out), 2, "not an icon index: x"},
        {"icons extract " + Q(lib) + " 99999999999 " + Q(out), 2, "not an icon index"},
        {"icons extract " + Q(lib) + " 2 " + Q(out), 1, "no icon #2"},
        {"icons extract " + Q(pe) + " 2 " + Q(out), 1, "No icon with specified index"},
        {"icons extract " + Q(bad) + " 0 " + Q(out), 1, "not an icon file"},
        {"icons extract " + Q(many) + " 0 " + Q(out), 1, "TWrenIcoObj.LoadFromIC\r\n\r\nException in file"},
        {"icons extract " + Q(many) + " all " + Q(dir.File(L"folder")), 1, "Invalid icon resource header - Count > 32"},
        {"icons extract " + Q(text) + " 0 " + Q(out), 1, "not an icon file"},
        {"icons extract " + Q(lib) + " 0 " + Q(dir.File(L"no/such/folder/x.ico")), 1, ""},
        {"icons pack " + Q(out), 2, "usage"},
        {"icons pack " + Q(out) + " " + Q(bad), 1, "Invalid icon resource header - Type <> 1"},
        {"icons pack " + Q(out) + " " + Q(dir.File(L"missing.ico")), 1, "cannot open"},
    };
    for (const Case& c : cases) {
        const Result r = RunShell(Cli() + " " + c.args);
        EXPECT_EQ(r.exit, c.exit) << c.args << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
        EXPECT_FALSE(r.output.empty()) << c.args;
        EXPECT_FALSE(qmtest::FileExists(out)) << c.args;
    }
}

TEST(IconsCliDifferential, GeneratedLibrariesMatchWrestool) {
    if (!HaveWrestool()) GTEST_SKIP() << "icoutils not installed";
    IconTempDir dir;
    IconSet set;
    set.AddGenerated(5);
    set.Add(qmtest::MakeIcoFile(qmtest::LibraryIconSpecs(9)), L"Named");
    ExpectSameAsWrestool(dir.Write(L"lib.icl", BuildNeIconLibrary(set.Icons())), dir.File(L"ne"));
    ExpectSameAsWrestool(dir.Write(L"lib-pe.icl", BuildPeIconLibrary(set.Icons())), dir.File(L"pe"));
}

TEST(IconsCliDifferential, RealPeModulesMatchWrestool) {
    if (!HaveWrestool()) GTEST_SKIP() << "icoutils not installed";
    const std::filesystem::path wine = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
    int tested = 0;
    for (const char* name :
         {"shell32.dll", "user32.dll", "comctl32.dll", "comdlg32.dll", "explorer.exe", "winecfg.exe"}) {
        const std::filesystem::path file = wine / name;
        if (!std::filesystem::exists(file)) continue;
        IconLibrary lib;
        ASSERT_TRUE(lib.Open(file.wstring()));
        if (lib.Count() == 0) continue;
        IconTempDir dir;
        ExpectSameAsWrestool(file.wstring(), dir.path());
        ++tested;
    }
    if (tested == 0) GTEST_SKIP() << "no PE modules with icons found";
}
