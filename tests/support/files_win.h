#pragma once
// Temporary folders and small file helpers for tests that work on real files under Wine.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qmtest {

// A fresh folder under %TEMP%, removed with everything in it (attributes cleared) at the end.
class TempDir {
public:
    // Under `root` when given (a Windows path), else under %TEMP%.
    explicit TempDir(const std::wstring& nameHint = L"qm", const std::wstring& root = L"");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return path_; }
    // path() + "\" + relative
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }
    // Makes a sub-folder and returns its path.
    std::wstring MakeFolder(const std::wstring& relative) const;

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
std::vector<std::uint8_t> ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
// Writes text as UTF-16LE with a byte-order mark, or as bytes in the ANSI code page.
void WriteUtf16File(const std::wstring& path, const std::wstring& text);
void WriteAnsiFile(const std::wstring& path, const std::string& text);
// Reads a text file: UTF-16LE when it starts with the byte-order mark, else ANSI.
std::wstring ReadTextFile(const std::wstring& path);
bool Exists(const std::wstring& path);
DWORD Attributes(const std::wstring& path);
std::vector<std::wstring> ListFolder(const std::wstring& folder);  // names, without . and ..
// What a folder holds: every file's bytes by name (for "nothing changed" checks).
using FolderContent = std::map<std::wstring, std::vector<std::uint8_t>>;
FolderContent ContentOf(const std::wstring& folder);

// Z:\ maps to the Unix root under Wine.
std::wstring UnixToWindowsPath(const std::string& unixPath);
bool RunningUnderWine();
// Environment variable, empty when unset.
std::wstring Env(const wchar_t* name);

// The recycle bin's files under Wine ($XDG_DATA_HOME\Trash\files), or empty when XDG_DATA_HOME is
// unset. Creates $XDG_DATA_HOME when missing: without it Wine deletes instead of recycling.
std::wstring RecycleBinFiles();
// True when a file whose name starts with `prefix` is in RecycleBinFiles().
bool InRecycleBin(const std::wstring& prefix);

// A folder on a read-only medium prepared by the test fixture (holds "Locked\desktop.ini"),
// or empty when the fixture could not make one (not root).
std::wstring ReadOnlyMediaFolder();

// An all-users installation as a standard user meets it: "Program" on the read-only medium, holding
// Quillmark.exe, quillshell.dll, settings_probe.dll, "samples\WindowsXP.icl" and "langs\French.ini"
// copied from the build and the sources when the fixture started. Empty when the medium is missing.
std::wstring ReadOnlyProgramFolder();

// Points the user's roaming application-data known folder (HKCU "User Shell Folders" "AppData",
// which SHGetKnownFolderPath reads, and which folder redirection sets on Windows) at a fresh
// temporary folder for the life of the object, for this process and the programs it starts; the
// value before is put back at the end. Wine takes no APPDATA from a child's environment and has
// no SHSetKnownFolderPath.
class RoamingAppDataRedirect {
public:
    RoamingAppDataRedirect();
    ~RoamingAppDataRedirect();
    RoamingAppDataRedirect(const RoamingAppDataRedirect&) = delete;
    RoamingAppDataRedirect& operator=(const RoamingAppDataRedirect&) = delete;
    bool ok() const { return ok_; }
    // The redirected folder (without trailing backslash) and the program's folder in it.
    const std::wstring& folder() const { return dir_.path(); }
    std::wstring QuillmarkFolder() const { return dir_.path() + L"\\Quillmark"; }

private:
    TempDir dir_{L"qm-appdata"};
    bool ok_ = false;
    bool hadValue_ = false;
    DWORD type_ = REG_EXPAND_SZ;
    std::wstring before_;
};

// The fixture's medium of 192 KB (a tmpfs) that one large file fills, or empty when the fixture
// could not make one (not root).
std::wstring SmallMediaFolder();

// The fixture's medium that a test turns read-only in the middle of an operation (a bind mount
// remounted by running `mount` as a Unix program). Writable at the start and again at the end.
class SwitchableMedia {
public:
    SwitchableMedia();
    ~SwitchableMedia();
    SwitchableMedia(const SwitchableMedia&) = delete;
    SwitchableMedia& operator=(const SwitchableMedia&) = delete;
    // The medium's root folder, or empty when the fixture could not make it (not root).
    const std::wstring& folder() const { return folder_; }
    // Remounts; true when the medium then refuses a new file (read-only) or takes one (writable).
    bool SetReadOnly(bool readOnly);

private:
    std::string unixPath_;
    std::wstring folder_;
};

// Folder of the build tree (where Quillmark.exe and quillshell.dll are), as a Windows path.
std::wstring BuildFolder();
std::wstring SourceFolder();

}  // namespace qmtest
