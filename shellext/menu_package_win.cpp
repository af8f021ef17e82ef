#include "shellext/menu_package_win.h"

#include <windows.h>

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

}  // namespace

bool MenuPackageRegistered() noexcept {
    const PackagesByFamily packages = Seams().packagesByFamily ? Seams().packagesByFamily : SystemPackagesByFamily();
    if (!packages) return false;
    // Only the count is asked: with no room for the names the answer is ERROR_INSUFFICIENT_BUFFER
    // when there is any package, ERROR_SUCCESS with a count of 0 when there is none.
    UINT32 count = 0, length = 0;
    const LONG status = packages(kPackageFamilyName, &count, nullptr, &length, nullptr);
    return (status == ERROR_SUCCESS || status == ERROR_INSUFFICIENT_BUFFER) && count > 0;
}

}  // namespace qm::shellext
