// quillmark-cli folder apply|reset|scan|repair over many folders as processes: --recursive and
// --depth over trees with hidden folders, links and long paths; --dry-run changing nothing;
// scan listing every state of a customized folder; repair turning links into copies; progress on
// standard error; --json; and the bad input of these commands.
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "core/base/text.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_profiles.h"
#include "tests/support/cli_runner_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/json_checker.h"
#include "tests/support/process_win.h"
#include "tests/support/wine_drives_win.h"

namespace {

using qmtest::JsonChecker;
using qmtest::Quote;
using qmtest::RunCli;

// Every entry below a folder: a file's bytes, and the attributes of files and folders alike.
struct Snapshot {
    std::map<std::wstring, std::vector<std::uint8_t>> bytes;
    std::map<std::wstring, DWORD> attributes;
    bool operator==(const Snapshot&) const = default;
};

void TakeSnapshot(const std::wstring& folder, Snapshot& s) {
    for (const auto& name : qmtest::ListFolder(qmtest::Prefixed(folder))) {
        const std::wstring path = folder + L"\\" + name;
        const DWORD a = GetFileAttributesW(qmtest::Prefixed(path).c_str());
        s.attributes[path] = a;
        if (a & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (a & FILE_ATTRIBUTE_DIRECTORY)
            TakeSnapshot(path, s);
        else
            s.bytes[path] = qmtest::ReadBytes(qmtest::Prefixed(path));
    }
}

Snapshot SnapshotOf(const std::wstring& folder) {
    Snapshot s;
    s.attributes[folder] = GetFileAttributesW(folder.c_str());
    TakeSnapshot(folder, s);
    return s;
}

// A link from `link` to `target`: a junction as Windows makes it for any user; where the platform
// has none (Wine 8 refuses FSCTL_SET_REPARSE_POINT), a Unix symbolic link, which Wine 8 reports
// as a reparse point as Windows reports a junction.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    if (CreateDirectoryW(link.c_str(), nullptr)) {
        qm::UniqueFile dir(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        const std::wstring substitute = L"\\??\\" + target;
        std::vector<BYTE> buffer(8 + 8 + (substitute.size() + 1 + target.size() + 1) * sizeof(wchar_t), 0);
        auto* words = reinterpret_cast<USHORT*>(buffer.data());
        *reinterpret_cast<DWORD*>(buffer.data()) = IO_REPARSE_TAG_MOUNT_POINT;
        words[2] = static_cast<USHORT>(buffer.size() - 8);                          // data length
        words[4] = 0;                                                               // substitute offset
        words[5] = static_cast<USHORT>(substitute.size() * sizeof(wchar_t));        // substitute length
        words[6] = static_cast<USHORT>((substitute.size() + 1) * sizeof(wchar_t));  // print offset
        words[7] = static_cast<USHORT>(target.size() * sizeof(wchar_t));            // print length
        std::memcpy(buffer.data() + 16, substitute.c_str(), substitute.size() * sizeof(wchar_t));
        std::memcpy(buffer.data() + 16 + words[6], target.c_str(), target.size() * sizeof(wchar_t));
        DWORD returned = 0;
        if (dir && DeviceIoControl(dir.get(), FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()),
                                   nullptr, 0, &returned, nullptr))
            return true;
        std::printf("no junction (error %lu): a Unix symbolic link instead\n", GetLastError());
        dir.reset();
        RemoveDirectoryW(link.c_str());
    }
    if (!qmtest::RunningUnderWine()) return false;
    using Convert = char*(CDECL*)(LPCWSTR);
    const auto unixName =
        reinterpret_cast<Convert>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    char* unixTarget = unixName(target.c_str());
    const std::wstring parent = link.substr(0, link.rfind(L'\\'));
    char* unixParent = unixName(parent.c_str());
    if (!unixTarget || !unixParent) return false;
    const std::wstring unixLink = qm::Utf8ToWide(unixParent) + L"/" + link.substr(link.rfind(L'\\') + 1);
    std::wstring command = L"/bin/ln -s " + Quote(qm::Utf8ToWide(unixTarget)) + L" " + Quote(unixLink);
    HeapFree(GetProcessHeap(), 0, unixTarget);
    HeapFree(GetProcessHeap(), 0, unixParent);
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    qm::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    // The handle of a Unix process does not wait for it under Wine: the link itself answers.
    for (int i = 0; i < 500; ++i) {
        if (GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(10);
    }
    return false;
}

// The mark a customized folder carries, without which Explorer ignores its desktop.ini: the
// system mark (Wine keeps no read-only mark on folders, so a folder the engine marked read-only
// is given the system mark by the tests that scan it again).
void MarkFolder(const std::wstring& folder) {
    SetFileAttributesW(folder.c_str(), GetFileAttributesW(folder.c_str()) | FILE_ATTRIBUTE_SYSTEM);
}

void WriteDesktopIni(const std::wstring& folder, const std::wstring& lines) {
    qmtest::WriteUtf16File(folder + L"\\desktop.ini", L"[.ShellClassInfo]\r\n" + lines);
    MarkFolder(folder);
}

// The lines of a text report: path -> the other fields (result, then for scans the states).
std::map<std::wstring, std::vector<std::wstring>> ReportLines(const std::wstring& out) {
    std::map<std::wstring, std::vector<std::wstring>> lines;
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find(L'\n', start);
        const std::wstring line = out.substr(start, end - start);
        start = end == std::wstring::npos ? out.size() : end + 1;
        std::vector<std::wstring> fields;
        for (std::size_t p = 0;;) {
            const std::size_t tab = line.find(L'\t', p);
            fields.push_back(line.substr(p, tab - p));
            if (tab == std::wstring::npos) break;
            p = tab + 1;
        }
        // result, states, path, source (scan and repair) or result, path.
        const std::size_t pathField = fields.size() >= 4 ? 2 : 1;
        if (fields.size() <= pathField) continue;
        const std::wstring path = fields[pathField];
        fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(pathField), fields.end());
        lines[path] = fields;
    }
    return lines;
}

// A path as a JSON string literal (backslashes doubled), for finding it in a report.
std::wstring JsonText(const std::wstring& path) {
    std::wstring out = L"\"";
    for (wchar_t c : path) out += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
    return out + L"\"";
}

// The "path" of every folder entry of a JSON report, in order.
std::vector<std::wstring> JsonPaths(const std::wstring& json) {
    std::vector<std::wstring> paths;
    const std::wstring key = L"{\"path\":\"";
    for (std::size_t p = json.find(key); p != std::wstring::npos; p = json.find(key, p)) {
        p += key.size();
        std::wstring path;
        for (; p < json.size() && json[p] != L'"'; ++p) {
            if (json[p] == L'\\' && p + 1 < json.size()) ++p;
            path += json[p];
        }
        paths.push_back(path);
    }
    return paths;
}

class FolderBatchCliTest : public qmtest::FolderCliFixture {
protected:
    FolderBatchCliTest() : FolderCliFixture(L"qm-batch"), tree(dir.MakeFolder(L"tree")) {}
    std::wstring Folder(const std::wstring& relative) const {
        const std::wstring path = tree + L"\\" + relative;
        CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }
    std::wstring tree;
};

// --recursive walks the root, hidden and system folders, and folders past MAX_PATH; --depth
// stops it; a link to a folder up the tree is listed, not entered, so the walk ends.
TEST_F(FolderBatchCliTest, RecursiveApplyAndResetWalkTheTree) {
    const std::wstring a = Folder(L"a"), ab = Folder(L"a\\b"), abc = Folder(L"a\\b\\c");
    const std::wstring hidden = Folder(L"hidden");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const std::wstring deep = qmtest::FolderOfLength(Folder(L"deep"), 300);
    const std::wstring loop = a + L"\\up";
    const bool linked = MakeFolderLink(loop, tree);
    if (!linked) ADD_FAILURE() << "no folder link could be made";

    auto r = RunCli(dir, L"folder apply " + Quote(tree) + L" --depth 1 --icon " + Quote(library) + L" --index 2");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    for (const auto& f : {tree, a, hidden, Folder(L"deep")}) {
        const auto c = qm::ReadFolderCustomization(f);
        EXPECT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, c.IconFile)) << qm::WideToUtf8(f);
        EXPECT_EQ(qmtest::ReadBytes(f + L"\\" + c.IconFile), icons.IcoFile(2)) << qm::WideToUtf8(f);
    }
    for (const auto& f : {ab, abc}) EXPECT_FALSE(qmtest::Exists(f + L"\\desktop.ini")) << qm::WideToUtf8(f);

    r = RunCli(dir, L"folder apply " + Quote(tree) + L" --recursive --json --icon " + Quote(library) +
                        L" --index 3 --tip All");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_TRUE(JsonChecker(r.out).Valid()) << qm::WideToUtf8(r.out);
    const auto paths = JsonPaths(r.out);
    EXPECT_EQ(std::set<std::wstring>(paths.begin(), paths.end()).size(), paths.size()) << "a folder was done twice";
    for (const auto& f : {tree, a, ab, abc, hidden, deep}) {
        EXPECT_EQ(std::count(paths.begin(), paths.end(), f), 1) << qm::WideToUtf8(f);
        const auto c = qm::ReadFolderCustomization(f);
        EXPECT_EQ(c.Infotip, L"All") << qm::WideToUtf8(f);
        ASSERT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, c.IconFile)) << qm::WideToUtf8(f);
        EXPECT_EQ(qmtest::ReadBytes(qmtest::Prefixed(f + L"\\" + c.IconFile)), icons.IcoFile(3)) << qm::WideToUtf8(f);
    }
    for (const auto& p : paths) EXPECT_NE(p.rfind(loop, 0), 0u) << "the link was entered: " << qm::WideToUtf8(p);
    if (linked) {
        EXPECT_NE(r.err.find(loop + L": not entered (a junction or link)\n"), std::wstring::npos)
            << qm::WideToUtf8(r.err);
        EXPECT_NE(r.out.find(L"\"links\":[" + JsonText(loop) + L"]"), std::wstring::npos) << qm::WideToUtf8(r.out);
    }
    // A reset over the tree empties the customized folders and leaves the others alone.
    const std::wstring plain = tree + L"\\plain";
    ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
    r = RunCli(dir, L"folder reset " + Quote(tree) + L" --recursive");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    for (const auto& f : {tree, a, ab, abc, hidden, deep})
        EXPECT_EQ(qmtest::ShellClassInfoLines(f),
                  (std::vector<std::wstring>{L"IconFile=", L"IconIndex=", L"Infotip=", L"ConfirmFileOp=0"}))
            << qm::WideToUtf8(f);
    EXPECT_FALSE(qmtest::Exists(plain + L"\\desktop.ini"));
}

// From a drive root the folders Windows keeps there are named on standard error as skipped and
// left alone (an apply would replace the recycle bin's attributes and write into its
// desktop.ini; a scan would fail on System Volume Information); the run does not fail for them.
// The drive is a letter of the prefix mapped to the test's tree.
TEST_F(FolderBatchCliTest, ADriveRootsSystemFoldersAreSkippedNotFailed) {
    const std::wstring bin = Folder(L"$Recycle.Bin"), volume = Folder(L"System Volume Information");
    Folder(L"Photos");
    ASSERT_TRUE(SetFileAttributesW(bin.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    qmtest::WriteUtf16File(bin + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n");
    const Snapshot before = SnapshotOf(bin);
    qmtest::WineDriveLetter drive(tree, DRIVE_FIXED);
    if (drive.root().empty()) GTEST_SKIP() << drive.why();
    const std::wstring r = drive.root();
    for (const wchar_t* command : {L"folder apply ", L"folder scan "}) {
        // "R:\\" unquoted: a quoted root's last backslash would escape the closing quote.
        const auto run = RunCli(dir, command + r + L" --recursive --json" +
                                         (command == std::wstring(L"folder apply ") ? L" --tip Drive" : L""));
        EXPECT_EQ(run.exit, 0u) << qm::WideToUtf8(run.err);
        for (const auto& skipped : {r + L"$Recycle.Bin", r + L"System Volume Information"})
            EXPECT_NE(run.err.find(skipped + L": skipped: a system folder of the drive\n"), std::wstring::npos)
                << qm::WideToUtf8(run.err);
        EXPECT_TRUE(JsonChecker(run.out).Valid()) << qm::WideToUtf8(run.out);
        EXPECT_NE(run.out.find(L",\"skipped\":[" + JsonText(r + L"$Recycle.Bin") + L"," +
                               JsonText(r + L"System Volume Information") + L"]}"),
                  std::wstring::npos)
            << qm::WideToUtf8(run.out);
        const auto paths = JsonPaths(run.out);
        for (const auto& p : paths) EXPECT_EQ(p.find(L"$Recycle.Bin"), std::wstring::npos) << qm::WideToUtf8(p);
    }
    EXPECT_EQ(qm::ReadFolderCustomization(r + L"Photos").Infotip, L"Drive");
    EXPECT_TRUE(SnapshotOf(bin) == before) << "the recycle bin was changed";
    EXPECT_FALSE(qmtest::Exists(volume + L"\\desktop.ini"));
}

// Folders whose names the plain form would change (a trailing dot or blank) or take for a
// device ("CON"), made through the long form as WSL and network shares hold them: a recursive
// apply changes each of them, and no folder that the plain form would name instead.
TEST_F(FolderBatchCliTest, RecursiveApplyReachesFoldersWithOddNames) {
    const std::vector<std::wstring> names{L"name.", L"blank ", L"CON"};
    for (const auto& name : names)
        ASSERT_TRUE(CreateDirectoryW(qmtest::Prefixed(tree + L"\\" + name).c_str(), nullptr)) << qm::WideToUtf8(name);
    struct Clean {
        std::wstring tree;
        std::vector<std::wstring> names;
        ~Clean() {
            for (const auto& n : names) {
                const std::wstring f = qmtest::Prefixed(tree + L"\\" + n);
                SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
                for (const auto& file : qmtest::ListFolder(f)) {
                    SetFileAttributesW((f + L"\\" + file).c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW((f + L"\\" + file).c_str());
                }
                RemoveDirectoryW(f.c_str());
            }
        }
    } clean{tree, names};
    const auto r = RunCli(dir, L"folder apply " + Quote(tree) + L" --recursive --json --tip Odd");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    const auto paths = JsonPaths(r.out);
    for (const auto& name : names) {
        const std::wstring f = tree + L"\\" + name;
        EXPECT_EQ(std::count(paths.begin(), paths.end(), f), 1) << qm::WideToUtf8(f) << "\n" << qm::WideToUtf8(r.out);
        EXPECT_EQ(qm::ReadFolderCustomization(qmtest::Prefixed(f)).Infotip, L"Odd") << qm::WideToUtf8(name);
    }
    // "name" and "blank" (what the plain form makes of the first two) were never made.
    for (const wchar_t* plain : {L"name", L"blank"}) EXPECT_FALSE(qmtest::Exists(tree + L"\\" + plain)) << plain;
}

TEST_F(FolderBatchCliTest, DryRunChangesNothing) {
    const std::wstring a = Folder(L"a"), b = Folder(L"a\\b");
    Folder(L"plain");
    WriteDesktopIni(a, L"IconFile=" + library + L"\r\nIconIndex=1\r\n");
    ASSERT_TRUE(SetFileAttributesW((a + L"\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    WriteDesktopIni(b, L"IconFile=own.ico\r\nIconIndex=0\r\nInfotip=B\r\n");
    qmtest::WriteBytes(b + L"\\own.ico", icons.IcoFile(0));
    ASSERT_TRUE(SetFileAttributesW(b.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const Snapshot before = SnapshotOf(tree);

    const struct {
        const wchar_t* arguments;
        std::vector<std::wstring> listed;  // folders listed, in order
        const wchar_t* result;
    } cases[] = {
        {L"apply --icon LIB --index 4", {tree, a, b, tree + L"\\plain"}, L"would-change"},
        {L"reset", {a, b}, L"would-change"},
        {L"repair", {a}, L"would-repair"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.arguments));
        std::wstring arguments = c.arguments;
        if (const auto lib = arguments.find(L"LIB"); lib != std::wstring::npos)
            arguments.replace(lib, 3, Quote(library));
        const std::wstring command =
            std::wstring(L"folder ") + arguments.substr(0, arguments.find(L' ')) + L" " + Quote(tree) +
            L" --recursive --dry-run" +
            (arguments.find(L' ') == std::wstring::npos ? L"" : arguments.substr(arguments.find(L' ')));
        const auto r = RunCli(dir, command);
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        EXPECT_EQ(r.err, L"");
        std::vector<std::wstring> listed;
        for (const auto& [path, fields] : ReportLines(r.out)) {
            if (fields.size() && fields[0] == c.result) listed.push_back(path);
        }
        std::vector<std::wstring> expected = c.listed;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listed, expected) << qm::WideToUtf8(r.out);
        EXPECT_TRUE(SnapshotOf(tree) == before) << "the tree changed";
    }
}

// A tree of folders in every state: scan lists each customized folder with its state words and
// exits 1 for the broken ones; repair turns each link whose source is there into a copy (also on
// removable and network drives) and leaves the rest; a second scan finds only what a copy cannot
// mend.
TEST_F(FolderBatchCliTest, ScanAndRepairEveryState) {
    // Drives of the kinds a link can point to, made in the prefix through Wine's mount manager.
    qmtest::TempDir stick{L"qm-stick"}, share{L"qm-share"};
    qmtest::WriteBytes(stick / L"Metal.icl", qmtest::ReadBytes(library));
    qmtest::WriteBytes(share / L"Metal.icl", qmtest::ReadBytes(library));
    qmtest::WineDriveLetter removable(stick.path(), DRIVE_REMOVABLE), network(share.path(), DRIVE_REMOTE);
    SetEnvironmentVariableW(L"QM_SCAN_LIBRARY", dir.path().c_str());  // inherited by the tool

    struct State {
        const wchar_t* name;
        std::wstring lines;         // desktop.ini's .ShellClassInfo section
        const wchar_t* scanned;     // result and states of the scan
        const wchar_t* repaired;    // result of the repair
        const wchar_t* afterwards;  // result and states of the scan after the repair
    };
    std::vector<State> states = {
        {L"copy", L"IconFile=own.ico\r\nIconIndex=0\r\n", L"ok copy", L"ok", L"ok copy"},
        {L"copy-missing", L"IconFile=OstrelQuillmark3_1.ico\r\nIconIndex=0\r\n", L"broken copy-missing",
         L"not-repairable", L"broken copy-missing"},
        {L"link", L"IconFile=" + library + L"\r\nIconIndex=2\r\nInfotip=Kept\r\n", L"ok link", L"repaired", L"ok copy"},
        {L"source-missing", L"IconFile=" + dir.path() + L"\\Gone.icl\r\nIconIndex=1\r\n", L"broken source-missing",
         L"not-repairable", L"broken source-missing"},
        {L"mismatch", L"IconFile=" + library + L"\r\nIconIndex=1\r\nIconResource=" + library + L",4\r\n",
         L"broken link,resource-mismatch", L"repaired", L"ok copy"},
        {L"agree", L"IconFile=" + library + L"\r\nIconIndex=1\r\nIconResource=" + library + L",1\r\n", L"ok link",
         L"repaired", L"ok copy"},
        {L"resource-only", L"IconResource=%QM_SCAN_LIBRARY%\\Metal.icl,3\r\n", L"ok link", L"repaired", L"ok copy"},
        {L"tooltip", L"Infotip=Only a tip\r\n", L"ok tooltip", L"ok", L"ok tooltip"},
        {L"unc", L"IconFile=\\\\qm-no-server\\share\\Metal.icl\r\nIconIndex=0\r\n", L"broken source-missing,network",
         L"not-repairable", L"broken source-missing,network"},
        {L"hidden\\inner", L"IconFile=" + library + L"\r\nIconIndex=5\r\n", L"ok link", L"repaired", L"ok copy"},
    };
    if (!removable.root().empty())
        states.push_back({L"on-stick", L"IconFile=" + removable.root() + L"Metal.icl\r\nIconIndex=2\r\n",
                          L"ok link,removable", L"repaired", L"ok copy"});
    else
        std::printf("no removable drive: %s\n", removable.why().c_str());
    if (!network.root().empty())
        states.push_back({L"on-share", L"IconFile=" + network.root() + L"Metal.icl\r\nIconIndex=2\r\n",
                          L"ok link,network", L"repaired", L"ok copy"});
    else
        std::printf("no network drive: %s\n", network.why().c_str());
    if (qmtest::RunningUnderWine()) {
        EXPECT_NE(removable.root(), L"") << removable.why();
        EXPECT_NE(network.root(), L"") << network.why();
    }
    Folder(L"plain");
    Folder(L"hidden");
    ASSERT_TRUE(SetFileAttributesW((tree + L"\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    for (const auto& st : states) WriteDesktopIni(Folder(st.name), st.lines);
    qmtest::WriteBytes(tree + L"\\copy\\own.ico", icons.IcoFile(1));

    auto check = [&](const qmtest::CliResult& r, auto field) {
        const auto lines = ReportLines(r.out);
        EXPECT_EQ(lines.size(), states.size()) << qm::WideToUtf8(r.out);
        for (const auto& st : states) {
            const std::wstring path = tree + L"\\" + st.name;
            const auto it = lines.find(path);
            if (it == lines.end()) {
                ADD_FAILURE() << "not listed: " << qm::WideToUtf8(path) << "\n" << qm::WideToUtf8(r.out);
                continue;
            }
            std::wstring got = it->second[0];
            if (it->second.size() > 1 && !it->second[1].empty()) got += L" " + it->second[1];
            const std::wstring expected = field(st);
            // The repair's words are the result alone.
            EXPECT_EQ(expected.find(L' ') == std::wstring::npos ? it->second[0] : got, expected)
                << qm::WideToUtf8(st.name);
        }
    };
    auto r = RunCli(dir, L"folder scan " + Quote(tree) + L" --recursive");
    EXPECT_EQ(r.exit, 1u) << qm::WideToUtf8(r.err);
    check(r, [](const State& st) { return std::wstring(st.scanned); });

    r = RunCli(dir, L"folder repair " + Quote(tree) + L" --recursive");
    EXPECT_EQ(r.exit, 1u) << qm::WideToUtf8(r.err);
    check(r, [](const State& st) { return std::wstring(st.repaired); });
    // A repaired link holds the linked icon as its own copy and keeps its tooltip; IconResource,
    // where the folder had it, now names the copy too.
    const auto link = qm::ReadFolderCustomization(tree + L"\\link");
    ASSERT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, link.IconFile)) << qm::WideToUtf8(link.IconFile);
    EXPECT_EQ(qmtest::ReadBytes(tree + L"\\link\\" + link.IconFile), icons.IcoFile(2));
    EXPECT_EQ(link.Infotip, L"Kept");
    const auto mismatch = qmtest::ShellClassInfoLines(tree + L"\\mismatch");
    const auto copy = qm::ReadFolderCustomization(tree + L"\\mismatch").IconFile;
    EXPECT_NE(std::find(mismatch.begin(), mismatch.end(), L"IconResource=" + copy + L",0"), mismatch.end());
    EXPECT_EQ(qmtest::ReadBytes(tree + L"\\mismatch\\" + copy), icons.IcoFile(1));
    const auto resourceOnly = qm::ReadFolderCustomization(tree + L"\\resource-only").IconFile;
    EXPECT_EQ(qmtest::ReadBytes(tree + L"\\resource-only\\" + resourceOnly), icons.IcoFile(3));
    if (!removable.root().empty()) {
        const auto stick = qm::ReadFolderCustomization(tree + L"\\on-stick").IconFile;
        EXPECT_EQ(qmtest::ReadBytes(tree + L"\\on-stick\\" + stick), icons.IcoFile(2));
    }

    if (qmtest::RunningUnderWine())
        for (const auto& st : states) MarkFolder(tree + L"\\" + st.name);  // the read-only mark, as Windows keeps it
    r = RunCli(dir, L"folder scan " + Quote(tree) + L" --recursive");
    EXPECT_EQ(r.exit, 1u) << qm::WideToUtf8(r.err);
    check(r, [](const State& st) { return std::wstring(st.afterwards); });

    // Without the broken ones the scan passes.
    for (const wchar_t* broken : {L"copy-missing", L"source-missing", L"unc"})
        qmtest::RemoveTree(tree + L"\\" + broken);
    r = RunCli(dir, L"folder scan " + Quote(tree) + L" --recursive");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.out);
    // A folder named on its own is listed even when it is not customized.
    r = RunCli(dir, L"folder scan " + Quote(tree + L"\\plain"));
    EXPECT_EQ(r.exit, 0u);
    EXPECT_EQ(r.out, L"ok\t\t" + tree + L"\\plain\t\n");
}

// The JSON report: one document, every text escaped (quotes, backslashes, control characters)
// and everything else as UTF-8.
TEST_F(FolderBatchCliTest, JsonReportEscapesEveryText) {
    const std::wstring f = Folder(L"tip \x00e9\x6587");
    const std::wstring tip = L"say \"hi\" \\ tab\tbell\x01 \x2605 \xD83D\xDE00";
    WriteDesktopIni(f, L"IconFile=" + library + L"\r\nIconIndex=2\r\nInfotip=" + tip + L"\r\n");
    auto r = RunCli(dir, L"folder scan " + Quote(f) + L" --json");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_TRUE(JsonChecker(r.out).Valid()) << qm::WideToUtf8(r.out);
    const std::wstring expected =
        L"{\"command\":\"scan\",\"dryRun\":false,\"folders\":[\n{\"path\":" + JsonText(f) +
        L",\"result\":\"ok\",\"states\":[\"link\"],\"broken\":false,\"iconFile\":" + JsonText(library) +
        L",\"iconIndex\":\"2\",\"iconResource\":\"\",\"infotip\":\"say \\\"hi\\\" \\\\ tab\\tbell\\u0001 \x2605 "
        L"\xD83D\xDE00\",\"source\":" +
        JsonText(library) +
        L",\"drive\":\"fixed\"}\n],\"links\":[],\"folderCount\":1,\"failedCount\":0,\"skipped\":[]}\n";
    EXPECT_EQ(r.out, expected);

    // An apply's report names the folders and results; a failure carries its message.
    settings.SetCopyIco(L"1");
    const std::wstring bad = Folder(L"bad");
    r = RunCli(dir,
               L"folder apply " + Quote(f) + L" " + Quote(bad) + L" --json --icon " + Quote(library) + L" --index x");
    EXPECT_EQ(r.exit, 1u);
    EXPECT_TRUE(JsonChecker(r.out).Valid()) << qm::WideToUtf8(r.out);
    EXPECT_EQ(r.out, L"{\"command\":\"apply\",\"dryRun\":false,\"folders\":[\n{\"path\":" + JsonText(f) +
                         L",\"result\":\"failed\",\"message\":\"'x' is not a valid integer value\"},\n{\"path\":" +
                         JsonText(bad) +
                         L",\"result\":\"failed\",\"message\":\"'x' is not a valid integer value\"}\n],\"links\":[],"
                         L"\"folderCount\":2,\"failedCount\":2,\"skipped\":[]}\n");
}

// Text as UTF-16 with its byte-order mark, big- or little-endian.
std::vector<std::uint8_t> Utf16WithMark(const std::wstring& text, bool bigEndian) {
    std::vector<std::uint8_t> out = {0xFF, 0xFE};
    for (wchar_t c : text) out.insert(out.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
    if (bigEndian)
        for (std::size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
    return out;
}

// A desktop.ini in UTF-16BE, which Explorer cannot read, is broken to scan (text, JSON, exit
// code); repair rewrites it as UTF-16LE with its mark and the scan passes.
TEST_F(FolderBatchCliTest, AnUnreadableEncodingIsBrokenAndRepairRewritesIt) {
    const std::wstring f = Folder(L"be");
    const std::wstring text = L"[.ShellClassInfo]\r\nInfotip=Tip \u00e9\r\n";
    const auto be = Utf16WithMark(text, true), le = Utf16WithMark(text, false);
    qmtest::WriteBytes(f + L"\\desktop.ini", be);
    auto r = RunCli(dir, L"folder scan " + Quote(f));
    EXPECT_EQ(r.exit, 1u) << qm::WideToUtf8(r.err);
    EXPECT_EQ(r.out, L"broken\ttooltip,unreadable-encoding\t" + f + L"\t\n");
    r = RunCli(dir, L"folder scan " + Quote(f) + L" --json");
    EXPECT_EQ(r.exit, 1u);
    EXPECT_NE(r.out.find(L"\"result\":\"broken\",\"states\":[\"tooltip\",\"unreadable-encoding\"],\"broken\":true"),
              std::wstring::npos)
        << qm::WideToUtf8(r.out);
    r = RunCli(dir, L"folder repair " + Quote(f) + L" --dry-run");
    EXPECT_EQ(r.out, L"would-repair\ttooltip,unreadable-encoding\t" + f + L"\t\n");
    EXPECT_EQ(qmtest::ReadBytes(f + L"\\desktop.ini"), be);
    r = RunCli(dir, L"folder repair " + Quote(f));
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_EQ(r.out, L"repaired\ttooltip\t" + f + L"\t\n");
    EXPECT_EQ(qmtest::ReadBytes(f + L"\\desktop.ini"), le);
    r = RunCli(dir, L"folder scan " + Quote(f));
    EXPECT_EQ(r.exit, 0u);
    EXPECT_EQ(r.out, L"ok\ttooltip\t" + f + L"\t\n");

    // A tree's walk lists such a file also when it names no icon or tooltip (Explorer reads none
    // of its lines), and repair rewrites it there too.
    const std::wstring other = Folder(L"be-other");
    const std::wstring otherText = L"[.ShellClassInfo]\r\nLocalizedResourceName=Caf\u00e9\r\n";
    qmtest::WriteBytes(other + L"\\desktop.ini", Utf16WithMark(otherText, true));
    r = RunCli(dir, L"folder scan " + Quote(tree) + L" --recursive");
    EXPECT_EQ(r.exit, 1u);
    EXPECT_EQ(r.out, L"ok\ttooltip\t" + f + L"\t\nbroken\tunreadable-encoding\t" + other + L"\t\n");
    r = RunCli(dir, L"folder repair " + Quote(tree) + L" --recursive");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_EQ(qmtest::ReadBytes(other + L"\\desktop.ini"), Utf16WithMark(otherText, false));
}

// A long run tells its progress on standard error, done/total, ending with the total.
TEST_F(FolderBatchCliTest, LongRunsShowProgress) {
    for (int i = 0; i < 24; ++i) Folder(L"f" + std::to_wstring(i));
    const auto r = RunCli(dir, L"folder apply " + Quote(tree) + L" --recursive --tip Many");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    std::vector<int> done;
    std::size_t start = 0;
    while (start < r.err.size()) {
        const std::size_t end = r.err.find(L'\n', start);
        const std::wstring line = r.err.substr(start, end - start);
        start = end == std::wstring::npos ? r.err.size() : end + 1;
        ASSERT_EQ(line.rfind(L"progress: ", 0), 0u) << qm::WideToUtf8(line);
        ASSERT_EQ(line.substr(line.find(L'/')), L"/25");
        done.push_back(std::stoi(line.substr(10)));
    }
    ASSERT_FALSE(done.empty());
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(std::set<int>(done.begin(), done.end()).size(), done.size());
    EXPECT_EQ(done.back(), 25);
    EXPECT_EQ(qm::ReadFolderCustomization(tree + L"\\f23").Infotip, L"Many");
    // A short run shows none.
    const auto one = RunCli(dir, L"folder apply " + Quote(tree + L"\\f1") + L" --tip One");
    EXPECT_EQ(one.err, L"");
}

// Bad input changes nothing: unknown options and bad depths give the usage (exit 2); a folder
// that is not there is named (exit 1) and the others are still done.
TEST_F(FolderBatchCliTest, BadInputIsNamedAndChangesNothing) {
    const std::wstring a = Folder(L"a");
    const Snapshot before = SnapshotOf(tree);
    const struct {
        std::wstring arguments;
        const wchar_t* message;
    } usage[] = {
        {L"folder scan " + Quote(a) + L" --bogus", L"unknown option: --bogus\n"},
        {L"folder repair " + Quote(a) + L" --recursive --colour", L"unknown option: --colour\n"},
        {L"folder reset " + Quote(a) + L" --force", L"unknown option: --force\n"},
        {L"folder apply " + Quote(a) + L" --tip x --deep", L"unknown option: --deep\n"},
        {L"folder apply " + Quote(a) + L" --depth -1 --tip x", L"--depth takes a number of levels from 0 to 16384\n"},
        {L"folder scan " + Quote(a) + L" --depth", L"--depth takes a number of levels from 0 to 16384\n"},
        {L"folder reset " + Quote(a) + L" --depth 99999999", L"--depth takes a number of levels from 0 to 16384\n"},
        {L"folder scan --recursive", L"usage:\n"},
        {L"folder repair", L"usage:\n"},
    };
    for (const auto& c : usage) {
        SCOPED_TRACE(qm::WideToUtf8(c.arguments));
        const auto r = RunCli(dir, c.arguments);
        EXPECT_EQ(r.exit, 2u);
        EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << qm::WideToUtf8(r.err);
        EXPECT_NE(r.err.find(L"quillmark-cli folder scan FOLDER... [--recursive]"), std::wstring::npos);
        EXPECT_EQ(r.out, L"");
    }
    EXPECT_TRUE(SnapshotOf(tree) == before);

    const std::wstring missing = tree + L"\\missing";
    for (const wchar_t* command : {L"scan", L"repair", L"reset", L"apply"}) {
        SCOPED_TRACE(qm::WideToUtf8(command));
        const auto r = RunCli(dir, std::wstring(L"folder ") + command + L" " + Quote(missing) + L" " + Quote(a) +
                                       L" --recursive" + (command == std::wstring(L"apply") ? L" --tip Done" : L""));
        EXPECT_EQ(r.exit, 1u);
        EXPECT_EQ(r.err, missing + L": no such folder\n");
        EXPECT_FALSE(qmtest::Exists(missing));
    }
    EXPECT_EQ(qm::ReadFolderCustomization(a).Infotip, L"Done");

    // A dry run names a folder that is not there instead of promising to change it.
    for (const wchar_t* command : {L"scan", L"repair", L"reset", L"apply"}) {
        SCOPED_TRACE(qm::WideToUtf8(command));
        const Snapshot now = SnapshotOf(tree);
        const auto r = RunCli(dir, std::wstring(L"folder ") + command + L" " + Quote(missing) + L" --dry-run" +
                                       (command == std::wstring(L"apply") ? L" --tip Again" : L""));
        EXPECT_EQ(r.exit, 1u);
        EXPECT_EQ(r.err, missing + L": no such folder\n");
        EXPECT_EQ(r.out.find(L"would-"), std::wstring::npos) << qm::WideToUtf8(r.out);
        EXPECT_TRUE(SnapshotOf(tree) == now);
    }
}

// A folder of the walked tree that goes while the tool works on the tree is named ("no such
// folder", exit 1); the tool makes nothing in its place and still does the others. The tool's
// standard error is a pipe the test has filled, so its first write there (the progress after the
// first folder) waits until the test reads: the folder is removed while the tool waits.
TEST_F(FolderBatchCliTest, AFolderThatGoesMidRunIsNamed) {
    std::vector<std::wstring> folders;
    for (int i = 10; i < 34; ++i) folders.push_back(Folder(L"f" + std::to_wstring(i)));
    const std::wstring gone = folders[20];

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 4096));
    qm::UniqueKernelHandle reader(readEnd), writer(writeEnd);
    ASSERT_TRUE(SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0));
    DWORD mode = PIPE_NOWAIT;
    ASSERT_TRUE(SetNamedPipeHandleState(writeEnd, &mode, nullptr, nullptr));
    std::size_t filled = 0;
    for (DWORD written = 1; written && filled < (16u << 20);) {
        const std::vector<char> junk(512, 'x');
        written = 0;
        if (!WriteFile(writeEnd, junk.data(), static_cast<DWORD>(junk.size()), &written, nullptr)) written = 0;
        filled += written;
    }
    for (DWORD written = 1; written && filled < (16u << 20);) {
        written = 0;
        if (!WriteFile(writeEnd, "x", 1, &written, nullptr)) written = 0;
        filled += written;
    }
    ASSERT_LT(filled, 16u << 20) << "the pipe takes everything: its writer would never wait";
    mode = PIPE_WAIT;
    ASSERT_TRUE(SetNamedPipeHandleState(writeEnd, &mode, nullptr, nullptr));

    const qm::UniqueFile out(
        CreateFileW((dir / L"mid.out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW si{sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out.get();
    si.hStdError = writeEnd;
    std::wstring command = Quote(qmtest::BuildFolder() + L"\\quillmark-cli.exe") + L" folder apply " + Quote(tree) +
                           L" --recursive --json --tip Mid";
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
    qm::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    writer.reset();  // the tool holds the only write end: its end is the pipe's end

    // The root is the first folder done, after the walk: once its desktop.ini is there the tool
    // has listed every folder and waits at its first progress line.
    for (int i = 0; i < 60000 && !qmtest::Exists(tree + L"\\desktop.ini"); ++i) Sleep(1);
    ASSERT_TRUE(qmtest::Exists(tree + L"\\desktop.ini"));
    qmtest::RemoveTree(gone);
    ASSERT_FALSE(qmtest::Exists(gone));

    std::string err;
    for (;;) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
        err.append(buffer, got);
    }
    ASSERT_EQ(WaitForSingleObject(process.get(), 120000), WAIT_OBJECT_0);
    DWORD exit = 0;
    GetExitCodeProcess(process.get(), &exit);
    EXPECT_EQ(exit, 1u);
    ASSERT_GE(err.size(), filled);
    const std::wstring messages = qm::Utf8ToWide(err.substr(filled));
    EXPECT_NE(messages.find(L"progress: 1/25\n"), std::wstring::npos) << qm::WideToUtf8(messages);
    EXPECT_NE(messages.find(gone + L": no such folder\n"), std::wstring::npos) << qm::WideToUtf8(messages);
    EXPECT_FALSE(qmtest::Exists(gone));
    for (const auto& f : folders) {
        if (f == gone) continue;
        EXPECT_EQ(qm::ReadFolderCustomization(f).Infotip, L"Mid") << qm::WideToUtf8(f);
    }
    const auto report = qmtest::ReadBytes(dir / L"mid.out");
    const std::wstring json = qm::Utf8ToWide(std::string(report.begin(), report.end()));
    EXPECT_NE(json.find(L"{\"path\":" + JsonText(gone) + L",\"result\":\"missing\",\"message\":\"no such folder\"}"),
              std::wstring::npos)
        << qm::WideToUtf8(json);
}

}  // namespace
