#include "core/settings/language_lookup.h"

namespace qm {

namespace {
bool IsLowCode(wchar_t c) { return static_cast<unsigned>(c) <= 32u; }
constexpr std::wstring_view kDots = L"...";
}  // namespace

std::wstring_view TrimLowCodes(std::wstring_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsLowCode(text[begin])) ++begin;
    while (end > begin && IsLowCode(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::wstring ExpandLineBreaks(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'/' && i + 1 < text.size() && text[i + 1] == L'n') {
            out += L"\n\r";
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

LanguageKey NormaliseLanguageKey(std::wstring_view english) {
    std::wstring_view t = TrimLowCodes(english);
    LanguageKey result;
    if (t.size() >= kDots.size() && t.substr(t.size() - kDots.size()) == kDots) {
        t = TrimLowCodes(t.substr(0, t.size() - kDots.size()));
        result.dotsRemoved = true;
    }
    result.key.assign(t);
    return result;
}

std::wstring LookUpText(std::wstring_view english, bool builtInEnglish, const DictionaryReader& readDict) {
    if (builtInEnglish) return ExpandLineBreaks(english);
    if (TrimLowCodes(english).empty()) return std::wstring();
    const LanguageKey key = NormaliseLanguageKey(english);
    if (key.key.empty()) return ExpandLineBreaks(english);  // "..." alone: no key to read
    std::optional<std::wstring> value = readDict(key.key);
    // An unreadable file, or a key that is present with nothing (or only blanks) behind it, leaves
    // the text as written.
    if (!value || TrimLowCodes(*value).empty()) return ExpandLineBreaks(english);
    if (key.dotsRemoved) *value += L" ...";
    return ExpandLineBreaks(*value);
}

}  // namespace qm
