// The picker's history file ("lib.ini") and the theme descriptions as another program or a
// damaged disk may leave them: any byte-order mark with any tail, odd lengths, lone surrogates,
// NULs, no line breaks at all, more than the reader takes. Reading gives lines without line
// breaks and never more text than the bytes hold; writing and reading back keeps any line.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/text_file.h"
#include "core/settings/history_file.h"
#include "tests/support/files_win.h"

namespace {

bool HasLineBreak(const std::wstring& s) { return s.find_first_of(L"\r\n") != std::wstring::npos; }

std::vector<std::uint8_t> Repeat(std::vector<std::uint8_t> unit, std::size_t times) {
    std::vector<std::uint8_t> out;
    out.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

TEST(HistoryFault, HostileHistoryFilesReadAsLinesWithoutHarm) {
    qmtest::TempDir dir(L"qm-history");
    const std::wstring path = dir / L"lib.ini";
    const std::vector<std::vector<std::uint8_t>> files = {
        {},
        {0xFF},
        {0xFF, 0xFE},
        {0xFF, 0xFE, 'a'},                                       // half a character after the mark
        {0xFE, 0xFF, 0x00},                                      // big-endian mark, odd tail
        {0xFF, 0xFE, 0x00, 0xD8, '\r', 0x00},                    // lone high surrogate, then CR
        {0xFF, 0xFE, 0x00, 0xDC, 0x00, 0xD8},                    // surrogates the wrong way round
        {0xEF, 0xBB, 0xBF, 0xC3, 0x28, 0xF0, 0x90, '\n', 0xFF},  // broken UTF-8
        {0xEF, 0xBB},                                            // a cut-off UTF-8 mark
        {'a', 0x00, 'b', '\r', '\r', '\n', '\n', 0x00},
        Repeat({'x'}, 3u << 20),         // one line of 3 MB
        Repeat({'\r'}, 1u << 20),        // a million empty lines
        Repeat({0xFF, 0xFE}, 1u << 18),  // marks all the way
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        qmtest::WriteBytes(path, files[i]);
        const std::vector<std::wstring> lines = qm::ReadHistoryFile(path);
        std::size_t total = 0;
        for (const auto& line : lines) {
            EXPECT_FALSE(HasLineBreak(line));
            total += line.size();
        }
        EXPECT_LE(total, files[i].size());
    }
    EXPECT_TRUE(qm::ReadHistoryFile(dir / L"missing.ini").empty());
}

TEST(HistoryFault, FileLongerThanTheReaderTakesIsCutAtItsLimit) {
    qmtest::TempDir dir(L"qm-history");
    const std::wstring path = dir / L"lib.ini";
    std::vector<std::uint8_t> bytes =
        Repeat({'C', ':', '\\', 'a', '.', 'i', 'c', 'l', '\r', '\n'}, qm::kMaxTextFileBytes / 10 + 1000);
    qmtest::WriteBytes(path, bytes);
    const std::vector<std::wstring> lines = qm::ReadHistoryFile(path);
    ASSERT_EQ(lines.size(), qm::kMaxTextFileBytes / 10 + 1);  // the last one cut short
    EXPECT_EQ(lines.front(), L"C:\\a.icl");
    EXPECT_EQ(lines.back(), std::wstring(L"C:\\a.icl").substr(0, qm::kMaxTextFileBytes % 10));
}

TEST(HistoryFault, RandomBytesDecodeToNoMoreTextThanTheyHold) {
    std::uint32_t x = 2024;
    auto next = [&x] { return (x = x * 1103515245u + 12345u) >> 16; };
    const std::vector<std::vector<std::uint8_t>> marks = {{}, {0xFF, 0xFE}, {0xFE, 0xFF}, {0xEF, 0xBB, 0xBF}};
    for (int round = 0; round < 4000; ++round) {
        std::vector<std::uint8_t> bytes = marks[round % marks.size()];
        const std::size_t length = next() % 300;
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint32_t r = next();
            bytes.push_back(static_cast<std::uint8_t>(r % 7 == 0 ? "\r\n\0\xD8\xDC\xFF"[r % 6] : r));
        }
        const std::wstring text = qm::DecodeTextAnyEncoding(bytes);
        ASSERT_LE(text.size(), bytes.size()) << round;
        std::size_t total = 0;
        for (const auto& line : qm::SplitLines(text)) {
            ASSERT_FALSE(HasLineBreak(line)) << round;
            total += line.size();
        }
        ASSERT_LE(total, text.size()) << round;
    }
}

TEST(HistoryFault, AnyLineWrittenReadsBack) {
    qmtest::TempDir dir(L"qm-history");
    const std::wstring path = dir / L"lib.ini";
    const std::vector<std::wstring> lines = {
        L"C:\\Icons\\plain.icl",  L"D:\\\u65e5\u672c\\\u0416.ico", L"E:\\emoji \U0001F4C1.dll", L"", L"=[x]=",
        std::wstring(5000, L'z'),
    };
    qm::WriteHistoryFile(path, lines);
    EXPECT_EQ(qm::ReadHistoryFile(path), lines);
}

}  // namespace
