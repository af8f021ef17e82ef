#include "core/folder/folder_rollback_win.h"

#include <exception>

#include "core/base/file_bytes_win.h"
#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_files_win.h"

namespace qm {

namespace {

// A desktop.ini larger than this is not kept for a restore (its attributes still are).
constexpr std::uint64_t kMaxKeptBytes = 64ull << 20;

std::optional<std::vector<std::uint8_t>> ReadWhole(const std::wstring& path) {
    UniqueFile file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    return ReadFileBytes(file.get(), kMaxKeptBytes);
}

void WriteWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    UniqueFile file(CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) WriteFileBytesAt(file.get(), 0, bytes);
}

void Remove(const std::wstring& path) {
    SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(LongPathForm(path).c_str());
}

}  // namespace

FolderRollback::FolderRollback(const std::wstring& folder)
    : exceptionsAtStart_(std::uncaught_exceptions()),
      ini_(DesktopIniPathOf(folder)),
      iniAttributes_(GetFileAttributesW(LongPathForm(ini_).c_str())) {
    if (iniAttributes_ != INVALID_FILE_ATTRIBUTES) iniBytes_ = ReadWhole(ini_);
}

FolderRollback::~FolderRollback() {
    if (std::uncaught_exceptions() > exceptionsAtStart_) Restore();
}

void FolderRollback::Restore() noexcept {
    try {
        for (const std::wstring& path : created_) Remove(path);
        const DWORD now = GetFileAttributesW(LongPathForm(ini_).c_str());
        if (iniAttributes_ == INVALID_FILE_ATTRIBUTES) {
            if (now != INVALID_FILE_ATTRIBUTES) Remove(ini_);
            return;
        }
        if (now == INVALID_FILE_ATTRIBUTES) return;
        if (iniBytes_ && ReadWhole(ini_) != iniBytes_) {
            if (now & FILE_ATTRIBUTE_READONLY) SetAttributes(ini_, FILE_ATTRIBUTE_NORMAL);
            WriteWhole(ini_, *iniBytes_);
        }
        constexpr DWORD kKept =
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
        if ((GetFileAttributesW(LongPathForm(ini_).c_str()) & kKept) != (iniAttributes_ & kKept))
            SetAttributes(ini_, (iniAttributes_ & kKept) ? iniAttributes_ & kKept : FILE_ATTRIBUTE_NORMAL);
    } catch (...) {
        // A restore that cannot finish (no memory) leaves what it could not mend; the operation's
        // own error is the one the user sees.
    }
}

}  // namespace qm
