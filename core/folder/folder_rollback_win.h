#pragma once
// Puts a folder back as it was when an apply or reset fails part-way: the files the operation
// made are removed, and desktop.ini gets back its bytes and attributes (or goes, when the
// operation made it). Taken before the write test; acts only when the operation ends by an error.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class FolderRollback {
public:
    explicit FolderRollback(const std::wstring& folder);
    ~FolderRollback();
    FolderRollback(const FolderRollback&) = delete;
    FolderRollback& operator=(const FolderRollback&) = delete;

    // A file this operation has made (the new icon copy).
    void Created(const std::wstring& path) { created_.push_back(path); }

private:
    void Restore() noexcept;

    int exceptionsAtStart_;
    std::wstring ini_;
    DWORD iniAttributes_;                                // INVALID_FILE_ATTRIBUTES when there was none
    std::optional<std::vector<std::uint8_t>> iniBytes_;  // nothing when it could not be read
    std::vector<std::wstring> created_;
};

}  // namespace qm
