#pragma once
// What a picture file's header says before any decoding: its format (by signature) and its pixel
// size, and the limits that size must pass before a decoder sees the file.
#include <cstdint>
#include <optional>

#include "core/icons/byte_view.h"

namespace qm {

// Pictures larger than this in either direction, or whose decoded pixels would take more than
// kMaxPictureDecodedBytes, are refused before any pixel memory is taken.
inline constexpr std::uint32_t kMaxPictureSide = 8192;
inline constexpr std::uint64_t kMaxPictureDecodedBytes = 128ull << 20;

// True when width x height passes both limits (and neither is 0).
bool PictureSizeAllowed(std::uint64_t width, std::uint64_t height);

// The image file formats the signature tells apart.
enum class PictureFormat { None, Png, Jpeg, Bmp, Gif, Tiff };
PictureFormat PictureFormatOf(ByteView file);

// The pixel size a picture file states in its header (PNG IHDR, BMP info header, GIF logical
// screen and first image, JPEG start-of-frame, TIFF first image directory), read without
// decoding, so that the limits are checked before a decoder sees the file. Empty when the header
// is missing, cut short or damaged.
struct PictureSize {
    std::uint64_t width = 0, height = 0;
};
std::optional<PictureSize> PictureHeaderSize(ByteView file);

}  // namespace qm
