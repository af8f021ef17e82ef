// The POSIX side of icon source files (the Windows side is icon_file_win.cpp).
#ifndef _WIN32
#include "core/icons/icon_file.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/base/error.h"
#include "core/base/text.h"

namespace qm {


struct InputFile::Impl {
    int fd = -1;
    void* map = nullptr;
    std::size_t size = 0;
    ~Impl() {
        if (map) munmap(map, size);
        if (fd >= 0) close(fd);
    }
};

InputFile::InputFile() = default;
InputFile::~InputFile() = default;
InputFile::InputFile(InputFile&&) noexcept = default;
InputFile& InputFile::operator=(InputFile&&) noexcept = default;

bool InputFile::IsOpen() const { return impl_ != nullptr; }

ByteView InputFile::Bytes() const {
    if (!impl_ || !impl_->map) return {};
    return ByteView(static_cast<const std::uint8_t*>(impl_->map), impl_->size);
}

void InputFile::Close() { impl_.reset(); }

bool OpenForReading(InputFile& file, const std::wstring& fileName) {
    file.Close();
    SetOpenError(L"");
    auto impl = std::make_unique<InputFile::Impl>();
    auto failed = [](int error) {
        SetOpenError(Utf8ToWide(std::strerror(error)));
        return false;
    };
    impl->fd = open(WideToUtf8(fileName).c_str(), O_RDONLY | O_CLOEXEC);
    if (impl->fd < 0) return failed(errno);
    struct stat st {};
    if (fstat(impl->fd, &st) != 0) return failed(errno);
    if (!S_ISREG(st.st_mode)) return failed(EISDIR);
    impl->size = static_cast<std::size_t>(st.st_size);
    if (impl->size > 0) {
        void* map = mmap(nullptr, impl->size, PROT_READ, MAP_PRIVATE, impl->fd, 0);
        if (map == MAP_FAILED) return failed(errno);
        impl->map = map;
    }
    file.impl_ = std::move(impl);
    return true;
}

namespace {
[[noreturn]] void RaiseErrno(int error) { throw UserError(Utf8ToWide(std::strerror(error))); }
}  // namespace

void WriteNewFile(const std::wstring& fileName, std::span<const std::uint8_t> bytes) {
    const std::string name = WideToUtf8(fileName);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) RaiseErrno(errno);
    std::size_t done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        unlink(name.c_str());
        RaiseErrno(error);
    }
}

}  // namespace qm
#endif
