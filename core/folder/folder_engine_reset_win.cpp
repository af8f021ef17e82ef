// Resetting a folder to its default icon, and removing the icon copies of copy mode.
#include <windows.h>

#include <vector>

#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/folder/desktop_ini_win.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_messages_win.h"
#include "core/folder/folder_profiles.h"
#include "core/folder/folder_rollback_win.h"
#include "core/folder/folder_sidecar_win.h"
#include "core/shell/shell_helpers_win.h"

namespace qm {

namespace {

std::vector<std::wstring> MatchingCopies(const std::wstring& folder, CallerProfile rule, const std::wstring& keep) {
    std::vector<std::wstring> paths;
    const std::wstring prefix = WithTrailingBackslash(folder);
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(LongPathForm(prefix + L"*.ico").c_str(), &fd));
    if (!find) return paths;
    do {
        // A folder that happens to carry such a name is not an icon copy: the shell would delete
        // it with everything inside.
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!IsCopyNameFor(rule, fd.cFileName)) continue;
        std::wstring path = prefix + fd.cFileName;
        if (!keep.empty() && SamePath(path, keep)) continue;
        paths.push_back(std::move(path));
    } while (FindNextFileW(find.get(), &fd));
    return paths;
}

// Puts a file's attributes back when the rewrite ends, also when a write fails.
class AttributeRestorer {
public:
    AttributeRestorer() = default;
    AttributeRestorer(const AttributeRestorer&) = delete;
    AttributeRestorer& operator=(const AttributeRestorer&) = delete;
    ~AttributeRestorer() {
        if (attributes_ != INVALID_FILE_ATTRIBUTES) SetAttributes(path_, attributes_);
    }
    void Arm(std::wstring path, DWORD attributes) {
        path_ = std::move(path);
        attributes_ = attributes;
    }

private:
    std::wstring path_;
    DWORD attributes_ = INVALID_FILE_ATTRIBUTES;
};

// The shell's file operation takes no path past MAX_PATH (nor the long form); such a copy is
// deleted directly only.
void DeleteCopy(const std::wstring& path) {
    if (!PassesClassicPathLimit(path)) DeleteFilePermanently(path);
    DeleteFileW(LongPathForm(path).c_str());
}

// The keys that carry icon and tooltip stay, empty; IconResource only if the file has it.
void WriteEmptyKeys(const DesktopIni& ini) {
    const bool hasResource = ini.HasKey(kIconResourceKey);
    ini.Write(kIconFileKey, L"");
    ini.Write(kIconIndexKey, L"");
    if (hasResource) ini.Write(kIconResourceKey, L"");
    ini.Write(kInfotipKey, L"");
}

}  // namespace

std::size_t ClearAllIcons(const std::wstring& folder, CallerProfile rule, const std::wstring& keep) {
    const auto& attrs = AttributesFor(rule);
    const std::vector<std::wstring> copies = MatchingCopies(folder, rule, keep);
    if (copies.empty() && rule == CallerProfile::Extension) return 0;

    for (const auto& path : copies) {
        SetAttributes(path, attrs.oldCopyBeforeDelete);
        DeleteCopy(path);
    }
    // The second attempt goes only to copies that survived the first: a shell delete of a file that
    // is gone would show the shell's error box.
    for (const auto& path : copies) {
        if (!IsExistingPath(path)) continue;
        if (rule == CallerProfile::Extension) SetAttributes(path, attrs.oldCopyBeforeDelete);
        DeleteCopy(path);
    }
    NotifyFolderCustomized(folder);
    return copies.size();
}

bool ResetIconOfFolder(const std::wstring& folder, CallerProfile caller) {
    const ResetProfile& profile = ResetProfileFor(caller);
    if (folder.empty()) {
        if (profile.emptyFolder.Present()) ShowFolderMessage(profile.channel, profile.emptyFolder);
        return false;
    }
    const DesktopIni ini(folder);
    FolderRollback rollback(folder);  // an error puts desktop.ini back as it was
    if (profile.makesWriteTest) {
        if (!ini.PassesWriteTest(AttributesFor(caller).desktopIniBeforeWrite)) {
            ShowFolderMessage(profile.channel, profile.writeTestFailed);
            return false;
        }
        WriteEmptyKeys(ini);
    } else {
        // Without the write test the file keeps its attributes; Windows refuses to rewrite a hidden
        // or system file, so they are cleared for the writes and put back afterwards.
        AttributeRestorer restore;
        const DWORD a = ini.Attributes();
        if (a != INVALID_FILE_ATTRIBUTES &&
            (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY)) &&
            SetAttributes(ini.Path(), FILE_ATTRIBUTE_NORMAL))
            restore.Arm(ini.Path(), a);
        WriteEmptyKeys(ini);
    }
    RemoveSidecar(folder);  // nothing is left to put back
    SetAttributes(folder, profile.folderAfterReset);
    if (profile.removesCopies) ClearAllIcons(folder, caller);
    NotifyFolderCustomized(folder);
    return true;
}

}  // namespace qm
