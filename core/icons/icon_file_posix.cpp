// The POSIX side of icon source files (the Windows side is icon_file_win.cpp).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/base/text.h"
#include "core/icons/icon_file_platform.h"

namespace qm::platform_file {

Error TooLargeError() { return EFBIG; }
Error OutOfMemoryError() { return ENOMEM; }

std::wstring ErrorText(Error error) { return Utf8ToWide(std::strerror(static_cast<int>(error))); }

struct File::Handle {
    int fd = -1;
    struct stat st {};
    ~Handle() {
        if (fd >= 0) close(fd);
    }
};

File::File() : handle_(std::make_unique<Handle>()) {}
File::~File() = default;

Error File::OpenForReading(const std::wstring& fileName) {
    handle_->fd = open(WideToUtf8(fileName).c_str(), O_RDONLY | O_CLOEXEC);
    if (handle_->fd < 0) return static_cast<Error>(errno);
    if (fstat(handle_->fd, &handle_->st) != 0) return static_cast<Error>(errno);
    if (!S_ISREG(handle_->st.st_mode)) return EISDIR;
    return 0;
}

Error File::CreateForWriting(const std::wstring& fileName) {
    handle_->fd = open(WideToUtf8(fileName).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return handle_->fd < 0 ? static_cast<Error>(errno) : 0;
}

Error File::Size(std::uint64_t& size) {
    if (handle_->st.st_size < 0) return EFBIG;
    size = static_cast<std::uint64_t>(handle_->st.st_size);
    return 0;
}

Error File::Read(std::uint8_t* to, std::size_t count, std::size_t& done) {
    done = 0;
    for (;;) {
        const ssize_t n = read(handle_->fd, to, count);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return static_cast<Error>(errno);
        done = static_cast<std::size_t>(n);
        return 0;
    }
}

Error File::Write(const std::uint8_t* from, std::size_t count, std::size_t& done) {
    done = 0;
    for (;;) {
        const ssize_t n = write(handle_->fd, from, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? static_cast<Error>(errno) : EIO;
        done = static_cast<std::size_t>(n);
        return 0;
    }
}

Error File::Close() {
    const int fd = handle_->fd;
    handle_->fd = -1;
    return fd >= 0 && close(fd) != 0 ? static_cast<Error>(errno) : 0;
}

void RemoveFile(const std::wstring& fileName) { unlink(WideToUtf8(fileName).c_str()); }

}  // namespace qm::platform_file
