#pragma once
// A language-file template for translators: an empty "info" section and a "Dict" section with one
// empty line per key of the system (every English text, normalised as the lookup stores it).
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// The keys in list order, each once.
std::vector<std::wstring> LanguageTemplateKeys();

// "[info]", then "[Dict]" with "key=" lines; lines end in CR LF.
std::wstring LanguageTemplateText();

// The template as a file: UTF-16LE with a byte-order mark, so translations in any script survive.
std::vector<std::uint8_t> LanguageTemplateFile();

}  // namespace qm
