#pragma once
// The icon picker's history file "lib.ini": one path a line, newest first. Read in any of the
// four encodings; written as UTF-16LE with a byte-order mark, each line ended by CR LF.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

// The lines of a history file's bytes, without their line breaks.
std::vector<std::wstring> DecodeHistory(std::span<const std::uint8_t> bytes);
// The bytes of a history file holding `lines`.
std::vector<std::uint8_t> EncodeHistory(const std::vector<std::wstring>& lines);

#ifdef _WIN32
// "lib.ini" in the program's data folder (DataFolder(): next to the program when it can be written there).
std::wstring HistoryFilePath();
// The lines of the file; none when it cannot be read.
std::vector<std::wstring> ReadHistoryFile(const std::wstring& path);
// Writes the file anew. Throws UserError "Unable to write to %s".
void WriteHistoryFile(const std::wstring& path, const std::vector<std::wstring>& lines);
#endif

}  // namespace qm
