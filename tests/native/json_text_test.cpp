// JSON string literals of the machine-readable reports.
#include <gtest/gtest.h>

#include "core/base/json_text.h"

namespace {

TEST(JsonText, EscapesWhatJsonRequiresAndWritesTheRestAsUtf8) {
    const struct {
        std::wstring text;
        std::string json;
    } cases[] = {
        {L"", "\"\""},
        {L"C:\\Folder\\a b", "\"C:\\\\Folder\\\\a b\""},
        {L"say \"hi\"", "\"say \\\"hi\\\"\""},
        {L"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {std::wstring(L"\x01\x1f", 2) + L'\0' + L"/\x7f", "\"\\u0001\\u001f\\u0000/\x7f\""},
        {L"\x00e9\x6587\x2605", "\"\xc3\xa9\xe6\x96\x87\xe2\x98\x85\""},
        {L"\xD83D\xDE00", "\"\xf0\x9f\x98\x80\""},              // a surrogate pair: one character
        {L"a\xD800z\xDC00", "\"a\xef\xbf\xbdz\xef\xbf\xbd\""},  // unpaired halves: U+FFFD
    };
    for (const auto& c : cases) EXPECT_EQ(qm::JsonString(c.text), c.json);
}

}  // namespace
