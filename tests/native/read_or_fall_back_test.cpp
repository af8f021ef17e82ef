// "Read or fall back": a read that gives its text, and one that fails in any way, through the one
// place that turns a failure into nothing or the fallback.
#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/settings/read_or_fall_back.h"

namespace {

TEST(ReadOrFallBack, ATextReadIsGivenBackWhole) {
    const std::wstring stored = L"Anwenden \u00e9";
    EXPECT_EQ(qm::TryReading([&] { return stored; }), std::optional<std::wstring>(stored));
    EXPECT_EQ(qm::ReadingOr([&] { return stored; }, L"fallback"), stored);
    // An empty value is a value, not a failure.
    EXPECT_EQ(qm::TryReading([] { return std::wstring(); }), std::optional<std::wstring>(L""));
    EXPECT_EQ(qm::ReadingOr([] { return std::wstring(); }, L"fallback"), L"");
}

TEST(ReadOrFallBack, EveryKindOfFailureGivesNothingOrTheFallback) {
    int calls = 0;
    auto failing = [&calls](auto thrown) {
        return [&calls, thrown]() -> std::wstring {
            ++calls;
            throw thrown;
        };
    };
    const auto check = [&](auto read) {
        EXPECT_EQ(qm::TryReading(read), std::nullopt);
        EXPECT_EQ(qm::ReadingOr(read, L"fallback"), L"fallback");
    };
    check(failing(std::bad_alloc()));
    check(failing(std::runtime_error("unreadable")));
    check(failing(42));   // not even an exception class
    EXPECT_EQ(calls, 6);  // each read is tried once per call
    static_assert(noexcept(qm::TryReading([]() -> std::wstring { throw 1; })));
}

}  // namespace
