#include "cli/folder_mark_commands_win.h"

#include "cli/command_table.h"
#include "cli/folder_batch_win.h"
#include "core/base/error.h"
#include "core/base/module_path_win.h"
#include "core/folder/folder_mark_win.h"
#include "core/icons/marked_icon_win.h"

namespace qm::cli {

std::optional<int> RunFolderMark(std::vector<std::wstring> args) {
    BatchOptions batch;
    if (!TakeBatchOptions(args, batch)) return std::nullopt;
    std::optional<std::wstring> emblemText;
    bool clear = false;
    std::vector<std::wstring> folders;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--emblem" && i + 1 < args.size()) {
            emblemText = args[++i];
        } else if (args[i] == L"--clear") {
            clear = true;
        } else if (args[i].rfind(L"--", 0) == 0) {
            Err(L"unknown option: " + args[i] + L"\n");
            return std::nullopt;
        } else {
            folders.push_back(FullPath(args[i]));
        }
    }
    if (folders.empty() || clear == emblemText.has_value()) return std::nullopt;
    std::optional<EmblemArgument> emblem;
    if (emblemText) {
        emblem = ParseEmblemArgument(*emblemText);
        if (!emblem) return std::nullopt;
        if (!emblem->stock) emblem->file = FullPath(emblem->file);
    }
    // The emblem is drawn once for every folder; a file that cannot serve gives its message for
    // each folder, and none is changed.
    std::optional<std::vector<IconPixels>> emblemImages;
    FolderRun run(clear ? L"mark --clear" : L"mark", batch);
    const TreeFilter filter = clear ? TreeFilter::Customized : TreeFilter::Every;
    for (const auto& folder : run.Folders(folders, filter)) {
        run.Change(folder, [&] {
            if (clear) {
                if (!IsFolderMarked(folder)) throw UserError(L"the folder has no mark");
                return ClearFolderMark(folder);
            }
            if (!emblemImages) emblemImages = EmblemImages(*emblem);
            return MarkFolder(folder, *emblemImages, CallerProfile::MainWindow);
        });
    }
    return run.Finish();
}

}  // namespace qm::cli
