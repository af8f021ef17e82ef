#pragma once
// A bounds-checked, read-only view of bytes. Every read states its offset and length and fails
// (returns false or nothing) rather than read outside the view; offsets are 64-bit so that
// offset + length cannot wrap.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qm {

class ByteView {
public:
    ByteView() = default;
    ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit ByteView(std::span<const std::uint8_t> s) : data_(s.data()), size_(s.size()) {}

    std::size_t size() const { return size_; }
    const std::uint8_t* data() const { return data_; }
    bool empty() const { return size_ == 0; }

    // True if [offset, offset + length) lies inside the view.
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    std::optional<std::uint8_t> U8(std::uint64_t offset) const {
        if (!Has(offset, 1)) return std::nullopt;
        return data_[offset];
    }
    std::optional<std::uint16_t> U16(std::uint64_t offset) const {
        if (!Has(offset, 2)) return std::nullopt;
        return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    }
    std::optional<std::uint32_t> U32(std::uint64_t offset) const {
        if (!Has(offset, 4)) return std::nullopt;
        return static_cast<std::uint32_t>(data_[offset]) | (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
    }
    // The sub-view [offset, offset + length), or nothing if it does not fit.
    std::optional<ByteView> Sub(std::uint64_t offset, std::uint64_t length) const {
        if (!Has(offset, length)) return std::nullopt;
        return ByteView(data_ + offset, static_cast<std::size_t>(length));
    }
    std::span<const std::uint8_t> span() const { return {data_, size_}; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace qm
