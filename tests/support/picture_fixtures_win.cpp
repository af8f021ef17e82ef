#include "tests/support/picture_fixtures_win.h"

#include <windows.h>
#include <initguid.h>
#include <wincodec.h>

#include <algorithm>
#include <iterator>

#include "core/base/handles_win.h"

namespace qmtest {

namespace {

constexpr std::uint32_t kColours[16] = {
    0xFF1E88E5, 0xFFE53935, 0xFF43A047, 0xFFFDD835, 0xFF8E24AA, 0xFF00ACC1, 0xFFFB8C00, 0xFF6D4C41,
    0xFF546E7A, 0xFFFFFFFF, 0xFF000000, 0xFFD81B60, 0xFF7CB342, 0xFF3949AB, 0xFFC0CA33, 0xFF00897B,
};

}  // namespace

TestPicture PatternPicture(int width, int height, bool alpha) {
    TestPicture p{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t c = kColours[((x / 4) * 5 + (y / 4) * 3) % 16];
            if (alpha && x >= width - 4)
                c &= 0x00FFFFFF;
            else if (alpha && x >= width * 2 / 3)
                c = (c & 0x00FFFFFF) | 0x80000000;
            p.bgra[static_cast<std::size_t>(y) * width + x] = c;
        }
    }
    return p;
}

qm::IconPixels Premultiplied(const TestPicture& picture) {
    qm::IconPixels out{picture.width, picture.height, picture.bgra};
    for (std::uint32_t& p : out.bgra) {
        const std::uint32_t a = p >> 24;
        std::uint32_t q = a << 24;
        for (int c = 0; c < 3; ++c) q |= ((((p >> (8 * c)) & 0xFF) * a + 127) / 255) << (8 * c);
        p = q;
    }
    return out;
}

const wchar_t* FormatName(qm::PictureFormat format) {
    switch (format) {
        case qm::PictureFormat::Png: return L"png";
        case qm::PictureFormat::Jpeg: return L"jpg";
        case qm::PictureFormat::Bmp: return L"bmp";
        case qm::PictureFormat::Gif: return L"gif";
        case qm::PictureFormat::Tiff: return L"tif";
        case qm::PictureFormat::None: break;
    }
    return L"bin";
}

std::vector<std::uint8_t> EncodePicture(qm::PictureFormat format, const TestPicture& picture) {
    using qm::ComPtr;
    // Each format with the pixel format its encoder is given.
    const struct {
        qm::PictureFormat format;
        const GUID* container;
        const GUID* pixels;
    } kEncoders[] = {
        {qm::PictureFormat::Png, &GUID_ContainerFormatPng, &GUID_WICPixelFormat32bppBGRA},
        {qm::PictureFormat::Tiff, &GUID_ContainerFormatTiff, &GUID_WICPixelFormat32bppBGRA},
        {qm::PictureFormat::Bmp, &GUID_ContainerFormatBmp, &GUID_WICPixelFormat24bppBGR},
        {qm::PictureFormat::Jpeg, &GUID_ContainerFormatJpeg, &GUID_WICPixelFormat24bppBGR},
        {qm::PictureFormat::Gif, &GUID_ContainerFormatGif, &GUID_WICPixelFormat8bppIndexed},
    };
    const auto* chosen =
        std::find_if(std::begin(kEncoders), std::end(kEncoders), [&](const auto& e) { return e.format == format; });
    if (chosen == std::end(kEncoders)) return {};
    const GUID container = *chosen->container;
    WICPixelFormatGUID pixelFormat = *chosen->pixels;
    const WICPixelFormatGUID wanted = pixelFormat;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::vector<std::uint8_t> bytes;
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IStream> stream;
        ComPtr<IWICBitmapEncoder> encoder;
        ComPtr<IWICBitmapFrameEncode> frame;
        const UINT w = static_cast<UINT>(picture.width), h = static_cast<UINT>(picture.height);
        // The rows in the encoder's format: 4, 3 or 1 bytes a pixel, each row padded to 4 bytes.
        const UINT bytesPerPixel = wanted == GUID_WICPixelFormat32bppBGRA  ? 4
                                   : wanted == GUID_WICPixelFormat24bppBGR ? 3
                                                                           : 1;
        const UINT stride = (w * bytesPerPixel + 3) & ~3u;
        std::vector<BYTE> rows(static_cast<std::size_t>(stride) * h, 0);
        for (UINT y = 0; y < h; ++y) {
            for (UINT x = 0; x < w; ++x) {
                const std::uint32_t p = picture.bgra[static_cast<std::size_t>(y) * w + x];
                BYTE* d = rows.data() + static_cast<std::size_t>(y) * stride + x * bytesPerPixel;
                if (bytesPerPixel == 1) {
                    *d = static_cast<BYTE>(std::find(std::begin(kColours), std::end(kColours), p | 0xFF000000) -
                                           std::begin(kColours));
                } else {
                    for (UINT c = 0; c < bytesPerPixel; ++c) d[c] = static_cast<BYTE>(p >> (8 * c));
                }
            }
        }
        bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             __uuidof(IWICImagingFactory), factory.put_void())) &&
                  SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) &&
                  SUCCEEDED(factory->CreateEncoder(container, nullptr, encoder.put())) &&
                  SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
                  SUCCEEDED(encoder->CreateNewFrame(frame.put(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
                  SUCCEEDED(frame->SetSize(w, h)) && SUCCEEDED(frame->SetPixelFormat(&pixelFormat)) &&
                  pixelFormat == wanted;
        if (ok && bytesPerPixel == 1) {
            ComPtr<IWICPalette> palette;
            WICColor colours[16];
            std::copy(std::begin(kColours), std::end(kColours), colours);
            ok = SUCCEEDED(factory->CreatePalette(palette.put())) &&
                 SUCCEEDED(palette->InitializeCustom(colours, 16)) && SUCCEEDED(frame->SetPalette(palette.get()));
        }
        ok = ok && SUCCEEDED(frame->WritePixels(h, stride, static_cast<UINT>(rows.size()), rows.data())) &&
             SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
        STATSTG stat{};
        if (ok && SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
            SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) {
            bytes.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
            ULONG read = 0;
            if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size())
                bytes.clear();
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return bytes;
}

}  // namespace qmtest
