#include "core/icons/icon_library_win.h"

#include <wincodec.h>

#include <cstring>
#include <limits>
#include <vector>

namespace qm {

namespace {

// WIC's identifiers, spelled out so that no import library needs to define them.
constexpr CLSID kWicImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kPngContainer = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID kPremultipliedBgra = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};

// COM for the length of one call on a thread that may not have it; a thread in another
// apartment keeps its own.
class ComForCall {
public:
    ComForCall() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComForCall() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComForCall(const ComForCall&) = delete;
    ComForCall& operator=(const ComForCall&) = delete;

private:
    HRESULT result_;
};

}  // namespace

bool DecodePngWithWic(ByteView png, IconPixels& out) {
    out = IconPixels();
    if (png.empty() || png.size() > std::numeric_limits<DWORD>::max()) return false;
    const ComForCall com;
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(kWicImagingFactory, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                                factory.put_void()))) {
        return false;
    }
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.put()))) return false;
    // WIC takes a non-const pointer; a stream made from memory is only read here.
    if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(png.data()), static_cast<DWORD>(png.size())))) {
        return false;
    }
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoder(kPngContainer, nullptr, decoder.put()))) return false;
    if (FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand))) return false;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) return false;
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > static_cast<UINT>(kMaxRenderedImageSide) || height > static_cast<UINT>(kMaxRenderedImageSide)) {
        return false;
    }
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put()))) return false;
    if (FAILED(converter.get()->Initialize(frame.get(), kPremultipliedBgra, WICBitmapDitherTypeNone, nullptr, 0.0,
                                           WICBitmapPaletteTypeCustom))) {
        return false;
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    if (FAILED(converter.get()->CopyPixels(nullptr, width * 4, width * height * 4,
                                           reinterpret_cast<BYTE*>(pixels.data())))) {
        return false;
    }
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.bgra = std::move(pixels);
    return true;
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
