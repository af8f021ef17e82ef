// The installer and its uninstaller, run silently as a user would (Quillmark-setup.exe /S), in both
// modes: the files land, the folder menu is registered and builds its entries from the shipped
// WindowsXP.icl, and the uninstaller takes everything of ours away again, registry included,
// while the user's own files stay. The per-user install leaves HKEY_LOCAL_MACHINE untouched.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "tests/support/com_client_win.h"
#include "tests/support/files_win.h"
#include "tests/support/process_win.h"

using qmtest::kQuillshellClsidText;
using qmtest::ReadRegValue;
using qmtest::RegKeyExists;
using qmtest::TempDir;

namespace {

const std::wstring kClassKey = std::wstring(L"Software\\Classes\\CLSID\\") + kQuillshellClsidText;
const std::wstring kHandlerKey = L"Software\\Classes\\Directory\\shellex\\ContextMenuHandlers\\PelmoContextMenu";
const std::wstring kApprovedKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmark";
const std::wstring kDescription = L"Ostrel QuillMark Shell Extensions";

std::wstring SetupProgram() { return qmtest::BuildFolder() + L"\\package\\Quillmark-setup.exe"; }

// Runs a command line in a job and waits until no process of the installation is left in it (the
// uninstaller runs on from a copy of itself after the first process is gone; Wine may start
// helpers of its own in the job, which do not count). The exit code of the first process, or
// STILL_ACTIVE when the installation did not end within `limitMs`.
bool InstallationRunning(HANDLE job) {
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[255];
    } ids{};
    ids.list.NumberOfAssignedProcesses = 256;
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr)) return false;
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList && i < 256; ++i) {
        qm::UniqueKernelHandle p(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(ids.list.ProcessIdList[i])));
        if (!p) continue;
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (!QueryFullProcessImageNameW(p.get(), 0, image, &size)) continue;
        std::wstring name = image;
        name = name.substr(name.find_last_of(L"\\/") + 1);
        for (auto& c : name) c = static_cast<wchar_t>(towlower(c));
        if (name == L"quillmark-setup.exe" || name == L"uninstall.exe" || name == L"au_.exe" ||
            name == L"regsvr32.exe") {
            return true;
        }
    }
    return false;
}

DWORD RunToTheEnd(const std::wstring& commandLine, DWORD limitMs = 180000) {
    qm::UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) return STILL_ACTIVE;
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) {
        return STILL_ACTIVE;
    }
    qm::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    AssignProcessToJobObject(job.get(), process.get());
    ResumeThread(thread.get());
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.get(), limitMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
    for (DWORD waited = 0; waited < limitMs; waited += 100) {
        if (!InstallationRunning(job.get())) return code;
        Sleep(100);
    }
    return STILL_ACTIVE;
}

// Every value under root\subKey and below, as "key path|value name" -> "type:data", plus one
// entry per key, so that an added empty key shows too. Symbolic links (Wine links the 32-bit view
// into the 64-bit one) are listed as keys, not followed.
using RegistryDump = std::map<std::wstring, std::wstring>;

void DumpKey(HKEY key, const std::wstring& path, RegistryDump& out, int depth = 0) {
    out[path + L"\\"] = L"";
    if (depth > 40) return;
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), type = 0, size = static_cast<DWORD>(data.size());
        const LSTATUS r = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS) {
            out[path + L"|" + std::wstring(name.data(), nameLength)] = L"(unreadable)";
            continue;
        }
        std::wstring text = std::to_wstring(type) + L":";
        static const wchar_t* hex = L"0123456789abcdef";
        for (DWORD b = 0; b < size; ++b) {
            text += hex[data[b] >> 4];
            text += hex[data[b] & 15];
        }
        out[path + L"|" + std::wstring(name.data(), nameLength)] = text;
    }
    std::vector<std::wstring> subKeys;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subKeys.emplace_back(name.data(), nameLength);
    }
    for (const auto& sub : subKeys) {
        HKEY raw = nullptr;
        if (RegOpenKeyExW(key, sub.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | KEY_WOW64_64KEY, &raw) != ERROR_SUCCESS) {
            out[path + L"\\" + sub + L"\\"] = L"(unreadable)";
            continue;
        }
        qm::UniqueKey child(raw);
        DumpKey(child.get(), path + L"\\" + sub, out, depth + 1);
    }
}

RegistryDump Dump(HKEY root, const std::wstring& subKey) {
    RegistryDump out;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, subKey.empty() ? nullptr : subKey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &raw) ==
        ERROR_SUCCESS) {
        qm::UniqueKey key(raw);
        DumpKey(key.get(), subKey, out);
    }
    return out;
}

// The places of a hive the installer, the extension and the program write to, whole, and the
// number of classes registered (a full dump of the classes is too slow under Wine).
RegistryDump DumpOurPlaces(HKEY root) {
    RegistryDump all;
    for (const std::wstring& sub :
         {kClassKey, std::wstring(L"Software\\Classes\\Directory"), std::wstring(L"Software\\Classes\\iclfile"),
          std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"),
          std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions")}) {
        const auto part = Dump(root, sub);
        all.insert(part.begin(), part.end());
    }
    for (const wchar_t* sub : {L"Software\\Classes\\CLSID", L"Software\\Classes", L"Software"}) {
        HKEY raw = nullptr;
        DWORD subKeys = 0, values = 0;
        if (RegOpenKeyExW(root, sub, 0, KEY_READ | KEY_WOW64_64KEY, &raw) == ERROR_SUCCESS) {
            qm::UniqueKey key(raw);
            RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr);
        }
        all[std::wstring(sub) + L"\\(counts)"] = std::to_wstring(subKeys) + L"/" + std::to_wstring(values);
    }
    return all;
}

// What differs between two dumps, for the failure message.
std::wstring Difference(const RegistryDump& before, const RegistryDump& after) {
    std::wstring text;
    for (const auto& [k, v] : after) {
        const auto it = before.find(k);
        if (it == before.end())
            text += L"added " + k + L"\n";
        else if (it->second != v)
            text += L"changed " + k + L"\n";
    }
    for (const auto& [k, v] : before) {
        if (!after.count(k)) text += L"removed " + k + L"\n";
    }
    return text;
}

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += c < 128 ? static_cast<char>(c) : '?';
    return s;
}

// Files under folder, as relative paths, sorted.
void ListFiles(const std::wstring& folder, const std::wstring& prefix, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(folder + L"\\" + name, prefix + name + L"\\", out);
        } else {
            out.push_back(prefix + name);
        }
    } while (FindNextFileW(find, &fd));
    FindClose(find);
}

std::vector<std::wstring> FilesUnder(const std::wstring& folder) {
    std::vector<std::wstring> files;
    ListFiles(folder, L"", files);
    std::sort(files.begin(), files.end());
    return files;
}

// What an installation holds: the three programs, the Windows 11 menu's package, the uninstaller
// and data\ without its generators.
std::vector<std::wstring> ExpectedFiles() {
    std::vector<std::wstring> files = {L"Quillmark.exe", L"Quillmark.msix", L"quillmark-cli.exe", L"quillshell.dll",
                                       L"uninstall.exe"};
    for (const wchar_t* d : {L"samples", L"langs", L"toolbar"}) {
        std::vector<std::wstring> sub;
        ListFiles(qmtest::SourceFolder() + L"\\data\\" + d, std::wstring(d) + L"\\", sub);
        for (auto& f : sub) {
            if (f.size() < 3 || f.compare(f.size() - 3, 3, L".py") != 0) files.push_back(f);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring ProgramsMenu(bool allUsers) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\Quillmark";
}

std::wstring ShortPath(const std::wstring& path) {
    std::wstring s(1024, L'\0');
    s.resize(GetShortPathNameW(path.c_str(), s.data(), static_cast<DWORD>(s.size())));
    return s;
}

// The extension as Explorer would use it: the icon entries of its submenu for a folder (entries
// captioned "0", "1", ...). The class is found through HKEY_CLASSES_ROOT, or, for a per-user
// registration, from HKEY_CURRENT_USER\Software\Classes: Windows merges that into
// HKEY_CLASSES_ROOT, Wine's COM does not look there.
int MenuIconEntries(const std::wstring& folder, bool allUsers) {
    qmtest::ComApartment apartment;
    int icons = -1;
    HMODULE library = nullptr;
    {
        qmtest::ShellMenuHost host;
        if (allUsers) {
            if (host.Create() != S_OK) return -1;
        } else {
            const auto server = ReadRegValue(HKEY_CURRENT_USER, kClassKey + L"\\InprocServer32", nullptr);
            library = LoadLibraryW(server.data.c_str());
            if (!library || host.CreateFrom(library) != S_OK) return -1;
        }
        if (host.InitializeWithFolders({folder}) != S_OK) return -2;
        if (FAILED(host.QueryContextMenu())) return -3;
        const auto top = qmtest::ReadMenu(host.menu());
        if (top.size() != 1 || !top[0].submenu) return -4;
        icons = 0;
        for (const auto& item : qmtest::ReadMenu(top[0].submenu)) {
            if (!item.IsSeparator() && item.text == std::to_wstring(icons)) ++icons;
        }
    }
    if (library) FreeLibrary(library);
    CoFreeUnusedLibrariesEx(0, 0);
    return icons;
}

class Installer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qmtest::Exists(SetupProgram())) << "build the installer (scripts/package)";
        qmtest::RemoveQuillshellRegistration();
    }
    void TearDown() override { qmtest::RemoveQuillshellRegistration(); }

    // Installs into `folder`, checks the files and the menu, puts user files beside them, and
    // uninstalls with the uninstall entry's quiet command; returns what the entry said.
    void InstallUseAndUninstall(bool allUsers, const std::wstring& folder, const TempDir& user) {
        const std::wstring mode = allUsers ? L" /ALLUSERS" : L" /CURRENTUSER";
        ASSERT_EQ(RunToTheEnd(qmtest::Quote(SetupProgram()) + L" /S" + mode + L" /D=" + folder), 0u);

        EXPECT_EQ(FilesUnder(folder), ExpectedFiles());
        EXPECT_EQ(qmtest::ReadBytes(folder + L"\\samples\\WindowsXP.icl"),
                  qmtest::ReadBytes(qmtest::SourceFolder() + L"\\data\\samples\\WindowsXP.icl"));
        EXPECT_TRUE(qmtest::Exists(ProgramsMenu(allUsers) + L"\\Quillmark.lnk"));

        const HKEY hive = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        EXPECT_EQ(ReadRegValue(hive, kUninstallKey, L"InstallLocation").data, folder);
        const auto quiet = ReadRegValue(hive, kUninstallKey, L"QuietUninstallString");
        ASSERT_TRUE(quiet.exists);
        EXPECT_EQ(ReadRegValue(hive, kClassKey, nullptr).data, kDescription);
        const auto server = ReadRegValue(hive, kClassKey + L"\\InprocServer32", nullptr).data;
        EXPECT_EQ(server, ShortPath(folder + L"\\quillshell.dll"));  // the folder's name holds a blank
        EXPECT_EQ(ReadRegValue(hive, kClassKey + L"\\InprocServer32", L"ThreadingModel").data, L"Apartment");
        EXPECT_EQ(ReadRegValue(hive, kHandlerKey, nullptr).data, kQuillshellClsidText);
        EXPECT_EQ(ReadRegValue(hive, kApprovedKey, kQuillshellClsidText).data, kDescription);

        // The menu holds one entry per icon of the shipped default theme.
        const int themeIcons = qmtest::ThemeIconCount(folder + L"\\samples\\WindowsXP.icl");
        EXPECT_GE(themeIcons, 20);
        const std::wstring target = user.MakeFolder(L"Target");
        EXPECT_EQ(MenuIconEntries(target, allUsers), themeIcons);
        // This process hosted the library, as Explorer does. Its file is then in use (Wine keeps
        // the image mapped even after the library is freed), and the uninstaller leaves it to be
        // deleted at the next restart (Delete /REBOOTOK) instead of failing.
        const bool held = true;

        // The user's things: settings and history written by the program, a theme of their own in
        // the store, a customized folder with its icon copy elsewhere.
        qmtest::WriteUtf16File(folder + L"\\quillmark.ini", L"[Theme]\r\nname=Mine.icl\r\n");
        qmtest::WriteUtf16File(folder + L"\\lib.ini", folder + L"\\samples\\Mine.icl\r\n");
        const auto theme = qmtest::ReadBytes(folder + L"\\samples\\Adwaita.icl");
        qmtest::WriteBytes(folder + L"\\samples\\Mine.icl", theme);
        qmtest::WriteUtf16File(target + L"\\desktop.ini",
                               L"[.ShellClassInfo]\r\nIconFile=OstrelQuillmark3_12_34.ico\r\nIconIndex=0\r\n");
        qmtest::WriteBytes(target + L"\\OstrelQuillmark3_12_34.ico",
                           qmtest::ReadBytes(folder + L"\\langs\\German.ico"));

        ASSERT_EQ(RunToTheEnd(quiet.data), 0u);
        // The uninstaller goes on from a copy of itself; its last step removes the uninstall entry.
        for (int i = 0; i < 1200 && RegKeyExists(hive, kUninstallKey); ++i) Sleep(100);
        Sleep(500);

        auto left = held ? std::vector<std::wstring>{L"quillshell.dll", L"samples\\Mine.icl"}
                         : std::vector<std::wstring>{L"samples\\Mine.icl"};
        EXPECT_EQ(FilesUnder(folder), left);
        EXPECT_TRUE(qmtest::Exists(target + L"\\desktop.ini"));
        EXPECT_TRUE(qmtest::Exists(target + L"\\OstrelQuillmark3_12_34.ico"));
        EXPECT_FALSE(qmtest::Exists(ProgramsMenu(allUsers)));
        EXPECT_FALSE(RegKeyExists(hive, kUninstallKey));
        EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kQuillshellClsidText));
    }
};

TEST_F(Installer, PerUserInstallNeedsNoMachineKeysAndUninstallsToNothing) {
    TempDir root(L"qm-setup"), user(L"qm-user");
    const std::wstring folder = root / L"Quill Mark";
    const RegistryDump machineBefore = DumpOurPlaces(HKEY_LOCAL_MACHINE);
    const RegistryDump userBefore = DumpOurPlaces(HKEY_CURRENT_USER);

    InstallUseAndUninstall(false, folder, user);

    const RegistryDump machineAfter = DumpOurPlaces(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(machineAfter == machineBefore) << Narrow(Difference(machineBefore, machineAfter));
    const RegistryDump userAfter = DumpOurPlaces(HKEY_CURRENT_USER);
    EXPECT_TRUE(userAfter == userBefore) << Narrow(Difference(userBefore, userAfter));
}

TEST_F(Installer, AllUsersInstallRegistersTheExtensionItselfAndUninstallsToNothing) {
    TempDir root(L"qm-setup"), user(L"qm-user");
    const std::wstring folder = root / L"Quill All";
    const RegistryDump machineBefore = DumpOurPlaces(HKEY_LOCAL_MACHINE);
    const RegistryDump userBefore = DumpOurPlaces(HKEY_CURRENT_USER);

    InstallUseAndUninstall(true, folder, user);

    const RegistryDump machineAfter = DumpOurPlaces(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(machineAfter == machineBefore) << Narrow(Difference(machineBefore, machineAfter));
    const RegistryDump userAfter = DumpOurPlaces(HKEY_CURRENT_USER);
    EXPECT_TRUE(userAfter == userBefore) << Narrow(Difference(userBefore, userAfter));
}

// The build number the installer reads, set for the life of the object and put back at the end.
class BuildNumber {
public:
    explicit BuildNumber(const std::wstring& number) {
        before_ = ReadRegValue(HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentBuildNumber");
        Set(number);
    }
    ~BuildNumber() {
        if (before_.exists) Set(before_.data);
    }
    BuildNumber(const BuildNumber&) = delete;
    BuildNumber& operator=(const BuildNumber&) = delete;

private:
    static constexpr const wchar_t* kVersionKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    static void Set(const std::wstring& number) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kVersionKey, L"CurrentBuildNumber", REG_SZ, number.c_str(),
                        static_cast<DWORD>((number.size() + 1) * sizeof(wchar_t)));
    }
    qmtest::RegValue before_;
};

// A stand-in at Windows PowerShell's path that records its command line (Wine has no PowerShell);
// whatever was there comes back at the end.
class PowerShellStandIn {
public:
    PowerShellStandIn() {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        folder_ = std::wstring(system) + L"\\WindowsPowerShell\\v1.0";
        CreateDirectoryW((std::wstring(system) + L"\\WindowsPowerShell").c_str(), nullptr);
        CreateDirectoryW(folder_.c_str(), nullptr);
        if (qmtest::Exists(program())) kept_ = qmtest::ReadBytes(program());
        had_ = qmtest::Exists(program());
        CopyFileW((qmtest::BuildFolder() + L"\\qm_shell_standin.exe").c_str(), program().c_str(), FALSE);
        Clear();
    }
    ~PowerShellStandIn() {
        Clear();
        if (had_) {
            qmtest::WriteBytes(program(), kept_);
        } else {
            DeleteFileW(program().c_str());
        }
    }
    PowerShellStandIn(const PowerShellStandIn&) = delete;
    PowerShellStandIn& operator=(const PowerShellStandIn&) = delete;
    std::wstring program() const { return folder_ + L"\\powershell.exe"; }
    void Clear() const { DeleteFileW((folder_ + L"\\started.txt").c_str()); }
    // The command line of the last start (after the process id line), empty when none came.
    std::wstring LastCommandLine() const {
        const std::wstring record = folder_ + L"\\started.txt";
        if (!qmtest::Exists(record)) return {};
        const auto bytes = qmtest::ReadBytes(record);
        std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
        return text.substr(text.find(L'\n') + 1);
    }

private:
    std::wstring folder_;
    std::vector<std::uint8_t> kept_;
    bool had_ = false;
};

// On Windows 11 (build 22000 and later) the installer registers the Windows 11 menu's package
// with the install folder as its external location and the uninstaller removes it; on Windows 10
// neither runs PowerShell. A failed registration (Wine's stand-in does nothing) leaves the
// installation as it is.
TEST_F(Installer, Windows11RegistersTheMenuPackageAndUninstallRemovesIt) {
    const PowerShellStandIn powershell;
    struct Case {
        const wchar_t* build;
        bool windows11;
    };
    for (const Case c : {Case{L"19045", false}, Case{L"22000", true}, Case{L"22631", true}}) {
        SCOPED_TRACE(qm::WideToUtf8(c.build));
        const BuildNumber build(c.build);
        TempDir root(L"qm-setup");
        const std::wstring folder = root / L"Quill Eleven";
        powershell.Clear();
        ASSERT_EQ(RunToTheEnd(qmtest::Quote(SetupProgram()) + L" /S /CURRENTUSER /D=" + folder), 0u);
        EXPECT_EQ(FilesUnder(folder), ExpectedFiles());
        EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kHandlerKey, nullptr).data, kQuillshellClsidText);
        const std::wstring prefix =
            qmtest::Quote(powershell.program()) + L" -NoProfile -NonInteractive -ExecutionPolicy Bypass -Command ";
        EXPECT_EQ(powershell.LastCommandLine(), c.windows11
                                                    ? prefix + L"\"Add-AppxPackage -Path '" + folder +
                                                          L"\\Quillmark.msix' -ExternalLocation '" + folder + L"'\""
                                                    : L"");

        powershell.Clear();
        const auto quiet = ReadRegValue(HKEY_CURRENT_USER, kUninstallKey, L"QuietUninstallString");
        ASSERT_TRUE(quiet.exists);
        ASSERT_EQ(RunToTheEnd(quiet.data), 0u);
        for (int i = 0; i < 1200 && RegKeyExists(HKEY_CURRENT_USER, kUninstallKey); ++i) Sleep(100);
        Sleep(500);
        EXPECT_EQ(powershell.LastCommandLine(),
                  c.windows11 ? prefix + L"\"Get-AppxPackage -Name Ostrel.Quillmark | Remove-AppxPackage\"" : L"");
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kUninstallKey));
    }
}

TEST_F(Installer, PortableZipHoldsTheInstalledLayout) {
    // The zip's listing as Windows sees it: every file under one folder "Quillmark".
    const std::wstring zip = qmtest::BuildFolder() + L"\\package\\Quillmark-portable.zip";
    const auto bytes = qmtest::ReadBytes(zip);
    auto u16 = [&](std::size_t at) { return static_cast<std::size_t>(bytes[at] | (bytes[at + 1] << 8)); };
    auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
    // The end record (no archive comment), then the central directory it points to.
    ASSERT_GE(bytes.size(), 22u);
    const std::size_t end = bytes.size() - 22;
    ASSERT_EQ(u32(end), 0x06054B50u);
    const std::size_t entries = u16(end + 10);
    std::size_t at = u32(end + 16);
    std::vector<std::wstring> names;
    for (std::size_t i = 0; i < entries; ++i) {
        ASSERT_LE(at + 46, end);
        ASSERT_EQ(u32(at), 0x02014B50u);
        const std::size_t length = u16(at + 28), extra = u16(at + 30), comment = u16(at + 32);
        ASSERT_LE(at + 46 + length, end);
        std::wstring name(bytes.begin() + static_cast<std::ptrdiff_t>(at + 46),
                          bytes.begin() + static_cast<std::ptrdiff_t>(at + 46 + length));
        std::replace(name.begin(), name.end(), L'/', L'\\');
        if (!name.empty() && name.back() != L'\\') names.push_back(name);
        at += 46 + length + extra + comment;
    }
    std::vector<std::wstring> expected;
    for (const auto& f : ExpectedFiles()) {
        if (f != L"uninstall.exe") expected.push_back(L"Quillmark\\" + f);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
}

}  // namespace
