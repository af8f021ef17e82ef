// The language lookup on hostile texts and language-file values: the key normalisation, the
// "/n" expansion, the trimming and the lookup over a dictionary whose values come from the input,
// and the decoding of a language file's bytes (UTF-16LE, UTF-8, ANSI).
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/base/text.h"
#include "core/settings/language_lookup.h"
#include "tests/fuzz/fuzz_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // First half: the English text asked for; second half: what the language file holds for it.
    const std::size_t half = (size / 4) * 2;
    const std::wstring english = qmfuzz::Utf16Units(data, half);
    const std::wstring stored = qmfuzz::Utf16Units(data + half, size - half);

    const std::wstring_view trimmed = qm::TrimLowCodes(english);
    if (trimmed.size() > english.size()) std::abort();
    if (!trimmed.empty() && (trimmed.front() <= L' ' || trimmed.back() <= L' ')) std::abort();
    const qm::LanguageKey key = qm::NormaliseLanguageKey(english);
    if (key.key.size() > trimmed.size()) std::abort();
    const std::wstring expanded = qm::ExpandLineBreaks(english);
    if (expanded.size() != english.size()) std::abort();  // "/n" is two characters, so is LF CR

    for (bool builtIn : {true, false}) {
        (void)qm::LookUpText(english, builtIn, [&](const std::wstring&) { return stored; });
        (void)qm::LookUpText(english, builtIn, [&](const std::wstring& k) { return k; });
    }
    // The same bytes as a language file in each encoding the readers meet.
    const std::span<const std::uint8_t> bytes(data, size);
    const std::wstring utf16 = qm::DecodeUtf16Le(bytes);
    if (utf16.size() > size / 2 + 1) std::abort();
    (void)qm::EncodeUtf16Le(utf16);
    const std::string narrow(reinterpret_cast<const char*>(data), size);
    (void)qm::WideToUtf8(qm::Utf8ToWide(narrow));
    (void)qm::UpperAscii(english);
    return 0;
}
