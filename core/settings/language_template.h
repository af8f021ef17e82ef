#pragma once
// A language-file template for translators: an empty "info" section and a "Dict" section with one
// empty line per key of the system (every English text, normalised as the lookup stores it), and
// for the texts of the windows the room their translation has.
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// The keys in list order, each once.
std::vector<std::wstring> LanguageTemplateKeys();

// The comment a template puts before a key that a window shows: "; room: 236 px at 96 DPI", with
// ", 2 lines" when the control wraps it onto more than one.
struct TextRoom;
std::wstring TextRoomComment(const TextRoom& room);

// "[info]", then "[Dict]" with "key=" lines, each key a window shows after the comment with its
// room; lines end in CR LF.
std::wstring LanguageTemplateText();

// The template as a file: UTF-16LE with a byte-order mark, so translations in any script survive.
std::vector<std::uint8_t> LanguageTemplateFile();

}  // namespace qm
