// Whole-process runs of the about mode and of "Save Options": the rippling banner (two captures
// differ), the e-mail link handed to the shell while the window stays open, a click on the banner
// ending the program; the ".icl" shell verb written with the program's unquoted path that holds a
// blank, and removed again.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/command_line.h"
#include "tests/support/files_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/process_win.h"
#include "tests/support/settings_backup_win.h"

namespace {

const std::wstring kVerbKey = L"iclfile\\shell\\Open.Ostrel.Quillmark";
const std::wstring kCommandKey = kVerbKey + L"\\command";
const std::wstring kMailCommandKey = L"mailto\\shell\\open\\command";

// Waits up to about ten seconds for a condition, checking every 100 ms.
template <class F>
bool Eventually(F condition) {
    for (int i = 0; i < 100; ++i) {
        if (condition()) return true;
        Sleep(100);
    }
    return condition();
}

HWND ChildAt(HWND window, POINT client) { return ChildWindowFromPointEx(window, client, CWP_SKIPINVISIBLE); }

void ClickWindow(HWND h, POINT client) {
    const LPARAM at = MAKELPARAM(client.x, client.y);
    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(h, WM_LBUTTONUP, 0, at);
}

std::wstring ReadUtf16(const std::wstring& path) {
    const std::vector<std::uint8_t> bytes = qmtest::ReadBytes(path);
    std::wstring s(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return s;
}

TEST(AboutMode, RipplesAnimateTheMailLinkKeepsItOpenAndABannerClickEndsTheProgram) {
    // The shell hands mailto: links to a stand-in that records its command line.
    qmtest::TempDir dir;
    const std::wstring mailer = dir / L"mailer.exe";
    ASSERT_TRUE(CopyFileW((qmtest::BuildFolder() + L"\\qm_shell_standin.exe").c_str(), mailer.c_str(), FALSE));
    qmtest::ScopedRegistryDefaults keepMail(HKEY_CLASSES_ROOT, {kMailCommandKey});
    ASSERT_TRUE(qmtest::WriteDefaultValue(HKEY_CLASSES_ROOT, kMailCommandKey, qmtest::Quote(mailer) + L" %1"));

    qmtest::ChildProcess p(qmtest::Quote(qmtest::BuildFolder() + L"\\Quillmark.exe") + L" /ABOUT");
    ASSERT_TRUE(p.started()) << "CreateProcessW: error " << p.startError();
    HWND window = p.WaitForWindow(L"");
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 383);
    EXPECT_EQ(client.bottom, 369);
    HWND banner = ChildAt(window, {10, 10});
    ASSERT_NE(banner, window);

    // The banner is on the screen (its lower rows are light blue, never black)...
    auto screenPixel = [](HWND h, POINT client) {
        ClientToScreen(h, &client);
        HDC screen = GetDC(nullptr);
        const COLORREF c = GetPixel(screen, client.x, client.y);
        ReleaseDC(nullptr, screen);
        return c;
    };
    ASSERT_TRUE(Eventually([&] {
        const COLORREF c = screenPixel(banner, {380, 72});
        return c != CLR_INVALID && GetBValue(c) > 128;
    }));
    // ...and random drops keep its surface moving: two screenshots a little apart differ.
    bool animated = false;
    for (int i = 0; i < 20 && !animated; ++i) {
        const std::wstring first = qmtest::SaveScreenshot(banner, L"about_mode_banner_1");
        Sleep(250);
        const std::wstring second = qmtest::SaveScreenshot(banner, L"about_mode_banner_2");
        ASSERT_FALSE(first.empty() || second.empty());
        animated = qmtest::ReadBytes(first) != qmtest::ReadBytes(second);
    }
    EXPECT_TRUE(animated);
    qmtest::SaveScreenshot(window, L"about_mode");

    HWND mailLabel = ChildAt(window, {196, 323});
    ASSERT_NE(mailLabel, window);
    EXPECT_EQ(qmtest::WindowCaption(mailLabel), L"Write e-mail to author of Quillmark");
    ClickWindow(mailLabel, {10, 8});
    const std::wstring started = dir / L"started.txt";
    ASSERT_TRUE(Eventually([&] { return qmtest::Exists(started); }));
    EXPECT_NE(ReadUtf16(started).find(L"mailto:quillmark@ostrel.example?Subject=Quillmark%203.6"), std::wstring::npos);
    Sleep(300);
    EXPECT_TRUE(p.running());
    EXPECT_TRUE(IsWindowVisible(window));

    ClickWindow(banner, {100, 40});
    ASSERT_TRUE(p.Wait(10000));
    EXPECT_EQ(p.ExitCode(), 0u);
}

// The controls of the main window's options page, found by their texts.
struct FoundChild {
    std::wstring text;
    HWND hwnd = nullptr;
};
BOOL CALLBACK FindByText(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<FoundChild*>(lp);
    if (qmtest::WindowCaption(h) == f->text) {
        f->hwnd = h;
        return FALSE;
    }
    return TRUE;
}
HWND ChildWithText(HWND window, const std::wstring& text) {
    FoundChild f{text};
    EnumChildWindows(window, FindByText, reinterpret_cast<LPARAM>(&f));
    return f.hwnd;
}

TEST(SaveOptions, WritesTheVerbWithQuotedPathsHoldingBlanksAndRemovesIt) {
    qmtest::TempDir dir;
    const std::wstring folder = dir.MakeFolder(L"Quill mark");
    const std::wstring program = folder + L"\\Quillmark.exe";
    ASSERT_TRUE(CopyFileW((qmtest::BuildFolder() + L"\\Quillmark.exe").c_str(), program.c_str(), FALSE));
    qmtest::ScopedRegistryDefaults keepVerb(HKEY_CLASSES_ROOT, {kVerbKey, kCommandKey});
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kCommandKey.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kVerbKey.c_str());

    qmtest::ChildProcess p(qmtest::Quote(program));
    ASSERT_TRUE(p.started()) << "CreateProcessW: error " << p.startError();
    HWND window = p.WaitForWindow(L"Icon for selected folder");
    ASSERT_NE(window, nullptr);
    HWND link = ChildWithText(window, L"Only make a link to icl-theme. Do not extract any icons.");
    HWND shell = ChildWithText(window, L"Add \"Install Theme\" menu item for IconLibraries ( ICL )");
    HWND save = ChildWithText(window, L"Save Options");
    ASSERT_TRUE(link && shell && save);
    EXPECT_EQ(SendMessageW(shell, BM_GETCHECK, 0, 0), BST_UNCHECKED);  // no verb yet

    PostMessageW(link, BM_CLICK, 0, 0);
    PostMessageW(shell, BM_CLICK, 0, 0);
    PostMessageW(save, BM_CLICK, 0, 0);
    ASSERT_TRUE(Eventually([&] { return qmtest::KeyExists(HKEY_CLASSES_ROOT, kCommandKey); }));
    EXPECT_EQ(qmtest::ReadDefaultValue(HKEY_CLASSES_ROOT, kVerbKey), L"Install as Theme for Quillmark");
    const std::wstring command = qmtest::ReadDefaultValue(HKEY_CLASSES_ROOT, kCommandKey).value_or(L"");
    EXPECT_EQ(command, L"\"" + program + L"\" /INSTALL \"%1\"");
    // The shell puts the library's path for %1; the program, started with that line, takes the
    // program's path whole as its name and the library's whole as its second argument.
    const std::wstring library = folder + L"\\My Themes\\Metal Icons.icl";
    std::wstring line = command;
    const std::size_t placeholder = line.find(L"%1");
    ASSERT_NE(placeholder, std::wstring::npos) << command;
    line.replace(placeholder, 2, library);
    EXPECT_EQ(qm::SplitCommandLine(line), (std::vector<std::wstring>{L"/INSTALL", library})) << line;
    const qm::StartRequest request = qm::SelectMode(qm::SplitCommandLine(line));
    EXPECT_EQ(request.mode, qm::ProgramMode::Install);
    EXPECT_EQ(request.argument, library);
    const std::wstring ini = folder + L"\\quillmark.ini";
    wchar_t value[64] = {};
    GetPrivateProfileStringW(L"Options", L"CopyIco", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"0");
    GetPrivateProfileStringW(L"Toolbar", L"Name", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"Default");

    PostMessageW(shell, BM_CLICK, 0, 0);
    PostMessageW(save, BM_CLICK, 0, 0);
    EXPECT_TRUE(Eventually([&] { return !qmtest::KeyExists(HKEY_CLASSES_ROOT, kVerbKey); }));
    EXPECT_FALSE(qmtest::KeyExists(HKEY_CLASSES_ROOT, kCommandKey));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(p.Wait(15000));
}

// The program in a folder the user cannot write (an all-users installation as a standard user sees
// it): "Save Options" writes the user's own settings file, made on this first write.
TEST(SaveOptions, ReadOnlyProgramFolderWritesTheUsersSettingsFile) {
    const std::wstring installed = qmtest::ReadOnlyProgramFolder();
    if (installed.empty()) GTEST_SKIP() << "no read-only program folder (the fixture needs root)";
    qmtest::RoamingAppDataRedirect appData;
    ASSERT_TRUE(appData.ok());
    qmtest::ScopedRegistryDefaults keepVerb(HKEY_CLASSES_ROOT, {kVerbKey, kCommandKey});

    qmtest::ChildProcess p(qmtest::Quote(installed + L"\\Quillmark.exe"));
    ASSERT_TRUE(p.started()) << "CreateProcessW: error " << p.startError();
    HWND window = p.WaitForWindow(L"Icon for selected folder");
    ASSERT_NE(window, nullptr);
    HWND link = ChildWithText(window, L"Only make a link to icl-theme. Do not extract any icons.");
    HWND save = ChildWithText(window, L"Save Options");
    ASSERT_TRUE(link && save);
    PostMessageW(link, BM_CLICK, 0, 0);
    PostMessageW(save, BM_CLICK, 0, 0);
    const std::wstring ini = appData.QuillmarkFolder() + L"\\quillmark.ini";
    EXPECT_TRUE(Eventually([&] {
        wchar_t value[64] = {};
        GetPrivateProfileStringW(L"Options", L"CopyIco", L"", value, 64, ini.c_str());
        return std::wstring(value) == L"0";
    }));
    wchar_t value[64] = {};
    GetPrivateProfileStringW(L"Toolbar", L"Name", L"", value, 64, ini.c_str());
    EXPECT_STREQ(value, L"Default");
    EXPECT_FALSE(qmtest::Exists(installed + L"\\quillmark.ini"));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(p.Wait(15000));
}

}  // namespace
