#include "core/base/file_bytes_win.h"

#include <algorithm>

namespace qm {

std::optional<std::vector<std::uint8_t>> ReadFileBytes(HANDLE file, std::uint64_t maxBytes) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        return std::nullopt;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!ReadFile(file, bytes.data() + done, chunk, &got, nullptr)) return std::nullopt;
        if (got == 0) break;  // cut short since its size was taken
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

bool WriteFileBytesAt(HANDLE file, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return SetEndOfFile(file) != FALSE;
}

}  // namespace qm
