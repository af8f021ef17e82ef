#pragma once
// What the folder commands share when they work on many folders: the options --recursive,
// --depth N, --dry-run and --json, the walk of the trees, the engine's messages on standard
// error, progress for long runs, and the report (lines of text, or one JSON document).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/folder/folder_scan_win.h"
#include "core/folder/folder_tree_win.h"

namespace qm::cli {

// Message texts carry the lookup's line breaks (line feed, carriage return); a console wants one.
std::wstring ConsoleText(std::wstring text);

struct BatchOptions {
    bool recursive = false;  // also every folder inside the given ones (--depth alone implies it)
    int depth = kNoDepthLimit;
    bool dryRun = false;  // tell what would be done, change nothing
    bool json = false;    // the report as one JSON document on standard output
    bool quiet = false;   // text report: lines only for folders that failed; no progress
};

// Takes the batch options out of `args`. False, with a message on standard error, for a --depth
// without a number of levels.
bool TakeBatchOptions(std::vector<std::wstring>& args, BatchOptions& out);

// True (after a message on standard error) when an argument is an option the command does not
// take: any "--" word left after the command's own options were taken.
bool HasUnknownOption(const std::vector<std::wstring>& args);

// Which folders of a walked tree a command works on.
enum class TreeFilter { Every, Customized };

// One run of a folder command over its folders. While alive, the engine's and the icon loaders'
// messages go to standard error and are kept for the folder's entry of the report.
class FolderRun {
public:
    FolderRun(std::wstring_view command, const BatchOptions& options);
    ~FolderRun();
    FolderRun(const FolderRun&) = delete;
    FolderRun& operator=(const FolderRun&) = delete;

    const BatchOptions& Options() const { return options_; }

    // The folders to work on: the given ones as they are, or with --recursive the folders of
    // their trees (filtered). A root that is not a folder is reported as missing.
    std::vector<std::wstring> Folders(const std::vector<std::wstring>& roots, TreeFilter filter);

    // Changes one folder with `change` (true when it was changed), or under --dry-run only
    // reports it. A folder of a walked tree that is gone by now is reported, not changed.
    void Change(const std::wstring& folder, const std::function<bool()>& change);

    // Reports one folder with its scan; `result` is one of the report's words. `markKept`, when
    // given, is whether the folder kept the mark a restore set (JSON "markKept").
    void Report(const FolderScan& scan, std::wstring_view result, bool failed,
                std::optional<bool> markKept = std::nullopt);

    // The exit code: kExitFailed when any folder failed, was missing or broken.
    int Finish();

    // True when the folder, found by the walk, is still there; else reports it as missing.
    bool StillThere(const std::wstring& folder);

    // Counts one folder as done for the progress display.
    void Step();

    // A message about the folder being worked on: on standard error now, "FOLDER: TEXT", and in
    // the folder's entry of the report.
    void Note(const std::wstring& folder, const std::wstring& text);

private:
    struct Entry;
    void Add(Entry entry);
    std::wstring TakeMessages();

    std::wstring command_;
    BatchOptions options_;
    struct Sinks;
    std::unique_ptr<Sinks> sinks_;
    std::vector<Entry> entries_;
    std::vector<std::wstring> links_;
    std::vector<std::wstring> skipped_;  // folders the walk left alone on purpose
    bool failed_ = false;
    std::size_t total_ = 0, done_ = 0;
    int shownPercent_ = -1;
};

}  // namespace qm::cli
