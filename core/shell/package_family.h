#pragma once
// The package family name of an MSIX package, derived as Windows derives it: the manifest's
// Identity Name, "_" and the publisher id (the first 8 bytes of the SHA-256 of the Publisher as
// UTF-16LE, read big-endian, one zero bit appended, 13 digits of Crockford's base 32 in lower
// case). Read from the package file itself, the name always belongs to the package shipped,
// whichever Publisher (unsigned, or a signing certificate's subject) packaging gave it.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qm {

std::array<std::uint8_t, 32> Sha256(std::span<const std::uint8_t> data);

std::wstring PackageFamilyName(std::wstring_view name, std::wstring_view publisher);

struct PackageIdentity {
    std::wstring name, publisher;
};
// The Name and Publisher of AppxManifest.xml's Identity element (UTF-8); nothing when the element
// or either attribute is missing or malformed.
std::optional<PackageIdentity> ManifestIdentity(std::string_view manifest);

// The bytes of a zip file's entry stored without compression; nothing when it is missing,
// compressed or any header lies outside the file.
std::optional<std::span<const std::uint8_t>> StoredZipEntry(std::span<const std::uint8_t> zip, std::string_view name);

// The family name of a package file (its stored AppxManifest.xml).
std::optional<std::wstring> PackageFamilyOfPackage(std::span<const std::uint8_t> package);

}  // namespace qm
