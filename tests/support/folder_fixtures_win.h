#pragma once
// Fixtures for tests of the folder engine: the settings file next to the test executable kept and
// restored, the engine's attribute requests recorded, its messages taken, a PE file that cannot be
// mapped. Icon sources come from icon_fixtures.h.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/base/error.h"
#include "core/folder/folder_messages_win.h"
#include "core/shell/shell_helpers_win.h"
#include "tests/support/shell_notify_observer_win.h"

namespace qmtest {

// The program's icon copies in a folder (the names the main window's rule matches), sorted.
std::vector<std::wstring> CopiesIn(const std::wstring& folder);

// Keeps the bytes of the settings file (and of one language file) and puts them back at the end;
// the file is removed first, so every setting starts at its default.
class SettingsFileGuard {
public:
    SettingsFileGuard();
    ~SettingsFileGuard();
    SettingsFileGuard(const SettingsFileGuard&) = delete;
    SettingsFileGuard& operator=(const SettingsFileGuard&) = delete;
    void SetCopyIco(const std::wstring& value) const;
    // Writes langs\<name> next to the test executable with a Dict section; removed at the end.
    std::wstring WriteLanguageFile(const std::wstring& name, const std::wstring& dictLines);

private:
    std::wstring path_;
    bool existed_ = false;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::wstring> languageFiles_;
};

// Every SetAttributes call of the engine while alive.
class AttributeRecorder {
public:
    AttributeRecorder();
    ~AttributeRecorder();
    AttributeRecorder(const AttributeRecorder&) = delete;
    AttributeRecorder& operator=(const AttributeRecorder&) = delete;
    const std::vector<std::pair<std::wstring, DWORD>>& Calls() const { return calls_; }
    // The attributes asked for this path, in order (paths compared without case).
    std::vector<DWORD> For(const std::wstring& path) const;
    void Clear() { calls_.clear(); }

private:
    std::vector<std::pair<std::wstring, DWORD>> calls_;
};

// Every shell file-operation request (copy, delete, recycle) while alive, with its flags.
class FileOperationRecorder {
public:
    FileOperationRecorder();
    ~FileOperationRecorder();
    FileOperationRecorder(const FileOperationRecorder&) = delete;
    FileOperationRecorder& operator=(const FileOperationRecorder&) = delete;
    const std::vector<qm::FileOperationRequest>& Requests() const { return requests_; }

private:
    std::vector<qm::FileOperationRequest> requests_;
};

// Takes the engine's messages instead of message boxes while alive.
class FolderMessageCapture {
public:
    FolderMessageCapture();
    ~FolderMessageCapture();
    FolderMessageCapture(const FolderMessageCapture&) = delete;
    FolderMessageCapture& operator=(const FolderMessageCapture&) = delete;
    const std::vector<qm::FolderMessage>& Messages() const { return messages_; }

private:
    std::vector<qm::FolderMessage> messages_;
};

// A folder whose full path has exactly `length` characters (at least base's length + 2), made
// below `base` through the long-path prefix, in parts of at most 100 characters.
std::wstring FolderOfLength(const std::wstring& base, std::size_t length);
// The "\\?\" form of a full path, for the tests' own file calls on long paths.
std::wstring Prefixed(const std::wstring& path);

// How one apply or reset ended: whether it reported a change, and the UserError's text when one
// ended it.
struct Outcome {
    bool changed = false;
    std::wstring error;
};
template <class Step>
Outcome RunStep(Step step) {
    Outcome o;
    try {
        o.changed = step();
    } catch (const qm::UserError& e) {
        o.error = e.text();
    }
    return o;
}

// A file that starts as a PE module but cannot be mapped (its headers are cut short).
std::vector<std::uint8_t> UnmappablePeFile();

// The key lines of a section of an INI text, as "key=value", in file order.
std::vector<std::wstring> SectionLines(const std::wstring& iniText, const std::wstring& section);
// Those of section .ShellClassInfo in the folder's desktop.ini.
std::vector<std::wstring> ShellClassInfoLines(const std::wstring& folder);

// `count` times the customization pair: SHCNE_ATTRIBUTES for the folder, SHCNE_UPDATEITEM for its
// desktop.ini.
std::vector<ShellEvent> NotificationPairs(const std::wstring& folder, int count = 1);
// Events compared with their paths as the platform compares paths.
bool SameEvents(const std::vector<ShellEvent>& a, const std::vector<ShellEvent>& b);
std::string DescribeEvents(const std::vector<ShellEvent>& events);

}  // namespace qmtest
