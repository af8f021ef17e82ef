#include "core/settings/language_template.h"

#include <algorithm>

#include "core/base/text.h"
#include "core/settings/language_keys.h"
#include "core/settings/language_lookup.h"
#include "core/settings/text_rooms.h"

namespace qm {

std::vector<std::wstring> LanguageTemplateKeys() {
    std::vector<std::wstring> keys;
    for (std::string_view english : texts::kAll) {
        std::wstring key = NormaliseLanguageKey(AsciiToWide(english)).key;
        if (!key.empty() && std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(std::move(key));
    }
    return keys;
}

std::wstring TextRoomComment(const TextRoom& room) {
    std::wstring comment = L"; room: " + std::to_wstring(room.width) + L" px at 96 DPI";
    if (room.lines > 1) comment += L", " + std::to_wstring(room.lines) + L" lines";
    return comment;
}

std::wstring LanguageTemplateText() {
    std::wstring text = L"[info]\r\n\r\n[Dict]\r\n";
    for (const auto& key : LanguageTemplateKeys()) {
        if (const TextRoom* room = FindTextRoom(key)) text += TextRoomComment(*room) + L"\r\n";
        text += key + L"=\r\n";
    }
    return text;
}

std::vector<std::uint8_t> LanguageTemplateFile() {
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    const auto body = EncodeUtf16Le(LanguageTemplateText());
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

}  // namespace qm
