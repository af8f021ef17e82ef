#include "shellext/menu_pictures_win.h"

#include <cstdint>

#include "core/icons/icon_library_win.h"
#include "core/icons/icon_renderer.h"
#include "shellext/server_win.h"
#include "shellext/test_seams_win.h"

namespace qm::shellext {

namespace {
constexpr std::uint32_t kCheckMarkBackground = 0xFFC0C0C0u;  // opaque 192,192,192 as DecodeDib gives it
}  // namespace

UINT MenuDpi() {
    if (Seams().menuDpi) return Seams().menuDpi();
    using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int /* MONITOR_DPI_TYPE */, UINT*, UINT*);
    // shcore.dll is not among the libraries every process of ours loads: looked up once, from the
    // system folder, and kept.
    static const DpiForMonitor dpiForMonitor = [] {
        const HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return shcore ? reinterpret_cast<DpiForMonitor>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    if (dpiForMonitor) {
        const DWORD pos = GetMessagePos();
        const POINT at{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
        UINT x = 0, y = 0;
        if (SUCCEEDED(
                dpiForMonitor(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) &&
            x > 0) {
            return x;
        }
    }
    return GetDpiForSystem();
}

int MenuPictureSize(UINT dpi) { return GetSystemMetricsForDpi(SM_CXSMICON, dpi); }

UniqueBitmap LoadCheckMark(UINT dpi) {
    const HMODULE module = ThisModule();
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    if (!resource) return {};
    const HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    IconPixels art;
    if (!DecodeDib(ByteView(static_cast<const std::uint8_t*>(data), SizeofResource(module, resource)), art)) return {};
    // The art's background is the palette's grey: made transparent before scaling, so that the
    // edges of the folder blend into the menu instead of into a grey box.
    for (std::uint32_t& px : art.bgra) {
        if (px == kCheckMarkBackground) px = 0;
    }
    const int width = GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi), height = GetSystemMetricsForDpi(SM_CYMENUCHECK, dpi);
    if (width <= 0 || height <= 0) return {};
    const IconPixels sized = ScaleAreaAverage(art, width, height);
    return MakeAlphaBitmap(width, height, &sized);
}

}  // namespace qm::shellext
