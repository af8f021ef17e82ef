#pragma once
// Decoding the text files the program reads besides the INI files (the icon history, theme
// descriptions): the encoding told by a byte-order mark, and the split into lines.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm {

// UTF-16LE or UTF-16BE behind a byte-order mark (an odd trailing byte dropped), UTF-8 behind a
// byte-order mark, otherwise the ANSI code page (on other platforms, where there is none,
// Latin-1 stands in for it).
std::wstring DecodeTextAnyEncoding(std::span<const std::uint8_t> bytes);

// Lines ended by CR LF, LF or CR; a last line without an ending counts, an empty tail does not.
std::vector<std::wstring> SplitLines(const std::wstring& text);

#ifdef _WIN32
// Text of a file decoded as DecodeTextAnyEncoding does. Nothing when the file cannot be read.
// Files longer than kMaxTextFileBytes are read up to that length only.
inline constexpr std::size_t kMaxTextFileBytes = 8u << 20;
std::optional<std::wstring> ReadTextFileAnyEncoding(const std::wstring& path);
#endif

}  // namespace qm
