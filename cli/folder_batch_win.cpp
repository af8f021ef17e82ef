#include "cli/folder_batch_win.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "cli/command_table.h"
#include "core/base/long_path_win.h"
#include "core/base/error.h"
#include "core/base/json_text.h"
#include "core/base/text.h"
#include "core/folder/folder_messages_win.h"
#include "core/icons/icon_messages.h"

namespace qm::cli {

namespace {

// A run of this many folders or more shows its progress.
constexpr std::size_t kProgressFrom = 20;
// Deeper than any path can reach (32,767 characters, two per level).
constexpr int kMaxDepth = 16384;

template <class Texts>
std::string JsonArray(const Texts& texts) {
    std::string out = "[";
    for (const auto& t : texts) {
        if (out.size() > 1) out += ",";
        out += JsonString(t);
    }
    return out + "]";
}

bool IsFailure(std::wstring_view result) {
    return result == L"failed" || result == L"missing" || result == L"broken" || result == L"not-repairable" ||
           result == L"not-restorable";
}

std::optional<int> DepthValue(const std::wstring& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (value > kMaxDepth) return std::nullopt;
    return value;
}

}  // namespace

std::wstring ConsoleText(std::wstring text) {
    for (std::size_t pos; (pos = text.find(L"\n\r")) != std::wstring::npos;) text.replace(pos, 2, L"\n");
    return text;
}

bool TakeBatchOptions(std::vector<std::wstring>& args, BatchOptions& out) {
    std::vector<std::wstring> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a == L"--recursive") {
            out.recursive = true;
        } else if (a == L"--dry-run") {
            out.dryRun = true;
        } else if (a == L"--json") {
            out.json = true;
        } else if (a == L"--depth") {
            const auto depth = i + 1 < args.size() ? DepthValue(args[i + 1]) : std::nullopt;
            if (!depth) {
                Err(L"--depth takes a number of levels from 0 to " + std::to_wstring(kMaxDepth) + L"\n");
                return false;
            }
            out.depth = *depth;
            out.recursive = true;
            ++i;
        } else {
            rest.push_back(a);
        }
    }
    args = std::move(rest);
    return true;
}

bool HasUnknownOption(const std::vector<std::wstring>& args) {
    for (const auto& a : args) {
        if (a.rfind(L"--", 0) == 0) {
            Err(L"unknown option: " + a + L"\n");
            return true;
        }
    }
    return false;
}

struct FolderRun::Entry {
    std::wstring path;
    std::wstring result;
    std::wstring message;
    std::optional<FolderScan> scan;
    std::optional<bool> markKept = std::nullopt;
};

// Routes the engine's and the icon loaders' messages to standard error, and keeps them.
struct FolderRun::Sinks {
    std::wstring kept;
    ScopedIconMessageSink icons{[this](const std::wstring& text) { Keep(ConsoleText(text)); }};
    Sinks() {
        SetFolderMessageSink([this](const FolderMessage& m) { Keep(m.caption + L": " + ConsoleText(m.text)); });
    }
    ~Sinks() { SetFolderMessageSink(nullptr); }
    void Keep(const std::wstring& text) {
        Err(text + L"\n");
        if (!kept.empty()) kept += L"\n";
        kept += text;
    }
};

FolderRun::FolderRun(std::wstring_view command, const BatchOptions& options)
    : command_(command), options_(options), sinks_(std::make_unique<Sinks>()) {}

FolderRun::~FolderRun() = default;

std::wstring FolderRun::TakeMessages() { return std::exchange(sinks_->kept, std::wstring()); }

void FolderRun::Add(Entry entry) {
    // Folders below a root are walked in the long form; reports name them as the user writes them.
    entry.path = ShellPathForm(entry.path);
    if (entry.scan) {
        entry.scan->folder = ShellPathForm(entry.scan->folder);
        entry.scan->source = ShellPathForm(entry.scan->source);
    }
    if (!options_.json && !(options_.quiet && !IsFailure(entry.result))) {
        // Text: a line per folder that has something to tell; a plain change tells nothing.
        if (entry.scan) {
            std::wstring states;
            for (auto s : ScanStates(*entry.scan)) states += (states.empty() ? L"" : L",") + std::wstring(s);
            Out(entry.result + L"\t" + states + L"\t" + entry.path + L"\t" + entry.scan->source + L"\n");
        } else if (entry.result != L"changed" && entry.result != L"failed" && entry.result != L"missing") {
            Out(entry.result + L"\t" + entry.path + L"\n");
        }
    }
    entries_.push_back(std::move(entry));
}

std::vector<std::wstring> FolderRun::Folders(const std::vector<std::wstring>& roots, TreeFilter filter) {
    std::vector<std::wstring> folders;
    if (!options_.recursive) {
        folders = roots;
    } else {
        for (const auto& root : roots) {
            FolderTree tree = ListFolderTree(root, options_.depth);
            for (const auto& f : tree.unreadable) {
                failed_ = true;
                const bool gone = !IsExistingFolder(f);
                Err(ShellPathForm(f) + (gone ? L": no such folder\n" : L": cannot list the folders inside\n"));
                if (gone) Add({f, L"missing", L"no such folder", std::nullopt});
            }
            for (const auto& link : tree.links) {
                Err(ShellPathForm(link) + L": not entered (a junction or link)\n");
                links_.push_back(ShellPathForm(link));
            }
            // Left alone on purpose: named, and no failure.
            for (const auto& s : tree.skipped) {
                Err(ShellPathForm(s.path) + L": skipped: " + std::wstring(s.why) + L"\n");
                skipped_.push_back(ShellPathForm(s.path));
            }
            for (auto& f : tree.folders)
                if (filter == TreeFilter::Every || ScanFolder(f).Customized()) folders.push_back(std::move(f));
        }
    }
    total_ = folders.size();
    return folders;
}

bool FolderRun::StillThere(const std::wstring& folder) {
    if (!options_.recursive || IsExistingFolder(folder)) return true;
    Err(ShellPathForm(folder) + L": no such folder\n");
    failed_ = true;
    Add({folder, L"missing", L"no such folder", std::nullopt});
    return false;
}

void FolderRun::Step() {
    ++done_;
    if (total_ < kProgressFrom || options_.quiet) return;
    const int percent = static_cast<int>(done_ * 100 / total_);
    if (percent == shownPercent_ && done_ != total_) return;
    shownPercent_ = percent;
    Err(L"progress: " + std::to_wstring(done_) + L"/" + std::to_wstring(total_) + L"\n");
}

void FolderRun::Change(const std::wstring& folder, const std::function<bool()>& change) {
    if (!StillThere(folder)) return Step();
    if (options_.dryRun) {
        if (IsExistingFolder(folder)) {
            Add({folder, L"would-change", L"", std::nullopt});
        } else {
            Note(folder, L"no such folder");
            failed_ = true;
            Add({folder, L"missing", TakeMessages(), std::nullopt});
        }
        return Step();
    }
    TakeMessages();
    bool changed = false;
    try {
        changed = change();
    } catch (const UserError& e) {
        Note(folder, ConsoleText(e.text()));
    }
    if (!changed) failed_ = true;
    Add({folder, changed ? L"changed" : L"failed", TakeMessages(), std::nullopt});
    Step();
}

void FolderRun::Note(const std::wstring& folder, const std::wstring& text) {
    Err(ShellPathForm(folder) + L": ");
    sinks_->Keep(text);
}

void FolderRun::Report(const FolderScan& scan, std::wstring_view result, bool failed, std::optional<bool> markKept) {
    if (failed) failed_ = true;
    if (scan.sourceNotVisible) Note(scan.folder, L"not visible to an elevated process");
    Add({scan.folder, std::wstring(result), TakeMessages(), scan, markKept});
}

int FolderRun::Finish() {
    if (!options_.json) return failed_ ? kExitFailed : kExitOk;
    std::string json = "{\"command\":" + JsonString(command_) + ",\"dryRun\":" + (options_.dryRun ? "true" : "false");
    json += ",\"folders\":[";
    std::size_t failed = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        json += i ? ",\n{" : "\n{";
        json += "\"path\":" + JsonString(e.path) + ",\"result\":" + JsonString(e.result);
        if (!e.message.empty()) json += ",\"message\":" + JsonString(e.message);
        if (e.scan) {
            const FolderScan& s = *e.scan;
            json += ",\"states\":" + JsonArray(ScanStates(s));
            json += ",\"broken\":";
            json += s.Broken() ? "true" : "false";
            json += ",\"iconFile\":" + JsonString(s.iconFile) + ",\"iconIndex\":" + JsonString(s.iconIndex) +
                    ",\"iconResource\":" + JsonString(s.iconResource) + ",\"infotip\":" + JsonString(s.infotip) +
                    ",\"source\":" + JsonString(s.source) +
                    ",\"drive\":" + JsonString(s.place == IconPlace::Link ? DriveKindName(s.sourceDrive) : L"");
        }
        if (e.markKept) json += std::string(",\"markKept\":") + (*e.markKept ? "true" : "false");
        json += "}";
        if (IsFailure(e.result)) ++failed;
    }
    if (!entries_.empty()) json += "\n";
    json += "],\"links\":" + JsonArray(links_);
    json += ",\"folderCount\":" + std::to_string(entries_.size()) + ",\"failedCount\":" + std::to_string(failed);
    json += ",\"skipped\":" + JsonArray(skipped_);
    json += "}\n";
    std::fwrite(json.data(), 1, json.size(), stdout);
    return failed_ ? kExitFailed : kExitOk;
}

}  // namespace qm::cli
