// The menu's commands: the verb and help text, applying a theme icon and resetting on disk, and
// the main program started for the custom icon, theme and About windows (a stand-in at the
// program's path records how it was started).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/folder/folder_files_win.h"
#include "core/settings/ini_file_win.h"
#include "core/base/text.h"
#include "tests/support/com_client_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/windows_path_limit_win.h"

using qmtest::ShellMenuHost;

namespace {

constexpr int kThemeIcons = 10;

// Two names of one file (the library loaded through its 8.3 path sees its folder in that form).
bool SamePath(const std::wstring& a, const std::wstring& b) {
    wchar_t la[1024] = {}, lb[1024] = {};
    return GetLongPathNameW(a.c_str(), la, 1024) && GetLongPathNameW(b.c_str(), lb, 1024) && _wcsicmp(la, lb) == 0;
}

// The program part of a command line: up to the first blank, or between its quotes.
std::wstring ProgramOf(const std::wstring& line) {
    if (!line.empty() && line[0] == L'"') return line.substr(1, line.find(L'"', 1) - 1);
    return line.substr(0, line.find(L' '));
}

class ShellCommands : public testing::Test {
protected:
    void SetUp() override {
        qmtest::RemoveQuillshellRegistration();
        install_.SetTheme(L"Ten.icl", qmtest::ThemeLibrary(kThemeIcons));
        ASSERT_EQ(qmtest::RunRegsvr32(install_.dll(), false), 0u);
        folder_ = work_.MakeFolder(L"My Files");
    }
    void TearDown() override { qmtest::RemoveQuillshellRegistration(); }

    // Explorer's steps up to the open menu, on `folder_`.
    void OpenMenu(ShellMenuHost& host) {
        ASSERT_EQ(host.Create(), S_OK);
        ASSERT_EQ(host.InitializeWithFolders({folder_}), S_OK);
        ASSERT_EQ(HRESULT_CODE(host.QueryContextMenu()), kThemeIcons + 5);
    }
    std::vector<std::wstring> CopiesIn(const std::wstring& folder) {
        std::vector<std::wstring> copies;
        for (const auto& name : qmtest::ListFolder(folder)) {
            if (name.rfind(L"OstrelQuillmark3_", 0) == 0) copies.push_back(name);
        }
        return copies;
    }
    std::wstring DesktopIniValue(const wchar_t* key, const wchar_t* fallback = L"<missing>") {
        return qm::IniFile(folder_ + L"\\desktop.ini").ReadString(L".ShellClassInfo", key, fallback);
    }

    qmtest::ComApartment com_;
    qmtest::ShellInstall install_;
    qmtest::TempDir work_{L"qmfolders"};
    std::wstring folder_;
};

TEST_F(ShellCommands, VerbAndHelpTextOfTheSubmenuEntry) {
    ShellMenuHost host;
    OpenMenu(host);
    IContextMenu* menu = host.menuHandler();
    struct Case {
        UINT type;
        UINT length;
        const char* expected;
    };
    for (const Case c : {Case{GCS_VERBA, 64, "Change Icon"}, Case{GCS_HELPTEXTA, 64, "Change icon of selected Folder"},
                         Case{GCS_VERBA, 5, "Chan"}, Case{GCS_HELPTEXTA, 1, ""}}) {
        SCOPED_TRACE(c.expected);
        char buffer[80];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(menu->GetCommandString(0, c.type, nullptr, buffer, c.length), S_OK);
        EXPECT_STREQ(buffer, c.expected);
        EXPECT_EQ(buffer[c.length], 'x');  // nothing written past the stated length
    }
    // Explorer since Vista asks for the wide forms (the length in wide characters): the same texts.
    struct WideCase {
        UINT type;
        UINT length;
        const wchar_t* expected;
    };
    for (const WideCase c :
         {WideCase{GCS_VERBW, 64, L"Change Icon"}, WideCase{GCS_HELPTEXTW, 64, L"Change icon of selected Folder"},
          WideCase{GCS_VERBW, 5, L"Chan"}, WideCase{GCS_HELPTEXTW, 1, L""}}) {
        SCOPED_TRACE(qm::WideToUtf8(c.expected));
        wchar_t buffer[80];
        std::fill(std::begin(buffer), std::end(buffer) - 1, L'x');
        buffer[79] = L'\0';
        EXPECT_EQ(menu->GetCommandString(0, c.type, nullptr, reinterpret_cast<CHAR*>(buffer), c.length), S_OK);
        EXPECT_EQ(std::wstring(buffer), c.expected);
        EXPECT_EQ(buffer[c.length], L'x');
    }
    // S_OK is never the answer for a buffer left as it was: no room, or a kind of text the entry
    // has none of, is an error. Validation asks for no text; the entry exists.
    struct Untouched {
        UINT type;
        UINT length;
        HRESULT result;
    };
    for (const Untouched c : {Untouched{GCS_VERBA, 0, E_INVALIDARG}, Untouched{GCS_HELPTEXTW, 0, E_INVALIDARG},
                              Untouched{GCS_UNICODE | 0x10u, 64, E_INVALIDARG}, Untouched{0x10u, 64, E_INVALIDARG},
                              Untouched{GCS_VALIDATEA, 64, S_OK}, Untouched{GCS_VALIDATEW, 64, S_OK}}) {
        SCOPED_TRACE(c.type);
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(menu->GetCommandString(0, c.type, nullptr, buffer, c.length), c.result);
        EXPECT_EQ(buffer[0], 'x');
    }
    // Every other offset names no entry with a verb.
    for (const UINT_PTR offset : {1u, 2u, 3u, 4u, 5u, 12u}) {
        char buffer[64] = "unchanged";
        EXPECT_EQ(menu->GetCommandString(offset, GCS_VERBA, nullptr, buffer, 64), E_INVALIDARG);
        EXPECT_STREQ(buffer, "unchanged");
    }
}

TEST_F(ShellCommands, IconEntryAppliesThatIconAsTheExtensionDoes) {
    struct Case {
        const wchar_t* copyIco;
        bool copied;
    };
    for (const Case c : {Case{L"1", true}, Case{L"0", false}}) {
        SCOPED_TRACE(c.copyIco);
        install_.WriteSetting(L"Options", L"CopyIco", c.copyIco);
        qmtest::RemoveTree(folder_);
        folder_ = work_.MakeFolder(L"My Files");
        // An old copy of the extension's kind, and one of the program's kind.
        qmtest::WriteBytes(folder_ + L"\\OstrelQuillmark3_1_2.ico", qmtest::ThemeIcon(1));
        qmtest::WriteBytes(folder_ + L"\\OstrelQuillmarkX.ico", qmtest::ThemeIcon(1));
        ShellMenuHost host;
        OpenMenu(host);
        EXPECT_EQ(host.InvokeOffset(5 + 7), S_OK);

        const auto copies = CopiesIn(folder_);
        EXPECT_TRUE(qmtest::Exists(folder_ + L"\\OstrelQuillmarkX.ico"));  // the program's rule is not ours
        EXPECT_EQ(DesktopIniValue(L"Infotip"), L"<missing>");              // no tooltip from the menu
        EXPECT_EQ(DesktopIniValue(L"ConfirmFileOp"), L"0");
        const DWORD ini = qmtest::Attributes(folder_ + L"\\desktop.ini");
        EXPECT_TRUE(ini & FILE_ATTRIBUTE_HIDDEN);
        EXPECT_FALSE(ini & FILE_ATTRIBUTE_SYSTEM);
        if (c.copied) {
            ASSERT_EQ(copies.size(), 1u);  // the old copy went, the new one came
            EXPECT_NE(copies[0], L"OstrelQuillmark3_1_2.ico");
            EXPECT_EQ(DesktopIniValue(L"IconFile"), copies[0]);
            EXPECT_EQ(DesktopIniValue(L"IconIndex"), L"0");
            const DWORD copy = qmtest::Attributes(folder_ + L"\\" + copies[0]);
            EXPECT_TRUE(copy & FILE_ATTRIBUTE_HIDDEN);
            EXPECT_FALSE(copy & FILE_ATTRIBUTE_SYSTEM);
            EXPECT_EQ(qmtest::ReadBytes(folder_ + L"\\" + copies[0]), qmtest::ThemeIcon(7));  // the eighth icon
        } else {
            EXPECT_EQ(copies, std::vector<std::wstring>{L"OstrelQuillmark3_1_2.ico"});  // link mode removes nothing
            EXPECT_TRUE(SamePath(DesktopIniValue(L"IconFile"), install_.ThemePath(L"Ten.icl")));
            EXPECT_EQ(DesktopIniValue(L"IconIndex"), L"7");
        }
    }
}

TEST_F(ShellCommands, ResetEmptiesTheKeysAndRemovesTheCopies) {
    {
        ShellMenuHost host;
        OpenMenu(host);
        ASSERT_EQ(host.InvokeOffset(5 + 2), S_OK);
    }
    qmtest::WriteBytes(folder_ + L"\\OstrelQuillmark3_5_6.ico", qmtest::ThemeIcon(1));
    SetFileAttributesW((folder_ + L"\\OstrelQuillmark3_5_6.ico").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_EQ(CopiesIn(folder_).size(), 2u);

    ShellMenuHost host;
    OpenMenu(host);
    EXPECT_EQ(host.InvokeOffset(2), S_OK);
    EXPECT_TRUE(CopiesIn(folder_).empty());
    EXPECT_EQ(DesktopIniValue(L"IconFile"), L"");
    EXPECT_EQ(DesktopIniValue(L"IconIndex"), L"");
    EXPECT_EQ(DesktopIniValue(L"Infotip"), L"");
    EXPECT_EQ(DesktopIniValue(L"ConfirmFileOp"), L"0");  // other entries stay
    EXPECT_FALSE(qmtest::Attributes(folder_) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(ShellCommands, MenuOnAFolderDeepInATreeShowsAppliesAndResets) {
    install_.WriteSetting(L"Options", L"CopyIco", L"1");
    for (std::size_t length : {261u, 1000u}) {
        SCOPED_TRACE(length);
        folder_ = qmtest::FolderOfLength(work_.MakeFolder(L"deep" + std::to_wstring(length)), length);
        const std::wstring ini = qmtest::Prefixed(folder_ + L"\\desktop.ini");
        qmtest::WriteUtf16File(ini, L"[Other]\r\nKept=yes\r\n");
        ShellMenuHost host;
        ASSERT_EQ(host.Create(), S_OK);
        // Explorer's calls under Windows' path limit, in the extension's own file calls too.
        qmtest::WindowsPathLimit limit({GetModuleHandleW(install_.dll().c_str())});
        ASSERT_EQ(host.InitializeWithFolders({folder_}), S_OK);
        ASSERT_EQ(HRESULT_CODE(host.QueryContextMenu()), kThemeIcons + 5);
        EXPECT_EQ(host.InvokeOffset(5 + 7), S_OK);
        const qm::FolderCustomization applied = qm::ReadFolderCustomization(folder_);
        const auto copies = CopiesIn(qmtest::Prefixed(folder_));
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(applied.IconFile, copies[0]);
        EXPECT_EQ(applied.IconIndex, L"0");
        EXPECT_EQ(qmtest::ReadBytes(qmtest::Prefixed(folder_ + L"\\" + copies[0])), qmtest::ThemeIcon(7));
        EXPECT_EQ(qmtest::Attributes(ini) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                  DWORD{FILE_ATTRIBUTE_HIDDEN});

        EXPECT_EQ(host.InvokeOffset(2), S_OK);  // Reset
        EXPECT_EQ(qm::ReadFolderCustomization(folder_).IconFile, L"");
        EXPECT_TRUE(CopiesIn(qmtest::Prefixed(folder_)).empty());
        EXPECT_NE(qmtest::ReadTextFile(ini).find(L"[Other]\r\nKept=yes\r\n"), std::wstring::npos);
        EXPECT_TRUE(limit.Refused().empty()) << qm::WideToUtf8(limit.Refused().front());
    }
}

TEST_F(ShellCommands, OffsetsOrVerbsThatNameNothingDoNothing) {
    ShellMenuHost host;
    OpenMenu(host);
    install_.ClearStarts();
    EXPECT_EQ(host.InvokeOffset(0), E_INVALIDARG);                // the submenu entry
    EXPECT_EQ(host.InvokeOffset(5 + kThemeIcons), E_INVALIDARG);  // past the last icon entry
    EXPECT_EQ(host.InvokeOffset(0xFFFF), E_INVALIDARG);
    EXPECT_EQ(host.InvokeVerb("Change Icon"), E_FAIL);  // no command has a string verb
    EXPECT_EQ(host.menuHandler()->InvokeCommand(nullptr), E_INVALIDARG);
    EXPECT_FALSE(qmtest::Exists(folder_ + L"\\desktop.ini"));
    EXPECT_TRUE(qmtest::ListFolder(folder_).empty());
}

// The custom icon window: "<program>  /CUSTOM "<folder>"". The program path is the library's
// folder as the library sees it: loaded through the registry's 8.3 path it holds no blank; loaded
// through a path with a blank it is quoted, so that the started program finds its arguments
// after its own name and no shorter prefix of the path can be taken for the program.
TEST_F(ShellCommands, CustomIconStartsTheProgramWithTheQuotedFolder) {
    for (const bool throughRegistry : {true, false}) {
        SCOPED_TRACE(throughRegistry ? "through the registry" : "loaded by its long path");
        qmtest::ShellInstall install(L"Quill Mark");
        install.ClearStarts();
        qm::UniqueModule library;
        {
            ShellMenuHost host;
            if (throughRegistry) {
                ASSERT_EQ(qmtest::RunRegsvr32(install.dll(), false), 0u);
                ASSERT_EQ(host.Create(), S_OK);
            } else {
                library.reset(LoadLibraryW(install.dll().c_str()));
                ASSERT_EQ(host.CreateFrom(library.get()), S_OK);
            }
            ASSERT_EQ(host.InitializeWithFolders({folder_}), S_OK);
            ASSERT_EQ(HRESULT_CODE(host.QueryContextMenu()), 5);
            EXPECT_EQ(host.InvokeOffset(1), S_OK);
        }
        const std::wstring line = install.WaitForStart();
        const std::wstring program = ProgramOf(line);
        EXPECT_TRUE(SamePath(program, install.program())) << line;
        const bool blank = program.find(L' ') != std::wstring::npos;
        EXPECT_EQ(blank, !throughRegistry) << line;
        EXPECT_EQ(line, (blank ? L"\"" + program + L"\"" : program) + L"  /CUSTOM \"" + folder_ + L"\"");
        const auto args = qm::SplitCommandLine(line);
        ASSERT_EQ(args.size(), 2u) << line;
        EXPECT_EQ(args[0], L"/CUSTOM");
        EXPECT_EQ(args[1], folder_);
        EXPECT_EQ(qm::SelectMode(args).mode, qm::ProgramMode::Custom);
    }
}

TEST_F(ShellCommands, ThemeAndAboutStartTheProgramWithTheirSwitch) {
    struct Case {
        UINT offset;
        const wchar_t* parameter;
        qm::ProgramMode mode;
    };
    for (const Case c : {Case{3, L"/theme", qm::ProgramMode::Theme}, Case{4, L"/about", qm::ProgramMode::About}}) {
        SCOPED_TRACE(c.parameter);
        install_.ClearStarts();
        {
            ShellMenuHost host;
            OpenMenu(host);
            EXPECT_EQ(host.InvokeOffset(c.offset), S_OK);
        }
        const std::wstring line = install_.WaitForStart();
        ASSERT_FALSE(line.empty());
        // ShellExecute composes the line itself: the program, then the parameters.
        const auto args = qm::SplitCommandLine(line);
        ASSERT_EQ(args.size(), 1u) << line;
        EXPECT_EQ(args[0], c.parameter);
        EXPECT_EQ(qm::SelectMode(args).mode, c.mode);
        EXPECT_TRUE(SamePath(ProgramOf(line), install_.program())) << line;
    }
}

TEST_F(ShellCommands, FolderOnReadOnlyMediaShowsTheWriteTestMessageAndChangesNothing) {
    const std::wstring media = qmtest::ReadOnlyMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no read-only medium in this run";
    const std::wstring locked = media + L"\\Locked";
    const auto before = qmtest::ReadBytes(locked + L"\\desktop.ini");
    for (const UINT offset : {5u + 3u, 2u}) {  // an icon, then reset
        SCOPED_TRACE(offset);
        qmtest::MessageBoxWatcher boxes;
        ShellMenuHost host;
        ASSERT_EQ(host.Create(), S_OK);
        ASSERT_EQ(host.InitializeWithFolders({locked}), S_OK);
        ASSERT_EQ(HRESULT_CODE(host.QueryContextMenu()), kThemeIcons + 5);
        EXPECT_EQ(host.InvokeOffset(offset), S_OK);  // the command ran; its own message told the refusal
        ASSERT_TRUE(boxes.WaitForCount(1));
        const auto seen = boxes.Seen();
        EXPECT_EQ(seen[0].caption, L"Sorry ...");
        EXPECT_NE(seen[0].text.find(L"read-onle media"), std::wstring::npos) << seen[0].text;
    }
    EXPECT_EQ(qmtest::ReadBytes(locked + L"\\desktop.ini"), before);
}

TEST_F(ShellCommands, MissingProgramIsReportedAsAFailedCommand) {
    ASSERT_TRUE(DeleteFileW(install_.program().c_str()));
    ShellMenuHost host;
    OpenMenu(host);
    const HRESULT hr = host.InvokeOffset(1);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
}

}  // namespace
