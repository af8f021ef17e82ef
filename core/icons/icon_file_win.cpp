// The Windows side of icon source files (the POSIX side is icon_file_posix.cpp).
#include <windows.h>

#include <algorithm>

#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/icons/icon_file_platform.h"

namespace qm::platform_file {

Error TooLargeError() { return ERROR_FILE_TOO_LARGE; }
Error OutOfMemoryError() { return ERROR_NOT_ENOUGH_MEMORY; }

std::wstring ErrorText(Error error) { return SystemErrorText(error); }

struct File::Handle {
    UniqueFile file;
};

File::File() : handle_(std::make_unique<Handle>()) {}
File::~File() = default;

Error File::OpenForReading(const std::wstring& fileName) {
    handle_->file.reset(CreateFileW(LongPathForm(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle_->file ? 0 : GetLastError();
}

Error File::CreateForWriting(const std::wstring& fileName) {
    handle_->file.reset(CreateFileW(LongPathForm(fileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle_->file ? 0 : GetLastError();
}

Error File::Size(std::uint64_t& size) {
    LARGE_INTEGER value{};
    if (!GetFileSizeEx(handle_->file.get(), &value)) return GetLastError();
    if (value.QuadPart < 0) return ERROR_FILE_TOO_LARGE;
    size = static_cast<std::uint64_t>(value.QuadPart);
    return 0;
}

Error File::Read(std::uint8_t* to, std::size_t count, std::size_t& done) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 24));
    DWORD got = 0;
    done = 0;
    if (!ReadFile(handle_->file.get(), to, chunk, &got, nullptr)) return GetLastError();
    done = got;
    return 0;
}

Error File::Write(const std::uint8_t* from, std::size_t count, std::size_t& done) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    DWORD written = 0;
    done = 0;
    if (!WriteFile(handle_->file.get(), from, chunk, &written, nullptr) || written == 0) {
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_WRITE_FAULT;
    }
    done = written;
    return 0;
}

Error File::Close() {
    handle_->file.reset();
    return 0;
}

void RemoveFile(const std::wstring& fileName) { DeleteFileW(LongPathForm(fileName).c_str()); }

}  // namespace qm::platform_file
