// The package family reader: any bytes, read as a package file and as a manifest, give a name or
// nothing, never a read outside the input; a name has the form Name_ and 13 base-32 digits.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/shell/package_family.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto family = qm::PackageFamilyOfPackage({data, size});
    if (family && (family->size() < 15 || (*family)[family->size() - 14] != L'_')) std::abort();
    const auto identity = qm::ManifestIdentity(std::string_view(reinterpret_cast<const char*>(data), size));
    if (identity && (identity->name.empty() || identity->publisher.empty())) std::abort();
    return 0;
}
