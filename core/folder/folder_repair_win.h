#pragma once
// Repairing a customized folder: a folder linked to an icon file elsewhere gets its own copy of
// the icon, so it no longer depends on a file that may go (a removed stick, a network share); a
// desktop.ini in an encoding Explorer cannot read is rewritten as UTF-16LE.
#include "core/folder/folder_scan_win.h"

namespace qm {

enum class RepairOutcome {
    Repaired,       // the folder now names its own copy, or its desktop.ini is readable again
    NothingToDo,    // not linked, nothing broken
    NotRepairable,  // broken in a way a copy cannot mend (its copy or its source is gone), or
                    // the source gives no icon to copy
    Refused,        // the apply stopped with its message (the write test)
};

// What a repair would do with the scanned folder, without doing it.
RepairOutcome PlannedRepair(const FolderScan& scan);

// Applies the linked icon in copy mode with the main window's profile (its tooltip kept), which
// also rewrites an unreadable desktop.ini; a folder that is not linked has only its desktop.ini
// rewritten. Then scans the folder again. Throws UserError as the apply does.
RepairOutcome RepairFolder(const FolderScan& scan);

}  // namespace qm
