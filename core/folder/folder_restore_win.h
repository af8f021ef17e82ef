#pragma once
// Putting back what a sync client lost of a customized folder: desktop.ini (rebuilt from the
// sidecar or, without one, from the folder's only Quillmark icon copy) and the folder's mark.
// A folder is only ever pointed at a file inside it named OstrelQuillmark3_*.ico that parses as
// an icon: the sidecar is untrusted input.
#include <string>

#include "core/folder/folder_scan_win.h"
#include "core/folder/folder_sidecar.h"

namespace qm {

enum class RestoreOutcome {
    Restored,       // desktop.ini and the marks were written
    NothingToDo,    // nothing lost
    NotRestorable,  // a hostile or damaged sidecar, several copies and no sidecar: `why` tells
    Refused,        // the write test failed (a message was shown)
};

struct RestorePlan {
    RestoreOutcome outcome = RestoreOutcome::NothingToDo;
    std::wstring why;  // for NotRestorable: "several copies" or the sidecar's problem
    bool rebuildsIni = false;
    SidecarRecord keys;  // what desktop.ini gets when it is rebuilt
};

struct RestoreResult {
    RestoreOutcome outcome = RestoreOutcome::NothingToDo;
    std::wstring why;
    bool markKept = true;  // the folder's mark read back after it was set
};

// What a restore would do with the scanned folder; reads the sidecar, changes nothing.
RestorePlan PlanRestore(const FolderScan& scan);

// Carries out the plan: the icon keys, tooltip and ConfirmFileOp written as the main window's
// apply writes them (with its write test and rollback), the copy's, sidecar's, desktop.ini's
// and the folder's attributes set, the shell notified, and the folder's mark read back. Throws
// UserError as the apply does.
RestoreResult RestoreFolder(const FolderScan& scan);

}  // namespace qm
