#pragma once
// What each platform side of icon source files (icon_file_win.cpp, icon_file_posix.cpp) gives the
// portable side (icon_file.cpp): a file of its own with the few calls that reading a file whole
// and writing a new one need, each returning the platform's error number (0: none), and the
// platform's words for such a number.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qm::platform_file {

// A Windows error code or an errno value; 0 for success.
using Error = std::uint32_t;

// The platform's numbers for the failures the portable side finds itself.
Error TooLargeError();
Error OutOfMemoryError();

// The platform's text for an error number.
std::wstring ErrorText(Error error);

class File {
public:
    File();
    ~File();  // closes
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // An existing regular file with read access only (so that read-only files and read-only media
    // open), sharing read and write with other programs.
    Error OpenForReading(const std::wstring& fileName);
    // A new or truncated file with write access.
    Error CreateForWriting(const std::wstring& fileName);
    Error Size(std::uint64_t& size);
    // At most `count` bytes; `done` is 0 at the end of the file.
    Error Read(std::uint8_t* to, std::size_t count, std::size_t& done);
    // At most `count` bytes; a write that takes none is an error.
    Error Write(const std::uint8_t* from, std::size_t count, std::size_t& done);
    Error Close();

    struct Handle;

private:
    std::unique_ptr<Handle> handle_;
};

// Removes a file (the partial file a failed write leaves).
void RemoveFile(const std::wstring& fileName);

}  // namespace qm::platform_file
