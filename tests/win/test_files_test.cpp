// The tests' own file helpers (tests/support/files_win.h), where a test meets files that other
// processes are still writing.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/base/handles_win.h"
#include "tests/support/files_win.h"

namespace {

// A file another process has just renamed into place is still open there for deletion while the
// rename ends (MoveFileEx holds the source with DELETE access): the reader shares deletion, so it
// reads the file instead of failing with a sharing violation.
TEST(TestFiles, ReadBytesReadsAFileHeldOpenForDeletion) {
    qmtest::TempDir dir(L"qm-testfiles");
    const std::wstring path = dir / L"started.txt";
    qmtest::WriteBytes(path, {'o', 'k'});
    qm::UniqueFile renaming(CreateFileW(path.c_str(), DELETE | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
    ASSERT_TRUE(renaming);
    EXPECT_EQ(qmtest::ReadBytes(path), (std::vector<std::uint8_t>{'o', 'k'}));
}

}  // namespace
