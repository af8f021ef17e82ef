// The icon readers over byte views: header tests, offsets of the written file, and the NE and PE
// resource walks on files built by our writer and on damaged copies of them.
#include <gtest/gtest.h>

#include <functional>

#include "core/icons/binary_layouts.h"
#include "core/icons/byte_writer.h"
#include "core/icons/icon_readers.h"
#include "tests/support/icon_fixtures.h"

using namespace qm;
using qmtest::Put16;
using qmtest::Put32;

namespace {

ByteView View(const std::vector<std::uint8_t>& b) { return ByteView(b.data(), b.size()); }

std::wstring ReadIcoFailure(const std::vector<std::uint8_t>& bytes) {
    IconGroupData g;
    std::wstring failure;
    if (ReadIcoFile(View(bytes), g, failure)) return L"ok";
    return failure;
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t Get16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// Where field `field` of directory entry i of an .ico file lies.
constexpr std::size_t IcoEntryField(std::size_t i, std::size_t field) {
    return icon_header::kSize + icon_directory_entry::kSize * i + field;
}

}  // namespace

TEST(IcoHeader, RefusedWithTheFirstFailingTest) {
    struct Case {
        std::uint16_t reserved, type, count;
        std::wstring_view expected;
    } cases[] = {
        {0, 1, 0, kMsgCountZero},       {0, 2, 1, kMsgTypeNotOne},        {1, 1, 1, kMsgReservedNotZero},
        {1, 2, 0, kMsgReservedNotZero}, {0, 2, 0, kMsgTypeNotOne},        {0x5A4D, 0x90, 3, kMsgReservedNotZero},
        {0, 1, 33, kMsgCountTooLarge},  {0, 1, 65535, kMsgCountTooLarge},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> file = qmtest::MakeIcoFile({{16, 16, 4, 1}});
        Put16(file, icon_header::kReserved, c.reserved);
        Put16(file, icon_header::kType, c.type);
        Put16(file, icon_header::kCount, c.count);
        EXPECT_EQ(ReadIcoFailure(file), c.expected) << c.reserved << " " << c.type << " " << c.count;
    }
}

TEST(IcoHeader, ThirtyTwoImagesAreAccepted) {
    std::vector<qmtest::ImageSpec> specs(32, {8, 8, 4, 1});
    for (int i = 0; i < 32; ++i) specs[i].seed = i;
    IconGroupData g;
    std::wstring failure;
    ASSERT_TRUE(ReadIcoFile(View(qmtest::MakeIcoFile(specs)), g, failure)) << failure;
    EXPECT_EQ(g.entries.size(), 32u);
}

TEST(IcoFile, ShortFilesFailAsReadsBeyondTheEnd) {
    const std::vector<std::uint8_t> full = qmtest::MakeIcoFile({{16, 16, 4, 1}, {32, 32, 32, 2}});
    for (std::size_t size : {std::size_t{0}, std::size_t{3}, std::size_t{5}, std::size_t{6 + 16 + 15},
                             std::size_t{6 + 32 - 1}, full.size() - 1}) {
        std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(ReadIcoFailure(cut), kMsgReadBeyondEnd) << size;
    }
    EXPECT_EQ(ReadIcoFailure(full), L"ok");
}

TEST(IcoFile, AbsurdSizesAndOffsetsAreReadFailuresNotAllocations) {
    const std::vector<std::uint8_t> good = qmtest::MakeIcoFile({{16, 16, 4, 1}});
    struct Case {
        std::uint32_t bytesInRes, offset;
    } cases[] = {{0xFFFFFFFFu, 22},
                 {100, 0xFFFFFFF0u},
                 {0x80000000u, 0x80000000u},
                 {1, static_cast<std::uint32_t>(good.size())}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> file = good;
        Put32(file, IcoEntryField(0, icon_entry::kBytesInRes), c.bytesInRes);
        Put32(file, IcoEntryField(0, icon_directory_entry::kImageOffset), c.offset);
        EXPECT_EQ(ReadIcoFailure(file), kMsgReadBeyondEnd) << c.bytesInRes << " at " << c.offset;
    }
}

TEST(IcoWriter, OffsetsFollowThePackingRule) {
    struct Case {
        std::vector<std::size_t> sizes;
        std::vector<std::uint32_t> offsets;
    } cases[] = {{{100}, {22}}, {{40, 744, 296}, {54, 94, 838}}, {{0, 5}, {38, 38}}};
    for (const Case& c : cases) {
        std::vector<std::vector<std::uint8_t>> blocks;
        IconGroupData g;
        g.header = {0, 1, static_cast<std::uint16_t>(c.sizes.size())};
        for (std::size_t i = 0; i < c.sizes.size(); ++i)
            blocks.emplace_back(c.sizes[i], static_cast<std::uint8_t>(i + 1));
        std::size_t total = IcoEntryField(c.sizes.size(), 0);
        for (std::size_t i = 0; i < c.sizes.size(); ++i) {
            GroupIconEntry e;
            e.Width = 32;
            e.BytesInRes = static_cast<std::uint32_t>(c.sizes[i]);
            g.entries.push_back(e);
            g.images.push_back(View(blocks[i]));
            total += c.sizes[i];
        }
        const std::vector<std::uint8_t> ico = IcoFileBytes(g);
        ASSERT_EQ(ico.size(), total);
        for (std::size_t i = 0; i < c.sizes.size(); ++i) {
            EXPECT_EQ(Get32(ico, IcoEntryField(i, icon_directory_entry::kImageOffset)), c.offsets[i]);
            EXPECT_EQ(Get32(ico, IcoEntryField(i, icon_entry::kBytesInRes)), c.sizes[i]);
            for (std::size_t k = 0; k < c.sizes[i]; ++k) ASSERT_EQ(ico[c.offsets[i] + k], i + 1);
        }
    }
}

TEST(IcoWriter, ImagesInAnotherOrderOrWithGapsAreWrittenPacked) {
    const std::vector<std::uint8_t> a(40, 0xAA), b(70, 0xBB), c(9, 0xCC);
    auto entry = [](std::uint8_t w, std::size_t size, std::uint32_t offset) {
        IconDirectoryEntry e;
        e.Width = e.Height = w;
        e.BytesInRes = static_cast<std::uint32_t>(size);
        e.ImageOffset = offset;
        return e;
    };
    // Images stored last-first, with gaps between them.
    const auto source =
        qmtest::MakeRawIco({0, 1, 3}, {{entry(16, 40, 400), a}, {entry(32, 70, 200), b}, {entry(48, 9, 90), c}}, 0);
    IconGroupData g;
    std::wstring failure;
    ASSERT_TRUE(ReadIcoFile(View(source), g, failure)) << failure;
    const std::vector<std::uint8_t> ico = IcoFileBytes(g);
    ASSERT_EQ(ico.size(), 54u + 40 + 70 + 9);
    EXPECT_EQ(Get32(ico, IcoEntryField(0, icon_directory_entry::kImageOffset)), 54u);
    EXPECT_EQ(Get32(ico, IcoEntryField(1, icon_directory_entry::kImageOffset)), 94u);
    EXPECT_EQ(Get32(ico, IcoEntryField(2, icon_directory_entry::kImageOffset)), 164u);
    EXPECT_EQ(std::vector<std::uint8_t>(ico.begin() + 54, ico.begin() + 94), a);
    EXPECT_EQ(std::vector<std::uint8_t>(ico.begin() + 94, ico.begin() + 164), b);
    EXPECT_EQ(std::vector<std::uint8_t>(ico.begin() + 164, ico.end()), c);
    EXPECT_EQ(ico[6], 16);
    EXPECT_EQ(ico[38], 48);
}

// ---- PE group resources over a hand-made index ------------------------------------------------

namespace {

struct PeCase {
    std::vector<std::uint8_t> file;
    PeIconIndex index;
};

// A group resource at offset 0 with entries (BytesInRes, ID), images (id, size) behind it.
PeCase MakePeCase(IconHeader header, const std::vector<std::pair<std::uint32_t, std::uint16_t>>& entries,
                  const std::vector<std::pair<std::uint16_t, std::uint32_t>>& images, std::size_t groupSize) {
    PeCase c;
    ByteWriter w(c.file);
    AppendHeader(w, header);
    for (auto [bytes, id] : entries) {
        GroupIconEntry e;
        e.Width = 32;
        e.BytesInRes = bytes;
        e.ID = id;
        AppendGroupEntry(w, e);
    }
    PeIconIndex::Group g;
    g.data = {true, 0, static_cast<std::uint32_t>(groupSize)};
    c.file.resize(std::max(c.file.size(), groupSize));
    c.index.groups.push_back(g);
    for (auto [id, size] : images) {
        PeIconIndex::Image img;
        img.id = id;
        img.data = {true, c.file.size(), size};
        c.file.resize(c.file.size() + size, static_cast<std::uint8_t>(id));
        c.index.images.push_back(img);
    }
    return c;
}

std::wstring ReadPeFailure(const PeCase& c) {
    IconGroupData g;
    std::wstring failure;
    return ReadPeGroup(View(c.file), c.index, 0, g, failure) ? L"ok" : failure;
}

}  // namespace

TEST(PeGroup, EntryAndImageSizeTests) {
    struct Case {
        const char* what;
        IconHeader header;
        std::vector<std::pair<std::uint32_t, std::uint16_t>> entries;
        std::vector<std::pair<std::uint16_t, std::uint32_t>> images;
        std::ptrdiff_t groupSizeDelta;  // against the header and entries
        std::wstring_view expected;
    } cases[] = {
        {"valid", {0, 1, 2}, {{10, 1}, {20, 2}}, {{1, 10}, {2, 20}}, 0, L"ok"},
        {"last entry one byte short",
         {0, 1, 3},
         {{10, 1}, {20, 2}, {30, 3}},
         {{1, 10}, {2, 20}, {3, 30}},
         -1,
         kMsgInvalidEntry},
        {"count beyond the resource", {0, 1, 3}, {{10, 1}}, {{1, 10}}, 0, kMsgInvalidEntry},
        {"image one byte smaller", {0, 1, 1}, {{100, 7}}, {{7, 99}}, 0, kMsgInvalidImageSize},
        {"image missing", {0, 1, 1}, {{5, 9}}, {{1, 5}}, 0, kMsgInvalidImageSize},
        {"image missing, size 0", {0, 1, 1}, {{0, 9}}, {{1, 5}}, 0, L"ok"},
        {"reserved", {2, 1, 1}, {{10, 1}}, {{1, 10}}, 0, kMsgReservedNotZero},
        {"type", {0, 2, 1}, {{10, 1}}, {{1, 10}}, 0, kMsgTypeNotOne},
        {"count 0", {0, 1, 0}, {}, {}, 0, kMsgCountZero},
        {"count 40", {0, 1, 40}, {}, {}, 0, kMsgCountTooLarge},
        {"header shorter than 6", {0, 1, 1}, {}, {}, -2, kMsgInvalidEntry},
    };
    for (const Case& c : cases) {
        const std::size_t size = static_cast<std::size_t>(
            static_cast<std::ptrdiff_t>(icon_header::kSize + group_icon_entry::kSize * c.entries.size()) +
            c.groupSizeDelta);
        EXPECT_EQ(ReadPeFailure(MakePeCase(c.header, c.entries, c.images, size)), c.expected) << c.what;
    }
}

TEST(PeGroup, ImagesAreTheResourcesNamedByTheEntries) {
    const PeCase c =
        MakePeCase({0, 1, 2}, {{20, 2}, {10, 1}}, {{1, 10}, {2, 20}}, icon_header::kSize + 2 * group_icon_entry::kSize);
    IconGroupData g;
    std::wstring failure;
    ASSERT_TRUE(ReadPeGroup(View(c.file), c.index, 0, g, failure));
    ASSERT_EQ(g.images.size(), 2u);
    EXPECT_EQ(g.images[0].size(), 20u);
    EXPECT_EQ(g.images[0].data()[0], 2);
    EXPECT_EQ(g.images[1].data()[0], 1);
    EXPECT_FALSE(ReadPeGroup(View(c.file), c.index, 1, g, failure));
    EXPECT_EQ(failure, kMsgNoIconAtIndex);
}

// ---- PE modules built by the writer ------------------------------------------------------------

TEST(PeModule, GroupsComeNamedFirstThenIdsAndReadBackByteForByte) {
    qmtest::IconSet set;
    set.Add(qmtest::MakeIcoFile(qmtest::LibraryIconSpecs(0)));
    set.Add(qmtest::MakeIcoFile(qmtest::LibraryIconSpecs(1)), L"zeta");
    set.Add(qmtest::MakeIcoFile(qmtest::LibraryIconSpecs(2)));
    set.Add(qmtest::MakeIcoFile(qmtest::LibraryIconSpecs(3)), L"Alpha");
    const std::vector<std::uint8_t> pe = BuildPeIconLibrary(set.Icons());
    PeIconIndex index;
    ASSERT_TRUE(IndexPeIcons(View(pe), index));
    EXPECT_FALSE(index.is64);
    ASSERT_EQ(index.groups.size(), 4u);
    EXPECT_EQ(index.groups[0].name.name, L"ALPHA");
    EXPECT_EQ(index.groups[1].name.name, L"ZETA");
    EXPECT_TRUE(index.groups[2].name.isId);
    EXPECT_EQ(index.groups[2].name.id, 1);
    EXPECT_EQ(index.groups[3].name.id, 2);
    const std::size_t expectedSource[] = {3, 1, 0, 2};
    for (std::size_t i = 0; i < 4; ++i) {
        IconGroupData g;
        std::wstring failure;
        ASSERT_TRUE(ReadPeGroup(View(pe), index, i, g, failure)) << failure;
        EXPECT_EQ(IcoFileBytes(g), set.IcoFile(expectedSource[i])) << i;
    }
}

namespace {
// Where the writer puts the PE headers: right behind the DOS header.
constexpr std::size_t kPe = dos_header::kSize, kPeOptional = kPe + pe_header::kSize;
constexpr std::size_t kResourceDirectoryRva = kPeOptional + pe_optional_header::kDataDirectories +
                                              pe_data_directory::kSize * pe_data_directory::kResourceIndex +
                                              pe_data_directory::kRva;
}  // namespace

TEST(PeModule, DamagedHeadersAreNotModules) {
    qmtest::IconSet set;
    set.AddGenerated(2);
    const std::vector<std::uint8_t> good = BuildPeIconLibrary(set.Icons());
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        int width;  // 2 or 4 bytes, 0: cut the file at `at`
    } cases[] = {
        {"no MZ", dos_header::kMagic, 0x4D5A, 2},
        {"no PE signature", kPe + pe_header::kSignature, 0x4551, 4},
        {"new header beyond the file", dos_header::kNewHeader, 0x7FFFFFF0, 4},
        {"unknown optional header", kPeOptional + pe_optional_header::kMagic, 0x10C, 2},
        {"section table beyond the file", kPe + pe_header::kSectionCount, 0xFFFF, 2},
        {"optional header beyond the file", kPe + pe_header::kOptionalHeaderSize, 0xFFFF, 2},
        {"cut in the headers", 0x100, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> f = good;
        if (c.width == 2) Put16(f, c.at, static_cast<std::uint16_t>(c.value));
        if (c.width == 4) Put32(f, c.at, c.value);
        if (c.width == 0) f.resize(c.at);
        PeIconIndex index;
        EXPECT_FALSE(IndexPeIcons(View(f), index)) << c.what;
    }
}

TEST(PeModule, DamagedResourceDirectoriesEndWithoutCrashing) {
    qmtest::IconSet set;
    set.AddGenerated(3);
    const std::vector<std::uint8_t> good = BuildPeIconLibrary(set.Icons());
    constexpr std::size_t kRoot = 0x200;  // the resource section's place in the file
    // The root's second entry (icons first, then groups) points at the group directory.
    constexpr std::size_t kGroupTypeData =
        kRoot + resource_directory::kSize + resource_directory_entry::kSize + resource_directory_entry::kData;
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        int width;
        std::size_t maxGroups;
    } cases[] = {
        {"absurd entry counts at the root", kRoot + resource_directory::kNamedCount, 0xFFFFFFFF, 4, 0x1FFFF},
        {"group directory pointing at the root", kGroupTypeData, 0x80000000u, 4, 2},
        {"group directory beyond the section", kGroupTypeData, 0x8FFFFFFFu, 4, 0},
        {"no resource directory", kResourceDirectoryRva, 0, 4, 0},
        {"resource RVA outside every section", kResourceDirectoryRva, 0x50000, 4, 0},
        {"cut inside the resources", kRoot + 0x40, 0, 0, 3},
        {"cut at the resources", kRoot, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> f = good;
        if (c.width == 4) Put32(f, c.at, c.value);
        if (c.width == 0) f.resize(c.at);
        PeIconIndex index;
        ASSERT_TRUE(IndexPeIcons(View(f), index)) << c.what;
        EXPECT_LE(index.groups.size(), c.maxGroups) << c.what;
        for (std::size_t i = 0; i < index.groups.size(); ++i) {
            IconGroupData g;
            std::wstring failure;
            ReadPeGroup(View(f), index, i, g, failure);  // any result, but within the file
            for (ByteView v : g.images)
                EXPECT_TRUE(View(f).Has(static_cast<std::uint64_t>(v.data() - f.data()), v.size()));
        }
    }
}

// ---- NE libraries built by the writer ---------------------------------------------------------

namespace {
// The writer puts the NE header right behind the DOS header, the resource table behind it; the
// table starts with its alignment shift.
constexpr std::size_t kNe = dos_header::kSize, kResTable = kNe + ne_header::kSize, kImageType = kResTable + 2;

struct NeLib {
    qmtest::IconSet set;
    std::vector<std::uint8_t> file;
    std::size_t images = 0;
    explicit NeLib(int icons) {
        set.AddGenerated(icons);
        for (const LibraryIcon& li : set.Icons()) images += li.icon.entries.size();
        file = BuildNeIconLibrary(set.Icons());
    }
    std::size_t ImageRecord(std::size_t k) const {
        return kImageType + ne_resource_type::kSize + ne_resource_name::kSize * k;
    }
    std::size_t GroupType() const { return ImageRecord(images); }
    std::size_t GroupRecord(std::size_t k) const {
        return GroupType() + ne_resource_type::kSize + ne_resource_name::kSize * k;
    }
    std::size_t GroupData(std::size_t k) const {
        return std::size_t{Get16(file, GroupRecord(k) + ne_resource_name::kDataOffset)} << Get16(file, kResTable);
    }
    // Field `field` of group k's entry i.
    std::size_t GroupEntryField(std::size_t k, std::size_t i, std::size_t field) const {
        return GroupData(k) + icon_header::kSize + group_icon_entry::kSize * i + field;
    }
};
}  // namespace

TEST(NeLibrary, WriterOutputIndexesAndReadsBackByteForByte) {
    NeLib lib(3);
    NeIconIndex index;
    ASSERT_EQ(IndexNeIcons(View(lib.file), index), NeIndexResult::kOk);
    EXPECT_EQ(index.groupCount, 3u);
    EXPECT_EQ(index.imageCount, lib.images);
    for (std::uint32_t i = 0; i < 3; ++i) {
        IconGroupData g;
        std::wstring failure;
        ASSERT_TRUE(ReadNeGroup(View(lib.file), index, i, g, failure)) << failure;
        EXPECT_EQ(IcoFileBytes(g), lib.set.IcoFile(i));
    }
}

TEST(NeLibrary, ImageIdWithTheIntegerBitMatchesTheEntryId) {
    NeLib lib(3);  // icon 2's first image is image 6 (icons 0, 1 hold 2 and 3 images)
    EXPECT_EQ(Get16(lib.file, lib.ImageRecord(5) + ne_resource_name::kId), 0x8006);
    EXPECT_EQ(Get16(lib.file, lib.GroupEntryField(2, 0, group_icon_entry::kId)), 6);
    // Drop the integer bit from the record: the low 15 bits still match.
    std::vector<std::uint8_t> f = lib.file;
    Put16(f, lib.ImageRecord(5) + ne_resource_name::kId, 0x0006);
    NeIconIndex index;
    ASSERT_EQ(IndexNeIcons(View(f), index), NeIndexResult::kOk);
    IconGroupData g;
    std::wstring failure;
    ASSERT_TRUE(ReadNeGroup(View(f), index, 2, g, failure)) << failure;
    EXPECT_EQ(IcoFileBytes(g), lib.set.IcoFile(2));
}

TEST(NeLibrary, IndexOutcomes) {
    NeLib lib(2);
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        int width;
        NeIndexResult expected;
    } cases[] = {
        {"shorter than 64 bytes", 40, 0, 0, NeIndexResult::kReadFailed},
        {"no MZ", dos_header::kMagic, 0x4D5B, 2, NeIndexResult::kNotIconLibrary},
        {"plain DOS program", dos_header::kRelocationTable, 0x20, 2, NeIndexResult::kNotIconLibrary},
        {"relocation offset 0", dos_header::kRelocationTable, 0, 2, NeIndexResult::kOk},
        {"not NE", kNe + ne_header::kMagic, 0x454C, 2, NeIndexResult::kNotIconLibrary},
        {"no resource table", kNe + ne_header::kResidentNames, 0x40, 2, NeIndexResult::kNotIconLibrary},
        {"new header beyond the file", dos_header::kNewHeader, 0xFFF0, 2, NeIndexResult::kReadFailed},
        {"absurd image count", kImageType + ne_resource_type::kCount, 0xFFFF, 2, NeIndexResult::kReadFailed},
        {"no group type", 0, 0, 1, NeIndexResult::kNotIconLibrary},
        {"reserved field ends the walk", kImageType + ne_resource_type::kReserved, 1, 4,
         NeIndexResult::kNotIconLibrary},
        {"resource table beyond the file", kNe + ne_header::kResourceTable, 0xFFF0, 2, NeIndexResult::kReadFailed},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> f = lib.file;
        if (c.width == 2) Put16(f, c.at, static_cast<std::uint16_t>(c.value));
        if (c.width == 4) Put32(f, c.at, c.value);
        if (c.width == 0) f.resize(c.at);
        if (c.width == 1) Put16(f, lib.GroupType() + ne_resource_type::kTypeId, 0x8005);
        NeIconIndex index;
        EXPECT_EQ(IndexNeIcons(View(f), index), c.expected) << c.what;
    }
}

TEST(NeLibrary, GroupFailures) {
    NeLib lib(2);
    struct Case {
        const char* what;
        std::function<void(NeLib&, std::vector<std::uint8_t>&)> damage;
        std::wstring_view expected;
    } cases[] = {
        {"count 0", [](NeLib& l, auto& f) { Put16(f, l.GroupData(0) + icon_header::kCount, 0); }, kMsgCountZero},
        {"count 33", [](NeLib& l, auto& f) { Put16(f, l.GroupData(0) + icon_header::kCount, 33); }, kMsgCountTooLarge},
        {"type 2", [](NeLib& l, auto& f) { Put16(f, l.GroupData(0) + icon_header::kType, 2); }, kMsgTypeNotOne},
        {"entry id matches no image",
         [](NeLib& l, auto& f) { Put16(f, l.GroupEntryField(0, 0, group_icon_entry::kId), 0x7000); },
         kMsgInvalidImageSize},
        {"entry id with the high bit",
         [](NeLib& l, auto& f) { Put16(f, l.GroupEntryField(0, 0, group_icon_entry::kId), 0x8001); },
         kMsgInvalidImageSize},
        {"image beyond the file",
         [](NeLib& l, auto& f) { Put32(f, l.GroupEntryField(0, 0, icon_entry::kBytesInRes), 0x7FFFFFFF); },
         kMsgReadBeyondEnd},
        {"group data beyond the file",
         [](NeLib& l, auto& f) { Put16(f, l.GroupRecord(0) + ne_resource_name::kDataOffset, 0xFFFF); },
         kMsgReadBeyondEnd},
        {"absurd alignment", [](NeLib&, auto& f) { Put16(f, kResTable, 60); }, kMsgReadBeyondEnd},
        {"entries beyond the file", [](NeLib& l, auto& f) { f.resize(l.GroupEntryField(0, 0, 10)); },
         kMsgReadBeyondEnd},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> f = lib.file;
        c.damage(lib, f);
        NeIconIndex index;
        ASSERT_EQ(IndexNeIcons(View(f), index), NeIndexResult::kOk) << c.what;
        IconGroupData g;
        std::wstring failure;
        EXPECT_FALSE(ReadNeGroup(View(f), index, 0, g, failure)) << c.what;
        EXPECT_EQ(failure, c.expected) << c.what;
    }
}

TEST(NeLibrary, ImageRecordsCutByTheFileEndFailAsReads) {
    NeLib lib(1);
    // The image type claims more records than there are: its records run into the group type.
    std::vector<std::uint8_t> f = lib.file;
    NeIconIndex index;
    ASSERT_EQ(IndexNeIcons(View(f), index), NeIndexResult::kOk);
    index.imageCount = 0xFFFF;  // as if the records ran on to the end of the file
    index.imageIds.clear();
    index.readableImages = 0;
    IconGroupData g;
    std::wstring failure;
    EXPECT_FALSE(ReadNeGroup(View(f), index, 0, g, failure));
    EXPECT_EQ(failure, kMsgReadBeyondEnd);
}
