#include "core/folder/folder_files_win.h"

#include <shlobj.h>

#include "core/base/file_attributes_win.h"
#include "core/base/long_path_win.h"
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

CurrentAttributesSeam& CurrentAttributes() {
    static CurrentAttributesSeam seam;
    return seam;
}

NotificationObserver& Notifications() {
    static NotificationObserver observer;
    return observer;
}

void Notify(LONG event, const std::wstring& path) {
    if (Notifications()) Notifications()(event, path);
    SHChangeNotify(event, SHCNF_PATHW, path.c_str(), nullptr);
}
}  // namespace

void SetAttributeObserver(AttributeObserver observer) { Observer() = std::move(observer); }
void SetNotificationObserver(NotificationObserver observer) { Notifications() = std::move(observer); }
void SetCurrentAttributesSeam(CurrentAttributesSeam seam) { CurrentAttributes() = std::move(seam); }

DWORD CurrentAttributesOf(const std::wstring& path) {
    return CurrentAttributes() ? CurrentAttributes()(path) : GetFileAttributesW(LongPathForm(path).c_str());
}

bool SetAttributes(const std::wstring& path, DWORD attributes) {
    // In a sync root Windows and the provider own some bits (the user's pin state, offline and
    // recall): replacing the set must not clear them. NORMAL is valid only alone.
    const std::wstring longPath = LongPathForm(path);
    const DWORD present = CurrentAttributesOf(path);
    const DWORD kept = present == INVALID_FILE_ATTRIBUTES ? 0 : present & kAttributesOwnedByWindows;
    if (kept) attributes = (attributes == FILE_ATTRIBUTE_NORMAL ? 0 : attributes) | kept;
    const bool done = SetFileAttributesW(longPath.c_str(), attributes) != FALSE;
    if (Observer()) Observer()(path, attributes);
    return done;
}

void NotifyFolderCustomized(const std::wstring& folder) {
    // The shell knows the folder by its ordinary path, never by the long form.
    const std::wstring shellFolder = ShellPathForm(folder);
    Notify(SHCNE_ATTRIBUTES, shellFolder);
    Notify(SHCNE_UPDATEITEM, DesktopIniPathOf(shellFolder));
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
