#pragma once
// Files of icon sources: opened for reading only (so read-only files and read-only media open)
// and read whole into memory of their own, so that a file is read once however many icons are
// taken from it, and another program cutting or rewriting the file (or a medium going away)
// never changes or faults bytes a reader has already checked; and the one writer of whole new
// files.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/icons/byte_view.h"

namespace qm {

class InputFile {
public:
    InputFile();
    ~InputFile();
    InputFile(InputFile&&) noexcept;
    InputFile& operator=(InputFile&&) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool IsOpen() const;
    // The whole file; empty when not open or the file is empty. Valid until Close.
    ByteView Bytes() const;
    void Close();

    struct Impl;

private:
    friend bool OpenForReading(InputFile& file, const std::wstring& fileName);
    std::unique_ptr<Impl> impl_;
};

// Sources larger than this are refused (the platform's "file too large" text): a file is held
// whole in memory while its icons are read.
inline constexpr std::size_t kMaxSourceFileBytes = 512u << 20;

// Opens an existing regular file with read access only (sharing read and write with others) and
// reads it whole. True if the file was read; any file held before is closed first. A file that
// shrinks while it is read is taken as far as it goes.
bool OpenForReading(InputFile& file, const std::wstring& fileName);

// The platform's text for why this thread's last OpenForReading failed.
std::wstring LastOpenErrorText();
// Records it (cut at 255 characters); used by the platform sides of OpenForReading.
void SetOpenError(const std::wstring& text);

// Creates or truncates fileName and writes bytes. A file that cannot be created raises UserError
// with the platform's text and nothing is written; a failed write deletes the partial file and
// raises UserError with the platform's text.
void WriteNewFile(const std::wstring& fileName, std::span<const std::uint8_t> bytes);

}  // namespace qm
