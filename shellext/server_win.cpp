#include "shellext/server_win.h"

#include <objbase.h>

namespace qm::shellext {

namespace {
HINSTANCE g_module = nullptr;
}

std::wstring ClassIdText(const CLSID& clsid) {
    wchar_t text[40] = {};
    const int n = StringFromGUID2(clsid, text, 40);  // "{XXXXXXXX-XXXX-...}", upper case
    return n > 1 ? std::wstring(text, static_cast<std::size_t>(n - 1)) : std::wstring();
}

HINSTANCE ThisModule() noexcept { return g_module; }
void SetThisModule(HINSTANCE module) noexcept { g_module = module; }

}  // namespace qm::shellext
