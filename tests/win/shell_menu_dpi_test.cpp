// The folder menu in a DPI-aware host at 144 DPI: this test runs in a Wine prefix of its own
// whose `HKCU\Control Panel\Desktop` `LogPixels` is 144 (the CTest fixture wine_dpi144), where a
// DPI-aware process gets SM_CXSMICON 24. The icon pictures follow the small-icon size, taken from
// the image of that size or scaled from the nearest, and the check-mark art the menu check size.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/base/handles_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/icon_fixtures.h"

namespace {

using qmtest::FlatIco;

}  // namespace

TEST(ShellMenuAt144Dpi, PicturesAreAtTheSmallIconSizeOfTheDpiAndCheckMarkAtTheCheckSize) {
    // Explorer is DPI-aware; so is this host.
    // (Wine 8 refuses per-monitor v2 awareness; system awareness gives the same system DPI.)
    if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) SetProcessDPIAware();
    ASSERT_NE(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()), DPI_AWARENESS_UNAWARE);
    ASSERT_EQ(GetDpiForSystem(), 144u) << "the prefix is not at 144 DPI";
    const int side = GetSystemMetrics(SM_CXSMICON);
    ASSERT_EQ(side, 24);

    qmtest::ComApartment com;
    ASSERT_TRUE(SUCCEEDED(com.result()));
    qmtest::ShellInstall install;
    constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;
    // Icon 0 has a 24-pixel image; icon 1 has none and is shrunk from the nearest, 32 (flat, so
    // exactly the colour).
    install.SetTheme(L"Dpi.icl", qmtest::ThemeLibrary(2, {FlatIco({{16, kRed}, {24, kGreen}, {32, kBlue}}),
                                                          FlatIco({{64, kGreen}, {32, kBlue}, {8, kRed}})}));
    qmtest::TempDir work(L"qmdpi");
    qm::UniqueModule library(LoadLibraryW(install.dll().c_str()));
    ASSERT_TRUE(library);
    {
        qmtest::ShellMenuHost host;
        ASSERT_EQ(host.CreateFrom(library.get()), S_OK);
        ASSERT_EQ(host.InitializeWithFolders({work.MakeFolder(L"f")}), S_OK);
        ASSERT_EQ(HRESULT_CODE(host.QueryContextMenu()), 7);
        const auto top = qmtest::ReadMenu(host.menu());
        ASSERT_EQ(top.size(), 1u);
        const auto mark = qmtest::ReadDibSection(top[0].checked);
        EXPECT_EQ(mark.bitCount, 32);
        EXPECT_EQ(mark.width, GetSystemMetrics(SM_CXMENUCHECK));
        EXPECT_EQ(mark.height, GetSystemMetrics(SM_CYMENUCHECK));
        EXPECT_GT(mark.width, 13);  // larger than the art itself

        const auto items = qmtest::ReadMenu(top[0].submenu);
        ASSERT_EQ(items.size(), 7u);
        const std::uint32_t expected[] = {kGreen, kBlue};
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(i);
            const auto picture = qmtest::ReadDibSection(items[5 + i].bitmap);
            ASSERT_EQ(picture.bitCount, 32);
            ASSERT_EQ(picture.width, side);
            ASSERT_EQ(picture.height, side);
            int wrong = 0;
            for (std::uint32_t px : picture.bgra) wrong += px != expected[i];
            EXPECT_EQ(wrong, 0) << std::hex << picture.At(0, 0);
        }
    }
}
