#include "core/base/json_text.h"

#include <cstdint>

#include "core/base/text.h"

namespace qm {

std::string JsonString(std::wstring_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    std::size_t plain = 0;  // start of the run of characters that need no escape
    auto flush = [&](std::size_t end) { out += WideToUtf8(text.substr(plain, end - plain)); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c != L'"' && c != L'\\' && static_cast<std::uint32_t>(c) >= 0x20) continue;
        flush(i);
        plain = i + 1;
        switch (c) {
            case L'"': out += "\\\""; break;
            case L'\\': out += "\\\\"; break;
            case L'\b': out += "\\b"; break;
            case L'\f': out += "\\f"; break;
            case L'\n': out += "\\n"; break;
            case L'\r': out += "\\r"; break;
            case L'\t': out += "\\t"; break;
            default:
                out += "\\u00";
                out += kHex[(c >> 4) & 0xF];
                out += kHex[c & 0xF];
        }
    }
    flush(text.size());
    out += '"';
    return out;
}

}  // namespace qm
