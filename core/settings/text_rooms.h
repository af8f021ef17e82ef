#pragma once
// The room each window text has in the English layout: the width in pixels at 96 DPI that its
// control leaves for it (less the control's own margins) and the lines it may take. The language
// template states it for translators; a GUI test measures the windows and keeps this table equal
// to them.
#include <span>
#include <string_view>

namespace qm {

struct TextRoom {
    std::wstring_view key;  // the language key (NormaliseLanguageKey of the English text)
    int width = 0;          // pixels at 96 DPI
    int lines = 1;
};

// Sorted by key; each key once (the smallest room where several controls show it).
std::span<const TextRoom> TextRooms();

// The room of a key; nullptr for texts no window control shows (messages, hints, titles).
const TextRoom* FindTextRoom(std::wstring_view key);

}  // namespace qm
