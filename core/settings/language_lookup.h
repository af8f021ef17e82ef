#pragma once
// The string lookup's steps that need no platform: trimming, the key a text is stored under, the
// "/n" line breaks, and the lookup itself over a dictionary reader.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Removes every leading and trailing character of code 32 and below.
std::wstring_view TrimLowCodes(std::wstring_view text);

// Every "/n" becomes a line break: line feed, then carriage return (in that order).
std::wstring ExpandLineBreaks(std::wstring_view text);

// The key under which a language file stores a text: trimmed, and without a trailing "..."
// (trimmed again after the dots are gone).
struct LanguageKey {
    std::wstring key;
    bool dotsRemoved = false;
};
LanguageKey NormaliseLanguageKey(std::wstring_view english);

// Reads section "Dict", key `key` of the current language file, `key` itself when the file, the
// section or the key is missing; nothing when the file cannot be read, and the lookup then gives
// the English text as written.
using DictionaryReader = std::function<std::optional<std::wstring>(const std::wstring& key)>;

// The lookup once the language is known: `builtInEnglish` returns the text as written (with its
// line breaks); otherwise the key is read, trailing dots come back as " ...", an empty value gives
// the text as written, and a whitespace-only text gives the empty text. Never throws except when
// memory runs out.
std::wstring LookUpText(std::wstring_view english, bool builtInEnglish, const DictionaryReader& readDict);

}  // namespace qm
