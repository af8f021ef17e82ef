#include "core/folder/folder_restore_win.h"

#include <windows.h>

#include "core/folder/desktop_ini_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_messages_win.h"
#include "core/folder/folder_profiles.h"
#include "core/folder/folder_rollback_win.h"
#include "core/folder/folder_sidecar_win.h"

namespace qm {

RestorePlan PlanRestore(const FolderScan& scan) {
    RestorePlan plan;
    if (!scan.iniMissing && !scan.notMarked) return plan;
    plan.outcome = RestoreOutcome::Restored;
    if (!scan.iniMissing) return plan;  // desktop.ini is there: only the marks
    plan.rebuildsIni = true;
    if (HasSidecar(scan.folder)) {
        SidecarReading reading = ReadSidecar(scan.folder);
        if (reading.problem != SidecarProblem::None)
            return {RestoreOutcome::NotRestorable, std::wstring(SidecarProblemText(reading.problem)), false, {}};
        plan.keys = std::move(reading.record);
        // desktop.ini's tooltip, where it still has one, is newer than the sidecar's.
        if (!scan.infotip.empty()) plan.keys.infotip = scan.infotip;
        return plan;
    }
    const auto copies = QuillmarkCopiesIn(scan.folder);
    if (copies.size() > 1) return {RestoreOutcome::NotRestorable, L"several copies", false, {}};
    if (copies.empty() || !IsIconCopyFile(WithTrailingBackslash(scan.folder) + copies.front()))
        return {RestoreOutcome::NotRestorable, L"the copy is not an icon", false, {}};
    plan.keys = {copies.front(), L"0", scan.infotip};
    return plan;
}

RestoreResult RestoreFolder(const FolderScan& scan) {
    const RestorePlan plan = PlanRestore(scan);
    RestoreResult result{plan.outcome, plan.why, true};
    if (plan.outcome != RestoreOutcome::Restored) return result;

    const std::wstring& folder = scan.folder;
    const ApplyProfile& profile = ApplyProfileFor(CallerProfile::MainWindow);
    const DesktopIni ini(folder);
    FolderRollback rollback(folder);  // an error puts desktop.ini back as it was
    if (!ini.PassesWriteTest(AttributesFor(CallerProfile::MainWindow).desktopIniBeforeWrite)) {
        ShowFolderMessage(profile.channel, profile.writeTestFailed);
        result.outcome = RestoreOutcome::Refused;
        return result;
    }
    if (plan.rebuildsIni) {
        ini.Write(kIconFileKey, plan.keys.iconFile);
        ini.Write(kIconIndexKey, plan.keys.iconIndex);
        ini.Write(kInfotipKey, plan.keys.infotip);
        ini.Write(kConfirmFileOpKey, L"0");
        const bool inSyncRoot = IsInSyncRoot(folder);
        const std::wstring copy = WithTrailingBackslash(folder) + plan.keys.iconFile;
        SetAttributes(copy, inSyncRoot ? profile.copyAfterWrite & ~kAttrSystem : profile.copyAfterWrite);
        // A sidecar that came with the folder stays; the policy decides about a new one.
        if (HasSidecar(folder))
            SetAttributes(SidecarPathOf(folder), FILE_ATTRIBUTE_HIDDEN);
        else
            KeepSidecarWithKeys(folder, plan.keys, inSyncRoot);
    }
    SetAttributes(folder, profile.folderAfterApply);
    SetAttributes(ini.Path(), profile.desktopIniAfterApply);
    NotifyFolderCustomized(folder);
    // Some sync clients and file systems do not keep a folder's read-only mark.
    const DWORD marks = CurrentAttributesOf(folder);
    result.markKept = marks != INVALID_FILE_ATTRIBUTES && (marks & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    return result;
}

}  // namespace qm
