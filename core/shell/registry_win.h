#pragma once
// The registry, in one place: keys are opened or created into their owners, string values are
// written with their terminating zero counted and read with every byte count checked, and a key
// is deleted alone or with everything under it. Nothing is cached between calls.
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/handles_win.h"

namespace qm {

// Opens root\subkey with `access`, creating missing keys along the path (non-volatile). Empty when
// the registry refuses; `status`, when given, receives its answer.
UniqueKey CreateKey(HKEY root, std::wstring_view subkey, REGSAM access, LSTATUS* status = nullptr);
// Opens an existing root\subkey with `access`; empty when it is missing or refused.
UniqueKey OpenKey(HKEY root, std::wstring_view subkey, REGSAM access, LSTATUS* status = nullptr);

// CreateKey with KEY_WRITE; empty on failure.
UniqueKey OpenKeyForWrite(HKEY root, std::wstring_view subkey);
// OpenKey with KEY_ALL_ACCESS, then with KEY_READ; empty when both fail.
UniqueKey OpenKeyForRead(HKEY root, std::wstring_view subkey);

// Stores `text` as REG_SZ with its terminating zero counted in the data length. An empty name is
// the key's default value.
LSTATUS SetStringValue(HKEY key, std::wstring_view name, std::wstring_view text);

// Which stored types a string read takes.
enum class StringTypes {
    Text,  // REG_SZ and REG_EXPAND_SZ (read as stored, not expanded)
    Any,   // any type, its bytes taken as UTF-16
};
// The longest value the reads take unless told otherwise: the longest path the platform knows
// (32,767 characters) and its zero.
inline constexpr std::size_t kMaxStringValueBytes = 32768 * sizeof(wchar_t);
// Reads value `name` of `key` as text: the data up to its first zero character; data without a
// terminator ends where the data ends, and an odd last byte counts as a character of its own.
// Nothing when the value is missing, of a type `types` refuses, or longer than `maxBytes`.
std::optional<std::wstring> ReadStringValue(HKEY key, std::wstring_view name, StringTypes types = StringTypes::Text,
                                            std::size_t maxBytes = kMaxStringValueBytes);
// The same, opening root\subkey for reading values only.
std::optional<std::wstring> ReadStringValue(HKEY root, std::wstring_view subkey, std::wstring_view name);

// The names of the key's direct subkeys, in the registry's order.
std::vector<std::wstring> SubkeyNames(HKEY key);

// Deletes root\subkey when it has no subkeys.
LSTATUS DeleteKey(HKEY root, std::wstring_view subkey);
// Deletes root\subkey with every key and value under it. An empty `subkey` is refused
// (ERROR_INVALID_PARAMETER): the call never clears `root` itself.
LSTATUS DeleteTree(HKEY root, std::wstring_view subkey);
LSTATUS DeleteValue(HKEY key, std::wstring_view name);

// Stores `text` as REG_SZ under root\subkey, creating the path (OpenKeyForWrite). Failures are
// not reported.
void WriteRegString(HKEY root, std::wstring_view subkey, std::wstring_view valueName, std::wstring_view text);

// Longest value ReadRegString reads, terminating zero included (in characters).
inline constexpr std::size_t kRegStringCapacity = 255;
// Reads a value of any type (OpenKeyForRead) of at most kRegStringCapacity characters; on success
// `text` becomes the value up to its first zero. On failure (no key, no value, a longer value)
// `text` is left as it was and the result is false.
bool ReadRegString(HKEY root, std::wstring_view subkey, std::wstring_view valueName, std::wstring& text);

}  // namespace qm
