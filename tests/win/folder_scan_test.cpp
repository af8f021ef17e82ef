// A folder's state (ScanFolder), the drive kinds behind it, and the walk of a tree, in process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include <windows.h>
#include <winioctl.h>

#include "core/base/file_attributes_win.h"
#include "core/base/long_path_win.h"
#include "core/base/text.h"
#include "core/folder/folder_listing_win.h"
#include "core/folder/folder_scan_win.h"
#include "core/folder/folder_tree_win.h"
#include "core/folder/volume_facts_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/wine_drives_win.h"

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

std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

std::vector<std::wstring> ShellForms(std::vector<std::wstring> paths) {
    for (auto& p : paths) p = qm::ShellPathForm(p);
    return paths;
}

std::vector<std::wstring> SkippedPaths(const qm::FolderTree& tree, std::wstring_view why) {
    std::vector<std::wstring> out;
    for (const auto& s : tree.skipped)
        if (s.why == why) out.push_back(qm::ShellPathForm(s.path));
    std::sort(out.begin(), out.end());
    return out;
}

// Stands in for the platform's listings while alive: each folder's real listing, changed as a
// test says (the attributes and reparse tags Windows gives, the ids of another file system), and
// every folder the walk opened, in the ordinary form.
class ListingSeam {
public:
    explicit ListingSeam(std::function<void(qm::FolderListing&)> change) {
        qm::SetFolderListingSeam([this, change](const std::wstring& folder) {
            opened.push_back(qm::ShellPathForm(folder));
            qm::FolderListing listing = qm::ListFolderFromPlatform(folder);
            change(listing);
            return listing;
        });
    }
    ~ListingSeam() { qm::SetFolderListingSeam(nullptr); }
    ListingSeam(const ListingSeam&) = delete;
    ListingSeam& operator=(const ListingSeam&) = delete;
    std::vector<std::wstring> opened;
};

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

// From what the platform answers about a volume to the kind of drive. USB disks and SSDs, SD
// cards and FireWire disks report DRIVE_FIXED: their bus or removable media tells. A volume
// mounted in a folder is classified by itself (its root is where GetVolumePathNameW says). A
// letter the user mapped is not there for an elevated process: unknown, not missing. Wine has
// none of these, so the table is fed the answers Windows gives.
TEST(DriveKind, FromTheVolumeItsDeviceAndWhoAsks) {
    using qm::DriveKind;
    const std::wstring share = L"\\\\server\\share\\";
    // The volume's root, drive type, whether the device answered, its removable media and bus,
    // whether this elevated process cannot see the letter; the kind.
    const struct {
        qm::VolumeFacts facts;
        DriveKind kind;
    } cases[] = {
        {{L"C:\\", DRIVE_FIXED, true, false, BusTypeSata, false}, DriveKind::Fixed},
        {{L"C:\\", DRIVE_FIXED, true, false, BusTypeNvme, false}, DriveKind::Fixed},
        {{L"C:\\", DRIVE_FIXED, false, false, 0, false}, DriveKind::Fixed},              // the device did not answer
        {{L"E:\\", DRIVE_FIXED, true, false, BusTypeUsb, false}, DriveKind::Removable},  // a USB SSD
        {{L"E:\\", DRIVE_FIXED, true, true, BusTypeScsi, false}, DriveKind::Removable},
        {{L"F:\\", DRIVE_FIXED, true, false, BusTypeSd, false}, DriveKind::Removable},
        {{L"F:\\", DRIVE_FIXED, true, false, BusTypeMmc, false}, DriveKind::Removable},
        {{L"F:\\", DRIVE_FIXED, true, false, BusType1394, false}, DriveKind::Removable},
        {{L"C:\\Mount\\Stick\\", DRIVE_REMOVABLE, false, false, 0, false}, DriveKind::Removable},
        {{L"C:\\Mount\\Usb\\", DRIVE_FIXED, true, false, BusTypeUsb, false}, DriveKind::Removable},
        {{L"G:\\", DRIVE_CDROM, false, false, 0, false}, DriveKind::Removable},
        {{share, DRIVE_REMOTE, false, false, 0, false}, DriveKind::Network},
        {{share, DRIVE_NO_ROOT_DIR, false, false, 0, false}, DriveKind::Network},
        {{L"R:\\", DRIVE_RAMDISK, false, false, 0, false}, DriveKind::Other},
        {{L"Z:\\", DRIVE_NO_ROOT_DIR, false, false, 0, true}, DriveKind::Unknown},
        {{L"Z:\\", DRIVE_NO_ROOT_DIR, false, false, 0, false}, DriveKind::Unknown},
        {{L"", DRIVE_UNKNOWN, false, false, 0, false}, DriveKind::Unknown},
    };
    for (const auto& c : cases) {
        const qm::VolumeFacts& f = c.facts;
        EXPECT_EQ(qm::DriveKindFromFacts(f), c.kind) << qm::WideToUtf8(f.root) << " type " << f.driveType << " bus "
                                                     << f.busType << " removable " << f.removableMedia;
    }
}

// A link to a library on a letter the elevated tool cannot see: the drive is unknown and the
// file is not called missing (it may well be there for the user). Through the seam: Wine has no
// elevation boundary.
TEST(ScanFolder, ALinkOnALetterAnElevatedProcessCannotSeeIsNotMissing) {
    qmtest::TempDir dir{L"qm-elevated"};
    const std::wstring folder = dir.MakeFolder(L"f");
    qmtest::WriteUtf16File(folder + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nIconFile=Z:\\Icons\\Metal.icl\r\nIconIndex=4\r\n");
    // The mark Explorer needs to read desktop.ini (system: Wine keeps no read-only mark on folders).
    ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_SYSTEM));
    qm::SetVolumeFactsSeam([](const std::wstring& path) {
        qm::VolumeFacts facts;
        facts.root = qm::VolumeRootOf(path);
        facts.driveType = DRIVE_NO_ROOT_DIR;
        facts.hiddenFromElevated = true;
        return facts;
    });
    const qm::FolderScan scan = qm::ScanFolder(folder);
    qm::SetVolumeFactsSeam(nullptr);
    EXPECT_EQ(scan.sourceDrive, qm::DriveKind::Unknown);
    EXPECT_TRUE(scan.sourceNotVisible);
    EXPECT_FALSE(scan.Broken());
    EXPECT_EQ(qm::ScanStates(scan), std::vector<std::wstring_view>{L"link"});
    // Not elevated, the same letter is simply not there.
    const qm::FolderScan plain = qm::ScanFolder(folder);
    EXPECT_FALSE(plain.sourceNotVisible);
    EXPECT_TRUE(plain.Broken());
    EXPECT_EQ(qm::ScanStates(plain), std::vector<std::wstring_view>{L"source-missing"});
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
        ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_SYSTEM));  // marked, as customized folders are
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
    // The root as given, every folder below it in the long form.
    const std::wstring below = Long(root);
    auto tree = qm::ListFolderTree(root);
    EXPECT_EQ(tree.folders, (std::vector<std::wstring>{root, below + L"\\a", below + L"\\a\\y", below + L"\\a\\y\\x",
                                                       below + L"\\a\\z", below + L"\\b", below + L"\\B2"}));
    EXPECT_TRUE(tree.unreadable.empty());
    EXPECT_TRUE(tree.skipped.empty());
    tree = qm::ListFolderTree(root, 1);
    EXPECT_EQ(tree.folders, (std::vector<std::wstring>{root, below + L"\\a", below + L"\\b", below + L"\\B2"}));
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
    EXPECT_EQ(tree.folders, (std::vector<std::wstring>{root, Long(root) + L"\\a"}));
    EXPECT_TRUE(tree.links.empty());
    EXPECT_EQ(SkippedPaths(tree, qm::kSkippedAlreadyWalked), std::vector<std::wstring>{b});
}

// In a cloud sync root (OneDrive and the other Cloud Files providers) every folder is a
// placeholder: a reparse point whose tag is no name surrogate. Those are entered; junctions,
// mount points, symbolic links and a tag of 0 (what Wine 8 gives its Unix symbolic links) are
// links. A folder whose opening would fetch it from the cloud is not opened at all. Wine lists
// none of these tags, so the seam gives the children the attributes Windows lists for them.
TEST(ListFolderTree, EntersCloudPlaceholdersButNotLinksNorOnlineOnlyFolders) {
    qmtest::TempDir dir{L"qm-cloud"};
    const std::wstring root = dir.path();
    const std::map<std::wstring, std::pair<DWORD, DWORD>> listed = {
        {L"cloud", {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_CLOUD_3}},
        {L"onedrive", {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_ONEDRIVE}},
        {L"junction", {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_MOUNT_POINT}},
        {L"symlink", {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK}},
        {L"zero", {FILE_ATTRIBUTE_REPARSE_POINT, 0}},
        {L"online", {FILE_ATTRIBUTE_REPARSE_POINT | qm::kAttributeRecallOnDataAccess, IO_REPARSE_TAG_CLOUD_3}},
        {L"onopen", {FILE_ATTRIBUTE_REPARSE_POINT | qm::kAttributeRecallOnOpen, IO_REPARSE_TAG_CLOUD}},
    };
    for (const auto& [name, dressed] : listed) {
        dir.MakeFolder(name);
        dir.MakeFolder(name + L"\\in");
    }
    dir.MakeFolder(L"plain");
    dir.MakeFolder(L"plain\\in");
    ListingSeam seam([&](qm::FolderListing& listing) {
        for (auto& child : listing.children) {
            const auto it = listed.find(child.name);
            if (it == listed.end()) continue;
            child.attributes |= it->second.first;
            child.reparseTag = it->second.second;
        }
    });
    const auto tree = qm::ListFolderTree(root);
    const auto in = [&](const wchar_t* name) { return root + L"\\" + name; };
    EXPECT_EQ(ShellForms(tree.folders),
              (std::vector<std::wstring>{root, in(L"cloud"), in(L"cloud\\in"), in(L"onedrive"), in(L"onedrive\\in"),
                                         in(L"plain"), in(L"plain\\in")}));
    EXPECT_EQ(ShellForms(tree.links), (std::vector<std::wstring>{in(L"junction"), in(L"symlink"), in(L"zero")}));
    EXPECT_EQ(SkippedPaths(tree, qm::kSkippedOnlineOnly), (std::vector<std::wstring>{in(L"online"), in(L"onopen")}));
    EXPECT_TRUE(tree.unreadable.empty());
    for (const auto& name : {L"online", L"onopen", L"junction", L"zero"})
        EXPECT_EQ(std::count(seam.opened.begin(), seam.opened.end(), in(name)), 0) << qm::WideToUtf8(name);
}

// A real Unix symbolic link, which Wine 8 lists as a reparse point with tag 0, stays a link.
TEST(ListFolderTree, AWineSymbolicLinkIsALink) {
    if (!qmtest::RunningUnderWine()) GTEST_SKIP() << "a Unix symbolic link is made from Linux";
    qmtest::TempDir dir{L"qm-symlink"};
    const std::wstring root = dir.MakeFolder(L"tree");
    const std::wstring link = root + L"\\up";
    if (!RunUnixCommand(L"/bin/ln -s '" + UnixPathOf(root) + L"' '" + UnixPathOf(root) + L"/up'", dir / L"linked"))
        GTEST_SKIP() << "no symbolic link";
    const auto tree = qm::ListFolderTree(root);
    EXPECT_EQ(ShellForms(tree.folders), std::vector<std::wstring>{root});
    EXPECT_EQ(ShellForms(tree.links), std::vector<std::wstring>{link});
}

// ReFS (Dev Drive) gives 64-bit ids that are not unique: a folder is known by its volume and
// 128-bit id (FileIdInfo), an id of 0 or all ones is no id, and a listing's ids are hints only.
TEST(ListFolderTree, FoldersSharingA64BitIdAreAllWalked) {
    qmtest::TempDir dir{L"qm-refs"};
    const std::wstring root = dir.path();
    for (const wchar_t* f : {L"a", L"a\\x", L"b", L"b\\y", L"c"}) dir.MakeFolder(f);
    const std::vector<std::wstring> all{root,          root + L"\\a",    root + L"\\a\\x",
                                        root + L"\\b", root + L"\\b\\y", root + L"\\c"};
    const struct {
        const char* what;
        std::uint64_t index;  // every folder's 64-bit number
        int idByte;           // -1: each folder's own 128-bit id, else every byte of it
    } cases[] = {
        {"colliding 64-bit ids, distinct 128-bit ones", 42, -1},
        {"no ids at all (0)", 0, 0},
        {"no ids at all (all ones)", ~std::uint64_t{0}, 0xFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int n = 0;
        ListingSeam seam([&](qm::FolderListing& listing) {
            listing.fileIndex = c.index;
            if (c.idByte >= 0) {
                listing.fileId.fill(static_cast<std::uint8_t>(c.idByte));
            } else {
                listing.fileId.fill(0);
                std::memcpy(listing.fileId.data(), &c.index, sizeof c.index);
                listing.fileId[15] = static_cast<std::uint8_t>(++n);  // distinct in the high bytes
            }
            for (auto& child : listing.children) std::memcpy(child.fileId.data(), &c.index, sizeof c.index);
        });
        const auto tree = qm::ListFolderTree(root);
        EXPECT_EQ(ShellForms(tree.folders), all);
        EXPECT_TRUE(tree.skipped.empty());
    }
}

// At the root of a drive the folders Windows keeps there (readable by SYSTEM only, or the
// recycle bin, whose attributes and desktop.ini an elevated apply would replace) are skipped
// whatever their attributes and case; the same names deeper down, and other hidden system
// folders, are walked. The drive is a letter of the prefix mapped to the test's folder.
TEST(ListFolderTree, SkipsTheSystemFoldersOfADriveRoot) {
    qmtest::TempDir dir{L"qm-drive"};
    const std::vector<std::wstring> system{L"System Volume Information",
                                           L"$RECYCLE.BIN",
                                           L"recycler",
                                           L"Recovery",
                                           L"Config.Msi",
                                           L"$WinREAgent",
                                           L"$SYSRESET",
                                           L"$Windows.~BT",
                                           L"$Windows.~WS"};
    for (const auto& name : system) {
        dir.MakeFolder(name);
        dir.MakeFolder(name + L"\\inner");
    }
    dir.MakeFolder(L"Photos");
    dir.MakeFolder(L"Photos\\Recovery");
    const std::wstring hidden = dir.MakeFolder(L"Hidden");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    qmtest::WineDriveLetter drive(dir.path(), DRIVE_FIXED);
    if (drive.root().empty()) GTEST_SKIP() << drive.why();
    const std::wstring r = drive.root();
    const auto tree = qm::ListFolderTree(r);
    EXPECT_EQ(ShellForms(tree.folders),
              (std::vector<std::wstring>{r, r + L"Hidden", r + L"Photos", r + L"Photos\\Recovery"}));
    std::vector<std::wstring> expected;
    for (const auto& name : system) expected.push_back(r + name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SkippedPaths(tree, qm::kSkippedSystemFolder), expected);
    EXPECT_TRUE(tree.unreadable.empty());
    // Below a folder that is not a volume root the names are ordinary folders.
    const auto photos = qm::ListFolderTree(dir.path());
    EXPECT_EQ(photos.folders.size(), 1 + 2 * system.size() + 3);
}

// Names that path normalisation changes (a trailing dot or blank) or takes for a device ("CON",
// "aux.txt"), as WSL and network shares hold them: made through the long form, the walk keeps
// every folder below the root in that form, so each is the folder listed and not another.
TEST(ListFolderTree, KeepsFoldersWithOddNamesInTheLongForm) {
    qmtest::TempDir dir{L"qm-odd"};
    const std::wstring root = dir.path();
    const std::vector<std::wstring> names{L"aux.txt", L"blank ", L"CON", L"name."};
    for (const auto& name : names) {
        ASSERT_TRUE(CreateDirectoryW(Long(root + L"\\" + name).c_str(), nullptr)) << qm::WideToUtf8(name);
        ASSERT_TRUE(CreateDirectoryW(Long(root + L"\\" + name + L"\\in").c_str(), nullptr)) << qm::WideToUtf8(name);
    }
    struct Clean {
        std::wstring root;
        std::vector<std::wstring> names;
        ~Clean() {
            for (const auto& n : names) {
                RemoveDirectoryW(Long(root + L"\\" + n + L"\\in").c_str());
                RemoveDirectoryW(Long(root + L"\\" + n).c_str());
            }
        }
    } clean{root, names};
    const auto tree = qm::ListFolderTree(root);
    std::vector<std::wstring> expected{root};
    for (const auto& name : names) {
        expected.push_back(Long(root + L"\\" + name));
        expected.push_back(Long(root + L"\\" + name + L"\\in"));
    }
    EXPECT_EQ(tree.folders, expected);
    EXPECT_TRUE(tree.unreadable.empty());
}

}  // namespace
