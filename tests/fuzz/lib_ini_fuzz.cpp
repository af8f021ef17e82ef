// The icon history file ("lib.ini", a list of paths) of any content through its decoding and
// line splitting, and the lines read back after they are written out again as the program
// writes the file (UTF-16LE behind its mark, each line ended by CR LF).
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "core/base/text.h"
#include "core/base/text_file.h"
#include "core/settings/history_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = qm::DecodeTextAnyEncoding(std::span<const std::uint8_t>(data, size));
    if (text.size() > size) std::abort();  // never more characters than bytes
    const std::vector<std::wstring> lines = qm::SplitLines(text);
    std::size_t characters = 0;
    for (const std::wstring& line : lines) {
        if (line.find_first_of(L"\r\n") != std::wstring::npos) std::abort();
        characters += line.size();
    }
    if (characters > text.size() || lines.size() > text.size()) std::abort();

    if (qm::DecodeHistory(qm::EncodeHistory(lines)) != lines) std::abort();
    return 0;
}
