#include "core/base/data_folder_win.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <atomic>

#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/base/module_path_win.h"

namespace qm {

bool CanCreateFilesIn(const std::wstring& folder) {
    if (folder.empty()) return false;
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::wstring name = folder + L"~qm" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++counter) + L".tmp";
        UniqueFile probe(CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                     nullptr));
        if (probe) return true;  // deleted when the handle closes
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

namespace {
// A known folder + "Quillmark\", with trailing backslash; empty when the known folder is unknown.
std::wstring QuillmarkFolderIn(REFKNOWNFOLDERID known) {
    UniqueCoTaskString raw;
    const HRESULT hr = SHGetKnownFolderPath(known, KF_FLAG_DONT_VERIFY, nullptr, raw.put());
    std::wstring folder = SUCCEEDED(hr) && raw ? raw.get() : L"";
    if (folder.empty()) return folder;
    if (folder.back() != L'\\') folder.push_back(L'\\');
    return folder + L"Quillmark\\";
}
}  // namespace

std::wstring UserDataFolder() { return QuillmarkFolderIn(FOLDERID_RoamingAppData); }

std::wstring UserCacheFolder() { return QuillmarkFolderIn(FOLDERID_LocalAppData); }

namespace {
std::wstring DecideDataFolder(const std::wstring& moduleFolder) {
    if (CanCreateFilesIn(moduleFolder)) return moduleFolder;
    std::wstring user = UserDataFolder();
    return user.empty() ? moduleFolder : user;
}
}  // namespace

std::wstring DataFolder() {
    static const std::wstring folder = DecideDataFolder(ModuleFolder());
    return folder;
}

std::wstring DataFolderFor(const std::wstring& moduleFolder) {
    // This module's own folder is probed once; the lookups that name it per call (the languages)
    // then cost no file.
    return moduleFolder == ModuleFolder() ? DataFolder() : DecideDataFolder(moduleFolder);
}

bool CreateFolderPath(const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (path.empty()) return false;
    if (IsExistingPath(path)) return IsExistingFolder(path);
    const std::wstring parent = FolderOf(path);
    // The root of a drive or share always exists; stop at it.
    if (!parent.empty() && parent.size() < path.size() && parent != path) CreateFolderPath(parent);
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace qm
