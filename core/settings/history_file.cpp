#include "core/settings/history_file.h"

#include "core/base/text.h"
#include "core/base/text_file.h"

namespace qm {

std::vector<std::wstring> DecodeHistory(std::span<const std::uint8_t> bytes) {
    return SplitLines(DecodeTextAnyEncoding(bytes));
}

std::vector<std::uint8_t> EncodeHistory(const std::vector<std::wstring>& lines) {
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    for (const std::wstring& line : lines) {
        const std::vector<std::uint8_t> encoded = EncodeUtf16Le(line + L"\r\n");
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    return bytes;
}

}  // namespace qm
