#pragma once
// Fuzz inputs as texts the way Windows hands them over: pairs of bytes as UTF-16 code units.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qmfuzz {

inline std::wstring Utf16Units(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    return text;
}

}  // namespace qmfuzz
