#include "cli/folder_scan_commands_win.h"

#include "cli/command_table.h"
#include "cli/folder_batch_win.h"
#include "core/base/long_path_win.h"
#include "core/base/error.h"
#include "core/base/module_path_win.h"
#include "core/folder/folder_repair_win.h"
#include "core/folder/folder_restore_win.h"

namespace qm::cli {

namespace {

// The folders named on the command line, made absolute; nothing for bad or missing arguments.
std::optional<std::vector<std::wstring>> Roots(std::vector<std::wstring>& args, BatchOptions& options) {
    if (!TakeBatchOptions(args, options) || HasUnknownOption(args) || args.empty()) return std::nullopt;
    for (auto& a : args) a = FullPath(a);
    return args;
}

// Runs `visit` on the scan of every folder the arguments name (with --recursive: every
// customized folder of their trees, and every one whose desktop.ini Explorer cannot read); a
// named folder that is not there is reported as missing.
template <class Visit>
std::optional<int> ForEachScan(std::vector<std::wstring>& args, std::wstring_view command, Visit visit,
                               BatchOptions options = {}) {
    const auto roots = Roots(args, options);
    if (!roots) return std::nullopt;
    FolderRun run(command, options);
    // Each folder is read once: the walk takes every folder, and the scan tells the customized.
    for (const auto& folder : run.Folders(*roots, TreeFilter::Every)) {
        if (run.StillThere(folder)) {
            if (!options.recursive && !IsExistingFolder(folder)) {
                run.Note(folder, L"no such folder");
                FolderScan missing;
                missing.folder = folder;
                run.Report(missing, L"missing", true);
            } else if (FolderScan scan = ScanFolder(folder);
                       !options.recursive || scan.Customized() || scan.unreadableEncoding) {
                visit(run, scan);
            }
        }
        run.Step();
    }
    return run.Finish();
}

}  // namespace

// Every customized folder with its state; a folder given by name that is not customized is
// listed too ("ok" with no state), so the answer always names what was asked about.
std::optional<int> RunFolderScan(std::vector<std::wstring> args) {
    return ForEachScan(args, L"scan", [](FolderRun& run, const FolderScan& scan) {
        run.Report(scan, scan.Broken() ? L"broken" : L"ok", scan.Broken());
    });
}

// Puts back what sync lost of the scanned folder. False when there was nothing to put back.
bool Restore(FolderRun& run, const FolderScan& scan) {
    const RestorePlan plan = PlanRestore(scan);
    if (plan.outcome == RestoreOutcome::NothingToDo) return false;
    if (plan.outcome == RestoreOutcome::NotRestorable) {
        run.Note(scan.folder, L"not-restorable: " + plan.why);
        run.Report(scan, L"not-restorable", true);
        return true;
    }
    if (run.Options().dryRun) {
        run.Report(scan, L"would-restore", false);
        return true;
    }
    RestoreResult result;
    try {
        result = RestoreFolder(scan);
    } catch (const UserError& e) {
        run.Note(scan.folder, ConsoleText(e.text()));
        result.outcome = RestoreOutcome::Refused;
    }
    if (result.outcome == RestoreOutcome::Restored && !result.markKept)
        run.Note(scan.folder,
                 L"mark-not-kept: the folder did not keep its read-only mark, so Explorer may not show "
                 L"its icon");
    const FolderScan after = result.outcome == RestoreOutcome::Restored ? ScanFolder(scan.folder) : scan;
    switch (result.outcome) {
        case RestoreOutcome::Restored: run.Report(after, L"restored", false, result.markKept); break;
        case RestoreOutcome::NotRestorable: run.Report(after, L"not-restorable", true); break;
        case RestoreOutcome::NothingToDo: run.Report(after, L"ok", false); break;
        case RestoreOutcome::Refused: run.Report(after, L"failed", true); break;
    }
    return true;
}

std::optional<int> RunFolderRestore(std::vector<std::wstring> args) {
    BatchOptions options;
    std::erase_if(args, [&](const std::wstring& a) { return a == L"--quiet" && (options.quiet = true); });
    return ForEachScan(
        args, L"restore",
        [](FolderRun& run, const FolderScan& scan) {
            if (!Restore(run, scan)) run.Report(scan, L"ok", false);
        },
        options);
}

// What sync lost is put back first; a linked folder becomes independent of its source.
std::optional<int> RunFolderRepair(std::vector<std::wstring> args) {
    return ForEachScan(args, L"repair", [](FolderRun& run, const FolderScan& scan) {
        if (Restore(run, scan)) return;
        RepairOutcome outcome = PlannedRepair(scan);
        if (outcome == RepairOutcome::Repaired) {
            if (run.Options().dryRun) return run.Report(scan, L"would-repair", false);
            try {
                outcome = RepairFolder(scan);
            } catch (const UserError& e) {
                run.Note(scan.folder, ConsoleText(e.text()));
                outcome = RepairOutcome::Refused;
            }
        }
        const FolderScan after = outcome == RepairOutcome::Repaired ? ScanFolder(scan.folder) : scan;
        switch (outcome) {
            case RepairOutcome::Repaired: return run.Report(after, L"repaired", false);
            case RepairOutcome::NothingToDo: return run.Report(after, L"ok", false);
            case RepairOutcome::NotRepairable: return run.Report(after, L"not-repairable", true);
            case RepairOutcome::Refused: return run.Report(after, L"failed", true);
        }
    });
}

}  // namespace qm::cli
