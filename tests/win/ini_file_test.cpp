// The INI access layer against real files under Wine.
#include <gtest/gtest.h>

#include "core/base/error.h"
#include "core/settings/ini_file_win.h"
#include "tests/support/files_win.h"

using qm::IniFile;
using qmtest::TempDir;

namespace {

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault) {
    TempDir dir;
    IniFile missing(dir / L"none.ini");
    EXPECT_EQ(missing.ReadString(L"S", L"K", L"dflt"), L"dflt");
    EXPECT_FALSE(qmtest::Exists(dir / L"none.ini"));  // reading creates nothing

    qmtest::WriteAnsiFile(dir / L"a.ini", "[S]\r\nK=v\r\n");
    IniFile ini(dir / L"a.ini");
    EXPECT_EQ(ini.ReadString(L"S", L"K", L"d"), L"v");
    EXPECT_EQ(ini.ReadString(L"s", L"k", L"d"), L"v");  // names compare without case
    EXPECT_EQ(ini.ReadString(L"Other", L"K", L"d"), L"d");
    EXPECT_EQ(ini.ReadString(L"S", L"Other", L"d"), L"d");
}

TEST(IniFile, NewFileIsUtf16WithBomAndKeepsUnicode) {
    TempDir dir;
    IniFile ini(dir / L"new.ini");
    const std::wstring tip = L"\x0424\x043e\x0442\x043e \x6587\x4ef6 \x00e9t\x00e9";
    ini.WriteString(L".ShellClassInfo", L"Infotip", tip);
    const auto bytes = qmtest::ReadBytes(dir / L"new.ini");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(IniFile(dir / L"new.ini").ReadString(L".ShellClassInfo", L"Infotip", L""), tip);
    EXPECT_NE(qmtest::ReadTextFile(dir / L"new.ini").find(tip), std::wstring::npos);
}

TEST(IniFile, ExistingAnsiFileKeepsItsEncodingAndOtherContent) {
    TempDir dir;
    const std::string original = "; comment\r\n[Foreign]\r\nA=1\r\n[S]\r\nK=old\r\nB=2\r\n";
    qmtest::WriteAnsiFile(dir / L"a.ini", original);
    IniFile ini(dir / L"a.ini");
    ini.WriteString(L"S", L"K", L"new");
    const auto bytes = qmtest::ReadBytes(dir / L"a.ini");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(bytes[0], 0xFF);  // still 8-bit text
    EXPECT_EQ(text, "; comment\r\n[Foreign]\r\nA=1\r\n[S]\r\nK=new\r\nB=2\r\n");
}

TEST(IniFile, EmptyValueStaysAnEmptyKey) {
    TempDir dir;
    IniFile ini(dir / L"e.ini");
    ini.WriteString(L"S", L"K", L"x");
    ini.WriteString(L"S", L"K", L"");
    EXPECT_EQ(ini.ReadString(L"S", L"K", L"default"), L"");  // the key exists, empty
    EXPECT_NE(qmtest::ReadTextFile(dir / L"e.ini").find(L"K=\r\n"), std::wstring::npos);
}

TEST(IniFile, ValuesAreCutAt2047Characters) {
    TempDir dir;
    const std::wstring longValue(3000, L'x');
    IniFile ini(dir / L"l.ini");
    ini.WriteString(L"S", L"K", longValue);
    EXPECT_EQ(ini.ReadString(L"S", L"K", L""), std::wstring(2047, L'x'));
    ini.WriteString(L"S", L"K", std::wstring(2047, L'y'));
    EXPECT_EQ(ini.ReadString(L"S", L"K", L""), std::wstring(2047, L'y'));
}

TEST(IniFile, ReadsAUtf16FileWithBom) {
    TempDir dir;
    qmtest::WriteUtf16File(dir / L"u.ini", L"[Dict]\r\nSelect folder=\x0412\x044b\x0431\x0440\x0430\x0442\x044c\r\n");
    EXPECT_EQ(IniFile(dir / L"u.ini").ReadString(L"Dict", L"Select folder", L""), L"\x0412\x044b\x0431\x0440\x0430\x0442\x044c");
}

TEST(IniFile, RefusedWriteRaisesUnableToWrite) {
    TempDir dir;
    // A path inside a folder that does not exist cannot be written anywhere.
    const std::wstring path = dir / L"no such folder\\x.ini";
    IniFile ini(path);
    try {
        ini.WriteString(L"S", L"K", L"v");
        FAIL() << "no error raised";
    } catch (const qm::UserError& e) {
        EXPECT_EQ(e.text(), L"Unable to write to " + path);
    }
}

TEST(IniFile, WriteOnReadOnlyMediumRaisesAndChangesNothing) {
    const std::wstring media = qmtest::ReadOnlyMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no read-only medium (the fixture needs root)";
    const std::wstring path = media + L"\\Locked\\desktop.ini";
    const auto before = qmtest::ReadBytes(path);
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString(L".ShellClassInfo", L"Infotip", L""), L"kept");  // reads still work
    try {
        ini.WriteString(L".ShellClassInfo", L"Infotip", L"changed");
        FAIL() << "no error raised";
    } catch (const qm::UserError& e) {
        EXPECT_EQ(e.text(), L"Unable to write to " + path);
    }
    EXPECT_THROW(IniFile(media + L"\\new.ini").WriteString(L"S", L"K", L"v"), qm::UserError);
    EXPECT_EQ(qmtest::ReadBytes(path), before);
    EXPECT_FALSE(qmtest::Exists(media + L"\\new.ini"));
}

}  // namespace
