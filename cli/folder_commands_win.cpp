// quillmark-cli folder ...: show, apply and reset folder customizations with the engine the main
// window uses (its profile, its messages), so folders can be changed from scripts and in batches.
// Messages go to standard error instead of message boxes; the exit code is non-zero when a folder
// was not changed.
#include <optional>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "cli/folder_batch_win.h"
#include "cli/folder_mark_commands_win.h"
#include "cli/folder_scan_commands_win.h"
#include "core/base/long_path_win.h"
#include "core/base/module_path_win.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_sidecar_win.h"
#include "core/icons/marked_icon_win.h"
#include "core/icons/picture_codec_win.h"

namespace qm::cli {
namespace {

constexpr std::wstring_view kUsage =
    L"folder show FOLDER...\n"
    L"folder apply FOLDER... [--icon FILE|PICTURE] [--index N] [--color #RRGGBB] [--emblem NAME|FILE[,INDEX]]"
    L" [--tip TEXT]"
    L" [--recursive] [--depth N] [--dry-run] [--json] [--sidecar always|synced|never]\n"
    L"folder mark FOLDER... --emblem NAME|FILE[,INDEX] | --clear [--recursive] [--depth N] [--dry-run] [--json]\n"
    L"folder reset FOLDER... [--recursive] [--depth N] [--dry-run] [--json]\n"
    L"folder scan FOLDER... [--recursive] [--depth N] [--json]\n"
    L"folder repair FOLDER... [--recursive] [--depth N] [--dry-run] [--json]\n"
    L"folder restore FOLDER... [--recursive] [--dry-run] [--json] [--quiet]";

// A path argument made absolute against the current directory: the engine resolves a bare icon
// name inside the target folder, and the shell resolves a relative IconFile against the folder,
// while the user meant the directory the tool was started in.
std::wstring AbsolutePath(const std::wstring& path) { return path.empty() ? path : FullPath(path); }

std::vector<std::wstring> AbsolutePaths(std::vector<std::wstring> paths) {
    for (auto& p : paths) p = AbsolutePath(p);
    return paths;
}

struct ApplyOptions {
    std::vector<std::wstring> folders;
    std::optional<std::wstring> icon, index, tip, color, sidecar, emblem;
};

bool ParseApply(const std::vector<std::wstring>& args, ApplyOptions& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        std::optional<std::wstring>* target = a == L"--icon"      ? &out.icon
                                              : a == L"--index"   ? &out.index
                                              : a == L"--tip"     ? &out.tip
                                              : a == L"--color"   ? &out.color
                                              : a == L"--sidecar" ? &out.sidecar
                                              : a == L"--emblem"  ? &out.emblem
                                                                  : nullptr;
        if (target) {
            if (i + 1 == args.size()) return false;
            *target = args[++i];
        } else if (a.rfind(L"--", 0) == 0) {
            Err(L"unknown option: " + a + L"\n");
            return false;
        } else {
            out.folders.push_back(AbsolutePath(a));
        }
    }
    if (out.icon) out.icon = AbsolutePath(*out.icon);
    if (out.color && (out.icon || out.index)) return false;
    if (out.sidecar) {
        const auto policy = SidecarPolicyFromName(*out.sidecar);
        if (!policy) {
            Err(L"--sidecar takes always, synced or never\n");
            return false;
        }
        SetSidecarPolicy(*policy);
    }
    if (out.emblem && !out.icon && !out.color) return false;  // the emblem marks the icon being applied
    return !out.folders.empty();
}

// Runs `change` on every folder (with --recursive, on the folders of their trees); a folder
// that was not changed (a message, or an error that ended the operation) makes the exit code
// non-zero, and the others are still done.
template <class Change>
int ForEachFolder(const std::vector<std::wstring>& folders, const BatchOptions& batch, std::wstring_view command,
                  TreeFilter filter, Change change) {
    FolderRun run(command, batch);
    for (const auto& folder : run.Folders(folders, filter)) run.Change(folder, [&] { return change(folder); });
    return run.Finish();
}

int Show(const std::vector<std::wstring>& folders) {
    int exit = kExitOk;
    for (const auto& folder : folders) {
        if (!IsExistingFolder(folder)) {
            Err(folder + L": no such folder\n");
            exit = kExitFailed;
            continue;
        }
        const FolderCustomization c = ReadFolderCustomization(folder);
        Out(L"[" + folder + L"]\nIconFile=" + c.IconFile + L"\nIconIndex=" + c.IconIndex + L"\nInfotip=" + c.Infotip +
            L"\n");
    }
    return exit;
}

// As the main window does: the folder's customization is read back, the given fields replace
// what was read, and the record is applied.
int Apply(const ApplyOptions& o, const BatchOptions& batch) {
    std::vector<std::uint8_t> colourIcon;
    if (o.color) {
        const auto colour = ParseColourText(*o.color);
        if (!colour) {
            Err(L"not a colour: \"" + *o.color + L"\" (give it as #RRGGBB, for example #3A7BD5)\n");
            return kExitUsage;
        }
        if (!o.emblem) colourIcon = MakeColourFolderIcon(*colour);
    }
    std::optional<EmblemArgument> emblem;
    if (o.emblem) {
        emblem = ParseEmblemArgument(*o.emblem);
        if (!emblem) return kExitUsage;
        if (!emblem->stock) emblem->file = AbsolutePath(emblem->file);
    }
    // With an emblem the icon becomes a made one, drawn once for every folder; a file that cannot
    // serve raises its message for each folder, and none is changed.
    std::optional<std::vector<std::uint8_t>> markedIcon;
    const auto marked = [&]() -> const std::vector<std::uint8_t>& {
        if (!markedIcon) {
            const auto images = o.color ? ColourFolderImages(*ParseColourText(*o.color))
                                        : IconSourceImages(*o.icon, o.index ? IconIndexValue(*o.index) : 0);
            markedIcon = MakeMarkedIcon(images, EmblemImages(*emblem));
        }
        return *markedIcon;
    };
    return ForEachFolder(o.folders, batch, L"apply", TreeFilter::Every, [&](const std::wstring& folder) {
        FolderCustomization record = ReadFolderCustomization(folder);
        if (o.icon) {
            record.IconFile = *o.icon;
            record.IconIndex = o.index ? *o.index : L"0";
        } else if (o.index) {
            record.IconIndex = *o.index;
        }
        if (o.tip) record.Infotip = *o.tip;
        if (emblem) return ApplyMadeIconToFolder(record, marked(), CallerProfile::MainWindow);
        if (o.color) return ApplyMadeIconToFolder(record, colourIcon, CallerProfile::MainWindow);
        return ApplyIconToFolder(record, CallerProfile::MainWindow);
    });
}

// With --recursive only the customized folders of the trees: a reset of any other folder would
// give it a desktop.ini of empty keys and make it read-only.
int Reset(const std::vector<std::wstring>& folders, const BatchOptions& batch) {
    return ForEachFolder(folders, batch, L"reset", TreeFilter::Customized, [](const std::wstring& folder) {
        return ResetIconOfFolder(folder, CallerProfile::MainWindow);
    });
}

int RunFolder(const std::vector<std::wstring>& args) {
    if (!args.empty()) {
        const std::vector<std::wstring> rest(args.begin() + 1, args.end());
        if (args[0] == L"show" && !rest.empty()) return Show(AbsolutePaths(rest));
        std::optional<int> exit;
        BatchOptions batch;
        std::vector<std::wstring> own = rest;
        ApplyOptions options;
        if (args[0] == L"scan") {
            exit = RunFolderScan(rest);
        } else if (args[0] == L"mark") {
            exit = RunFolderMark(rest);
        } else if (args[0] == L"repair") {
            exit = RunFolderRepair(rest);
        } else if (args[0] == L"restore") {
            exit = RunFolderRestore(rest);
        } else if (args[0] == L"reset" || args[0] == L"apply") {
            if (TakeBatchOptions(own, batch) && !own.empty()) {
                if (args[0] == L"reset" && !HasUnknownOption(own)) exit = Reset(AbsolutePaths(own), batch);
                if (args[0] == L"apply" && ParseApply(own, options)) exit = Apply(options, batch);
            }
        }
        if (exit) return *exit;
    }
    std::wstring usage = L"usage:\n  quillmark-cli " + std::wstring(kUsage) + L"\n";
    for (std::size_t pos = 0; (pos = usage.find(L"\nfolder", pos)) != std::wstring::npos;)
        usage.insert(pos + 1, L"  quillmark-cli ");
    Err(usage);
    return kExitUsage;
}

const CommandGroupRegistrar registrar{L"folder", kUsage, &RunFolder};

}  // namespace
}  // namespace qm::cli
