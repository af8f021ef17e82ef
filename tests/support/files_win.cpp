#include "tests/support/files_win.h"

#include <atomic>
#include <stdexcept>

#include "core/base/handles_win.h"
#include "core/base/text.h"

namespace qmtest {

TempDir::TempDir(const std::wstring& nameHint, const std::wstring& root) {
    static std::atomic<int> counter{0};
    wchar_t tmp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring base = root.empty() ? std::wstring(tmp) : root + L"\\";
    for (;;) {
        path_ = base + nameHint + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create temp folder");
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

std::wstring TempDir::MakeFolder(const std::wstring& relative) const {
    const std::wstring p = *this / relative;
    CreateDirectoryW(p.c_str(), nullptr);
    return p;
}

void RemoveTree(const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
        for (const auto& name : ListFolder(path)) RemoveTree(path + L"\\" + name);
        RemoveDirectoryW(path.c_str());
    } else {
        DeleteFileW(path.c_str());
    }
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    qm::UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &fd));
    if (!find) return names;
    do {
        const std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..") names.push_back(n);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

std::vector<std::uint8_t> ReadBytes(const std::wstring& path) {
    // Sharing deletion too: a file a program has just renamed into place is still open there with
    // DELETE access until MoveFileEx returns.
    qm::UniqueFile f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) throw std::runtime_error("cannot open " + qm::WideToUtf8(path));
    LARGE_INTEGER size{};
    GetFileSizeEx(f.get(), &size);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    qm::UniqueFile f(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) throw std::runtime_error("cannot write " + qm::WideToUtf8(path));
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteUtf16File(const std::wstring& path, const std::wstring& text) {
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    WriteBytes(path, bytes);
}

void WriteAnsiFile(const std::wstring& path, const std::string& text) {
    WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::wstring ReadTextFile(const std::wstring& path) {
    const auto bytes = ReadBytes(path);
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return qm::DecodeUtf16Le(std::span(bytes).subspan(2));
    return qm::AnsiToWide(std::string(bytes.begin(), bytes.end()));
}

FolderContent ContentOf(const std::wstring& folder) {
    FolderContent content;
    for (const std::wstring& name : ListFolder(folder)) content[name] = ReadBytes(folder + L"\\" + name);
    return content;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

std::wstring UnixToWindowsPath(const std::string& unixPath) {
    std::wstring p = L"Z:" + qm::Utf8ToWide(unixPath);
    for (auto& c : p)
        if (c == L'/') c = L'\\';
    return p;
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring Env(const wchar_t* name) {
    wchar_t buf[32768];
    const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

namespace {
// True when a new file can be made in the folder (it is removed again).
bool TakesNewFile(const std::wstring& folder) {
    const std::wstring probe = folder + L"\\probe.tmp";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    DeleteFileW(probe.c_str());
    return true;
}

std::wstring FolderOfEnv(const wchar_t* name) {
    const std::wstring unix = Env(name);
    return unix.empty() ? std::wstring() : UnixToWindowsPath(qm::WideToUtf8(unix));
}
}  // namespace

std::wstring ReadOnlyMediaFolder() {
    const std::wstring folder = FolderOfEnv(L"QM_READONLY_DIR");
    if (folder.empty() || !Exists(folder + L"\\Locked\\desktop.ini")) return {};
    // Only a folder that truly refuses a new file counts.
    return TakesNewFile(folder) ? std::wstring() : folder;
}

std::wstring ReadOnlyProgramFolder() {
    const std::wstring media = ReadOnlyMediaFolder();
    if (media.empty() || !Exists(media + L"\\Program\\Quillmark.exe")) return {};
    return media + L"\\Program";
}

namespace {
constexpr wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
}  // namespace

RoamingAppDataRedirect::RoamingAppDataRedirect() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    hadValue_ =
        RegQueryValueExW(key, L"AppData", nullptr, &type_, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
    before_ = buffer;
    // A test that ended without its destructor left its own redirection behind: put back Windows' default.
    if (before_.find(L"qm-appdata") != std::wstring::npos) {
        before_ = L"%USERPROFILE%\\AppData\\Roaming";
        type_ = REG_EXPAND_SZ;
    }
    const std::wstring& target = dir_.path();
    ok_ = RegSetValueExW(key, L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(target.c_str()),
                         static_cast<DWORD>((target.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
}

RoamingAppDataRedirect::~RoamingAppDataRedirect() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (hadValue_)
        RegSetValueExW(key, L"AppData", 0, type_, reinterpret_cast<const BYTE*>(before_.c_str()),
                       static_cast<DWORD>((before_.size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key, L"AppData");
    RegCloseKey(key);
}

std::wstring SmallMediaFolder() {
    const std::wstring folder = FolderOfEnv(L"QM_SMALL_MEDIA_DIR");
    ULARGE_INTEGER total{};
    if (folder.empty() || !GetDiskFreeSpaceExW((folder + L"\\").c_str(), nullptr, &total, nullptr)) return {};
    // A plain folder on the build disk when the fixture could not mount the medium.
    return total.QuadPart <= 1024 * 1024 ? folder : std::wstring();
}

SwitchableMedia::SwitchableMedia() {
    unixPath_ = qm::WideToUtf8(Env(L"QM_SWITCH_MEDIA_DIR"));
    if (unixPath_.empty()) return;
    folder_ = UnixToWindowsPath(unixPath_);
    // A plain folder when the fixture could not mount it: then it cannot turn read-only.
    if (!SetReadOnly(true) || !SetReadOnly(false)) folder_.clear();
}

SwitchableMedia::~SwitchableMedia() {
    if (!folder_.empty()) SetReadOnly(false);
}

bool SwitchableMedia::SetReadOnly(bool readOnly) {
    if (unixPath_.empty()) return false;
    // Wine starts a Unix executable named in CreateProcess as a Unix process, but its handle does
    // not wait for that process; the command leaves a state file beside the medium when done.
    // (Its PATH is the Windows one, so the tools are named in full.)
    const std::wstring unix = qm::Utf8ToWide(unixPath_);
    const std::wstring state = UnixToWindowsPath(unixPath_ + ".state");
    DeleteFileW(state.c_str());
    std::wstring command = L"/bin/sh -c \"/bin/mountpoint -q '" + unix + L"' && /bin/mount -o remount,bind," +
                           (readOnly ? L"ro" : L"rw") + L" '" + unix + L"'; echo done >'" + unix + L".state'\"";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    qm::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    for (int i = 0; i < 3000 && !Exists(state); ++i) Sleep(10);
    // The exit code of a Unix process is not reliable under Wine: the medium itself answers.
    return TakesNewFile(UnixToWindowsPath(unixPath_)) != readOnly;
}

std::wstring RecycleBinFiles() {
    const std::wstring xdg = Env(L"XDG_DATA_HOME");
    if (xdg.empty()) return {};
    const std::wstring folder = UnixToWindowsPath(qm::WideToUtf8(xdg));
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\Trash\\files";
}

bool InRecycleBin(const std::wstring& prefix) {
    const std::wstring bin = RecycleBinFiles();
    if (bin.empty()) return false;
    for (const auto& name : ListFolder(bin))
        if (name.rfind(prefix, 0) == 0) return true;
    return false;
}

std::wstring BuildFolder() { return UnixToWindowsPath(QM_BUILD_DIR); }
std::wstring SourceFolder() { return UnixToWindowsPath(QM_SOURCE_DIR); }

}  // namespace qmtest
