#include "core/folder/folder_rollback_win.h"

#include <exception>

#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_files_win.h"

namespace qm {

namespace {

// A desktop.ini larger than this is not kept for a restore (its attributes still are).
constexpr LONGLONG kMaxKeptBytes = 64ll << 20;

std::optional<std::vector<std::uint8_t>> ReadWhole(const std::wstring& path) {
    UniqueFile file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxKeptBytes)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

void WriteWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    UniqueFile file(CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0)
            return;
        done += written;
    }
    SetEndOfFile(file.get());
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
        constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE;
        if ((GetFileAttributesW(LongPathForm(ini_).c_str()) & kKept) != (iniAttributes_ & kKept))
            SetAttributes(ini_, (iniAttributes_ & kKept) ? iniAttributes_ & kKept : FILE_ATTRIBUTE_NORMAL);
    } catch (...) {
        // A restore that cannot finish (no memory) leaves what it could not mend; the operation's
        // own error is the one the user sees.
    }
}

}  // namespace qm
