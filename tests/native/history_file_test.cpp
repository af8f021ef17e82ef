// The icon history file's bytes: what the program writes, and what it reads from files written by
// itself, by older versions (ANSI) or by other editors (UTF-8, UTF-16BE).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/history_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::wstring>;

TEST(HistoryFile, WritesUtf16LeWithMarkAndCrLfAfterEveryLine) {
    EXPECT_EQ(qm::EncodeHistory({}), (Bytes{0xFF, 0xFE}));
    EXPECT_EQ(qm::EncodeHistory({L"a", L"\u00e9"}),
              (Bytes{0xFF, 0xFE, 'a', 0, '\r', 0, '\n', 0, 0xE9, 0, '\r', 0, '\n', 0}));
}

TEST(HistoryFile, ReadsEveryEncodingAndLineEnding) {
    const struct {
        const char* what;
        Bytes bytes;
        Lines lines;
    } cases[] = {
        {"empty file", {}, {}},
        {"mark only", {0xFF, 0xFE}, {}},
        {"UTF-16LE", {0xFF, 0xFE, 'C', 0, ':', 0, '\r', 0, '\n', 0, 'D', 0}, {L"C:", L"D"}},
        {"UTF-16BE", {0xFE, 0xFF, 0, 'x', 0, '\n', 0, 'y'}, {L"x", L"y"}},
        {"UTF-8", {0xEF, 0xBB, 0xBF, 0xC3, 0xA9, '\r', 'b'}, {L"\u00e9", L"b"}},
        {"ANSI without mark", {'a', '\n', '\n', 'b', '\r', '\n'}, {L"a", L"", L"b"}},
    };
    for (const auto& c : cases) EXPECT_EQ(qm::DecodeHistory(c.bytes), c.lines) << c.what;
}

TEST(HistoryFile, WrittenLinesReadBackUnchanged) {
    const Lines lines = {L"C:\\Icons\\One.icl", L"", L"\\\\server\\share\\\u0436.dll", std::wstring(5000, L'x')};
    EXPECT_EQ(qm::DecodeHistory(qm::EncodeHistory(lines)), lines);
}

}  // namespace
