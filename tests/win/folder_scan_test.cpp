// A folder's state (ScanFolder), the drive kinds behind it, and the walk of a tree, in process.
#include <gtest/gtest.h>

#include "core/base/text.h"
#include "core/folder/folder_scan_win.h"
#include "core/folder/folder_tree_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"

namespace {

std::wstring UnixPathOf(const std::wstring& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    const auto convert =
        reinterpret_cast<Convert>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    char* unix = convert ? convert(path.c_str()) : nullptr;
    if (!unix) return {};
    std::wstring out = qm::Utf8ToWide(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

TEST(DriveKind, FromTheDriveTypeAndTheRootOfAPath) {
    const struct {
        UINT type;
        qm::DriveKind kind;
    } types[] = {
        {DRIVE_FIXED, qm::DriveKind::Fixed},         {DRIVE_REMOVABLE, qm::DriveKind::Removable},
        {DRIVE_CDROM, qm::DriveKind::Removable},     {DRIVE_REMOTE, qm::DriveKind::Network},
        {DRIVE_RAMDISK, qm::DriveKind::Other},       {DRIVE_UNKNOWN, qm::DriveKind::Unknown},
        {DRIVE_NO_ROOT_DIR, qm::DriveKind::Unknown},
    };
    for (const auto& t : types) EXPECT_EQ(qm::DriveKindFromType(t.type), t.kind) << t.type;

    const struct {
        const wchar_t* path;
        const wchar_t* root;
    } roots[] = {
        {L"C:\\Icons\\a.icl", L"C:\\"},
        {L"e:/a.ico", L"e:\\"},
        {L"\\\\server\\share\\dir\\a.ico", L"\\\\server\\share\\"},
        {L"\\\\server\\share", L"\\\\server\\share\\"},
        {L"//server/share/a.ico", L"\\\\server\\share\\"},
        {L"\\\\?\\D:\\long\\a.ico", L"D:\\"},
        {L"\\\\?\\UNC\\server\\share\\a.ico", L"\\\\server\\share\\"},
        {L"\\\\server", L""},
        {L"\\\\\\share", L""},
        {L"relative\\a.ico", L""},
        {L"a.ico", L""},
        {L"", L""},
    };
    for (const auto& r : roots) EXPECT_EQ(qm::VolumeRootOf(r.path), r.root) << qm::WideToUtf8(r.path);

    wchar_t windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_EQ(qm::DriveKindOf(std::wstring(windows) + L"\\notepad.exe"), qm::DriveKind::Fixed);
    EXPECT_EQ(qm::DriveKindOf(L"relative.ico"), qm::DriveKind::Unknown);
}

// What desktop.ini can hold beyond what the program writes: IconResource alone, with blanks,
// without an index, naming the same icon as IconFile in other words.
TEST(ScanFolder, ReadsEveryFormOfTheIconKeys) {
    qmtest::TempDir dir{L"qm-scan"};
    qmtest::WriteBytes(dir / L"lib.icl", {1, 2, 3});
    const std::wstring lib = dir / L"lib.icl";
    const struct {
        std::wstring lines;
        qm::IconPlace place;
        std::wstring source, index;
        bool present, disagrees;
    } cases[] = {
        {L"", qm::IconPlace::None, L"", L"", false, false},
        {L"IconResource= " + lib + L" , 3 ", qm::IconPlace::Link, lib, L"3", true, false},
        {L"IconResource=" + lib, qm::IconPlace::Link, lib, L"0", true, false},
        {L"IconFile=" + lib + L"\r\nIconResource=" + lib + L",0", qm::IconPlace::Link, lib, L"0", true, false},
        {L"IconFile=" + lib + L"\r\nIconIndex=+2\r\nIconResource=" + lib + L",2", qm::IconPlace::Link, lib, L"+2", true,
         false},
        {L"IconFile=lib.icl\r\nIconIndex=1\r\nIconResource=lib.icl,1", qm::IconPlace::Copy, lib, L"1", false, false},
        {L"IconFile=lib.icl\r\nIconIndex=1\r\nIconResource=" + lib + L",1", qm::IconPlace::Copy, lib, L"1", false,
         true},  // the folder's own lib.icl is another file
        {L"IconFile=" + lib + L"\r\nIconIndex=1\r\nIconResource=" + lib + L",-1", qm::IconPlace::Link, lib, L"1", true,
         true},
        {L"IconFile=" + lib + L"\r\nIconResource=" + dir.path() + L"\\other.icl,0", qm::IconPlace::Link, lib, L"0",
         true, true},
        {L"IconFile=" + dir.path() + L"\r\nIconIndex=0", qm::IconPlace::Link, dir.path(), L"0", false, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.lines));
        const std::wstring folder = dir.MakeFolder(L"f" + std::to_wstring(n++));
        if (!c.lines.empty())
            qmtest::WriteUtf16File(folder + L"\\desktop.ini", L"[.ShellClassInfo]\r\n" + c.lines + L"\r\n");
        const qm::FolderScan scan = qm::ScanFolder(folder);
        EXPECT_EQ(scan.place, c.place);
        // A copy is looked for in the folder itself (lib.icl is not there).
        EXPECT_EQ(scan.source, c.place == qm::IconPlace::Copy ? folder + L"\\lib.icl" : c.source);
        EXPECT_EQ(scan.sourceIndex, c.index);
        EXPECT_EQ(scan.sourcePresent, c.present);
        EXPECT_EQ(scan.resourceDisagrees, c.disagrees);
        EXPECT_EQ(scan.Broken(), c.place != qm::IconPlace::None && (!c.present || c.disagrees));
    }
}

TEST(ListFolderTree, OrderDepthAndFoldersThatAreNotThere) {
    qmtest::TempDir dir{L"qm-tree"};
    for (const wchar_t* f : {L"b", L"B2", L"a", L"a\\z", L"a\\y", L"a\\y\\x"}) dir.MakeFolder(f);
    qmtest::WriteBytes(dir / L"a\\file.txt", {1});
    const std::wstring root = dir.path();
    auto tree = qm::ListFolderTree(root);
    EXPECT_EQ(tree.folders, (std::vector<std::wstring>{root, root + L"\\a", root + L"\\a\\y", root + L"\\a\\y\\x",
                                                       root + L"\\a\\z", root + L"\\b", root + L"\\B2"}));
    EXPECT_TRUE(tree.unreadable.empty());
    tree = qm::ListFolderTree(root, 1);
    EXPECT_EQ(tree.folders, (std::vector<std::wstring>{root, root + L"\\a", root + L"\\b", root + L"\\B2"}));
    tree = qm::ListFolderTree(root, 0);
    EXPECT_EQ(tree.folders, (std::vector<std::wstring>{root}));

    for (const std::wstring& notThere : {root + L"\\missing", root + L"\\a\\file.txt"}) {
        tree = qm::ListFolderTree(notThere);
        EXPECT_TRUE(tree.folders.empty());
        EXPECT_EQ(tree.unreadable, (std::vector<std::wstring>{notThere}));
    }
}

// A Unix command run from the test (Wine starts a Unix executable named in CreateProcess, but its
// handle does not wait for it): true once the command has left its marker file.
bool RunUnixCommand(const std::wstring& command, const std::wstring& marker) {
    DeleteFileW(marker.c_str());
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::wstring line = L"/bin/sh -c \"" + command + L"; echo done >" + UnixPathOf(marker) + L"\"";
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 3000 && !qmtest::Exists(marker); ++i) Sleep(10);
    return qmtest::Exists(marker);
}

// A folder mounted inside itself (a bind mount: no reparse point, the same folder by a second
// path) is walked once. A bind mount needs root and Linux, as the read-only media do.
TEST(ListFolderTree, AFolderReachedAgainByAnotherPathIsWalkedOnce) {
    if (!qmtest::RunningUnderWine()) GTEST_SKIP() << "a bind mount is made from Linux";
    qmtest::TempDir dir{L"qm-loop"};
    const std::wstring root = dir.MakeFolder(L"tree");
    dir.MakeFolder(L"tree\\a");
    const std::wstring b = dir.MakeFolder(L"tree\\a\\b");
    const std::wstring marker = dir / L"mounted";
    const std::wstring unixRoot = UnixPathOf(root), unixB = UnixPathOf(b);
    if (!RunUnixCommand(L"/bin/mount --bind '" + unixRoot + L"' '" + unixB + L"' && echo >" + unixRoot + L"/bound",
                        marker) ||
        !qmtest::Exists(b + L"\\bound"))
        GTEST_SKIP() << "no bind mount (not root?)";
    struct Unmount {
        std::wstring path, marker;
        ~Unmount() { RunUnixCommand(L"/bin/umount '" + path + L"'", marker); }
    } unmount{unixB, dir / L"unmounted"};
    const auto tree = qm::ListFolderTree(root);
    EXPECT_EQ(tree.folders, (std::vector<std::wstring>{root, root + L"\\a"}));
    EXPECT_TRUE(tree.links.empty());
}

}  // namespace
