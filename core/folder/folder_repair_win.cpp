#include "core/folder/folder_repair_win.h"

#include "core/base/handles_win.h"
#include "core/folder/desktop_ini_win.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/icons/icon_probe.h"

namespace qm {

namespace {

bool Linked(const FolderScan& scan) { return scan.place == IconPlace::Link && scan.sourcePresent; }

// The desktop.ini of a folder that is not linked, rewritten in an encoding Explorer reads; a
// read-only file is opened for the rewrite and keeps its attributes.
RepairOutcome RewriteUnreadable(const FolderScan& scan) {
    const DesktopIni ini(scan.folder);
    const DWORD attributes = ini.Attributes();
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) SetAttributes(ini.Path(), attributes & ~FILE_ATTRIBUTE_READONLY);
    const ScopeExit restore([&] {
        if (readOnly) SetAttributes(ini.Path(), attributes);
    });
    ini.RewriteInPlatformEncoding();
    NotifyFolderCustomized(scan.folder);
    return ScanFolder(scan.folder).Broken() ? RepairOutcome::NotRepairable : RepairOutcome::Repaired;
}

}  // namespace

RepairOutcome PlannedRepair(const FolderScan& scan) {
    if (Linked(scan) || scan.unreadableEncoding) return RepairOutcome::Repaired;
    return scan.Broken() ? RepairOutcome::NotRepairable : RepairOutcome::NothingToDo;
}

RepairOutcome RepairFolder(const FolderScan& scan) {
    const RepairOutcome planned = PlannedRepair(scan);
    if (planned != RepairOutcome::Repaired) return planned;
    if (!Linked(scan)) return RewriteUnreadable(scan);
    // A file the icon loaders do not know would only be linked again.
    std::int32_t kind = kIconFileUnknown, count = 0;
    ProbeIconFile(scan.source, kind, count);
    if (!SourceKindFor(kind)) return RepairOutcome::NotRepairable;
    FolderCustomization record;
    record.Folder = scan.folder;
    record.IconFile = scan.source;  // a full path: IconFile's, or IconResource's when IconFile is empty
    record.IconIndex = scan.sourceIndex;
    record.Infotip = scan.infotip;
    if (!ApplyIconToFolder(record, CallerProfile::MainWindow, ApplyMode::Copy)) return RepairOutcome::Refused;
    // A source that holds no icon at that position is linked again.
    return ScanFolder(scan.folder).place == IconPlace::Copy ? RepairOutcome::Repaired : RepairOutcome::NotRepairable;
}

}  // namespace qm
