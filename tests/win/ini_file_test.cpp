// The INI access layer against real files under Wine.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/base/error.h"
#include "core/settings/ini_file_win.h"
#include "core/base/text.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"

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
    EXPECT_EQ(IniFile(dir / L"u.ini").ReadString(L"Dict", L"Select folder", L""),
              L"\x0412\x044b\x0431\x0440\x0430\x0442\x044c");
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

// The layer's own access against the platform's profile functions, on the same files: what it
// reads, and the bytes it writes where the platform keeps a file's form (Wine's writer rewrites the
// whole file from what it parsed, dropping blank lines, blanks around "=" and lone LF endings;
// Windows changes only the key's line, so those files are checked against the expected bytes below).
enum class Enc { Ansi, Utf16Le, Utf16Be, Utf8 };
std::vector<std::uint8_t> Encoded(const std::wstring& text, Enc enc) {
    switch (enc) {
        case Enc::Ansi: {
            const std::string ansi = qm::WideToAnsi(text);
            return {ansi.begin(), ansi.end()};
        }
        case Enc::Utf8: {
            const std::string utf8 = "\xEF\xBB\xBF" + qm::WideToUtf8(text);
            return {utf8.begin(), utf8.end()};
        }
        case Enc::Utf16Le:
        case Enc::Utf16Be: break;
    }
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    const auto body = qm::EncodeUtf16Le(text);
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (enc == Enc::Utf16Be)
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}
std::vector<std::uint8_t> Encoded(const std::wstring& text, bool utf16) {
    return Encoded(text, utf16 ? Enc::Utf16Le : Enc::Ansi);
}

TEST(IniFile, OwnAccessWritesTheBytesThePlatformWrites) {
    struct Write {
        const wchar_t *section, *key, *value;
    };
    const std::wstring files[] = {
        L"",
        L"[.ShellClassInfo]\r\nIconFile=old.ico\r\nIconIndex=3\r\n",
        L"[A]\r\nx=1\r\n[.ShellClassInfo]\r\nConfirmFileOp=0\r\n[B]\r\ny=2\r\n",
        L"[a]\r\nk=1",                                       // no line ending at the end
        L"[.shellclassinfo]\r\niconfile=lower\r\n",          // names in another case
        L"[.ShellClassInfo]\r\nIconFile\r\nIconFile=2\r\n",  // a key without value comes first
        L"[S]\r\n; comment\r\n[.ShellClassInfo]\r\n;IconFile=c\r\nInfotip=\u00e9t\u00e9\r\n",
        L"[.ShellClassInfo]\r\nA=1\r\n[.ShellClassInfo]\r\nIconFile=second\r\n",  // the first section wins
    };
    const Write writes[] = {
        {L".ShellClassInfo", L"IconFile", L"new.ico"},   {L".SHELLCLASSINFO", L"iconindex", L"0"},
        {L".ShellClassInfo", L"Infotip", L""},           {L"Other", L"Key", L"v"},
        {L".ShellClassInfo", L"Infotip", L"Fin \u00e9"},
    };
    TempDir dir;
    int n = 0;
    for (const std::wstring& text : files)
        for (Enc enc : {Enc::Ansi, Enc::Utf16Le, Enc::Utf16Be, Enc::Utf8}) {
            SCOPED_TRACE(qm::WideToUtf8(text) + " (encoding " + std::to_string(static_cast<int>(enc)) + ")");
            const std::wstring platformPath = dir / (L"p" + std::to_wstring(n) + L".ini");
            const std::wstring ownPath = dir / (L"o" + std::to_wstring(n++) + L".ini");
            qmtest::WriteBytes(platformPath, Encoded(text, enc));
            qmtest::WriteBytes(ownPath, Encoded(text, enc));
            const IniFile platform(platformPath), own(ownPath, qm::IniAccess::Own);
            for (const Write& w : writes) {
                SCOPED_TRACE(qm::WideToUtf8(std::wstring(w.section) + L"/" + w.key));
                platform.WriteString(w.section, w.key, w.value);
                own.WriteString(w.section, w.key, w.value);
                EXPECT_EQ(qmtest::ReadBytes(ownPath), qmtest::ReadBytes(platformPath))
                    << qm::WideToUtf8(qmtest::ReadTextFile(ownPath)) << "\n--- platform:\n"
                    << qm::WideToUtf8(qmtest::ReadTextFile(platformPath));
            }
        }
    // A new file: UTF-16LE with its mark, as the layer makes it for the platform.
    const IniFile platform(dir / L"new-p.ini"), own(dir / L"new-o.ini", qm::IniAccess::Own);
    platform.WriteString(L"S", L"K", L"\u0444");
    own.WriteString(L"S", L"K", L"\u0444");
    EXPECT_EQ(qmtest::ReadBytes(dir / L"new-o.ini"), qmtest::ReadBytes(dir / L"new-p.ini"));
}

TEST(IniFile, OwnAccessReadsWhatThePlatformReads) {
    const std::wstring text =
        L"top=before any section\r\n"
        L"  [ .ShellClassInfo ]  \r\n"
        L"  IconFile  =  spaced.ico  \r\n"
        L"Quoted=\"a b\"\r\nSingle='c'\r\nHalf=\"d\r\nEmpty=\r\nNoValue\r\n"
        L";Comment=x\r\n\r\n"
        L"Infotip=\u0422\u0435\u043a\u0441\u0442\n"
        L"[Broken\r\nAfterBroken=1\r\n"
        L"[.shellclassinfo]\r\nIconIndex=from the second section\r\n"
        L"[Last]]\r\nk=v";
    const wchar_t* keys[][2] = {
        {L".ShellClassInfo", L"IconFile"},
        {L".shellclassinfo", L"ICONFILE"},
        {L".ShellClassInfo", L"Quoted"},
        {L".ShellClassInfo", L"Single"},
        {L".ShellClassInfo", L"Half"},
        {L".ShellClassInfo", L"Empty"},
        {L".ShellClassInfo", L"NoValue"},
        {L".ShellClassInfo", L"Comment"},
        {L".ShellClassInfo", L";Comment"},
        {L".ShellClassInfo", L"Infotip"},
        {L".ShellClassInfo", L"AfterBroken"},
        {L"Broken", L"AfterBroken"},
        {L".ShellClassInfo", L"IconIndex"},
        {L"Last]", L"k"},
        {L"Last", L"k"},
        {L"Missing", L"k"},
    };
    TempDir dir;
    for (bool utf16 : {false, true}) {
        SCOPED_TRACE(utf16 ? "UTF-16" : "ANSI");
        const std::wstring path = dir / (utf16 ? L"u.ini" : L"a.ini");
        qmtest::WriteBytes(path, Encoded(text, utf16));
        const IniFile platform(path), own(path, qm::IniAccess::Own);
        for (const auto& k : keys) {
            SCOPED_TRACE(qm::WideToUtf8(std::wstring(k[0]) + L"/" + k[1]));
            EXPECT_EQ(own.ReadString(k[0], k[1], L"<default>"), platform.ReadString(k[0], k[1], L"<default>"));
        }
    }
}

TEST(IniFile, OwnAccessKeepsEveryOtherByteAsWindowsDoes) {
    // Blank lines, blanks around "=", LF endings and a comment stay as they are; only the key's
    // line changes, and a new key goes after the last line of its section.
    const std::wstring text = L"[A]\n x = 1 \n\n[.ShellClassInfo]\r\n  IconFile = old \r\n; note\r\n\r\n[B]\r\ny=2\r\n";
    const std::wstring expected =
        L"[A]\n x = 1 \n\n[.ShellClassInfo]\r\n  IconFile=new\r\n; note\r\nInfotip=tip\r\n\r\n[B]\r\ny=2\r\nC=3\r\n";
    TempDir dir;
    for (bool utf16 : {false, true}) {
        for (bool longPath : {false, true}) {
            SCOPED_TRACE(std::string(utf16 ? "UTF-16" : "ANSI") + (longPath ? ", long path" : ""));
            std::wstring folder = dir.MakeFolder(std::wstring(utf16 ? L"u" : L"a") + (longPath ? L"l" : L"s"));
            if (longPath) folder = qmtest::FolderOfLength(folder, 400);
            const std::wstring path = folder + L"\\desktop.ini";
            qmtest::WriteBytes(qmtest::Prefixed(path), Encoded(text, utf16));
            // Past MAX_PATH the platform's layer takes the own access by itself.
            const IniFile ini(path, longPath ? qm::IniAccess::Platform : qm::IniAccess::Own);
            ini.WriteString(L".ShellClassInfo", L"iconfile", L"new");
            ini.WriteString(L".ShellClassInfo", L"Infotip", L"tip");
            ini.WriteString(L"b", L"C", L"3");
            EXPECT_EQ(qmtest::ReadBytes(qmtest::Prefixed(path)), Encoded(expected, utf16));
            EXPECT_EQ(ini.ReadString(L".ShellClassInfo", L"IconFile", L""), L"new");
            EXPECT_EQ(ini.ReadString(L"A", L"x", L""), L"1");
        }
    }
}

TEST(IniFile, PastMaxPathAFileIsCreatedReadAndWrittenAsUtf16) {
    TempDir dir;
    const std::wstring folder = qmtest::FolderOfLength(dir.path(), 600);
    const std::wstring path = folder + L"\\desktop.ini";
    const IniFile ini(path);
    const std::wstring tip = L"\u0424\u043e\u0442\u043e \u6587\u4ef6";
    ini.WriteString(L".ShellClassInfo", L"Infotip", tip);
    ini.WriteString(L".ShellClassInfo", L"IconFile", L"");
    const auto bytes = qmtest::ReadBytes(qmtest::Prefixed(path));
    EXPECT_EQ(bytes, Encoded(L"[.ShellClassInfo]\r\nInfotip=" + tip + L"\r\nIconFile=\r\n", true));
    EXPECT_EQ(ini.ReadString(L".ShellClassInfo", L"infotip", L"d"), tip);
    EXPECT_EQ(ini.ReadString(L".ShellClassInfo", L"IconFile", L"d"), L"");
    EXPECT_EQ(ini.ReadString(L".ShellClassInfo", L"IconIndex", L"d"), L"d");
    EXPECT_EQ(IniFile(folder + L"\\none.ini").ReadString(L"S", L"K", L"d"), L"d");
    EXPECT_EQ(ini.ReadString(L".ShellClassInfo", L"Infotip", L"").size(), tip.size());
    // A value longer than the layer reads is cut as the platform's reader cuts it.
    ini.WriteString(L"S", L"Long", std::wstring(3000, L'x'));
    EXPECT_EQ(ini.ReadString(L"S", L"Long", L""), std::wstring(IniFile::kMaxValueLength, L'x'));
}

TEST(IniFile, ReadOrFallBackGivesTheStoredValueOrTheFallback) {
    TempDir dir;
    qmtest::WriteAnsiFile(dir / L"a.ini", "[S]\r\nK=v\r\nEmpty=\r\n");
    const std::wstring longFolder = qmtest::FolderOfLength(dir.path(), 300);
    IniFile(longFolder + L"\\a.ini").WriteString(L"S", L"K", L"v");
    IniFile(longFolder + L"\\a.ini").WriteString(L"S", L"Empty", L"");
    for (const std::wstring& folder : {dir.path(), longFolder}) {  // the platform's access and the own
        SCOPED_TRACE(std::to_string(folder.size()) + " characters");
        const IniFile ini(folder + L"\\a.ini");
        EXPECT_EQ(ini.TryReadString(L"S", L"K", L"d"), std::optional<std::wstring>(L"v"));
        EXPECT_EQ(ini.TryReadString(L"S", L"Missing", L"d"), std::optional<std::wstring>(L"d"));
        EXPECT_EQ(ini.ReadStringOr(L"S", L"K", L"fallback"), L"v");
        EXPECT_EQ(ini.ReadStringOr(L"s", L"k", L"fallback"), L"v");
        EXPECT_EQ(ini.ReadStringOr(L"S", L"Empty", L"fallback"), L"");  // present, empty: no fallback
        EXPECT_EQ(ini.ReadStringOr(L"S", L"Missing", L"fallback"), L"fallback");
        EXPECT_EQ(ini.ReadStringOr(L"Other", L"K", L"fallback"), L"fallback");
        const IniFile missing(folder + L"\\none.ini");
        EXPECT_EQ(missing.ReadStringOr(L"S", L"K", L"fallback"), L"fallback");
        EXPECT_EQ(missing.TryReadString(L"S", L"K", L"d"), std::optional<std::wstring>(L"d"));
        EXPECT_FALSE(qmtest::Exists(qmtest::Prefixed(folder + L"\\none.ini")));
    }
}

}  // namespace
