// The headers of the libraries the writer builds, read back through the named layouts as the
// platform's loader reads them.
#include <gtest/gtest.h>

#include "core/icons/binary_layouts.h"
#include "core/icons/byte_view.h"
#include "core/icons/icon_library_writer.h"
#include "tests/support/icon_fixtures.h"

using namespace qm;

TEST(IconLibraryWriter, PeHeadersDescribeOneResourceSection) {
    qmtest::IconSet set;
    set.AddGenerated(3);
    const std::vector<std::uint8_t> bytes = BuildPeIconLibrary(set.Icons());
    const ByteView f(bytes.data(), bytes.size());
    const auto dos = f.Record<dos_header::kSize>(0);
    ASSERT_TRUE(dos);
    EXPECT_EQ(dos->U16<dos_header::kMagic>(), dos_header::kSignature);
    const std::uint32_t pe = dos->U32<dos_header::kNewHeader>();
    const auto file = f.Record<pe_header::kSize>(pe);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->U32<pe_header::kSignature>(), pe_header::kSignatureValue);
    EXPECT_EQ(file->U16<pe_header::kSectionCount>(), 1);
    EXPECT_EQ(file->U16<pe_header::kOptionalHeaderSize>(), pe_optional_header::kSizePe32);
    const std::uint64_t optionalAt = pe + pe_header::kSize;
    const auto optional = f.Record<pe_optional_header::kSizePe32>(optionalAt);
    ASSERT_TRUE(optional);
    EXPECT_EQ(optional->U16<pe_optional_header::kMagic>(), pe_optional_header::kMagicPe32);
    EXPECT_EQ(optional->U32<pe_optional_header::kEntryPoint>(), 0u);  // resources only
    EXPECT_EQ(optional->U32<pe_optional_header::kDataDirectoryCount>(),
              pe_optional_header::kStandardDataDirectoryCount);
    const std::uint32_t fileAlignment = optional->U32<pe_optional_header::kFileAlignment>();
    const std::uint32_t sectionAlignment = optional->U32<pe_optional_header::kSectionAlignment>();
    constexpr std::size_t kResource =
        pe_optional_header::kDataDirectories + pe_data_directory::kSize * pe_data_directory::kResourceIndex;
    const std::uint32_t resourceRva = optional->U32<kResource + pe_data_directory::kRva>();
    const std::uint32_t resourceSize = optional->U32<kResource + pe_data_directory::kLength>();

    const auto section = f.Record<pe_section::kSize>(optionalAt + pe_optional_header::kSizePe32);
    ASSERT_TRUE(section);
    EXPECT_EQ(section->U32<pe_section::kName>(), 0x7273722Eu);  // ".rsr"
    EXPECT_EQ(section->U32<pe_section::kVirtualAddress>(), resourceRva);
    EXPECT_EQ(section->U32<pe_section::kVirtualSize>(), resourceSize);
    const std::uint32_t rawData = section->U32<pe_section::kRawData>();
    const std::uint32_t rawSize = section->U32<pe_section::kRawSize>();
    EXPECT_EQ(rawData % fileAlignment, 0u);
    EXPECT_EQ(rawSize % fileAlignment, 0u);
    EXPECT_GE(rawSize, resourceSize);
    EXPECT_EQ(std::uint64_t{rawData} + rawSize, bytes.size());  // the section ends the file
    EXPECT_EQ(optional->U32<pe_optional_header::kImageSize>() % sectionAlignment, 0u);
    EXPECT_GE(optional->U32<pe_optional_header::kImageSize>(), resourceRva + resourceSize);

    // The root directory: the icon and group-icon types, as subdirectories.
    const auto root = f.Record<resource_directory::kSize>(rawData);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->U16<resource_directory::kNamedCount>(), 0);
    ASSERT_EQ(root->U16<resource_directory::kIdCount>(), 2);
    const std::uint32_t types[] = {resource_type::kIcon, resource_type::kGroupIcon};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto entry = f.Record<resource_directory_entry::kSize>(rawData + resource_directory::kSize +
                                                                     resource_directory_entry::kSize * i);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->U32<resource_directory_entry::kName>(), types[i]);
        EXPECT_NE(entry->U32<resource_directory_entry::kData>() & resource_directory_entry::kHighBit, 0u);
    }
}

TEST(IconLibraryWriter, NeHeaderDescribesALibraryWithItsResources) {
    qmtest::IconSet set;
    set.AddGenerated(3);
    std::size_t images = 0;
    for (const LibraryIcon& icon : set.Icons()) images += icon.icon.entries.size();
    const std::vector<std::uint8_t> bytes = BuildNeIconLibrary(set.Icons(), "Lib");
    const ByteView f(bytes.data(), bytes.size());
    const auto dos = f.Record<dos_header::kSize>(0);
    ASSERT_TRUE(dos);
    EXPECT_EQ(dos->U16<dos_header::kMagic>(), dos_header::kSignature);
    EXPECT_GE(dos->U16<dos_header::kRelocationTable>(), dos_header::kNewHeaderRelocationTable);
    const std::uint16_t neAt = dos->U16<dos_header::kNewHeader>();
    const auto ne = f.Record<ne_header::kSize>(neAt);
    ASSERT_TRUE(ne);
    EXPECT_EQ(ne->U16<ne_header::kMagic>(), ne_header::kSignature);
    EXPECT_EQ(ne->U16<ne_header::kModuleFlags>(), ne_header::kLibraryModule);
    EXPECT_EQ(ne->U8<ne_header::kTargetSystem>(), ne_header::kTargetWindows);
    EXPECT_GE(ne->U16<ne_header::kExpectedWindowsVersion>(), 0x300);
    EXPECT_EQ(ne->U16<ne_header::kResourceSegmentCount>(), images + 3);
    // The resident names table holds the module name, upper-cased.
    const std::uint64_t resident = neAt + ne->U16<ne_header::kResidentNames>();
    ASSERT_TRUE(f.Has(resident, 4));
    EXPECT_EQ(bytes[resident], 3);
    EXPECT_EQ(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(resident) + 1,
                          bytes.begin() + static_cast<std::ptrdiff_t>(resident) + 4),
              "LIB");
    // The resource table: its alignment shift is the header's, then the icon type.
    const std::uint64_t table = neAt + ne->U16<ne_header::kResourceTable>();
    EXPECT_EQ(*f.U16(table), ne->U16<ne_header::kAlignmentShift>());
    const auto iconType = f.Record<ne_resource_type::kSize>(table + 2);
    ASSERT_TRUE(iconType);
    EXPECT_EQ(iconType->U16<ne_resource_type::kTypeId>(), ne_resource_name::kIntegerId | resource_type::kIcon);
    EXPECT_EQ(iconType->U16<ne_resource_type::kCount>(), images);
    // Each image's data lies inside the file, at its alignment.
    const unsigned shift = ne->U16<ne_header::kAlignmentShift>();
    for (std::size_t k = 0; k < images; ++k) {
        const auto name =
            f.Record<ne_resource_name::kSize>(table + 2 + ne_resource_type::kSize + ne_resource_name::kSize * k);
        ASSERT_TRUE(name);
        EXPECT_EQ(name->U16<ne_resource_name::kId>(), ne_resource_name::kIntegerId | (k + 1));
        EXPECT_EQ(name->U16<ne_resource_name::kFlags>(), ne_resource_name::kMoveablePureDiscardable);
        EXPECT_TRUE(f.Has(std::uint64_t{name->U16<ne_resource_name::kDataOffset>()} << shift,
                          std::uint64_t{name->U16<ne_resource_name::kDataLength>()} << shift))
            << k;
    }
}
