#include "core/icons/icon_file.h"

#include <windows.h>

#include <algorithm>

#include "core/base/error.h"
#include "core/base/handles_win.h"

namespace qm {

namespace {

std::wstring SystemErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : L"I/O error " + std::to_wstring(error);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}
}  // namespace


struct InputFile::Impl {
    UniqueFile file;
    UniqueKernelHandle mapping;
    UniqueView view;
    std::size_t size = 0;
};

InputFile::InputFile() = default;
InputFile::~InputFile() = default;
InputFile::InputFile(InputFile&&) noexcept = default;
InputFile& InputFile::operator=(InputFile&&) noexcept = default;

bool InputFile::IsOpen() const { return impl_ != nullptr; }

ByteView InputFile::Bytes() const {
    if (!impl_ || !impl_->view) return {};
    return ByteView(static_cast<const std::uint8_t*>(impl_->view.get()), impl_->size);
}

void InputFile::Close() { impl_.reset(); }

bool OpenForReading(InputFile& file, const std::wstring& fileName) {
    file.Close();
    SetOpenError(L"");
    auto impl = std::make_unique<InputFile::Impl>();
    struct Recorder {
        const InputFile& file;
        ~Recorder() {
            if (!file.IsOpen()) SetOpenError(SystemErrorText(GetLastError()));
        }
    } recorder{file};
    // Read access only, so that read-only files and files on read-only media open.
    impl->file.reset(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!impl->file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(impl->file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) {
        return false;
    }
    impl->size = static_cast<std::size_t>(size.QuadPart);
    if (impl->size > 0) {
        impl->mapping.reset(CreateFileMappingW(impl->file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!impl->mapping) return false;
        impl->view.reset(MapViewOfFile(impl->mapping.get(), FILE_MAP_READ, 0, 0, 0));
        if (!impl->view) return false;
    }
    file.impl_ = std::move(impl);
    return true;
}

namespace {
[[noreturn]] void RaiseLastError(DWORD error) { throw UserError(SystemErrorText(error)); }
}  // namespace

void WriteNewFile(const std::wstring& fileName, std::span<const std::uint8_t> bytes) {
    UniqueFile out(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
        DeleteFileW(fileName.c_str());
        RaiseLastError(error);
    }
}

}  // namespace qm
