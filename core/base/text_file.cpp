#include "core/base/text_file.h"

#include <utility>

#include "core/base/text.h"

namespace qm {

std::wstring DecodeTextAnyEncoding(std::span<const std::uint8_t> b) {
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) return DecodeUtf16Le(b.subspan(2));
    if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        std::vector<std::uint8_t> swapped(b.begin() + 2, b.end() - static_cast<std::ptrdiff_t>(b.size() % 2));
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
        return DecodeUtf16Le(swapped);
    }
    if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        return Utf8ToWide(std::string_view(reinterpret_cast<const char*>(b.data()) + 3, b.size() - 3));
    }
#ifdef _WIN32
    return AnsiToWide(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
#else
    return std::wstring(b.begin(), b.end());
#endif
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == L'\r' && start < text.size() && text[start] == L'\n') ++start;
    }
    return lines;
}

}  // namespace qm
