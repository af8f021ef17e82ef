#include "tests/support/icon_fixtures.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "core/icons/binary_layouts.h"
#include "core/icons/byte_writer.h"

namespace qmtest {

using namespace qm;

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, static_cast<std::uint16_t>(v));
    Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

std::vector<std::uint8_t> MakeIconImage(const ImageSpec& s) {
    const std::size_t colours = s.bits <= 8 ? (std::size_t{1} << s.bits) : 0;
    const std::size_t stride = ((static_cast<std::size_t>(s.width) * s.bits + 31) / 32) * 4;
    const std::size_t maskStride = ((static_cast<std::size_t>(s.width) + 31) / 32) * 4;
    using namespace dib_info_header;
    std::vector<std::uint8_t> b(kSize + 4 * colours + stride * s.height + maskStride * s.height, 0);
    Put32(b, kHeaderSize, kSize);
    Put32(b, kWidth, static_cast<std::uint32_t>(s.width));
    Put32(b, kHeight, static_cast<std::uint32_t>(2 * s.height));
    Put16(b, kPlanes, 1);
    Put16(b, kBitCount, static_cast<std::uint16_t>(s.bits));
    Put32(b, kImageSize, static_cast<std::uint32_t>(stride * s.height + maskStride * s.height));
    std::uint32_t x = s.seed * 2654435761u + 12345u;
    auto next = [&] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    for (std::size_t c = 0; c < colours; ++c) Put32(b, kSize + 4 * c, next() & 0xFFFFFF);
    const std::size_t pixels = kSize + 4 * colours;
    for (std::size_t i = 0; i < stride * s.height; ++i) b[pixels + i] = static_cast<std::uint8_t>(next());
    if (s.bits == 32) {
        for (std::size_t i = 3; i < stride * s.height; i += 4) b[pixels + i] = 0xFF;  // opaque
    }
    return b;  // AND mask all 0: every pixel shown
}

std::vector<std::uint8_t> MakeIcoFile(const std::vector<ImageSpec>& specs) {
    std::vector<std::vector<std::uint8_t>> images;
    for (const ImageSpec& s : specs) images.push_back(MakeIconImage(s));
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    AppendHeader(w, IconHeader{0, 1, static_cast<std::uint16_t>(specs.size())});
    std::uint32_t offset = static_cast<std::uint32_t>(icon_header::kSize + icon_directory_entry::kSize * specs.size());
    for (std::size_t i = 0; i < specs.size(); ++i) {
        IconDirectoryEntry e;
        e.Width = static_cast<std::uint8_t>(specs[i].width);
        e.Height = static_cast<std::uint8_t>(specs[i].height);
        e.ColorCount = specs[i].bits == 4 ? 16 : 0;
        e.Planes = 1;
        e.BitCount = static_cast<std::uint16_t>(specs[i].bits);
        e.BytesInRes = static_cast<std::uint32_t>(images[i].size());
        e.ImageOffset = offset;
        offset += e.BytesInRes;
        AppendDirectoryEntry(w, e);
    }
    for (const auto& img : images) out.insert(out.end(), img.begin(), img.end());
    return out;
}

std::vector<std::uint8_t> MakeRawIco(const IconHeader& header, const std::vector<RawIcoImage>& images,
                                     std::size_t fileSize) {
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    AppendHeader(w, header);
    for (const RawIcoImage& img : images) AppendDirectoryEntry(w, img.entry);
    if (out.size() < fileSize) out.resize(fileSize, 0);
    for (const RawIcoImage& img : images) {
        const std::size_t at = img.entry.ImageOffset;
        if (at + img.bytes.size() > out.size()) out.resize(at + img.bytes.size(), 0);
        std::copy(img.bytes.begin(), img.bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (fileSize && out.size() > fileSize) out.resize(fileSize);
    return out;
}

std::vector<ImageSpec> LibraryIconSpecs(int i) {
    const std::uint32_t seed = static_cast<std::uint32_t>(i) * 7 + 1;
    std::vector<ImageSpec> specs = {{16, 16, 4, seed}, {32, 32, 32, seed + 1}};
    if (i % 2) specs.push_back({48, 48, 8, seed + 2});
    return specs;
}

void IconSet::Add(std::vector<std::uint8_t> icoFile, std::wstring name) {
    files_.push_back(std::move(icoFile));
    names_.push_back(std::move(name));
}

void IconSet::AddGenerated(int count) {
    for (int i = 0; i < count; ++i) Add(MakeIcoFile(LibraryIconSpecs(i)));
}

std::vector<LibraryIcon> IconSet::Icons() const {
    std::vector<LibraryIcon> icons;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        LibraryIcon li;
        li.name = names_[i];
        std::wstring failure;
        if (!ReadIcoFile(ByteView(files_[i].data(), files_[i].size()), li.icon, failure)) {
            throw std::runtime_error("fixture icon does not read back");
        }
        icons.push_back(std::move(li));
    }
    return icons;
}

IconTempDir::IconTempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path p = std::filesystem::temp_directory_path() /
                              ("qm-icons-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(p);
    path_ = p.wstring();
}

IconTempDir::~IconTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path_), ec);
}

std::wstring IconTempDir::File(const std::wstring& name) const {
    return (std::filesystem::path(path_) / std::filesystem::path(name)).wstring();
}

std::wstring IconTempDir::Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes) const {
    const std::wstring file = File(name);
    std::ofstream out(std::filesystem::path(file), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write a fixture file");
    return file;
}

std::vector<std::uint8_t> ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::wstring& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(path), ec);
}

std::vector<std::uint8_t> FlatIco(const std::vector<std::pair<int, std::uint32_t>>& images) {
    std::vector<ImageSpec> specs;
    for (const auto& [side, colour] : images) specs.push_back(ImageSpec{side, side, 32, 1});
    std::vector<std::uint8_t> ico = MakeIcoFile(specs);
    std::size_t at = icon_header::kSize + icon_directory_entry::kSize * images.size();
    for (const auto& [side, colour] : images) {
        const std::size_t pixels = at + dib_info_header::kSize;
        for (int p = 0; p < side * side; ++p) {
            for (int k = 0; k < 4; ++k) ico[pixels + 4 * p + k] = static_cast<std::uint8_t>(colour >> (8 * k));
        }
        at += dib_info_header::kSize + 4 * side * side + ((side + 31) / 32) * 4 * side;
    }
    return ico;
}

}  // namespace qmtest
