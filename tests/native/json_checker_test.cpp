// The tests' JSON check: what it takes for one value and what it refuses.
#include <gtest/gtest.h>

#include "tests/support/json_checker.h"

namespace {

TEST(JsonChecker, TakesOneValueAndRefusesBrokenText) {
    const struct {
        std::wstring_view text;
        bool valid;
    } cases[] = {
        {LR"({"folders":[{"path":"C:\\a","result":"changed","markKept":true}],"failed":0})", true},
        {L" [ 1 , -2 , null , false , \"\\u00e9\\n\" ] \n", true},
        {L"{}", true},
        {L"[]", true},
        {L"", false},
        {L"{\"a\":1,}", false},     // a trailing comma
        {L"{a:1}", false},          // a name without quotes
        {L"[1 2]", false},          // no comma
        {L"{\"a\":1", false},       // not closed
        {L"{\"a\":1}}", false},     // more after the value
        {L"\"a\\qb\"", false},      // an unknown escape
        {L"\"\\u12\"", false},      // a short \u escape
        {L"\"tab\there\"", false},  // a control character unescaped
        {L"\"open", false},         // a string not closed
        {L"[tru]", false},          // a word cut short
    };
    for (const auto& c : cases) EXPECT_EQ(qmtest::JsonChecker(c.text).Valid(), c.valid) << std::wstring(c.text);
}

}  // namespace
