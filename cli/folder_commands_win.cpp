// quillmark-cli folder ...: show, apply and reset folder customizations with the engine the main
// window uses (its profile, its messages), so folders can be changed from scripts and in batches.
// Messages go to standard error instead of message boxes; the exit code is non-zero when a folder
// was not changed.
#include <optional>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "core/base/error.h"
#include "core/base/long_path_win.h"
#include "core/base/module_path_win.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_messages_win.h"
#include "core/icons/icon_messages.h"
#include "core/icons/picture_codec_win.h"

namespace qm::cli {
namespace {

constexpr std::wstring_view kUsage =
    L"folder show FOLDER...\n"
    L"folder apply FOLDER... [--icon FILE|PICTURE] [--index N] [--color #RRGGBB] [--tip TEXT]\n"
    L"folder reset FOLDER...";

// Message texts carry the lookup's line breaks (line feed, carriage return); a console wants one.
std::wstring ConsoleText(std::wstring text) {
    for (std::size_t pos; (pos = text.find(L"\n\r")) != std::wstring::npos;) text.replace(pos, 2, L"\n");
    return text;
}

// Routes the engine's and the icon loaders' messages to standard error while a command runs.
class MessagesToStandardError {
public:
    MessagesToStandardError() : icons_([](const std::wstring& text) { Err(ConsoleText(text) + L"\n"); }) {
        SetFolderMessageSink([](const FolderMessage& m) { Err(m.caption + L": " + ConsoleText(m.text) + L"\n"); });
    }
    ~MessagesToStandardError() { SetFolderMessageSink(nullptr); }
    MessagesToStandardError(const MessagesToStandardError&) = delete;
    MessagesToStandardError& operator=(const MessagesToStandardError&) = delete;

private:
    ScopedIconMessageSink icons_;
};

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
    std::optional<std::wstring> icon, index, tip, color;
};

bool ParseApply(const std::vector<std::wstring>& args, ApplyOptions& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        std::optional<std::wstring>* target = a == L"--icon"    ? &out.icon
                                              : a == L"--index" ? &out.index
                                              : a == L"--tip"   ? &out.tip
                                              : a == L"--color" ? &out.color
                                                                : nullptr;
        if (target) {
            if (i + 1 == args.size()) return false;
            *target = args[++i];
        } else if (a.rfind(L"--", 0) == 0) {
            return false;
        } else {
            out.folders.push_back(AbsolutePath(a));
        }
    }
    if (out.icon) out.icon = AbsolutePath(*out.icon);
    if (out.color && (out.icon || out.index)) return false;
    return !out.folders.empty();
}

// Runs `change` on every folder; a folder that was not changed (a message, or an error that ended
// the operation) makes the exit code non-zero, and the others are still done.
template <class Change>
int ForEachFolder(const std::vector<std::wstring>& folders, Change change) {
    MessagesToStandardError messages;
    int exit = kExitOk;
    for (const auto& folder : folders) {
        try {
            if (!change(folder)) exit = kExitFailed;
        } catch (const UserError& e) {
            Err(folder + L": " + ConsoleText(e.text()) + L"\n");
            exit = kExitFailed;
        }
    }
    return exit;
}

int Show(const std::vector<std::wstring>& folders) {
    int exit = kExitOk;
    for (const auto& folder : folders) {
        const DWORD attrs = GetFileAttributesW(LongPathForm(folder).c_str());
        if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
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
int Apply(const ApplyOptions& o) {
    std::vector<std::uint8_t> colourIcon;
    if (o.color) {
        const auto colour = ParseColourText(*o.color);
        if (!colour) {
            Err(L"not a colour: \"" + *o.color + L"\" (give it as #RRGGBB, for example #3A7BD5)\n");
            return kExitUsage;
        }
        colourIcon = MakeColourFolderIcon(*colour);
    }
    return ForEachFolder(o.folders, [&](const std::wstring& folder) {
        FolderCustomization record = ReadFolderCustomization(folder);
        if (o.icon) {
            record.IconFile = *o.icon;
            record.IconIndex = o.index ? *o.index : L"0";
        } else if (o.index) {
            record.IconIndex = *o.index;
        }
        if (o.tip) record.Infotip = *o.tip;
        if (o.color) return ApplyMadeIconToFolder(record, colourIcon, CallerProfile::MainWindow);
        return ApplyIconToFolder(record, CallerProfile::MainWindow);
    });
}

int Reset(const std::vector<std::wstring>& folders) {
    return ForEachFolder(
        folders, [](const std::wstring& folder) { return ResetIconOfFolder(folder, CallerProfile::MainWindow); });
}

int RunFolder(const std::vector<std::wstring>& args) {
    if (!args.empty()) {
        const std::vector<std::wstring> rest(args.begin() + 1, args.end());
        if (args[0] == L"show" && !rest.empty()) return Show(AbsolutePaths(rest));
        if (args[0] == L"reset" && !rest.empty()) return Reset(AbsolutePaths(rest));
        ApplyOptions options;
        if (args[0] == L"apply" && ParseApply(rest, options)) return Apply(options);
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
