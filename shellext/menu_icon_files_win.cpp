#include "shellext/menu_icon_files_win.h"

#include <cstdint>
#include <cwchar>

#include "core/base/long_path_win.h"
#include "core/base/data_folder_win.h"
#include "core/base/handles_win.h"
#include "core/icons/icon_file.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_readers.h"

namespace qm::shellext {

namespace {

// The folder name of one version of the theme file: 16 hexadecimal digits of a 64-bit FNV-1a
// hash over the upper-cased path, the size and the time of last write. Empty when the file
// cannot be looked at.
std::wstring VersionName(const std::wstring& themePath) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(themePath.c_str(), GetFileExInfoStandard, &data)) return {};
    std::wstring upper = themePath;
    if (!upper.empty()) CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    std::uint64_t hash = 0xCBF29CE484222325ull;
    const auto mix = [&hash](const void* bytes, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(bytes);
        for (std::size_t i = 0; i < n; ++i) hash = (hash ^ p[i]) * 0x100000001B3ull;
    };
    mix(upper.data(), upper.size() * sizeof(wchar_t));
    const DWORD stamp[] = {data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime.dwHighDateTime,
                           data.ftLastWriteTime.dwLowDateTime};
    mix(stamp, sizeof stamp);
    wchar_t text[17] = {};
    std::swprintf(text, 17, L"%016llX", static_cast<unsigned long long>(hash));
    return text;
}

// Removes the .ico files and the folder of every version under `cache` but `keep`.
void RemoveOtherVersions(const std::wstring& cache, const std::wstring& keep) {
    WIN32_FIND_DATAW found{};
    const UniqueFind folders(FindFirstFileW((cache + L"*").c_str(), &found));
    if (!folders) return;
    do {
        const std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L".." || name == keep) {
            continue;
        }
        const std::wstring folder = cache + name + L"\\";
        WIN32_FIND_DATAW file{};
        if (const UniqueFind files(FindFirstFileW((folder + L"*.ico").c_str(), &file)); files) {
            do {
                DeleteFileW((folder + file.cFileName).c_str());
            } while (FindNextFileW(files.get(), &file));
        }
        RemoveDirectoryW(folder.c_str());
    } while (FindNextFileW(folders.get(), &found));
}

// Writes icon `index` as an .ico file under a name of this thread's first, then moves it into
// place, so that a reader never meets half a file. False when nothing is there afterwards.
bool WriteIconFile(const IconLibrary& library, int index, const std::wstring& path) {
    IconGroupData group;
    if (!library.Group(index, group)) return false;
    const std::wstring part = path + L"." + std::to_wstring(GetCurrentThreadId()) + L".part";
    try {
        WriteNewFile(part, IcoFileBytes(group));
    } catch (...) {
        return false;  // a full or unwritable cache: the entry shows no picture
    }
    if (MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileW(part.c_str());
    return IsExistingFile(path);  // another thread's copy arrived first
}

void WriteNeIcons(const std::wstring& themePath, const ThemeIcons& theme, std::vector<std::wstring>& out) {
    const std::wstring version = VersionName(themePath);
    const std::wstring cache = MenuIconCacheFolder();
    if (version.empty() || cache.empty()) return;
    const std::wstring folder = cache + version + L"\\";
    if (!IsExistingFolder(folder)) {
        RemoveOtherVersions(cache, version);
        if (!CreateFolderPath(folder)) return;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::wstring file = folder + std::to_wstring(i) + L".ico";
        if (IsExistingFile(file) || WriteIconFile(theme.Source(), static_cast<int>(i), file)) out[i] = file + L",0";
    }
}

}  // namespace

std::wstring MenuIconCacheFolder() {
    const std::wstring user = UserCacheFolder();
    return user.empty() ? user : user + L"MenuIcons\\";
}

std::vector<std::wstring> MenuIconLocations(const std::wstring& themePath, const ThemeIcons& theme) {
    std::vector<std::wstring> out(theme.Count());
    const IconLibrary& library = theme.Source();
    switch (library.Kind()) {
        case kIconFilePe:
            for (std::size_t i = 0; i < out.size(); ++i) {
                const PeResourceName name = library.GroupName(static_cast<int>(i));
                // A named group has no resource id to give: its index, which the platform counts alike.
                out[i] = themePath + (name.isId ? L",-" + std::to_wstring(name.id) : L"," + std::to_wstring(i));
            }
            break;
        case kIconFileIco:
            if (!out.empty()) out[0] = themePath + L",0";
            break;
        case kIconFileNe: WriteNeIcons(themePath, theme, out); break;
        default: break;
    }
    return out;
}

}  // namespace qm::shellext
