// The context-menu theme window in the test process: its store is the test program's "samples"
// folder, moved aside for the test.
#include <gtest/gtest.h>

#include "app/menu_theme_window_win.h"
#include "core/settings/settings_win.h"
#include "core/shell/shell_helpers_win.h"
#include "tests/gui/picker_test_support.h"
#include "tests/support/com_client_win.h"
#include "tests/support/gui_driver_win.h"

namespace {

// Non-white pixels in the preview's columns [x, x + 32).
int InkInSlot(const ui::Bitmap& picture, int x) {
    int ink = 0;
    for (int y = 0; y < qm::kThemeStripHeight; ++y)
        for (int i = x; i < x + 32 && i < picture.Width(); ++i) ink += (picture.Pixel(i, y) & 0xFFFFFF) != 0xFFFFFF;
    return ink;
}

struct SlotCase {
    const wchar_t* name;
    int icons;
    int slotsWithInk;
};

TEST(ThemeWindow, PreviewShowsAtMostFourIconsAndFollowsADoubleClick) {
    qmtest::ProgramFolderGuard program;
    const SlotCase cases[] = {{L"Two.ICL", 2, 2}, {L"Many.ICL", 300, 4}, {L"One.ICL", 1, 1}};
    for (const SlotCase& c : cases) qmtest::WriteBytes(program.Store() + c.name, qmtest::ThemeLibrary(c.icons));
    qmtest::WriteBytes(program.Store() + L"Empty.ICL", {'n', 'o', 'n', 'e'});
    qm::WriteSetting(qm::kThemeNameSetting, L"Two.ICL");

    qm::TfTheme window;
    window.Show();
    qmtest::PumpMessages();
    ASSERT_EQ(window.ListBox1->Count(), 4);
    // Every entry keeps a strip of its own, the empty file too.
    EXPECT_EQ(window.ImageList2->Count(), 4);
    EXPECT_EQ(window.CurrentThemeName(), L"Two.ICL");

    const int slots[] = {2, 37, 72, 104};
    for (const SlotCase& c : cases) {
        int index = -1;
        for (int i = 0; i < window.ListBox1->Count(); ++i)
            if (window.ListBox1->Item(i) == c.name) index = i;
        ASSERT_GE(index, 0) << c.name;
        qmtest::DoubleClickItem(*window.ListBox1, index);
        qmtest::PumpMessages();
        EXPECT_EQ(qm::ReadSetting(qm::kThemeNameSetting), c.name);
        ASSERT_NE(window.Image5->Picture(), nullptr);
        int withInk = 0;
        for (int x : slots) withInk += InkInSlot(*window.Image5->Picture(), x) > 0;
        EXPECT_EQ(withInk, c.slotsWithInk) << c.name;
        // The empty slots stay white.
        for (int s = c.slotsWithInk; s < 4; ++s) EXPECT_EQ(InkInSlot(*window.Image5->Picture(), slots[s]), 0) << c.name;
    }
    qmtest::SaveScreenshot(window.Handle(), L"theme_window_preview");

    // A theme without icons is stored but leaves the preview as it was.
    const int ink = InkInSlot(*window.Image5->Picture(), 2);
    for (int i = 0; i < window.ListBox1->Count(); ++i)
        if (window.ListBox1->Item(i) == L"Empty.ICL") qmtest::DoubleClickItem(*window.ListBox1, i);
    qmtest::PumpMessages();
    EXPECT_EQ(qm::ReadSetting(qm::kThemeNameSetting), L"Empty.ICL");
    EXPECT_EQ(InkInSlot(*window.Image5->Picture(), 2), ink);
    window.Close();
}

TEST(ThemeWindow, StartsWithTheDefaultThemeAndTranslatedTexts) {
    qmtest::ProgramFolderGuard program;
    qm::TfTheme window;
    EXPECT_EQ(window.CurrentThemeName(), L"WindowsXP.icl");
    EXPECT_EQ(window.ListBox1->Count(), 0);
    EXPECT_EQ(window.Caption(), L"Theme for Quillmark Context menu");
    EXPECT_EQ(window.ClientSize().cx, 376);
    EXPECT_EQ(window.ClientSize().cy, 472);
}

// Since Windows 10 1903 the system's shell32.dll holds no icon groups; they are in
// "%WINDIR%\\SystemResources\\shell32.dll.mun". Wine's shell32.dll has its icons, so the system
// folders come from the seam: a fixture shell32.dll with or without icons, beside a .mun or not.
TEST(ThemeWindow, AddShellIconsCopiesTheSystemsShellIconsUnderTheThemeName) {
    qmtest::ProgramFolderGuard program;
    qmtest::TempDir windows{L"windows-folder"};
    const std::wstring system = windows.MakeFolder(L"system32");
    const std::vector<std::uint8_t> withIcons = qmtest::MakePeLibrary(3), noIcons = qmtest::MakePeLibrary(0),
                                    mun = qmtest::MakePeLibrary(5);
    const struct {
        const char* what;
        const std::vector<std::uint8_t>* shell32;
        bool hasMun;
        const std::vector<std::uint8_t>* copied;
    } cases[] = {{"shell32.dll with icons", &withIcons, true, &withIcons},
                 {"shell32.dll without icons beside a .mun", &noIcons, true, &mun},
                 {"shell32.dll without icons and no .mun", &noIcons, false, &noIcons}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        qmtest::RemoveTree(windows / L"SystemResources");
        DeleteFileW((program.Store() + qm::kShellIconsThemeName).c_str());
        qmtest::WriteBytes(system + L"\\shell32.dll", *c.shell32);
        if (c.hasMun) {
            CreateDirectoryW((windows / L"SystemResources").c_str(), nullptr);
            qmtest::WriteBytes(windows / L"SystemResources\\shell32.dll.mun", mun);
        }
        qm::SetSystemFoldersSeam(qm::SystemFolders{system, windows.path()});
        qm::TfTheme window;
        window.Show();
        qmtest::Click(*window.b_CopyShell32);
        qm::SetSystemFoldersSeam(std::nullopt);
        EXPECT_EQ(qmtest::ReadBytes(program.Store() + qm::kShellIconsThemeName), *c.copied);
        EXPECT_EQ(window.ListBox1->Items(), std::vector<std::wstring>{qm::kShellIconsThemeName});
    }
}

}  // namespace
