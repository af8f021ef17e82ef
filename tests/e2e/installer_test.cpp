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
#include <optional>
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

// What an installation holds: the three programs, the Windows 11 menu's package and its logos
// (they resolve against the program folder, the package's external location), the uninstaller
// and data\ without its generators.
std::vector<std::wstring> ExpectedFiles() {
    std::vector<std::wstring> files = {L"Assets\\Square150x150Logo.png",
                                       L"Assets\\Square44x44Logo.png",
                                       L"Assets\\StoreLogo.png",
                                       L"Quillmark.exe",
                                       L"Quillmark.msix",
                                       L"quillmark-cli.exe",
                                       L"quillshell.dll",
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

class Installer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qmtest::Exists(SetupProgram())) << "build the installer (scripts/package)";
        qmtest::RemoveQuillshellRegistration();
    }
    void TearDown() override { qmtest::RemoveQuillshellRegistration(); }

    // Wine's prefix says Windows 7 (build 7601), which the installer refuses: the tests run on a
    // Windows 10 build number unless they set their own.
    BuildNumber windows10_{L"19045"};

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

// A recording stand-in (qm_recording_standin.exe) at a system program's path: Wine's own
// powershell.exe and certutil.exe are stubs that do nothing and exit 0, so a run that reached one
// would pass unseen; the stand-in records every start, and whatever was there comes back at the end.
struct StandInCall {
    std::wstring commandLine, msix, dir;  // QM_MSIX and QM_DIR as the program found them
};

class RecordingStandIn {
public:
    explicit RecordingStandIn(const std::wstring& relativeToSystem) {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        program_ = std::wstring(system) + L"\\" + relativeToSystem;
        // The folders on the way (WindowsPowerShell\v1.0).
        for (std::size_t at = wcslen(system) + 1; (at = program_.find(L'\\', at)) != std::wstring::npos; ++at) {
            CreateDirectoryW(program_.substr(0, at).c_str(), nullptr);
        }
        had_ = qmtest::Exists(program_);
        if (had_) kept_ = qmtest::ReadBytes(program_);
        ours_ = qmtest::ReadBytes(qmtest::BuildFolder() + L"\\qm_recording_standin.exe");
        qmtest::WriteBytes(program_, ours_);
        Clear();
    }
    ~RecordingStandIn() {
        Clear();
        if (had_) {
            qmtest::WriteBytes(program_, kept_);
        } else {
            DeleteFileW(program_.c_str());
        }
    }
    RecordingStandIn(const RecordingStandIn&) = delete;
    RecordingStandIn& operator=(const RecordingStandIn&) = delete;

    const std::wstring& program() const { return program_; }
    bool InPlace() const { return !ours_.empty() && qmtest::ReadBytes(program_) == ours_; }
    void Clear() const {
        DeleteFileW((program_ + L".calls.txt").c_str());
        DeleteFileW((program_ + L".exitcode").c_str());
    }
    void ExitWith(DWORD code) const {
        const std::string text = std::to_string(code);
        qmtest::WriteBytes(program_ + L".exitcode", std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    std::vector<StandInCall> Calls() const {
        std::vector<StandInCall> calls;
        if (!qmtest::Exists(program_ + L".calls.txt")) return calls;
        const auto bytes = qmtest::ReadBytes(program_ + L".calls.txt");
        const std::wstring text = qm::Utf8ToWide(std::string(bytes.begin(), bytes.end()));
        std::vector<std::wstring> lines;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find(L'\n', at);
            lines.push_back(text.substr(at, end - at));
            at = end == std::wstring::npos ? text.size() : end + 1;
        }
        for (std::size_t i = 0; i + 3 < lines.size(); i += 4) {
            if (lines[i + 3] != L"--") break;
            calls.push_back({lines[i], lines[i + 1], lines[i + 2]});
        }
        return calls;
    }

private:
    std::wstring program_;
    std::vector<std::uint8_t> kept_, ours_;
    bool had_ = false;
};

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& subKey, const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(root, subKey.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// The PowerShell scripts the installer runs for the Windows 11 menu's package.
const std::wstring kTry = L"$ErrorActionPreference='Stop'; try {";
const std::wstring kCatch = L"exit 0 } catch { exit $_.Exception.HResult }";
const std::wstring kRemoveForUser =
    L"Get-AppxPackage -Name Ostrel.Quillmark | Remove-AppxPackage -ErrorAction SilentlyContinue;";
const std::wstring kRemoveForAll =
    L"Get-AppxProvisionedPackage -Online | Where-Object DisplayName -eq 'Ostrel.Quillmark' | "
    L"Remove-AppxProvisionedPackage -Online -AllUsers -ErrorAction SilentlyContinue; Get-AppxPackage -AllUsers -Name "
    L"Ostrel.Quillmark | Remove-AppxPackage -AllUsers -ErrorAction SilentlyContinue;";
const std::wstring kAddForUser =
    L"Add-AppxPackage -Path $env:QM_MSIX -ExternalLocation $env:QM_DIR -ForceApplicationShutdown;";
std::wstring AddForAll(bool signedBuild) {
    return std::wstring(L"Add-AppxPackage -Path $env:QM_MSIX -ExternalLocation $env:QM_DIR -Stage") +
           (signedBuild ? L"" : L" -AllowUnsigned") +
           L"; Add-AppxProvisionedPackage -Online -PackagePath $env:QM_MSIX -SkipLicense | Out-Null;";
}
std::wstring PowerShellCommand(const RecordingStandIn& powershell, const std::wstring& script) {
    return qmtest::Quote(powershell.program()) + L" -NoProfile -NonInteractive -ExecutionPolicy Bypass -Command \"" +
           kTry + L" " + script + L" " + kCatch + L"\"";
}

std::wstring SignedSetupProgram() { return qmtest::BuildFolder() + L"\\package-signed\\Quillmark-setup.exe"; }

// The uninstall entry's quiet command, run to the end (the uninstaller goes on from a copy).
void UninstallWithTheEntry(HKEY hive) {
    const auto quiet = ReadRegValue(hive, kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(quiet.exists);
    ASSERT_EQ(RunToTheEnd(quiet.data), 0u);
    for (int i = 0; i < 1200 && RegKeyExists(hive, kUninstallKey); ++i) Sleep(100);
    Sleep(500);
    EXPECT_FALSE(RegKeyExists(hive, kUninstallKey));
}

// A folder name PowerShell would read as the end of a quoted literal: ', the typographic ’ (PowerShell
// takes U+2018-U+201B as quotes too) and $ (a variable in a double-quoted one).
const std::wstring kAwkwardName = L"Quill O'Brien \u2019s $HOME";

// On Windows 11 the installer registers the menu's package as the build and the mode allow: an
// all-users installation stages and provisions it (-AllowUnsigned for an unsigned build), a
// per-user one registers a signed build for the user and leaves an unsigned one alone; earlier
// registrations go first; the paths come from the environment; the outcome is kept in
// Windows11MenuResult; the uninstaller removes what the mode added. Never certutil: no certificate
// goes into any store. On Windows 10 nothing of the package runs.
TEST_F(Installer, Windows11MenuPackageIsRegisteredAsTheBuildAndTheModeAllow) {
    ASSERT_TRUE(qmtest::Exists(SignedSetupProgram())) << "the signed build needs osslsigncode";
    const RecordingStandIn powershell(L"WindowsPowerShell\\v1.0\\powershell.exe");
    const RecordingStandIn certutil(L"certutil.exe");
    struct Case {
        const char* what;
        const wchar_t* build;
        bool allUsers, signedBuild;
        const wchar_t* options;
        DWORD exitCode;                   // the stand-in's answer
        std::optional<DWORD> result;      // Windows11MenuResult
        std::wstring install, uninstall;  // the scripts run, empty for none
    };
    const Case cases[] = {
        {"unsigned, per user", L"22631", false, false, L"", 0, 3, L"", kRemoveForUser},
        {"unsigned, all users", L"22631", true, false, L"", 0, 0, kRemoveForAll + L" " + AddForAll(false),
         kRemoveForAll},
        {"signed, per user", L"22000", false, true, L"", 0, 0, kRemoveForUser + L" " + kAddForUser, kRemoveForUser},
        {"signed, all users", L"22631", true, true, L"", 0, 0, kRemoveForAll + L" " + AddForAll(true), kRemoveForAll},
        {"declined", L"22631", true, false, L" /WIN11MENU=0", 0, 1, L"", kRemoveForAll},
        {"refused by Windows", L"22631", false, true, L"", 0x800B0100, 0x800B0100, kRemoveForUser + L" " + kAddForUser,
         kRemoveForUser},
        {"Windows 10", L"19045", true, false, L"", 0, std::nullopt, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const BuildNumber build(c.build);
        TempDir root(L"qm-setup");
        const std::wstring folder = root / kAwkwardName;
        powershell.Clear();
        certutil.Clear();
        if (c.exitCode) powershell.ExitWith(c.exitCode);
        const std::wstring setup = c.signedBuild ? SignedSetupProgram() : SetupProgram();
        ASSERT_EQ(RunToTheEnd(qmtest::Quote(setup) + L" /S" + (c.allUsers ? L" /ALLUSERS" : L" /CURRENTUSER") +
                              c.options + L" /D=" + folder),
                  0u);
        const HKEY hive = c.allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        EXPECT_EQ(FilesUnder(folder), ExpectedFiles());
        EXPECT_EQ(ReadRegValue(hive, kHandlerKey, nullptr).data, kQuillshellClsidText);  // the classic menu stays
        EXPECT_EQ(ReadDword(hive, kUninstallKey, L"Windows11MenuResult"), c.result);
        ASSERT_TRUE(powershell.InPlace());
        auto calls = powershell.Calls();
        if (c.install.empty()) {
            EXPECT_TRUE(calls.empty());
        } else {
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0].commandLine, PowerShellCommand(powershell, c.install));
            EXPECT_EQ(calls[0].commandLine.find(folder), std::wstring::npos);  // no path in the script
            EXPECT_EQ(calls[0].msix, folder + L"\\Quillmark.msix");
            EXPECT_EQ(calls[0].dir, folder);
        }

        powershell.Clear();
        UninstallWithTheEntry(hive);
        calls = powershell.Calls();
        if (c.uninstall.empty()) {
            EXPECT_TRUE(calls.empty());
        } else {
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0].commandLine, PowerShellCommand(powershell, c.uninstall));
        }
        EXPECT_TRUE(certutil.Calls().empty());
        ASSERT_TRUE(certutil.InPlace());
    }
}

// A reinstall into the same folder while the extension is loaded from it (as Explorer or the
// menu's surrogate holds it): the loaded library is moved aside, the new one written, no dialog,
// and the package registered again after the earlier registration is removed.
TEST_F(Installer, ReinstallWhileTheExtensionIsLoadedReplacesItAndRegistersAgain) {
    const RecordingStandIn powershell(L"WindowsPowerShell\\v1.0\\powershell.exe");
    const RecordingStandIn certutil(L"certutil.exe");
    const BuildNumber build(L"22631");
    TempDir root(L"qm-setup");
    const std::wstring folder = root / kAwkwardName;
    const std::wstring install = qmtest::Quote(SignedSetupProgram()) + L" /S /CURRENTUSER /D=" + folder;
    ASSERT_EQ(RunToTheEnd(install), 0u);
    qmtest::WriteBytes(folder + L"\\quillshell.dll",
                       qmtest::ReadBytes(qmtest::BuildFolder() + L"\\qm_shell_standin.exe"));
    HMODULE loaded = LoadLibraryExW((folder + L"\\quillshell.dll").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(loaded, nullptr);
    powershell.Clear();

    EXPECT_EQ(RunToTheEnd(install), 0u);
    EXPECT_EQ(qmtest::ReadBytes(folder + L"\\quillshell.dll"),
              qmtest::ReadBytes(qmtest::BuildFolder() + L"\\quillshell.dll"));
    const auto calls = powershell.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine, PowerShellCommand(powershell, kRemoveForUser + L" " + kAddForUser));
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kUninstallKey, L"Windows11MenuResult"), std::optional<DWORD>(0));
    FreeLibrary(loaded);
    UninstallWithTheEntry(HKEY_CURRENT_USER);
    EXPECT_TRUE(certutil.Calls().empty());
}

// Every uninstall entry of a hive whose display name is the product's ("Add or remove programs"
// lists each), as key name -> DisplayVersion.
std::map<std::wstring, std::wstring> ProductEntries(HKEY hive) {
    std::map<std::wstring, std::wstring> entries;
    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive, uninstall.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return entries;
    const qm::UniqueKey owned(key);
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::wstring sub = uninstall + L"\\" + name;
        const std::wstring display = ReadRegValue(hive, sub, L"DisplayName").data;
        if (display.starts_with(L"Quillmark")) entries[name] = ReadRegValue(hive, sub, L"DisplayVersion").data;
    }
    return entries;
}

// Version 3.5.0 installed, the user's settings and theme written, then this version over it in
// the same mode: every shipped file is the new one (the package too, whose manifest carries the
// version), the user's files stay, "Add or remove programs" has one entry, of the new version, and
// the extension and the Windows 11 menu's package stay registered (the package again, from the new
// file).
TEST_F(Installer, UpgradeFromAnEarlierVersionReplacesTheFilesAndKeepsSettingsAndRegistration) {
    const RecordingStandIn powershell(L"WindowsPowerShell\\v1.0\\powershell.exe");
    const RecordingStandIn certutil(L"certutil.exe");
    const BuildNumber build(L"22631");
    const std::wstring previous = qmtest::BuildFolder() + L"\\package-previous\\Quillmark-setup.exe";
    ASSERT_TRUE(qmtest::Exists(previous));
    for (const bool allUsers : {false, true}) {
        SCOPED_TRACE(allUsers ? "all users" : "current user");
        const HKEY hive = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        const std::wstring mode = allUsers ? L" /S /ALLUSERS /D=" : L" /S /CURRENTUSER /D=";
        TempDir root(L"qm-setup");
        const std::wstring folder = root / L"Quill Upgrade";
        ASSERT_EQ(RunToTheEnd(qmtest::Quote(previous) + mode + folder), 0u);
        EXPECT_EQ(ReadRegValue(hive, kUninstallKey, L"DisplayVersion").data, L"3.5.0");
        const auto previousPackage = qmtest::ReadBytes(folder + L"\\Quillmark.msix");
        EXPECT_EQ(previousPackage, qmtest::ReadBytes(qmtest::BuildFolder() + L"\\package-previous\\Quillmark.msix"));
        const std::wstring settings = L"[Theme]\r\nname=Mine.icl\r\n";
        qmtest::WriteUtf16File(folder + L"\\quillmark.ini", settings);
        const auto theme = qmtest::ReadBytes(folder + L"\\samples\\Adwaita.icl");
        qmtest::WriteBytes(folder + L"\\samples\\Mine.icl", theme);
        powershell.Clear();

        ASSERT_EQ(RunToTheEnd(qmtest::Quote(SetupProgram()) + mode + folder), 0u);
        auto files = ExpectedFiles();
        files.push_back(L"quillmark.ini");
        files.push_back(L"samples\\Mine.icl");
        std::sort(files.begin(), files.end());
        EXPECT_EQ(FilesUnder(folder), files);
        const auto package = qmtest::ReadBytes(folder + L"\\Quillmark.msix");
        EXPECT_NE(package, previousPackage);
        EXPECT_EQ(package, qmtest::ReadBytes(qmtest::BuildFolder() + L"\\package\\Quillmark.msix"));
        EXPECT_EQ(qmtest::ReadBytes(folder + L"\\quillshell.dll"),
                  qmtest::ReadBytes(qmtest::BuildFolder() + L"\\quillshell.dll"));
        EXPECT_EQ(qmtest::ReadTextFile(folder + L"\\quillmark.ini"), settings);
        EXPECT_EQ(qmtest::ReadBytes(folder + L"\\samples\\Mine.icl"), theme);

        const std::map<std::wstring, std::wstring> one{{L"Quillmark", L"3.6.0"}};
        EXPECT_EQ(ProductEntries(hive), one);
        EXPECT_TRUE(ProductEntries(allUsers ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE).empty());
        EXPECT_EQ(ReadRegValue(hive, kClassKey + L"\\InprocServer32", nullptr).data,
                  ShortPath(folder + L"\\quillshell.dll"));
        EXPECT_EQ(ReadRegValue(hive, kHandlerKey, nullptr).data, kQuillshellClsidText);
        // Unsigned build: only the all-users mode registers the package.
        const auto calls = powershell.Calls();
        if (allUsers) {
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0].commandLine, PowerShellCommand(powershell, kRemoveForAll + L" " + AddForAll(false)));
            EXPECT_EQ(calls[0].msix, folder + L"\\Quillmark.msix");
            EXPECT_EQ(ReadDword(hive, kUninstallKey, L"Windows11MenuResult"), std::optional<DWORD>(0));
        } else {
            EXPECT_TRUE(calls.empty());
            EXPECT_EQ(ReadDword(hive, kUninstallKey, L"Windows11MenuResult"), std::optional<DWORD>(3));
        }
        UninstallWithTheEntry(hive);
        EXPECT_TRUE(ProductEntries(hive).empty());
        EXPECT_TRUE(certutil.Calls().empty());
    }
}

// Builds before Windows 10 1703 are refused with a message (answered by itself in a silent run)
// before anything is written; 1703 itself installs.
TEST_F(Installer, RefusesWindowsBeforeTheFloor) {
    const RecordingStandIn powershell(L"WindowsPowerShell\\v1.0\\powershell.exe");
    for (const auto& [number, refused] : {std::pair{L"14393", true}, std::pair{L"15063", false}}) {
        SCOPED_TRACE(qm::WideToUtf8(number));
        const BuildNumber build(number);
        TempDir root(L"qm-setup");
        const std::wstring folder = root / L"Quill Old";
        const DWORD code = RunToTheEnd(qmtest::Quote(SetupProgram()) + L" /S /CURRENTUSER /D=" + folder);
        if (refused) {
            EXPECT_EQ(code, static_cast<DWORD>(ERROR_OLD_WIN_VERSION));
            EXPECT_FALSE(qmtest::Exists(folder));
            EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kUninstallKey));
        } else {
            EXPECT_EQ(code, 0u);
            EXPECT_EQ(FilesUnder(folder), ExpectedFiles());
            UninstallWithTheEntry(HKEY_CURRENT_USER);
        }
        EXPECT_TRUE(powershell.Calls().empty());
    }
}

// A descendant window of `top` with this text, or null.
HWND FindDescendant(HWND top, const std::wstring& text) {
    struct Search {
        const std::wstring* text;
        HWND found;
    } search{&text, nullptr};
    EnumChildWindows(
        top,
        [](HWND child, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t buffer[256] = {};
            GetWindowTextW(child, buffer, 256);
            if (*s->text == buffer) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The setup wizard of a process: its window once shown (NSIS's caption ends with a blank).
HWND WaitForWizard(DWORD pid) {
    for (int i = 0; i < 300; ++i) {
        for (HWND h : qmtest::TopLevelWindowsOf(pid))
            if (qmtest::WindowCaption(h) == L"Quillmark Setup ") return h;
        Sleep(100);
    }
    return nullptr;
}

// Presses the folder page's Install and waits for the finish page with its "Run Quillmark" box
// (shown or hidden; the page's own controls follow its Finish button a moment later); the Finish
// button, or null.
HWND InstallToTheFinishPage(HWND wizard) {
    const HWND next = GetDlgItem(wizard, IDOK);
    if (!next) return nullptr;
    SendMessageW(next, BM_CLICK, 0, 0);
    for (int i = 0; i < 1200; ++i) {
        Sleep(100);
        if (FindDescendant(wizard, L"&Finish") && FindDescendant(wizard, L"&Run Quillmark"))
            return GetDlgItem(wizard, IDOK);
    }
    return nullptr;
}

// The wizard of a process taken to its finish page: the Finish button and the "Run Quillmark"
// box, both null when the page was not reached.
struct FinishPage {
    HWND finish = nullptr, run = nullptr;
};
FinishPage ReachTheFinishPage(DWORD pid) {
    const HWND wizard = WaitForWizard(pid);
    if (!wizard) return {};
    const HWND finish = InstallToTheFinishPage(wizard);
    if (!finish) return {};
    return {finish, FindDescendant(wizard, L"&Run Quillmark")};
}

// The program started from the finish page would run with the installer's rights: after an
// installation by an administrator (Wine's user is one) the page offers no "Run Quillmark", and
// nothing is started when Finish is pressed.
TEST_F(Installer, FinishPageOffersNoRunAfterAnElevatedInstall) {
    TempDir root(L"qm-setup");
    const std::wstring folder = root / L"Quill Finish";
    qmtest::ChildProcess setup(qmtest::Quote(SetupProgram()) + L" /CURRENTUSER /D=" + folder);
    ASSERT_TRUE(setup.started());
    const FinishPage page = ReachTheFinishPage(setup.pid());
    ASSERT_TRUE(page.finish && page.run) << "no finish page";
    EXPECT_FALSE(IsWindowVisible(page.run));
    EXPECT_EQ(SendMessageW(page.run, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageW(page.finish, BM_CLICK, 0, 0);
    ASSERT_TRUE(setup.Wait(30000));
    Sleep(1000);
    EXPECT_EQ(FilesUnder(folder), ExpectedFiles());  // nothing wrote settings into the program folder
    UninstallWithTheEntry(HKEY_CURRENT_USER);
}

// A standard user (here: the test's token with the Administrators group made deny-only, as the
// token of an administrator's unelevated programs is) installs for himself, and the finish page
// offers "Run Quillmark", checked: the program then runs with that user's own rights.
TEST_F(Installer, FinishPageOffersRunToAStandardUser) {
    HANDLE own = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
    const qm::UniqueKernelHandle processToken(own);
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         &admins));
    SID_AND_ATTRIBUTES disable{admins, 0};
    HANDLE restricted = nullptr;
    const BOOL made = CreateRestrictedToken(processToken.get(), 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted);
    FreeSid(admins);
    ASSERT_TRUE(made) << GetLastError();
    const qm::UniqueKernelHandle userToken(restricted);

    TempDir root(L"qm-setup");
    const std::wstring folder = root / L"Quill Standard";
    std::wstring command = qmtest::Quote(SetupProgram()) + L" /CURRENTUSER /D=" + folder;
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessAsUserW(userToken.get(), nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &si, &pi))
        << GetLastError();
    const qm::UniqueKernelHandle setup(pi.hProcess), thread(pi.hThread);
    // A failed check ends the wizard too (it would hold the test's output open).
    struct EndOnFailure {
        HANDLE process;
        ~EndOnFailure() {
            if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 99);
        }
    } end{setup.get()};
    const FinishPage page = ReachTheFinishPage(pi.dwProcessId);
    ASSERT_TRUE(page.finish && page.run) << "no finish page";
    EXPECT_TRUE(IsWindowVisible(page.run));
    EXPECT_EQ(SendMessageW(page.run, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(page.run, BM_SETCHECK, BST_UNCHECKED, 0);  // the run itself is the platform's
    SendMessageW(page.finish, BM_CLICK, 0, 0);
    ASSERT_EQ(WaitForSingleObject(setup.get(), 30000), WAIT_OBJECT_0);
    EXPECT_EQ(FilesUnder(folder), ExpectedFiles());
    UninstallWithTheEntry(HKEY_CURRENT_USER);
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
