// The POSIX side of icon source files (the Windows side is icon_file_win.cpp).
#ifndef _WIN32
#include "core/icons/icon_file.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "core/base/error.h"
#include "core/base/text.h"

namespace qm {

struct InputFile::Impl {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
};

InputFile::InputFile() = default;
InputFile::~InputFile() = default;
InputFile::InputFile(InputFile&&) noexcept = default;
InputFile& InputFile::operator=(InputFile&&) noexcept = default;

bool InputFile::IsOpen() const { return impl_ != nullptr; }

ByteView InputFile::Bytes() const {
    if (!impl_ || impl_->size == 0) return {};
    return ByteView(impl_->bytes.get(), impl_->size);
}

void InputFile::Close() { impl_.reset(); }

namespace {
// Closes the descriptor however the open ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
};
}  // namespace

bool OpenForReading(InputFile& file, const std::wstring& fileName) {
    file.Close();
    SetOpenError(L"");
    auto failed = [](int error) {
        SetOpenError(Utf8ToWide(std::strerror(error)));
        return false;
    };
    const Descriptor d{open(WideToUtf8(fileName).c_str(), O_RDONLY | O_CLOEXEC)};
    if (d.fd < 0) return failed(errno);
    struct stat st {};
    if (fstat(d.fd, &st) != 0) return failed(errno);
    if (!S_ISREG(st.st_mode)) return failed(EISDIR);
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > kMaxSourceFileBytes) return failed(EFBIG);
    auto impl = std::make_unique<InputFile::Impl>();
    const std::size_t wanted = static_cast<std::size_t>(st.st_size);
    if (wanted > 0) {
        impl->bytes.reset(new (std::nothrow) std::uint8_t[wanted]);
        if (!impl->bytes) return failed(ENOMEM);
    }
    while (impl->size < wanted) {
        const ssize_t n = read(d.fd, impl->bytes.get() + impl->size, wanted - impl->size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(errno);
        if (n == 0) break;  // cut short since its size was taken
        impl->size += static_cast<std::size_t>(n);
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
