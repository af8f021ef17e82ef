#pragma once
// A bounds-checked, read-only view of bytes. Every read states its offset and length and fails
// (returns false or nothing) rather than read outside the view; offsets are 64-bit so that
// offset + length cannot wrap.
//
// A reader takes one checked record per structure (Record<N>(offset), or Sub for a structure
// whose size is read from the file) right where it reads it; the fields of a record are read at
// fixed offsets that the compiler checks against N, so no field read can fail at run time.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qm {

namespace byte_view_detail {
inline std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
// Big-endian, for the formats that store so (JPEG, PNG, "MM" TIFF).
inline std::uint32_t Be16(const std::uint8_t* p) { return (static_cast<std::uint32_t>(p[0]) << 8) | p[1]; }
inline std::uint32_t Be32(const std::uint8_t* p) { return (Be16(p) << 16) | Be16(p + 2); }
}  // namespace byte_view_detail

class ByteView;

// N bytes that lie wholly inside a view; made only by ByteView::Record.
template <std::size_t N>
class ByteRecord {
public:
    static constexpr std::size_t kSize = N;

    template <std::size_t Offset>
    std::uint8_t U8() const {
        static_assert(Offset + 1 <= N, "field outside the record");
        return p_[Offset];
    }
    template <std::size_t Offset>
    std::uint16_t U16() const {
        static_assert(Offset + 2 <= N, "field outside the record");
        return byte_view_detail::Le16(p_ + Offset);
    }
    template <std::size_t Offset>
    std::uint32_t U32() const {
        static_assert(Offset + 4 <= N, "field outside the record");
        return byte_view_detail::Le32(p_ + Offset);
    }
    std::span<const std::uint8_t, N> span() const { return std::span<const std::uint8_t, N>(p_, N); }

private:
    friend class ByteView;
    explicit ByteRecord(const std::uint8_t* p) : p_(p) {}
    const std::uint8_t* p_;
};

class ByteView {
public:
    ByteView() = default;
    ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit ByteView(std::span<const std::uint8_t> s) : data_(s.data()), size_(s.size()) {}

    std::size_t size() const { return size_; }
    const std::uint8_t* data() const { return data_; }
    bool empty() const { return size_ == 0; }

    // True if [offset, offset + length) lies inside the view.
    bool Has(std::uint64_t offset, std::uint64_t length) const { return offset <= size_ && length <= size_ - offset; }
    std::optional<std::uint8_t> U8(std::uint64_t offset) const {
        if (!Has(offset, 1)) return std::nullopt;
        return data_[offset];
    }
    std::optional<std::uint16_t> U16(std::uint64_t offset) const {
        if (!Has(offset, 2)) return std::nullopt;
        return byte_view_detail::Le16(data_ + offset);
    }
    std::optional<std::uint32_t> U32(std::uint64_t offset) const {
        if (!Has(offset, 4)) return std::nullopt;
        return byte_view_detail::Le32(data_ + offset);
    }
    // The sub-view [offset, offset + length), or nothing if it does not fit.
    std::optional<ByteView> Sub(std::uint64_t offset, std::uint64_t length) const {
        if (!Has(offset, length)) return std::nullopt;
        return ByteView(data_ + offset, static_cast<std::size_t>(length));
    }
    // The N-byte record at offset, or nothing if it does not fit.
    template <std::size_t N>
    std::optional<ByteRecord<N>> Record(std::uint64_t offset) const {
        if (!Has(offset, N)) return std::nullopt;
        return ByteRecord<N>(data_ + offset);
    }
    std::span<const std::uint8_t> span() const { return {data_, size_}; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace qm
