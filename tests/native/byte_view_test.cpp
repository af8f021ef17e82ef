// The byte view's checked records, and the standard library's own bounds checks, which every
// native and fuzz build turns on.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "core/icons/byte_view.h"

using namespace qm;

TEST(ByteView, RecordExistsOnlyWhereItFitsWhole) {
    const std::vector<std::uint8_t> bytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    const ByteView v(bytes.data(), bytes.size());
    struct Case {
        std::uint64_t offset;
        bool fits;
    } cases[] = {
        {0, true},  {3, true},  {4, false},
        {7, false}, {8, false}, {std::numeric_limits<std::uint64_t>::max() - 1, false},  // offset + 4 would wrap
    };
    for (const Case& c : cases) {
        auto r = v.Record<4>(c.offset);
        EXPECT_EQ(r.has_value(), c.fits) << c.offset;
        EXPECT_EQ(v.Sub(c.offset, 4).has_value(), c.fits) << c.offset;
        if (r) {
            EXPECT_EQ(r->U8<0>(), bytes[c.offset]);
            EXPECT_EQ(r->U16<2>(), *v.U16(c.offset + 2));
            EXPECT_EQ(r->U32<0>(), *v.U32(c.offset));
            EXPECT_EQ(r->span().data(), bytes.data() + c.offset);
        }
    }
    EXPECT_EQ(v.Record<4>(3)->U32<0>(), 0x07060504u);  // little-endian
    EXPECT_FALSE(ByteView().Record<1>(0));
}

// Reads outside a container or of an empty optional stop the program instead of reading
// whatever lies there.
TEST(ByteViewDeathTest, StandardLibraryChecksItsBounds) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::vector<int> values(2, 7);
    volatile std::size_t past = values.size();
    EXPECT_DEATH(
        {
            volatile int v = values[past];
            (void)v;
        },
        "");
    const std::optional<int> none;
    EXPECT_DEATH(
        {
            volatile int v = *none;
            (void)v;
        },
        "");
}
