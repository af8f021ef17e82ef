#include "core/folder/folder_repair_win.h"

#include "core/folder/folder_engine_win.h"
#include "core/icons/icon_probe.h"

namespace qm {

RepairOutcome PlannedRepair(const FolderScan& scan) {
    if (scan.place == IconPlace::Link && scan.sourcePresent) return RepairOutcome::Repaired;
    return scan.Broken() ? RepairOutcome::NotRepairable : RepairOutcome::NothingToDo;
}

RepairOutcome RepairFolder(const FolderScan& scan) {
    const RepairOutcome planned = PlannedRepair(scan);
    if (planned != RepairOutcome::Repaired) return planned;
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
