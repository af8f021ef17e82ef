#include "core/icons/picture_codec_win.h"

#include <windows.h>
#include <wincodec.h>

#include <limits>

#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/icons/icon_file.h"
#include "core/icons/picture_orientation.h"

namespace qm {

namespace {

// WIC's identifiers, spelled out so that no import library needs to define them.
constexpr CLSID kWicImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kPngContainer = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID kJpegContainer = {0x19e4a5aa, 0x5662, 0x4fc5, {0xa0, 0xc0, 0x17, 0x58, 0x02, 0x8e, 0x10, 0x57}};
constexpr GUID kBmpContainer = {0x0af1d87e, 0xfcfe, 0x4188, {0xbd, 0xeb, 0xa7, 0x90, 0x64, 0x71, 0xcb, 0xe3}};
constexpr GUID kGifContainer = {0x1f8a5601, 0x7d4d, 0x4cbd, {0x9c, 0x82, 0x1b, 0xc8, 0xd4, 0xee, 0xb9, 0xa5}};
constexpr GUID kTiffContainer = {0x163bcc30, 0xe2e9, 0x4f0b, {0x96, 0x1d, 0xa3, 0xe9, 0xfd, 0xb7, 0x88, 0xa3}};
constexpr GUID kPremultipliedBgra = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};
constexpr GUID kStraightBgra = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};

ComPtr<IWICImagingFactory> ImagingFactory() {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(kWicImagingFactory, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                                factory.put_void()))) {
        factory.reset();
    }
    return factory;
}

bool Fail(std::wstring* failure, std::wstring text) {
    if (failure) *failure = std::move(text);
    return false;
}

constexpr std::wstring_view kDamaged = L"the picture is damaged or cut short";
constexpr std::wstring_view kNotAPicture = L"not a picture that can be read (PNG, JPEG, BMP, GIF or TIFF)";

const GUID* ContainerOf(PictureFormat format) {
    switch (format) {
        case PictureFormat::Png: return &kPngContainer;
        case PictureFormat::Jpeg: return &kJpegContainer;
        case PictureFormat::Bmp: return &kBmpContainer;
        case PictureFormat::Gif: return &kGifContainer;
        case PictureFormat::Tiff: return &kTiffContainer;
        case PictureFormat::None: break;
    }
    return nullptr;
}

std::wstring TooLargeText(std::uint64_t width, std::uint64_t height) {
    return L"the picture is " + std::to_wstring(width) + L" x " + std::to_wstring(height) + L" pixels; at most " +
           std::to_wstring(kMaxPictureSide) + L" pixels a side and " +
           std::to_wstring(kMaxPictureDecodedBytes / 4 / 1000000) + L" million pixels are taken";
}

}  // namespace

bool DecodePictureWithWic(ByteView bytes, PictureFormat format, std::uint32_t maxSide, IconPixels& out,
                          std::wstring* failure) {
    out = IconPixels();
    const GUID* container = ContainerOf(format);
    if (!container) return Fail(failure, std::wstring(kNotAPicture));
    if (bytes.empty() || bytes.size() > std::numeric_limits<DWORD>::max()) return Fail(failure, std::wstring(kDamaged));
    const ComApartment com(COINIT_MULTITHREADED);  // for this call; a thread in another apartment keeps its own
    const ComPtr<IWICImagingFactory> factory = ImagingFactory();
    if (!factory) return Fail(failure, L"the platform's imaging component is missing");
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.put()))) return Fail(failure, std::wstring(kDamaged));
    // WIC takes a non-const pointer; a stream made from memory is only read here.
    if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())))) {
        return Fail(failure, std::wstring(kDamaged));
    }
    // The decoder of the format the signature names: a file that it cannot open is damaged.
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoder(*container, nullptr, decoder.put())))
        return Fail(failure, L"the platform has no decoder for this kind of picture");
    if (FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)))
        return Fail(failure, std::wstring(kDamaged));
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) return Fail(failure, std::wstring(kDamaged));
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height))) return Fail(failure, std::wstring(kDamaged));
    // The size a file claims is checked before a single pixel is decoded or allocated.
    if (width > maxSide || height > maxSide || !PictureSizeAllowed(width, height)) {
        return Fail(failure, TooLargeText(width, height));
    }
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put()))) return Fail(failure, std::wstring(kDamaged));
    if (FAILED(converter.get()->Initialize(frame.get(), kPremultipliedBgra, WICBitmapDitherTypeNone, nullptr, 0.0,
                                           WICBitmapPaletteTypeCustom))) {
        return Fail(failure, std::wstring(kDamaged));
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    if (FAILED(converter.get()->CopyPixels(nullptr, width * 4, width * height * 4,
                                           reinterpret_cast<BYTE*>(pixels.data())))) {
        return Fail(failure, std::wstring(kDamaged));
    }
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.bgra = std::move(pixels);
    return true;
}

bool EncodePngWithWic(const IconPixels& pixels, std::vector<std::uint8_t>& png) {
    png.clear();
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.bgra.size() != static_cast<std::size_t>(pixels.width) * pixels.height) {
        return false;
    }
    const ComApartment com(COINIT_MULTITHREADED);  // for this call; a thread in another apartment keeps its own
    const ComPtr<IWICImagingFactory> factory = ImagingFactory();
    if (!factory) return false;
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return false;
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(kPngContainer, nullptr, encoder.put()))) return false;
    if (FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) return false;
    ComPtr<IWICBitmapFrameEncode> frame;
    if (FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr))) return false;
    const UINT w = static_cast<UINT>(pixels.width), h = static_cast<UINT>(pixels.height);
    WICPixelFormatGUID format = kStraightBgra;
    if (FAILED(frame->SetSize(w, h)) || FAILED(frame->SetPixelFormat(&format)) || format != kStraightBgra) return false;
    std::vector<std::uint32_t> straight = pixels.bgra;
    ToStraightAlpha(straight);
    if (FAILED(frame->WritePixels(h, w * 4, w * h * 4, reinterpret_cast<BYTE*>(straight.data())))) return false;
    if (FAILED(frame->Commit()) || FAILED(encoder->Commit())) return false;
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0 ||
        stat.cbSize.QuadPart > std::numeric_limits<ULONG>::max()) {
        return false;
    }
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) return false;
    png.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    if (FAILED(stream->Read(png.data(), static_cast<ULONG>(png.size()), &read)) || read != png.size()) {
        png.clear();
        return false;
    }
    return true;
}

bool IsPictureFile(const std::wstring& path) {
    if (path.empty()) return false;
    UniqueFile file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::uint8_t head[32] = {};
    DWORD read = 0;
    if (!ReadFile(file.get(), head, sizeof head, &read, nullptr)) return false;
    return PictureFormatOf(ByteView(head, read)) != PictureFormat::None;
}

bool ReadPictureFile(const std::wstring& path, IconPixels& out, std::wstring& failure) {
    out = IconPixels();
    InputFile file;
    if (!OpenForReading(file, path)) {
        failure = LastOpenErrorText();
        return false;
    }
    const PictureFormat format = PictureFormatOf(file.Bytes());
    if (format == PictureFormat::None) {
        failure = kNotAPicture;
        return false;
    }
    // The size the header states is checked before the decoder sees the file: some decoders take
    // the memory for the whole image as soon as they open it.
    const auto size = PictureHeaderSize(file.Bytes());
    if (!size) {
        failure = kDamaged;
        return false;
    }
    if (!PictureSizeAllowed(size->width, size->height)) {
        failure = TooLargeText(size->width, size->height);
        return false;
    }
    if (!DecodePictureWithWic(file.Bytes(), format, kMaxPictureSide, out, &failure)) return false;
    // WIC gives the pixels as stored; a phone photo's orientation turns them upright.
    out = OrientUpright(out, PictureOrientation(file.Bytes()));
    return true;
}

std::vector<std::uint8_t> MakePictureIcon(const std::wstring& path) {
    IconPixels picture;
    std::wstring failure;
    if (!ReadPictureFile(path, picture, failure))
        throw UserError(FormatMessageText(L"Cannot make an icon of %s: ", path) + failure);
    std::vector<std::uint8_t> ico = PictureIconFile(picture, &EncodePngWithWic);
    if (ico.empty())
        throw UserError(FormatMessageText(L"Cannot make an icon of %s: ", path) + L"the platform cannot write PNG");
    return ico;
}

std::vector<std::uint8_t> MakeColourFolderIcon(RgbColour colour) {
    std::vector<std::uint8_t> ico = ColourFolderIconFile(colour, &EncodePngWithWic);
    if (ico.empty())
        throw UserError(L"Cannot make the folder icon in " + ColourText(colour) + L": the platform cannot write PNG");
    return ico;
}

}  // namespace qm
