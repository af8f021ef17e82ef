// The package family name read from a package file: SHA-256, the publisher id against family
// names Windows reports for published packages, the manifest's Identity, and the stored zip entry
// that holds it (missing, compressed and cut packages give nothing).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/shell/package_family.h"

using namespace qm;

namespace {

std::string Hex(const std::array<std::uint8_t, 32>& digest) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (const auto b : digest) s += {digits[b >> 4], digits[b & 15]};
    return s;
}

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

struct ZipEntry {
    std::string name, data;
    std::uint16_t method = 0;  // 0 stored, 8 deflated (the data is then taken as already compressed)
};

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A zip file as packaging writes one: local headers, the central directory, its end record.
std::vector<std::uint8_t> Zip(const std::vector<ZipEntry>& entries, const std::string& comment = "") {
    std::vector<std::uint8_t> out, central;
    for (const auto& e : entries) {
        const auto at = static_cast<std::uint32_t>(out.size());
        const auto size = static_cast<std::uint32_t>(e.data.size());
        Put32(out, 0x04034b50);
        Put16(out, 20), Put16(out, 0), Put16(out, e.method), Put32(out, 0), Put32(out, 0);
        Put32(out, size), Put32(out, e.method ? size * 2 : size);
        Put16(out, static_cast<std::uint32_t>(e.name.size())), Put16(out, 3);
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.insert(out.end(), {0, 0, 0});  // an extra field
        out.insert(out.end(), e.data.begin(), e.data.end());
        Put32(central, 0x02014b50);
        Put16(central, 20), Put16(central, 20), Put16(central, 0), Put16(central, e.method);
        Put32(central, 0), Put32(central, 0), Put32(central, size), Put32(central, e.method ? size * 2 : size);
        Put16(central, static_cast<std::uint32_t>(e.name.size())), Put16(central, 0), Put16(central, 0);
        Put16(central, 0), Put16(central, 0), Put32(central, 0), Put32(central, at);
        central.insert(central.end(), e.name.begin(), e.name.end());
    }
    const auto centralAt = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), central.begin(), central.end());
    Put32(out, 0x06054b50);
    Put16(out, 0), Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(entries.size())), Put16(out, static_cast<std::uint32_t>(entries.size()));
    Put32(out, static_cast<std::uint32_t>(central.size())), Put32(out, centralAt);
    Put16(out, static_cast<std::uint32_t>(comment.size()));
    out.insert(out.end(), comment.begin(), comment.end());
    return out;
}

const std::string kManifest =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- <Identity Name=\"In.A.Comment\" Publisher=\"CN=No\" /> -->\n"
    "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\">\n"
    "  <IdentityLike Name=\"Not.This\" Publisher=\"CN=No\" />\n"
    "  <Identity Name=\"Ostrel.Quillmark\" ProcessorArchitecture=\"x64\"\n"
    "    Publisher=\"CN=&quot;Quill, mark&quot; &amp; Co, O=Ostrel, OID.2.25.1=1\" Version=\"3.6.0.0\" />\n"
    "</Package>\n";
const std::wstring kPublisher = L"CN=\"Quill, mark\" & Co, O=Ostrel, OID.2.25.1=1";

}  // namespace

TEST(PackageFamily, Sha256OfKnownMessages) {
    EXPECT_EQ(Hex(Sha256({})), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hex(Sha256(Bytes("abc"))), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first tail block.
    EXPECT_EQ(Hex(Sha256(Bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"))),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Hex(Sha256(std::vector<std::uint8_t>(1000000, 'a'))),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(PackageFamily, PublisherIdsOfPublishedPackages) {
    const struct {
        const wchar_t* publisher;
        const wchar_t* id;
    } cases[] = {
        {L"CN=Microsoft Corporation, O=Microsoft Corporation, L=Redmond, S=Washington, C=US", L"8wekyb3d8bbwe"},
        {L"CN=Microsoft Windows, O=Microsoft Corporation, L=Redmond, S=Washington, C=US", L"cw5n1h2txyewy"},
        {L"CN=Skype Software Sarl, O=Microsoft Corporation, L=Luxembourg, S=Luxembourg, C=LU", L"kzf8qxf38zg5c"},
        {L"CN=C357A519-CEE3-4675-9EF4-44DE1D99A5D6", L"amge560j0aq9g"},
        {L"CN=B408A06D-44F7-4860-A12E-644DD44FA740", L"pd2za7f9waemw"},
        {L"CN=B408A06D-44F7-4860-A12E-644DD44FA741", L"h0ed56e8a88dc"},
    };
    for (const auto& c : cases) EXPECT_EQ(PackageFamilyName(L"N", c.publisher), std::wstring(L"N_") + c.id);
    EXPECT_EQ(PackageFamilyName(L"Microsoft.WindowsCalculator",
                                L"CN=Microsoft Corporation, O=Microsoft Corporation, L=Redmond, S=Washington, C=US"),
              L"Microsoft.WindowsCalculator_8wekyb3d8bbwe");
}

TEST(PackageFamily, IdentityOfTheManifest) {
    const auto identity = ManifestIdentity(kManifest);
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->name, L"Ostrel.Quillmark");
    EXPECT_EQ(identity->publisher, kPublisher);
    // Single quotes, character references and UTF-8 text.
    const auto other = ManifestIdentity("<Identity Publisher='CN=M&#252;ller&#x2C; &#x1F600;' Name = 'A.B'/>");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->name, L"A.B");
    EXPECT_EQ(other->publisher, L"CN=M\u00fcller, \xD83D\xDE00");  // UTF-16, as Utf8ToWide gives on every platform
    for (const char* bad :
         {"", "<Identity", "<Identity Name=\"A\"", "<Identity Name=\"A\" Publisher=\"CN=B", "<Identity Name=\"A\"/>",
          "<Identity Publisher=\"CN=B\"/>", "<Identity Name=\"\" Publisher=\"CN=B\"/>",
          "<Identity Name=A Publisher=\"CN=B\"/>", "<Identity Name=\"A\" Publisher=\"CN=&bogus;\"/>",
          "<Identity Name=\"A\" Publisher=\"CN=&amp\"/>", "<Identity Name=\"A\" Publisher=\"CN=&#0;\"/>",
          "<Identity Name=\"A\" Publisher=\"CN=&#xD800;\"/>", "<Identity Name=\"A\" Publisher=\"CN=&#x110000;\"/>",
          "<Identity Name=\"A\" Publisher=\"CN=&#12a;\"/>", "<Identity Name=\"A\" Publisher=\"CN=&#;\"/>",
          "<IdentityX Name=\"A\" Publisher=\"CN=B\"/>", "<Identity Name=\"A\" Publisher"}) {
        EXPECT_FALSE(ManifestIdentity(bad)) << bad;
    }
}

TEST(PackageFamily, FamilyOfAPackageFromItsStoredManifest) {
    const auto package = Zip({{"[Content_Types].xml", "<Types/>", 8},
                              {"Assets/Logo.png", "\x89PNG"},
                              {"AppxManifest.xml", kManifest},
                              {"AppxBlockMap.xml", "<BlockMap/>"}},
                             "a comment");
    EXPECT_EQ(PackageFamilyOfPackage(package), PackageFamilyName(L"Ostrel.Quillmark", kPublisher));
    const auto entry = StoredZipEntry(package, "AppxBlockMap.xml");
    ASSERT_TRUE(entry);
    EXPECT_EQ(std::string(entry->begin(), entry->end()), "<BlockMap/>");
    EXPECT_FALSE(StoredZipEntry(package, "[Content_Types].xml"));  // deflated
    EXPECT_FALSE(StoredZipEntry(package, "appxmanifest.xml"));     // names are exact

    // No manifest, a deflated one, a manifest without identity, and every cut of the package.
    EXPECT_FALSE(PackageFamilyOfPackage(Zip({{"Other.xml", kManifest}})));
    EXPECT_FALSE(PackageFamilyOfPackage(Zip({{"AppxManifest.xml", kManifest, 8}})));
    EXPECT_FALSE(PackageFamilyOfPackage(Zip({{"AppxManifest.xml", "<Package/>"}})));
    EXPECT_FALSE(PackageFamilyOfPackage(std::vector<std::uint8_t>(21, 0)));
    for (std::size_t size = 0; size < package.size(); ++size) {
        const std::vector<std::uint8_t> cut(package.begin(), package.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(PackageFamilyOfPackage(cut)) << size;
    }
    // A central directory that points outside the file.
    auto wrong = package;
    wrong[wrong.size() - 12] = 0xFF;  // the highest byte of the central directory's offset
    EXPECT_FALSE(PackageFamilyOfPackage(wrong));
}
