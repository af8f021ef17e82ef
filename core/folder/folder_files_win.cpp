#include "core/folder/folder_files_win.h"

#include <shlobj.h>

#include "core/settings/ini_file_win.h"

namespace qm {

FolderCustomization ReadFolderCustomization(const std::wstring& folder) {
    IniFile ini(DesktopIniPathOf(folder));
    FolderCustomization c;
    c.Folder = folder;
    c.IconFile = ini.ReadString(kShellClassInfo, kIconFileKey, L"");
    c.IconIndex = ini.ReadString(kShellClassInfo, kIconIndexKey, L"");
    c.Infotip = ini.ReadString(kShellClassInfo, kInfotipKey, L"");
    return c;
}

namespace {
AttributeObserver& Observer() {
    static AttributeObserver observer;
    return observer;
}
}  // namespace

void SetAttributeObserver(AttributeObserver observer) { Observer() = std::move(observer); }

bool SetAttributes(const std::wstring& path, DWORD attributes) {
    const bool done = SetFileAttributesW(path.c_str(), attributes) != FALSE;
    if (Observer()) Observer()(path, attributes);
    return done;
}

void NotifyFolderCustomized(const std::wstring& folder) {
    const std::wstring ini = DesktopIniPathOf(folder);
    SHChangeNotify(SHCNE_ATTRIBUTES, SHCNF_PATHW, folder.c_str(), nullptr);
    SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW, ini.c_str(), nullptr);
}

void SeedCopyNamesForProcess() {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    const std::uint64_t seed = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) ^
                               (static_cast<std::uint64_t>(GetCurrentProcessId()) << 40) ^
                               static_cast<std::uint64_t>(counter.QuadPart);
    CopyNames().Seed(seed);
}

}  // namespace qm
