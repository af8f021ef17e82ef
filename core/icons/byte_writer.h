#pragma once
// The writing twin of ByteView: appends little-endian fields to a byte vector it does not own.
//
// A fixed-size structure is written as one record (Record<N>() appends N zero bytes, RecordAt<N>
// reopens N bytes already written, to fill in what is known only later); its fields are set at
// fixed offsets that the compiler checks against N, the same offsets the readers read.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace qm {

namespace byte_writer_detail {
inline void PutLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLe32(std::uint8_t* p, std::uint32_t v) {
    PutLe16(p, static_cast<std::uint16_t>(v));
    PutLe16(p + 2, static_cast<std::uint16_t>(v >> 16));
}
}  // namespace byte_writer_detail

// N bytes of a writer's vector, from a position; made only by ByteWriter::Record and RecordAt.
// Holds a position, not a pointer, so that later appends do not invalidate it.
template <std::size_t N>
class RecordWriter {
public:
    static constexpr std::size_t kSize = N;

    template <std::size_t Offset>
    RecordWriter& U8(std::uint8_t v) {
        static_assert(Offset + 1 <= N, "field outside the record");
        bytes_[at_ + Offset] = v;
        return *this;
    }
    template <std::size_t Offset>
    RecordWriter& U16(std::uint16_t v) {
        static_assert(Offset + 2 <= N, "field outside the record");
        byte_writer_detail::PutLe16(bytes_.data() + at_ + Offset, v);
        return *this;
    }
    template <std::size_t Offset>
    RecordWriter& U32(std::uint32_t v) {
        static_assert(Offset + 4 <= N, "field outside the record");
        byte_writer_detail::PutLe32(bytes_.data() + at_ + Offset, v);
        return *this;
    }
    // Bytes as they are (a name field), at most Length of them; the rest stays as it was.
    template <std::size_t Offset, std::size_t Length>
    RecordWriter& Text(std::string_view text) {
        static_assert(Offset + Length <= N, "field outside the record");
        for (std::size_t i = 0; i < Length && i < text.size(); ++i)
            bytes_[at_ + Offset + i] = static_cast<std::uint8_t>(text[i]);
        return *this;
    }
    // Where the record starts in the writer's vector.
    std::size_t position() const { return at_; }

private:
    friend class ByteWriter;
    RecordWriter(std::vector<std::uint8_t>& bytes, std::size_t at) : bytes_(bytes), at_(at) {}
    std::vector<std::uint8_t>& bytes_;
    std::size_t at_;
};

class ByteWriter {
public:
    // Appends to `out` (which must outlive the writer), after what it already holds.
    explicit ByteWriter(std::vector<std::uint8_t>& out) : bytes_(out) {}
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    // The number of bytes in the vector, which is also where the next byte goes.
    std::size_t size() const { return bytes_.size(); }

    void U8(std::uint8_t v) { bytes_.push_back(v); }
    void U16(std::uint16_t v) {
        std::uint8_t b[2];
        byte_writer_detail::PutLe16(b, v);
        bytes_.insert(bytes_.end(), b, b + 2);
    }
    void U32(std::uint32_t v) {
        std::uint8_t b[4];
        byte_writer_detail::PutLe32(b, v);
        bytes_.insert(bytes_.end(), b, b + 4);
    }
    void Bytes(std::span<const std::uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
    // Byte by byte: GCC 12 misreads resize() inlined here as an access out of bounds.
    void Zeros(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) bytes_.push_back(0);
    }
    // Zeros up to the next multiple of alignment (nothing when already there).
    void PadTo(std::size_t alignment) {
        if (alignment > 1 && bytes_.size() % alignment) Zeros(alignment - bytes_.size() % alignment);
    }

    // N zero bytes appended, to be filled as a record.
    template <std::size_t N>
    RecordWriter<N> Record() {
        const std::size_t at = bytes_.size();
        Zeros(N);
        return RecordWriter<N>(bytes_, at);
    }
    // The N bytes at `offset`, already written. A record that does not lie wholly inside what is
    // written is the writer's own fault: std::out_of_range.
    template <std::size_t N>
    RecordWriter<N> RecordAt(std::size_t offset) {
        if (offset > bytes_.size() || N > bytes_.size() - offset) throw std::out_of_range("record outside the bytes");
        return RecordWriter<N>(bytes_, offset);
    }

private:
    std::vector<std::uint8_t>& bytes_;
};

}  // namespace qm
