#include "cli/folder_scan_commands_win.h"

#include "cli/command_table.h"
#include "cli/folder_batch_win.h"
#include "core/base/error.h"
#include "core/base/module_path_win.h"
#include "core/folder/folder_repair_win.h"

namespace qm::cli {

namespace {

// The folders named on the command line, made absolute; nothing for bad or missing arguments.
std::optional<std::vector<std::wstring>> Roots(std::vector<std::wstring>& args, BatchOptions& options) {
    if (!TakeBatchOptions(args, options) || HasUnknownOption(args) || args.empty()) return std::nullopt;
    for (auto& a : args) a = FullPath(a);
    return args;
}

}  // namespace

// Every customized folder with its state; a folder given by name that is not customized is
// listed too ("ok" with no state), so the answer always names what was asked about.
std::optional<int> RunFolderScan(std::vector<std::wstring> args) {
    BatchOptions options;
    const auto roots = Roots(args, options);
    if (!roots) return std::nullopt;
    FolderRun run(L"scan", options);
    for (const auto& folder : run.Folders(*roots, TreeFilter::Customized)) {
        if (!run.StillThere(folder)) continue;
        if (!options.recursive && !IsExistingFolder(folder)) {
            run.Note(folder, L"no such folder");
            run.Report(FolderScan{folder}, L"missing", true);
            run.Step();
            continue;
        }
        const FolderScan scan = ScanFolder(folder);
        run.Report(scan, scan.Broken() ? L"broken" : L"ok", scan.Broken());
        run.Step();
    }
    return run.Finish();
}

std::optional<int> RunFolderRepair(std::vector<std::wstring> args) {
    BatchOptions options;
    const auto roots = Roots(args, options);
    if (!roots) return std::nullopt;
    FolderRun run(L"repair", options);
    for (const auto& folder : run.Folders(*roots, TreeFilter::Customized)) {
        if (!run.StillThere(folder)) continue;
        if (!options.recursive && !IsExistingFolder(folder)) {
            run.Note(folder, L"no such folder");
            run.Report(FolderScan{folder}, L"missing", true);
            run.Step();
            continue;
        }
        const FolderScan scan = ScanFolder(folder);
        RepairOutcome outcome = PlannedRepair(scan);
        if (outcome == RepairOutcome::Repaired) {
            if (options.dryRun) {
                run.Report(scan, L"would-repair", false);
                run.Step();
                continue;
            }
            try {
                outcome = RepairFolder(scan);
            } catch (const UserError& e) {
                run.Note(folder, ConsoleText(e.text()));
                outcome = RepairOutcome::Refused;
            }
        }
        const FolderScan after = outcome == RepairOutcome::Repaired ? ScanFolder(folder) : scan;
        switch (outcome) {
            case RepairOutcome::Repaired: run.Report(after, L"repaired", false); break;
            case RepairOutcome::NothingToDo: run.Report(after, L"ok", false); break;
            case RepairOutcome::NotRepairable: run.Report(after, L"not-repairable", true); break;
            case RepairOutcome::Refused: run.Report(after, L"failed", true); break;
        }
        run.Step();
    }
    return run.Finish();
}

}  // namespace qm::cli
