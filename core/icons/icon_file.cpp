// The portable side of icon source files: the file held in memory, reading it whole, writing a
// new one, and the last open error; the platform calls come from icon_file_platform.h.
#include "core/icons/icon_file.h"

#include <algorithm>
#include <new>

#include "core/base/error.h"
#include "core/icons/icon_file_platform.h"

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

bool OpenForReading(InputFile& file, const std::wstring& fileName) {
    file.Close();
    SetOpenError(L"");
    const auto failed = [](platform_file::Error error) {
        SetOpenError(platform_file::ErrorText(error));
        return false;
    };
    platform_file::File source;
    if (const auto error = source.OpenForReading(fileName)) return failed(error);
    std::uint64_t size = 0;
    if (const auto error = source.Size(size)) return failed(error);
    if (size > kMaxSourceFileBytes) return failed(platform_file::TooLargeError());
    auto impl = std::make_unique<InputFile::Impl>();
    const std::size_t wanted = static_cast<std::size_t>(size);
    if (wanted > 0) {
        impl->bytes.reset(new (std::nothrow) std::uint8_t[wanted]);
        if (!impl->bytes) return failed(platform_file::OutOfMemoryError());
    }
    while (impl->size < wanted) {
        std::size_t got = 0;
        if (const auto error = source.Read(impl->bytes.get() + impl->size, wanted - impl->size, got))
            return failed(error);
        if (got == 0) break;  // cut short since its size was taken
        impl->size += got;
    }
    file.impl_ = std::move(impl);
    return true;
}

void WriteNewFile(const std::wstring& fileName, std::span<const std::uint8_t> bytes) {
    platform_file::File out;
    if (const auto error = out.CreateForWriting(fileName)) throw UserError(platform_file::ErrorText(error));
    std::size_t done = 0;
    platform_file::Error error = 0;
    while (done < bytes.size() && error == 0) {
        std::size_t written = 0;
        error = out.Write(bytes.data() + done, bytes.size() - done, written);
        done += written;
    }
    const platform_file::Error closed = out.Close();
    if (error == 0) error = closed;
    if (error != 0) {
        platform_file::RemoveFile(fileName);
        throw UserError(platform_file::ErrorText(error));
    }
}

namespace {
// A plain character buffer: thread-local objects with destructors would make the runtime hold a
// module reference per thread in the shell extension.
thread_local wchar_t t_openError[256];
}  // namespace

void SetOpenError(const std::wstring& text) {
    const std::size_t n = std::min<std::size_t>(text.size(), 255);
    std::copy_n(text.data(), n, t_openError);
    t_openError[n] = L'\0';
}

std::wstring LastOpenErrorText() { return t_openError; }

}  // namespace qm
