// The two folder menus side by side: the classic submenu (IContextMenu, through the COM client in
// Explorer's order) and the Windows 11 flyout (IExplorerCommand) dumped entry by entry and
// compared with one expected layout: the four commands, a separator, one numbered entry per
// icon; the classic menu's identifiers follow the entries' order, and the commands the two
// menus start for one entry are the same.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "tests/support/com_client_win.h"
#include "tests/support/explorer_command_client_win.h"
#include "tests/support/files_win.h"

namespace {

constexpr UINT kFirst = 100;

// The entries both menus must show, in order.
std::vector<std::string> ExpectedLayout(int icons) {
    std::vector<std::string> layout = {"command Select custom icon...", "command Reset", "command Change Theme...",
                                       "command About Quillmark...", "separator"};
    for (int i = 0; i < icons; ++i) layout.push_back("icon " + std::to_string(i));
    return layout;
}

// The classic submenu as lines, its column breaks left out (the flyout has none); `ids` gets the
// identifier of each line (0 for the separator).
std::vector<std::string> DumpClassic(const std::vector<qmtest::MenuItem>& submenu, std::vector<UINT>& ids) {
    std::vector<std::string> lines;
    for (const auto& item : submenu) {
        if (item.IsColumnBreak()) continue;
        if (item.IsSeparator()) {
            lines.push_back("separator");
            ids.push_back(0);
        } else if (item.bitmap) {
            lines.push_back("icon " + qm::WideToUtf8(item.text));
            ids.push_back(item.id);
        } else {
            lines.push_back((item.checked ? "command " : "command without art ") + qm::WideToUtf8(item.text));
            ids.push_back(item.id);
        }
    }
    return lines;
}

std::vector<std::string> DumpFlyout(const std::vector<qmtest::CommandEntry>& entries) {
    std::vector<std::string> lines;
    for (const auto& e : entries) {
        if (e.flags == ECF_ISSEPARATOR) {
            lines.push_back("separator");
        } else if (e.iconResult == S_OK) {
            lines.push_back("icon " + qm::WideToUtf8(e.title));
        } else {
            lines.push_back("command " + qm::WideToUtf8(e.title));
        }
    }
    return lines;
}

class ShellLayout : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        library_.reset(LoadLibraryW(install_.dll().c_str()));
        ASSERT_TRUE(library_);
        folder_ = work_.MakeFolder(L"My Files");
    }

    qmtest::ComApartment com_;
    qmtest::ShellInstall install_;
    qmtest::TempDir work_{L"qmlayout"};
    qm::UniqueModule library_;
    std::wstring folder_;
};

TEST_F(ShellLayout, ClassicMenuAndFlyoutShowTheSameEntriesInTheSameOrder) {
    const auto items = qmtest::ShellItemsOf({folder_});
    ASSERT_TRUE(items);
    for (const int icons : {0, 1, 25, 50}) {
        SCOPED_TRACE(icons);
        install_.SetTheme(L"Layout" + std::to_wstring(icons) + L".icl", qmtest::ThemeLibrary(icons));
        const auto expected = ExpectedLayout(icons);

        qmtest::ShellMenuHost host;
        ASSERT_EQ(host.CreateFrom(library_.get()), S_OK);
        ASSERT_EQ(host.InitializeWithFolders({folder_}), S_OK);
        ASSERT_EQ(HRESULT_CODE(host.QueryContextMenu(CMF_NORMAL, kFirst)), icons + 5);
        const auto top = qmtest::ReadMenu(host.menu());
        ASSERT_EQ(top.size(), 1u);
        EXPECT_EQ(top[0].text, L"Quillmark");
        EXPECT_EQ(top[0].id, kFirst);  // offset 0: the submenu entry
        std::vector<UINT> ids;
        EXPECT_EQ(DumpClassic(qmtest::ReadMenu(top[0].submenu), ids), expected);
        // Offsets: the commands 1 to 4, the icons 5 + i, in the order of the entries.
        ASSERT_EQ(ids.size(), expected.size());
        for (std::size_t k = 0; k < ids.size(); ++k) {
            if (k == 4) continue;  // the separator
            EXPECT_EQ(ids[k], kFirst + (k < 4 ? k + 1 : k)) << k;
        }

        const auto root = qmtest::CreateFolderCommand(library_.get());
        ASSERT_TRUE(root);
        HRESULT hr = E_FAIL;
        EXPECT_EQ(DumpFlyout(qmtest::ReadFlyout(root.get(), items.get(), false, &hr)), expected);
        EXPECT_EQ(hr, S_OK);
    }
}

TEST_F(ShellLayout, EachCommandEntryStartsTheSameProgramInBothMenus) {
    install_.SetTheme(L"Two.icl", qmtest::ThemeLibrary(2));
    const auto items = qmtest::ShellItemsOf({folder_});
    ASSERT_TRUE(items);
    const auto root = qmtest::CreateFolderCommand(library_.get());
    ASSERT_TRUE(root);
    auto flyout = qmtest::ReadFlyout(root.get(), items.get(), true);
    ASSERT_EQ(flyout.size(), 7u);
    // Entries 0, 2 and 3 start the program (custom icon window, theme, About); the classic
    // menu's offset of entry k is k + 1.
    for (const std::size_t k : {std::size_t{0}, std::size_t{2}, std::size_t{3}}) {
        SCOPED_TRACE(k);
        qmtest::ShellMenuHost host;
        ASSERT_EQ(host.CreateFrom(library_.get()), S_OK);
        ASSERT_EQ(host.InitializeWithFolders({folder_}), S_OK);
        ASSERT_EQ(HRESULT_CODE(host.QueryContextMenu()), 7);
        install_.ClearStarts();
        EXPECT_EQ(host.InvokeOffset(static_cast<UINT>(k + 1)), S_OK);
        const std::wstring classic = install_.WaitForStart();
        install_.ClearStarts();
        ASSERT_TRUE(flyout[k].command);
        EXPECT_EQ(flyout[k].command->Invoke(items.get(), nullptr), S_OK);
        const std::wstring modern = install_.WaitForStart();
        EXPECT_FALSE(classic.empty());
        EXPECT_EQ(qm::WideToUtf8(classic), qm::WideToUtf8(modern));
    }
}

}  // namespace
