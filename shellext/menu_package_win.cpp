#include "shellext/menu_package_win.h"

#include <windows.h>

#include <string>

#include "core/base/file_bytes_win.h"
#include "core/base/handles_win.h"
#include "core/base/module_path_win.h"
#include "core/shell/package_family.h"
#include "shellext/package_family.h"  // generated: kPackageFamilyName
#include "shellext/test_seams_win.h"

namespace qm::shellext {

namespace {

using PackagesByFamily = decltype(ShellSeams::packagesByFamily);

// kernel32's GetPackagesByPackageFamily (Windows 8 and later) looked up at run time: a static
// import would keep the library from loading where kernel32 lacks it (Wine).
PackagesByFamily SystemPackagesByFamily() noexcept {
    static const PackagesByFamily function = [] {
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        return kernel ? reinterpret_cast<PackagesByFamily>(
                            reinterpret_cast<void*>(GetProcAddress(kernel, "GetPackagesByPackageFamily")))
                      : nullptr;
    }();
    return function;
}

// The family of the package shipped beside the library (the one the installer registers, whose
// Publisher packaging chose: unsigned, or a signing certificate's subject); the build's own
// manifest's when there is none or it cannot be read.
std::wstring ShippedPackageFamily() {
    const std::wstring path = ModuleFolder() + L"Quillmark.msix";
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        if (const auto bytes = ReadFileBytes(file.get(), 4u << 20)) {
            if (auto family = PackageFamilyOfPackage(*bytes)) return std::move(*family);
        }
    }
    return kPackageFamilyName;
}

}  // namespace

bool MenuPackageRegistered() noexcept {
    const PackagesByFamily packages = Seams().packagesByFamily ? Seams().packagesByFamily : SystemPackagesByFamily();
    if (!packages) return false;
    // Only the count is asked: with no room for the names the answer is ERROR_INSUFFICIENT_BUFFER
    // when there is any package, ERROR_SUCCESS with a count of 0 when there is none.
    UINT32 count = 0, length = 0;
    std::wstring family;
    try {
        family = ShippedPackageFamily();
    } catch (...) {
        return false;  // out of memory: the classic menu
    }
    const LONG status = packages(family.c_str(), &count, nullptr, &length, nullptr);
    return (status == ERROR_SUCCESS || status == ERROR_INSUFFICIENT_BUFFER) && count > 0;
}

}  // namespace qm::shellext
