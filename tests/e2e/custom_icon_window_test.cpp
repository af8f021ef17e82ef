// Quillmark.exe /CUSTOM "folder" and /THEME as whole processes: a copy of the program in a folder of
// its own with its own theme store, driven through its real windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/base/text.h"
#include "core/folder/folder_files_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/files_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/process_win.h"

namespace {

using qmtest::ReadBytes;
using qmtest::WriteBytes;

struct ChildSearch {
    std::wstring cls, text;
    std::vector<HWND> found;
};

// The child windows of `top` of a class (and caption, when given), in Z order.
std::vector<HWND> Children(HWND top, const std::wstring& cls, const std::wstring& text = {}) {
    ChildSearch search{cls, text, {}};
    EnumChildWindows(
        top,
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<ChildSearch*>(p);
            if (_wcsicmp(qmtest::WindowClass(h).c_str(), s->cls.c_str()) == 0 &&
                (s->text.empty() || qmtest::WindowCaption(h) == s->text))
                s->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND VisibleChild(HWND top, const std::wstring& cls, const std::wstring& text = {}) {
    for (HWND h : Children(top, cls, text))
        if (IsWindowVisible(h)) return h;
    return nullptr;
}

// A list-box notification as the list sends it to its parent when the user clicks.
void NotifyListBox(HWND list, int index, WORD code) {
    SendMessageW(list, LB_SETCURSEL, index, 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), code), reinterpret_cast<LPARAM>(list));
}

// A mouse click (or double click) on the first icon of a list view in list style.
void ClickFirstIcon(HWND view, bool twice) {
    const LPARAM at = MAKELPARAM(12, 10);
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(view, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageW(view, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(view, WM_LBUTTONUP, 0, at);
    }
}

// The content of an edit control of another process (asked for, not the window's caption).
std::wstring EditText(HWND edit) {
    wchar_t text[512] = {};
    SendMessageW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

void PressButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

class WindowModes : public testing::Test {
protected:
    WindowModes() {
        appFolder_ = dir_.MakeFolder(L"app");
        program_ = appFolder_ + L"\\Quillmark.exe";
        copied_ = CopyFileW((qmtest::BuildFolder() + L"\\Quillmark.exe").c_str(), program_.c_str(), FALSE) != 0;
        dir_.MakeFolder(L"app\\samples");
        folder_ = dir_.MakeFolder(L"My Pictures Folder");
    }
    void SetUp() override { ASSERT_TRUE(copied_); }
    std::wstring Store(const std::wstring& name) const { return appFolder_ + L"\\samples\\" + name; }
    std::wstring DesktopIni() const { return folder_ + L"\\desktop.ini"; }

    qmtest::TempDir dir_{L"qm-windows"};
    std::wstring appFolder_, program_, folder_;
    bool copied_ = false;
};

constexpr wchar_t kCustomCaption[] = L"Icon for selected folder";
constexpr wchar_t kThemeCaption[] = L"Theme for Quillmark Context menu";

TEST_F(WindowModes, CustomAppliesTheChosenThemeIconAndEnds) {
    WriteBytes(Store(L"Metal.ICL"), qmtest::ThemeLibrary(3));
    qmtest::ChildProcess p(qmtest::Quote(program_) + L" /CUSTOM " + qmtest::Quote(folder_));
    ASSERT_TRUE(p.started());
    qmtest::MessageBoxWatcher boxes(p.pid());
    const HWND window = p.WaitForWindow(kCustomCaption);
    ASSERT_NE(window, nullptr);
    qmtest::SaveScreenshot(window, L"custom_icon_window");

    const HWND themes = VisibleChild(window, L"ListBox");
    const HWND icons = VisibleChild(window, WC_LISTVIEWW);
    ASSERT_NE(themes, nullptr);
    ASSERT_NE(icons, nullptr);
    ASSERT_EQ(SendMessageW(themes, LB_GETCOUNT, 0, 0), 1);
    NotifyListBox(themes, 0, LBN_SELCHANGE);
    ASSERT_EQ(SendMessageW(icons, LVM_GETITEMCOUNT, 0, 0), 3);
    ClickFirstIcon(icons, false);
    for (int i = 0; i < 300 && SendMessageW(icons, LVM_GETSELECTEDCOUNT, 0, 0) == 0; ++i) Sleep(10);
    ASSERT_EQ(SendMessageW(icons, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    SendMessageW(VisibleChild(window, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Holiday pictures"));
    PressButton(VisibleChild(window, L"Button", L"Apply"));

    ASSERT_TRUE(p.Wait(15000)) << "the window did not close after a successful apply";
    EXPECT_TRUE(boxes.Seen().empty());
    const qm::FolderCustomization after = qm::ReadFolderCustomization(folder_);
    EXPECT_EQ(after.Infotip, L"Holiday pictures");
    EXPECT_FALSE(after.IconFile.empty());
    EXPECT_EQ(after.IconIndex, L"0");
}

TEST_F(WindowModes, CustomDoubleClickOnAnIconApplies) {
    WriteBytes(Store(L"Metal.ICL"), qmtest::ThemeLibrary(2));
    qmtest::ChildProcess p(qmtest::Quote(program_) + L" /CUSTOM " + qmtest::Quote(folder_));
    ASSERT_TRUE(p.started());
    const HWND window = p.WaitForWindow(kCustomCaption);
    ASSERT_NE(window, nullptr);
    NotifyListBox(VisibleChild(window, L"ListBox"), 0, LBN_SELCHANGE);
    ClickFirstIcon(VisibleChild(window, WC_LISTVIEWW), true);
    ASSERT_TRUE(p.Wait(15000));
    EXPECT_EQ(qm::ReadFolderCustomization(folder_).IconIndex, L"0");
}

TEST_F(WindowModes, CustomShowsTheTooltipAndATooltipOnlyApplyKeepsTheIcon) {
    const std::string ini = "[.ShellClassInfo]\r\nIconFile=C:\\icons\\kept.ico\r\nIconIndex=4\r\nInfotip=Old tip\r\n";
    WriteBytes(DesktopIni(), std::vector<std::uint8_t>(ini.begin(), ini.end()));
    qmtest::ChildProcess p(qmtest::Quote(program_) + L" /CUSTOM " + qmtest::Quote(folder_));
    ASSERT_TRUE(p.started());
    const HWND window = p.WaitForWindow(kCustomCaption);
    ASSERT_NE(window, nullptr);
    const HWND tip = VisibleChild(window, L"Edit");
    EXPECT_EQ(EditText(tip), L"Old tip");
    SendMessageW(tip, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"New tip"));
    PressButton(VisibleChild(window, L"Button", L"Apply"));
    ASSERT_TRUE(p.Wait(15000));
    const qm::FolderCustomization after = qm::ReadFolderCustomization(folder_);
    EXPECT_EQ(after.Infotip, L"New tip");
    EXPECT_EQ(after.IconFile, L"C:\\icons\\kept.ico");
    EXPECT_EQ(after.IconIndex, L"4");
    wchar_t confirm[16] = {};
    GetPrivateProfileStringW(L".ShellClassInfo", L"ConfirmFileOp", L"", confirm, 16, DesktopIni().c_str());
    EXPECT_STREQ(confirm, L"0");
}

// Nothing chosen: the box, the window stays; then Escape or Cancel ends it, the folder untouched.
TEST_F(WindowModes, CustomAsksForAnIconAndClosesWithoutChange) {
    for (const bool escape : {true, false}) {
        qmtest::ChildProcess p(qmtest::Quote(program_) + L" /CUSTOM " + qmtest::Quote(folder_));
        ASSERT_TRUE(p.started());
        qmtest::MessageBoxWatcher boxes(p.pid());
        const HWND window = p.WaitForWindow(kCustomCaption);
        ASSERT_NE(window, nullptr);
        PressButton(VisibleChild(window, L"Button", L"Apply"));
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.Seen()[0].text, L"Please select icon or enter description for folder.");
        EXPECT_EQ(boxes.Seen()[0].caption, L"Warning");
        Sleep(200);
        ASSERT_TRUE(p.running());
        if (escape) {
            const HWND focus = VisibleChild(window, WC_LISTVIEWW);
            PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        } else {
            PressButton(VisibleChild(window, L"Button", L"Cancel"));
        }
        ASSERT_TRUE(p.Wait(15000)) << (escape ? "Escape" : "Cancel");
        EXPECT_EQ(GetFileAttributesW(DesktopIni().c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesW(folder_.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    }
}

TEST_F(WindowModes, ThemeDoubleClickStoresTheNameAndShellIconsAreAddedOnce) {
    WriteBytes(Store(L"Metal.ICL"), qmtest::ThemeLibrary(2));
    WriteBytes(Store(L"Many.ICL"), qmtest::ThemeLibrary(300));
    qmtest::ChildProcess p(qmtest::Quote(program_) + L" /THEME");
    ASSERT_TRUE(p.started());
    const HWND window = p.WaitForWindow(kThemeCaption);
    ASSERT_NE(window, nullptr);
    const HWND themes = VisibleChild(window, L"ListBox");
    ASSERT_EQ(SendMessageW(themes, LB_GETCOUNT, 0, 0), 2);
    wchar_t text[MAX_PATH] = {};
    SendMessageW(themes, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    NotifyListBox(themes, 0, LBN_DBLCLK);
    const std::wstring settings = appFolder_ + L"\\quillmark.ini";
    wchar_t stored[MAX_PATH] = {};
    GetPrivateProfileStringW(L"Theme", L"name", L"", stored, MAX_PATH, settings.c_str());
    EXPECT_EQ(std::wstring(stored), std::wstring(text));
    qmtest::SaveScreenshot(window, L"theme_window");

    const HWND add = VisibleChild(window, L"Button", L"Add Shell Icons");
    for (int i = 0; i < 2; ++i) SendMessageW(add, BM_CLICK, 0, 0);
    int shellCopies = 0;
    for (const std::wstring& name : qmtest::ListFolder(appFolder_ + L"\\samples"))
        shellCopies += _wcsicmp(name.c_str(), L"Current Shell Icons.ICL") == 0;
    EXPECT_EQ(shellCopies, 1);
    EXPECT_EQ(SendMessageW(themes, LB_GETCOUNT, 0, 0), 3);
    PressButton(VisibleChild(window, L"Button", L"Close"));
    ASSERT_TRUE(p.Wait(15000));
}

// The extension's next menu follows a theme chosen in the window, without being loaded anew.
TEST(ThemeWindowAndExtension, NextMenuUsesTheNewTheme) {
    qmtest::RemoveQuillshellRegistration();
    qmtest::ShellInstall install;
    ASSERT_EQ(qmtest::RunRegsvr32(install.dll(), false), 0u);
    {
        qmtest::ComApartment com;
        ASSERT_TRUE(SUCCEEDED(com.result()));
        qmtest::TempDir work{L"qm-menu"};
        const std::wstring folder = work.MakeFolder(L"Some Folder");
        install.SetTheme(L"Small.ICL", qmtest::ThemeLibrary(2));
        WriteBytes(install.ThemePath(L"Large.ICL"), qmtest::ThemeLibrary(5));
        auto submenuSize = [&] {
            qmtest::ShellMenuHost host;
            if (host.Create() != S_OK || host.InitializeWithFolders({folder}) != S_OK) return std::size_t{0};
            host.QueryContextMenu();
            const auto top = qmtest::ReadMenu(host.menu());
            return top.size() == 1 && top[0].submenu ? qmtest::ReadMenu(top[0].submenu).size() : std::size_t{0};
        };
        const std::size_t before = submenuSize();
        ASSERT_GT(before, 2u);

        // The real program beside the library (the stand-in keeps its own name).
        const std::wstring program = install.folder() + L"\\Quillmark Window.exe";
        ASSERT_TRUE(CopyFileW((qmtest::BuildFolder() + L"\\Quillmark.exe").c_str(), program.c_str(), FALSE));
        qmtest::ChildProcess p(qmtest::Quote(program) + L" /THEME");
        ASSERT_TRUE(p.started());
        const HWND window = p.WaitForWindow(kThemeCaption);
        ASSERT_NE(window, nullptr);
        const HWND themes = VisibleChild(window, L"ListBox");
        const int large =
            static_cast<int>(SendMessageW(themes, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"Large.ICL")));
        ASSERT_GE(large, 0);
        NotifyListBox(themes, large, LBN_DBLCLK);
        PressButton(VisibleChild(window, L"Button", L"Close"));
        ASSERT_TRUE(p.Wait(15000));

        EXPECT_EQ(submenuSize(), before + 3);
    }
    CoFreeUnusedLibrariesEx(0, 0);
    qmtest::RemoveQuillshellRegistration();
}

// An all-users installation as a standard user meets it (the program folder on the read-only
// medium): a theme installed with /INSTALL goes to the user's store, the theme window lists it beside
// the shipped one, its choice and "Add Shell Icons" go to the user's folder, and the extension in
// the program folder follows the choice.
TEST(ReadOnlyInstallation, InstalledThemeIsListedChosenAndUsedByTheMenu) {
    const std::wstring installed = qmtest::ReadOnlyProgramFolder();
    if (installed.empty()) GTEST_SKIP() << "no read-only program folder (the fixture needs root)";
    qmtest::RoamingAppDataRedirect appData;
    ASSERT_TRUE(appData.ok());
    qmtest::TempDir work{L"qm-allusers"};
    const std::wstring source = work.MakeFolder(L"from") + L"\\Mine.icl";
    WriteBytes(source, qmtest::ThemeLibrary(3));
    const std::wstring program = qmtest::Quote(installed + L"\\Quillmark.exe");
    const std::wstring userStore = appData.QuillmarkFolder() + L"\\samples\\";
    {
        qmtest::ChildProcess p(program + L" /INSTALL " + qmtest::Quote(source));
        ASSERT_TRUE(p.started());
        qmtest::MessageBoxWatcher boxes(p.pid());
        ASSERT_TRUE(p.Wait(30000));
        EXPECT_EQ(p.ExitCode(), 0u);
        EXPECT_TRUE(boxes.Seen().empty()) << qm::WideToUtf8(boxes.Seen().empty() ? L"" : boxes.Seen()[0].text);
    }
    EXPECT_EQ(ReadBytes(userStore + L"Mine.icl"), qmtest::ThemeLibrary(3));
    EXPECT_FALSE(qmtest::Exists(installed + L"\\samples\\Mine.icl"));

    qmtest::ChildProcess p(program + L" /THEME");
    ASSERT_TRUE(p.started());
    qmtest::MessageBoxWatcher boxes(p.pid());
    const HWND window = p.WaitForWindow(kThemeCaption);
    ASSERT_NE(window, nullptr);
    const HWND themes = VisibleChild(window, L"ListBox");
    ASSERT_EQ(SendMessageW(themes, LB_GETCOUNT, 0, 0), 2);  // the shipped theme and the user's
    EXPECT_GE(SendMessageW(themes, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"WindowsXP.icl")), 0);
    const int mine =
        static_cast<int>(SendMessageW(themes, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"Mine.icl")));
    ASSERT_GE(mine, 0);
    NotifyListBox(themes, mine, LBN_DBLCLK);
    SendMessageW(VisibleChild(window, L"Button", L"Add Shell Icons"), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(themes, LB_GETCOUNT, 0, 0), 3);
    PressButton(VisibleChild(window, L"Button", L"Close"));
    ASSERT_TRUE(p.Wait(15000));
    EXPECT_TRUE(boxes.Seen().empty()) << qm::WideToUtf8(boxes.Seen().empty() ? L"" : boxes.Seen()[0].text);

    wchar_t stored[MAX_PATH] = {};
    GetPrivateProfileStringW(L"Theme", L"name", L"", stored, MAX_PATH,
                             (appData.QuillmarkFolder() + L"\\quillmark.ini").c_str());
    EXPECT_STREQ(stored, L"Mine.icl");
    EXPECT_TRUE(qmtest::Exists(userStore + L"Current Shell Icons.ICL"));
    EXPECT_EQ(qmtest::ListFolder(installed + L"\\samples"), std::vector<std::wstring>{L"WindowsXP.icl"});

    qmtest::ComApartment com;
    ASSERT_TRUE(SUCCEEDED(com.result()));
    const qmtest::FolderMenu menu =
        qmtest::BuildFolderMenu(installed + L"\\quillshell.dll", work.MakeFolder(L"Folder"));
    EXPECT_EQ(HRESULT_CODE(menu.result), 3 + 5);
}

}  // namespace
