// The folder menu handler while its theme file changes under it: another program rewriting the
// theme, cutting it short at any length, while menus are built. Every menu still comes out (the
// commands at least), no step fails, and nothing of the process is harmed.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/base/handles_win.h"
#include "tests/support/com_client_win.h"

namespace {

constexpr int kIcons = 40;

// Writes `bytes` over the file in place, sharing it as an editor would; false when it is busy.
bool Overwrite(const std::wstring& path, const std::uint8_t* bytes, std::size_t size) {
    qm::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (size > 0 && !WriteFile(file.get(), bytes, static_cast<DWORD>(size), &written, nullptr)) return false;
    return SetEndOfFile(file.get()) != FALSE;
}

TEST(ShellFault, ThemeCutShortWhileMenusAreBuiltStillGivesTheCommands) {
    qmtest::ShellInstall install;
    const std::vector<std::uint8_t> theme = qmtest::ThemeLibrary(kIcons);
    install.SetTheme(L"Cut.icl", theme);
    const std::wstring themePath = install.ThemePath(L"Cut.icl");
    qmtest::TempDir work(L"qmfault");
    const std::wstring folder = work.MakeFolder(L"Folder");
    qm::UniqueModule library(LoadLibraryW(install.dll().c_str()));
    ASSERT_TRUE(library);

    // First each cut length on its own, then a writer cutting and restoring while menus are built.
    qmtest::ComApartment com;
    std::vector<std::size_t> cuts = {0, 1, 2, 63, 64, 65};
    for (std::size_t n = 128; n < theme.size(); n = n * 3 / 2) cuts.push_back(n);
    cuts.push_back(theme.size() - 1);
    for (std::size_t cut : cuts) {
        SCOPED_TRACE(cut);
        ASSERT_TRUE(Overwrite(themePath, theme.data(), cut));
        qmtest::ShellMenuHost host;
        ASSERT_EQ(host.CreateFrom(library.get()), S_OK);
        ASSERT_EQ(host.InitializeWithFolders({folder}), S_OK);
        const HRESULT hr = host.QueryContextMenu();
        ASSERT_TRUE(SUCCEEDED(hr));
        EXPECT_GE(HRESULT_CODE(hr), 5);
        EXPECT_LE(HRESULT_CODE(hr), kIcons + 5);
    }

    std::atomic<bool> stop{false};
    std::atomic<int> writes{0};
    std::thread writer([&] {
        std::uint32_t x = 7;
        while (!stop) {
            x = x * 1103515245u + 12345u;
            const std::size_t cut = (x >> 8) % (theme.size() + 1);
            if (Overwrite(themePath, theme.data(), cut)) ++writes;
            Sleep(0);
        }
    });
    int failures = 0, complete = 0;
    for (int i = 0; i < 200; ++i) {
        qmtest::ShellMenuHost host;
        if (host.CreateFrom(library.get()) != S_OK || host.InitializeWithFolders({folder}) != S_OK) {
            ++failures;
            continue;
        }
        const HRESULT hr = host.QueryContextMenu();
        if (!SUCCEEDED(hr) || HRESULT_CODE(hr) < 5 || HRESULT_CODE(hr) > kIcons + 5) ++failures;
        if (HRESULT_CODE(hr) == kIcons + 5) ++complete;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(failures, 0);
    EXPECT_GT(writes.load(), 0);
    std::printf("theme rewritten %d times; %d of 200 menus had every icon\n", writes.load(), complete);
    // The whole theme back: the whole menu back.
    ASSERT_TRUE(Overwrite(themePath, theme.data(), theme.size()));
    qmtest::ShellMenuHost host;
    ASSERT_EQ(host.CreateFrom(library.get()), S_OK);
    ASSERT_EQ(host.InitializeWithFolders({folder}), S_OK);
    EXPECT_EQ(HRESULT_CODE(host.QueryContextMenu()), kIcons + 5);
}

}  // namespace
