// The existence checks of core/base/long_path_win on real files and folders, by short paths and
// by paths past MAX_PATH (refused without the "\\?\" prefix, as Windows does, while the limit is on).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/base/long_path_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/windows_path_limit_win.h"

namespace {

TEST(ExistenceChecks, TellFilesFromFoldersFromNothingByPathsOfAnyLength) {
    qmtest::TempDir dir{L"qm-exists"};
    const std::wstring shortFolder = dir.MakeFolder(L"short");
    const std::wstring longFolder = qmtest::FolderOfLength(dir.MakeFolder(L"long"), 300);
    for (const std::wstring& folder : {shortFolder, longFolder}) {
        qmtest::WriteBytes(qmtest::Prefixed(folder + L"\\file.ico"), {1, 2, 3});
        ASSERT_TRUE(CreateDirectoryW(qmtest::Prefixed(folder + L"\\sub.ico").c_str(), nullptr));
    }
    const qmtest::WindowsPathLimit limit;
    for (const std::wstring& folder : {shortFolder, longFolder}) {
        SCOPED_TRACE(std::to_string(folder.size()) + " characters");
        const std::wstring file = folder + L"\\file.ico", sub = folder + L"\\sub.ico", none = folder + L"\\none.ico";
        EXPECT_TRUE(qm::IsExistingFile(file));
        EXPECT_FALSE(qm::IsExistingFolder(file));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
        EXPECT_TRUE(qm::IsExistingPath(file));

        EXPECT_FALSE(qm::IsExistingFile(sub));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
        EXPECT_TRUE(qm::IsExistingFolder(sub));
        EXPECT_TRUE(qm::IsExistingPath(sub));

        EXPECT_FALSE(qm::IsExistingFile(none));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        EXPECT_FALSE(qm::IsExistingFolder(none));
        EXPECT_FALSE(qm::IsExistingPath(none));
        EXPECT_FALSE(qm::IsExistingPath(folder + L"\\missing\\none.ico"));
    }
    EXPECT_TRUE(limit.Refused().empty());
}

}  // namespace
