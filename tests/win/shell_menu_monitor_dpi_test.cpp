// The folder menu on monitors of other DPIs, in one 96-DPI prefix: Explorer is per-monitor aware
// and opens the menu on the monitor under the click, whose DPI the extension takes (Wine has one
// DPI for every monitor, so the test seam answers as a second monitor at 144 or 192 DPI would).
// The icon pictures come at that DPI's small-icon size and the check-mark art at its menu check
// size, both compared with GetSystemMetricsForDpi (the prefix's fonts decide the figures).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

#include "core/base/handles_win.h"
#include "shellext/test_seams_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/icon_fixtures.h"

namespace {

using qmtest::FlatIco;

UINT g_dpi = 96;
UINT MonitorDpi() { return g_dpi; }

TEST(ShellMenuMonitorDpi, PicturesAndCheckMarkFollowTheDpiOfTheMonitorTheMenuOpensOn) {
    ASSERT_EQ(GetDpiForSystem(), 96u) << "the prefix is not at 96 DPI";
    qmtest::ComApartment com;
    ASSERT_TRUE(SUCCEEDED(com.result()));
    qmtest::ShellInstall install;
    constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;
    install.SetTheme(L"Dpi.icl", qmtest::ThemeLibrary(1, {FlatIco({{16, kRed}, {24, kGreen}, {32, kBlue}})}));
    const std::map<int, std::uint32_t> colourOfSize = {{16, kRed}, {24, kGreen}, {32, kBlue}};
    qmtest::TempDir work(L"qmmondpi");
    qm::UniqueModule library(LoadLibraryW(install.dll().c_str()));
    ASSERT_TRUE(library);
    qm::shellext::ShellSeams* seams = qmtest::ShellSeamsOf(library.get());
    ASSERT_NE(seams, nullptr);

    // One object, a menu at each DPI in turn (a second menu of one object happens when the user
    // opens it again on the other monitor).
    qmtest::ShellMenuHost host;
    ASSERT_EQ(host.CreateFrom(library.get()), S_OK);
    ASSERT_EQ(host.InitializeWithFolders({work.MakeFolder(L"f")}), S_OK);
    struct Made {
        HBITMAP mark;
        int width;
    };
    std::vector<Made> marks;
    for (const UINT dpi : {96u, 144u, 192u, 0u /* no seam: the monitor under the cursor */}) {
        SCOPED_TRACE(dpi);
        g_dpi = dpi;
        seams->menuDpi = dpi ? &MonitorDpi : nullptr;
        const UINT expectedDpi = dpi ? dpi : GetDpiForSystem();  // Wine: every monitor at the system DPI
        ASSERT_EQ(HRESULT_CODE(host.QueryContextMenu()), 6);
        const auto top = qmtest::ReadMenu(host.menu());
        ASSERT_EQ(top.size(), 1u);
        const auto mark = qmtest::ReadDibSection(top[0].checked);
        EXPECT_EQ(mark.bitCount, 32);
        EXPECT_EQ(mark.width, GetSystemMetricsForDpi(SM_CXMENUCHECK, expectedDpi));
        EXPECT_EQ(mark.height, GetSystemMetricsForDpi(SM_CYMENUCHECK, expectedDpi));
        marks.push_back({top[0].checked, mark.width});

        const auto items = qmtest::ReadMenu(top[0].submenu);
        ASSERT_EQ(items.size(), 6u);
        const auto picture = qmtest::ReadDibSection(items[5].bitmap);
        const int side = GetSystemMetricsForDpi(SM_CXSMICON, expectedDpi);
        ASSERT_EQ(picture.bitCount, 32);
        EXPECT_EQ(picture.width, side);
        EXPECT_EQ(picture.height, side);
        if (const auto colour = colourOfSize.find(side); colour != colourOfSize.end()) {
            int wrong = 0;
            for (std::uint32_t px : picture.bgra) wrong += px != colour->second;
            EXPECT_EQ(wrong, 0) << std::hex << picture.At(0, 0);  // the image of that size itself
        }
    }
    seams->menuDpi = nullptr;
    // Each menu's check mark lives as long as the object, whatever DPI came after it.
    for (const Made& m : marks) EXPECT_EQ(qmtest::ReadDibSection(m.mark).width, m.width);
    EXPECT_NE(marks[0].width, marks[2].width);
}

}  // namespace
