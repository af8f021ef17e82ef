#include "shellext/menu_pictures_win.h"

#include <cstdint>

#include "core/icons/icon_library_win.h"
#include "core/icons/icon_renderer.h"
#include "shellext/server_win.h"

namespace qm::shellext {

namespace {
constexpr std::uint32_t kCheckMarkBackground = 0xFFC0C0C0u;  // opaque 192,192,192 as DecodeDib gives it
}  // namespace

int MenuPictureSize() { return GetSystemMetrics(SM_CXSMICON); }

UniqueBitmap LoadCheckMark() {
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
    const int width = GetSystemMetrics(SM_CXMENUCHECK), height = GetSystemMetrics(SM_CYMENUCHECK);
    const IconPixels sized = ScaleAreaAverage(art, width, height);
    return MakeAlphaBitmap(width, height, &sized);
}

}  // namespace qm::shellext
