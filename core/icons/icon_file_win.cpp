#include "core/icons/icon_file.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"

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
    auto failed = [](DWORD error) {
        SetOpenError(SystemErrorText(error));
        return false;
    };
    // Read access only, so that read-only files and files on read-only media open.
    UniqueFile handle(CreateFileW(LongPathForm(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return failed(GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle.get(), &size)) return failed(GetLastError());
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > kMaxSourceFileBytes)
        return failed(ERROR_FILE_TOO_LARGE);
    auto impl = std::make_unique<InputFile::Impl>();
    const std::size_t wanted = static_cast<std::size_t>(size.QuadPart);
    if (wanted > 0) {
        impl->bytes.reset(new (std::nothrow) std::uint8_t[wanted]);
        if (!impl->bytes) return failed(ERROR_NOT_ENOUGH_MEMORY);
    }
    while (impl->size < wanted) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - impl->size, 1u << 24));
        DWORD got = 0;
        if (!ReadFile(handle.get(), impl->bytes.get() + impl->size, chunk, &got, nullptr))
            return failed(GetLastError());
        if (got == 0) break;  // cut short since its size was taken
        impl->size += got;
    }
    file.impl_ = std::move(impl);
    return true;
}

namespace {
[[noreturn]] void RaiseLastError(DWORD error) { throw UserError(SystemErrorText(error)); }
}  // namespace

void WriteNewFile(const std::wstring& fileName, std::span<const std::uint8_t> bytes) {
    UniqueFile out(CreateFileW(LongPathForm(fileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) RaiseLastError(GetLastError());
    std::size_t done = 0;
    DWORD error = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(out.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            error = GetLastError();
            if (error == 0) error = ERROR_WRITE_FAULT;
            break;
        }
        done += written;
    }
    out.reset();
    if (error != 0) {
        DeleteFileW(LongPathForm(fileName).c_str());
        RaiseLastError(error);
    }
}

}  // namespace qm
