#pragma once
// Small picture files for the tests, written by the platform's own encoders (WIC): PNG and TIFF
// with alpha, BMP and JPEG opaque (24 bits), GIF with a palette. The pixels are a pattern of
// 4 x 4 blocks in 16 colours, so every format (GIF's palette, JPEG's blocks) keeps them well.
#include <cstdint>
#include <string>
#include <vector>

#include "core/icons/icon_renderer.h"
#include "core/icons/picture_header.h"

namespace qmtest {

// Straight (not premultiplied) BGRA pixels, top row first.
struct TestPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> bgra;
};

// The block pattern; with `alpha`, the right third of the columns is half transparent and the
// last block column fully transparent.
TestPicture PatternPicture(int width, int height, bool alpha);

// The picture as a file of the format; empty when the platform has no encoder for it.
std::vector<std::uint8_t> EncodePicture(qm::PictureFormat format, const TestPicture& picture);

// The picture in premultiplied form, as the decoder gives it.
qm::IconPixels Premultiplied(const TestPicture& picture);

const wchar_t* FormatName(qm::PictureFormat format);

}  // namespace qmtest
