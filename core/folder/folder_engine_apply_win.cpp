// Applying an icon and a tooltip to a folder: one algorithm for the three callers, whose
// differences come from ApplyProfileFor.
#include <windows.h>

#include <mutex>

#include "core/base/error.h"
#include "core/base/long_path_win.h"
#include "core/folder/desktop_ini_win.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_messages_win.h"
#include "core/folder/folder_profiles.h"
#include "core/folder/folder_rollback_win.h"
#include "core/folder/folder_sidecar_win.h"
#include "core/icons/icon_probe.h"
#include "core/icons/icon_container.h"
#include "core/icons/icon_file.h"
#include "core/icons/picture_codec_win.h"
#include "core/settings/language_keys.h"
#include "core/settings/settings_win.h"

namespace qm {

int IconIndexValue(const std::wstring& text) {
    const auto value = ParseIconIndex(text);
    if (!value) throw UserError(FormatMessageText(L"'%s' is not a valid integer value", text));
    return *value;
}

std::wstring FreshCopyName(const std::wstring& folder, const std::wstring& current) {
    static std::mutex mutex;  // the extension may apply from several shell threads
    std::lock_guard lock(mutex);
    if (!CopyNames().Seeded()) SeedCopyNamesForProcess();
    const std::wstring prefix = WithTrailingBackslash(folder);
    for (int attempt = 0;; ++attempt) {
        std::wstring name = CopyNames().NextName();
        // A name the folder already shows could keep the shell's cached picture of the old icon.
        const bool taken = SamePath(name, current) || IsExistingPath(prefix + name);
        if (!taken || attempt >= 64) return name;
    }
}

namespace {

// The icon keys, with IconResource kept naming the same icon when the file already has it: the
// shell prefers that key to IconFile/IconIndex.
class IconKeyWriter {
public:
    explicit IconKeyWriter(const DesktopIni& ini) : ini_(ini), hasResource_(ini.HasKey(kIconResourceKey)) {}
    void Write(const std::wstring& file, const std::wstring& index) const {
        ini_.Write(kIconFileKey, file);
        ini_.Write(kIconIndexKey, index);
        if (hasResource_) ini_.Write(kIconResourceKey, IconResourceValue(file, index));
    }

private:
    const DesktopIni& ini_;
    bool hasResource_;
};

// The platform's error when the source file does not exist (as opposed to one that exists and
// holds no icon), else 0.
DWORD SourceGoneError(const std::wstring& path) {
    if (IsExistingPath(path)) return 0;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? error : 0;
}

// The old copies an apply removes, once every key is written: a write that fails before (a full
// disk, a medium gone read-only, a refused key) leaves the folder with the copy its desktop.ini
// still names.
struct CopyRemoval {
    bool due = false;
    std::wstring keep;  // the copy or source the folder is now linked to
};

// The .ico bytes written as a new copy inside the folder, named by the folder's keys.
CopyRemoval WriteCopy(const FolderCustomization& record, const std::vector<std::uint8_t>& ico,
                      std::uint32_t copyAttributes, const DesktopIni& ini, const IconKeyWriter& keys,
                      FolderRollback& rollback) {
    const std::wstring name = FreshCopyName(record.Folder, ini.Read(kIconFileKey));
    const std::wstring copy = WithTrailingBackslash(record.Folder) + name;
    WriteNewFile(copy, ico);
    rollback.Created(copy);
    SetAttributes(copy, copyAttributes);
    keys.Write(name, L"0");
    return {true, copy};
}

// Copy mode: the icon extracted into a new copy inside the folder, or the folder linked to its
// source when the source gives no icon. The icon is read before any old copy goes, so a folder
// whose current copy is the source keeps its icon.
CopyRemoval ApplyCopy(const FolderCustomization& record, const ApplyProfile& profile, std::uint32_t copyAttributes,
                      const DesktopIni& ini, const IconKeyWriter& keys, FolderRollback& rollback) {
    const int index = IconIndexValue(record.IconIndex);
    const std::wstring source = ResolveInFolder(record.Folder, record.IconFile);

    std::int32_t kind = kIconFileUnknown;
    std::int32_t count = 0;
    ProbeIconFile(source, kind, count);
    // Nothing shows an icon from a file that is gone, the shell included: linking a new choice to
    // it would only take the folder's icon and copies away, so the apply stops with the platform's
    // words for it. A folder that names it already is linked again as it stands.
    if (kind == kIconFileUnknown && !SamePath(record.IconFile, ini.Read(kIconFileKey)))
        if (const DWORD gone = SourceGoneError(source)) throw UserError(SystemErrorText(gone));
    bool loaded = false;
    TWrenIcoObj icon;
    if (const auto sourceKind = SourceKindFor(kind)) {
        icon.LoadFromFile(source, index, *sourceKind);
        loaded = icon.Loaded;
    }
    if (!loaded) {
        keys.Write(record.IconFile, record.IconIndex);
        return {profile.removesCopiesWithoutExtraction, source};
    }
    return WriteCopy(record, icon.IcoBytes(), copyAttributes, ini, keys, rollback);
}

bool Apply(const FolderCustomization& record, CallerProfile caller, const std::vector<std::uint8_t>* made,
           ApplyMode mode) {
    const ApplyProfile& profile = ApplyProfileFor(caller);
    if (record.Folder.empty()) {
        if (profile.emptyFolder.Present()) ShowFolderMessage(profile.channel, profile.emptyFolder);
        return false;
    }
    const bool copyMode = mode == ApplyMode::Copy || ReadSetting(kCopyIcoSetting) == L"1";

    // A picture becomes an icon before anything in the folder is touched: a damaged or oversized
    // picture ends the apply with nothing changed.
    std::vector<std::uint8_t> pictureIcon;
    if (!made && IconChosen(record)) {
        const std::wstring source = ResolveInFolder(record.Folder, record.IconFile);
        if (IsPictureFile(source)) {
            pictureIcon = MakePictureIcon(source);
            made = &pictureIcon;
        }
    }
    // A made icon (of a picture or a colour) exists nowhere else, so it cannot be linked: it is
    // copied whatever the mode, and in link mode the user is told.
    if (made && !copyMode) ShowFolderMessage(profile.channel, {texts::kMadeIconIsCopied, texts::kInfo});

    const DesktopIni ini(record.Folder);
    // From here on an error puts the folder back as it was: what this apply made goes again,
    // desktop.ini gets back its bytes and attributes.
    FolderRollback rollback(record.Folder);
    if (!ini.PassesWriteTest(AttributesFor(caller).desktopIniBeforeWrite)) {
        ShowFolderMessage(profile.channel, profile.writeTestFailed);
        return false;
    }

    const bool chosen = made || IconChosen(record);
    bool tooltipOnly = false;
    if (!chosen && profile.tooltipOnly == TooltipOnlyRule::WithoutIconInEitherMode) {
        if (record.Infotip.empty()) {
            ShowFolderMessage(profile.channel, profile.nothingToApply);
            return false;
        }
        tooltipOnly = true;
    }
    if (!chosen && copyMode && profile.tooltipOnly == TooltipOnlyRule::CopyModeWithoutIcon) tooltipOnly = true;

    // Whether sync clients carry files with the system mark is documented nowhere: in a sync root
    // the copy gets the hidden mark only.
    const bool inSyncRoot = IsInSyncRoot(record.Folder);
    const std::uint32_t copyAttributes = inSyncRoot ? profile.copyAfterWrite & ~kAttrSystem : profile.copyAfterWrite;
    CopyRemoval removal;
    if (!tooltipOnly) {
        const IconKeyWriter keys(ini);
        if (made) {
            removal = WriteCopy(record, *made, copyAttributes, ini, keys, rollback);
        } else if (copyMode) {
            removal = ApplyCopy(record, profile, copyAttributes, ini, keys, rollback);
        } else {
            removal = {profile.removesCopiesInLinkMode,
                       record.IconFile.empty() ? std::wstring() : ResolveInFolder(record.Folder, record.IconFile)};
            keys.Write(record.IconFile, record.IconIndex);
        }
    }
    if (tooltipOnly || profile.writesInfotip) ini.Write(kInfotipKey, record.Infotip);
    ini.Write(kConfirmFileOpKey, L"0");
    // Written before old copies go: a refused write puts the folder back as it was.
    KeepSidecarWithKeys(record.Folder, {ini.Read(kIconFileKey), ini.Read(kIconIndexKey), ini.Read(kInfotipKey)},
                        inSyncRoot);
    if (removal.due) ClearAllIcons(record.Folder, caller, removal.keep);

    SetAttributes(record.Folder, profile.folderAfterApply);
    SetAttributes(ini.Path(), profile.desktopIniAfterApply);
    NotifyFolderCustomized(record.Folder);
    return true;
}

}  // namespace

bool ApplyIconToFolder(const FolderCustomization& record, CallerProfile caller, ApplyMode mode) {
    return Apply(record, caller, nullptr, mode);
}

bool ApplyMadeIconToFolder(const FolderCustomization& record, const std::vector<std::uint8_t>& ico,
                           CallerProfile caller) {
    return Apply(record, caller, &ico, ApplyMode::FromSettings);
}

}  // namespace qm
