#include <windows.h>

#include <algorithm>

#include "core/base/handles_win.h"
#include "core/base/text_file.h"

namespace qm {

namespace {
constexpr std::uint32_t kReadChunk = 1u << 20;
}  // namespace

std::optional<std::wstring> ReadTextFileAnyEncoding(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return std::nullopt;
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<long long>(size.QuadPart, static_cast<long long>(kMaxTextFileBytes)));
    std::vector<std::uint8_t> bytes;
    bytes.reserve(wanted);
    while (bytes.size() < wanted) {
        const std::size_t at = bytes.size();
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - at, kReadChunk));
        bytes.resize(at + chunk);
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + at, chunk, &got, nullptr)) return std::nullopt;
        bytes.resize(at + got);
        if (got == 0) break;  // the file shrank while being read
    }
    return DecodeTextAnyEncoding(bytes);
}

}  // namespace qm
