// The little-endian writer: appended fields, records filled at checked offsets, records reopened
// later, alignment, and what it writes read back through ByteView at the same offsets.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

#include "core/icons/byte_view.h"
#include "core/icons/byte_writer.h"

using namespace qm;

TEST(ByteWriter, AppendsLittleEndianFieldsBehindWhatIsThere) {
    std::vector<std::uint8_t> bytes = {0xEE};
    ByteWriter w(bytes);
    w.U8(0x01);
    w.U16(0x0302);
    w.U32(0x07060504u);
    w.Bytes(std::vector<std::uint8_t>{0x08, 0x09});
    w.Zeros(2);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xEE, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0, 0}));
    EXPECT_EQ(w.size(), bytes.size());
}

TEST(ByteWriter, PadsToTheNextMultipleOfTheAlignment) {
    struct Case {
        std::size_t size, alignment, padded;
    } cases[] = {{0, 8, 0}, {1, 8, 8}, {7, 8, 8}, {8, 8, 8}, {9, 8, 16}, {5, 1, 5}, {5, 0, 5}, {0x201, 0x200, 0x400}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes(c.size, 0xAB);
        ByteWriter(bytes).PadTo(c.alignment);
        EXPECT_EQ(bytes.size(), c.padded) << c.size << " " << c.alignment;
        for (std::size_t i = c.size; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << i;
    }
}

TEST(ByteWriter, RecordFieldsReadBackAtTheSameOffsets) {
    constexpr std::size_t kSize = 16, kA = 0, kB = 1, kC = 4, kD = 12, kName = 6, kNameLength = 4;
    std::vector<std::uint8_t> bytes = {0xFF, 0xFF};
    ByteWriter w(bytes);
    const auto r = w.Record<kSize>().U8<kA>(0x12).U16<kB>(0xBEEF).U32<kC>(0xCAFEF00Du).U32<kD>(0x80000001u);
    EXPECT_EQ(r.position(), 2u);
    w.Record<kSize>().Text<kName, kNameLength>(".rsrc");  // cut at the field's length
    ASSERT_EQ(bytes.size(), 2 + 2 * kSize);
    const ByteView view(bytes.data(), bytes.size());
    const auto first = view.Record<kSize>(2);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->U8<kA>(), 0x12);
    EXPECT_EQ(first->U16<kB>(), 0xBEEF);
    EXPECT_EQ(first->U32<kC>(), 0xCAFEF00Du);
    EXPECT_EQ(first->U32<kD>(), 0x80000001u);
    EXPECT_EQ(first->U8<3>(), 0);  // fields not set stay zero
    const auto second = view.Record<kSize>(2 + kSize);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->U32<kName>(), 0x72737200u | '.');  // ".rsr"
    EXPECT_EQ(second->U8<kName + kNameLength>(), 0);
}

TEST(ByteWriter, RecordOpenedEarlierStaysUsableAfterTheVectorGrows) {
    std::vector<std::uint8_t> bytes;
    ByteWriter w(bytes);
    auto header = w.Record<8>();
    for (int i = 0; i < 10000; ++i) w.U32(static_cast<std::uint32_t>(i));  // reallocates
    header.U32<4>(static_cast<std::uint32_t>(w.size()));
    EXPECT_EQ(*ByteView(bytes.data(), bytes.size()).U32(4), 8u + 40000u);
}

TEST(ByteWriter, RecordAtReopensOnlyWrittenBytes) {
    struct Case {
        std::size_t offset;
        bool inside;
    } cases[] = {{0, true},   {6, true},   {7, false},
                 {10, false}, {11, false}, {std::numeric_limits<std::size_t>::max() - 1, false}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes(10, 0);
        ByteWriter w(bytes);
        if (c.inside) {
            w.RecordAt<4>(c.offset).U32<0>(0x04030201u);
            EXPECT_EQ(bytes[c.offset], 1) << c.offset;
            EXPECT_EQ(bytes[c.offset + 3], 4) << c.offset;
            EXPECT_EQ(bytes.size(), 10u);
        } else {
            EXPECT_THROW(w.RecordAt<4>(c.offset), std::out_of_range) << c.offset;
            EXPECT_EQ(bytes, std::vector<std::uint8_t>(10, 0)) << c.offset;
        }
    }
}
