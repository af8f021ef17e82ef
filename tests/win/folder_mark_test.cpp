// Marks in the process: a system module without icon groups (Windows 10 1903 and later) is read
// from its .mun in SystemResources of the Windows folder, here a fixture Windows folder through
// the system folders seam, and the folder comes back byte for byte after the clear.
#include <gtest/gtest.h>

#include "core/base/text.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_mark_win.h"
#include "core/folder/folder_profiles.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_library_win.h"
#include "core/icons/marked_icon_win.h"
#include "core/shell/icon_module_win.h"
#include "core/shell/shell_helpers_win.h"
#include "tests/support/cli_runner_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"

namespace {

class FolderMarkTest : public qmtest::FolderCliFixture {
protected:
    FolderMarkTest() : FolderCliFixture(L"qm-mark") {
        settings.SetCopyIco(L"1");
        windows = dir.MakeFolder(L"Windows");
        system = dir.MakeFolder(L"Windows\\System32");
        dir.MakeFolder(L"Windows\\SystemResources");
        qm::SetSystemFoldersSeam(qm::SystemFolders{system, windows});
    }
    ~FolderMarkTest() override { qm::SetSystemFoldersSeam(std::nullopt); }
    std::wstring windows, system;
    qmtest::FolderMessageCapture messages;
};

TEST_F(FolderMarkTest, AModuleWithoutIconGroupsIsReadFromItsMun) {
    const std::wstring stub = system + L"\\stub.dll";  // a module that holds no icon group
    qmtest::WriteBytes(stub, {'M', 'Z', 0, 0});
    const std::wstring lonely = system + L"\\lonely.dll";
    qmtest::WriteBytes(lonely, {'M', 'Z', 0, 0});
    EXPECT_EQ(qm::IconGroupsFileOf(library), library);  // a module with groups is itself
    EXPECT_EQ(qm::IconGroupsFileOf(lonely), lonely);    // no .mun beside: the module
    const std::wstring mun = windows + L"\\SystemResources\\stub.dll.mun";
    qmtest::WriteBytes(mun, qmtest::ReadBytes(library));
    EXPECT_EQ(qm::IconGroupsFileOf(stub), mun);

    qm::IconLibrary lib;
    ASSERT_TRUE(lib.Open(mun));
    const qm::PeResourceName id = lib.GroupName(3);
    ASSERT_TRUE(id.isId);
    const std::wstring folder = dir.MakeFolder(L"marked");
    const std::string ini =
        "[.ShellClassInfo]\r\nIconResource=" + qm::WideToUtf8(stub) + ",-" + std::to_string(id.id) + "\r\n";
    const std::vector<std::uint8_t> iniBytes(ini.begin(), ini.end());
    qmtest::WriteBytes(folder + L"\\desktop.ini", iniBytes);

    const qm::ShownIcon shown = qm::ShownIconOf(folder);
    EXPECT_EQ(shown.file, mun);
    EXPECT_EQ(shown.index, -static_cast<int>(id.id));

    ASSERT_TRUE(qm::MarkFolder(folder, qm::EmblemImages(qm::EmblemArgument{qm::Emblem::Question, L"", 0}),
                               qm::CallerProfile::MainWindow));
    EXPECT_TRUE(messages.Messages().empty());
    const auto c = qm::ReadFolderCustomization(folder);
    qm::IconLibrary copy;
    ASSERT_TRUE(copy.Open(folder + L"\\" + c.IconFile));
    qm::IconPixels made, base;
    ASSERT_TRUE(qm::RenderLibraryIcon(copy, 0, 48, 48, made));
    ASSERT_TRUE(qm::RenderLibraryIcon(lib, 3, 48, 48, base));
    // above the emblem and its halo the copy is the .mun's icon
    for (int i = 0; i < 48 * (48 - 24 - 1); ++i) {
        for (int ch = 0; ch < 32; ch += 8)
            ASSERT_LE(
                std::abs(static_cast<int>((made.bgra[i] >> ch) & 0xFF) - static_cast<int>((base.bgra[i] >> ch) & 0xFF)),
                1)
                << i;
    }

    ASSERT_TRUE(qm::ClearFolderMark(folder));
    EXPECT_EQ(qmtest::ListFolder(folder), std::vector<std::wstring>{L"desktop.ini"});
    EXPECT_EQ(qmtest::ReadBytes(folder + L"\\desktop.ini"), iniBytes);
    EXPECT_FALSE(qm::ClearFolderMark(folder));
}

}  // namespace
