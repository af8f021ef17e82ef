#include "core/icons/icon_library_win.h"

#include "core/icons/picture_codec_win.h"

#include <cstring>
#include <limits>
#include <vector>

namespace qm {

bool DecodePngWithWic(ByteView png, IconPixels& out) {
    return DecodePictureWithWic(png, PictureFormat::Png, static_cast<std::uint32_t>(kMaxRenderedImageSide), out);
}

bool RenderGroupIcon(const IconGroupData& group, int width, int height, IconPixels& out) {
    return RenderIcon(group, width, height, out, &DecodePngWithWic);
}

bool RenderLibraryIcon(const IconLibrary& library, int index, int width, int height, IconPixels& out) {
    out = IconPixels();
    IconGroupData group;
    return library.Group(index, group) && RenderGroupIcon(group, width, height, out);
}

BITMAPINFO TopDown32BitInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

UniqueBitmap MakeAlphaBitmap(int width, int height, const IconPixels* pixels) {
    // Strips of many pictures side by side are wider than one image; 16 M pixels is plenty.
    if (width <= 0 || height <= 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > (1u << 24)) {
        return {};
    }
    const BITMAPINFO info = TopDown32BitInfo(width, height);
    void* bits = nullptr;
    // No device context: a DIB section of RGB colours needs none, and shell threads use no screen DC.
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    const std::size_t count = static_cast<std::size_t>(width) * height;
    if (pixels && pixels->width == width && pixels->height == height && pixels->bgra.size() == count) {
        std::memcpy(bits, pixels->bgra.data(), count * sizeof(std::uint32_t));
    } else {
        std::memset(bits, 0, count * sizeof(std::uint32_t));
    }
    return bitmap;
}

UniqueIcon MakeGroupIcon(const IconGroupData& group, int cx, int cy, UINT flags) {
    if (group.entries.empty() || group.images.size() != group.entries.size()) return {};
    if (cx == 0) cx = GetSystemMetrics(SM_CXICON);
    if (cy == 0) cy = GetSystemMetrics(SM_CYICON);
    std::vector<std::uint8_t> directory = GroupDirectoryBytes(group);
    const int id = LookupIconIdFromDirectoryEx(directory.data(), TRUE, cx, cy, flags);
    for (std::size_t i = 0; i < group.entries.size(); ++i) {
        if (group.entries[i].ID != id) continue;
        const ByteView image = group.images[i];
        if (image.empty()) return {};
        // The platform takes a non-const pointer; it does not write through it.
        return UniqueIcon(CreateIconFromResourceEx(const_cast<PBYTE>(image.data()), static_cast<DWORD>(image.size()),
                                                   TRUE, 0x00030000, cx, cy, flags));
    }
    return {};
}

UniqueIcon MakeLibraryIcon(const IconLibrary& library, int index, int cx, int cy, UINT flags) {
    IconGroupData group;
    if (!library.Group(index, group)) return {};
    return MakeGroupIcon(group, cx, cy, flags);
}

UniqueIcon MakeLargeLibraryIcon(const IconLibrary& library, int index) {
    return MakeLibraryIcon(library, index, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
}

UniqueIcon MakeSmallLibraryIcon(const IconLibrary& library, int index) {
    return MakeLibraryIcon(library, index, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
}

}  // namespace qm
