#pragma once
// Text conversions between UTF-8, the ANSI code page and UTF-16; the one place that does them.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// ASCII-only helpers: English texts and keys are ASCII.
std::wstring AsciiToWide(std::string_view ascii);
std::wstring UpperAscii(std::wstring_view s);

// Decodes little-endian UTF-16 bytes (no byte-order mark), an odd trailing byte dropped.
std::wstring DecodeUtf16Le(std::span<const std::uint8_t> bytes);
// Encodes text as little-endian UTF-16 bytes (no byte-order mark).
std::vector<std::uint8_t> EncodeUtf16Le(std::wstring_view text);

#ifdef _WIN32
// The system's ANSI code page (CP_ACP).
std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
#endif

}  // namespace qm
