#pragma once
// JSON text for machine-readable output: string literals from UTF-16 text, written as UTF-8.
#include <string>
#include <string_view>

namespace qm {

// A JSON string literal, quotes included: '"' and '\' escaped, control characters as \n, \t ...
// or \u00XX, everything else as UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string JsonString(std::wstring_view text);

}  // namespace qm
