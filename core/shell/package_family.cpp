#include "core/shell/package_family.h"

#include <vector>

#include "core/base/text.h"
#include "core/icons/byte_view.h"

namespace qm {

namespace {

constexpr std::array<std::uint32_t, 64> kRounds = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(std::array<std::uint32_t, 8>& h, const std::uint8_t* block) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = (std::uint32_t{block[4 * i]} << 24) | (std::uint32_t{block[4 * i + 1]} << 16) |
               (std::uint32_t{block[4 * i + 2]} << 8) | block[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::array<std::uint32_t, 8> v = h;
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t s1 = Rotr(v[4], 6) ^ Rotr(v[4], 11) ^ Rotr(v[4], 25);
        const std::uint32_t t1 = v[7] + s1 + ((v[4] & v[5]) ^ (~v[4] & v[6])) + kRounds[i] + w[i];
        const std::uint32_t s0 = Rotr(v[0], 2) ^ Rotr(v[0], 13) ^ Rotr(v[0], 22);
        const std::uint32_t t2 = s0 + ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
        v = {t1 + t2, v[0], v[1], v[2], v[3] + t1, v[4], v[5], v[6]};
    }
    for (int i = 0; i < 8; ++i) h[i] += v[i];
}

// The value of an attribute with its five predefined entities and character references decoded;
// nothing for an unknown or unterminated reference.
std::optional<std::string> DecodeXml(std::string_view raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size();) {
        if (raw[i] != '&') {
            out += raw[i++];
            continue;
        }
        const std::size_t end = raw.find(';', i);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view ref = raw.substr(i + 1, end - i - 1);
        i = end + 1;
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"quot", '"'}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"apos", '\''}};
        bool named = false;
        for (const auto& [entity, c] : kNamed)
            if (ref == entity) out += c, named = true;
        if (named) continue;
        if (ref.size() < 2 || ref[0] != '#') return std::nullopt;
        const bool hex = ref[1] == 'x';
        const std::string_view digits = ref.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8) return std::nullopt;
        std::uint32_t code = 0;
        for (const char c : digits) {
            const int d = c >= '0' && c <= '9'          ? c - '0'
                          : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                        : -1;
            if (d < 0) return std::nullopt;
            code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
        }
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
        // UTF-8 of the code point.
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::array<std::uint8_t, 32> Sha256(std::span<const std::uint8_t> data) {
    std::array<std::uint32_t, 8> h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                      0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::size_t whole = data.size() / 64 * 64;
    for (std::size_t at = 0; at < whole; at += 64) Compress(h, data.data() + at);
    // The rest, the bit 1, zeros and the length in bits, in one or two blocks.
    std::uint8_t tail[128] = {};
    const std::size_t rest = data.size() - whole;
    for (std::size_t i = 0; i < rest; ++i) tail[i] = data[whole + i];
    tail[rest] = 0x80;
    const std::size_t tailSize = rest < 56 ? 64 : 128;
    const std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
    for (int i = 0; i < 8; ++i) tail[tailSize - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    for (std::size_t at = 0; at < tailSize; at += 64) Compress(h, tail + at);
    std::array<std::uint8_t, 32> digest{};
    for (int i = 0; i < 32; ++i) digest[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

std::wstring PackageFamilyName(std::wstring_view name, std::wstring_view publisher) {
    std::vector<std::uint8_t> utf16;
    for (const wchar_t c : publisher) {
        utf16.push_back(static_cast<std::uint8_t>(c & 0xFF));
        utf16.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    const auto digest = Sha256(utf16);
    std::uint64_t first = 0;
    for (int i = 0; i < 8; ++i) first = (first << 8) | digest[i];
    // 65 bits (the 64 and a zero bit), five at a time from the top.
    static constexpr wchar_t kDigits[] = L"0123456789abcdefghjkmnpqrstvwxyz";
    std::wstring id;
    for (int i = 0; i < 13; ++i) {
        const int shift = 59 - 5 * i;  // of the 64-bit number; the last digit takes its 4 lowest bits and the zero
        const unsigned digit = shift >= 0 ? (first >> shift) & 31 : (first << 1) & 31;
        id += kDigits[digit];
    }
    return std::wstring(name) + L"_" + id;
}

std::optional<PackageIdentity> ManifestIdentity(std::string_view manifest) {
    // The first Identity element outside comments.
    static constexpr std::string_view kElement = "<Identity";
    std::size_t at = 0;
    for (;;) {
        at = manifest.find('<', at);
        if (at == std::string_view::npos) return std::nullopt;
        if (manifest.substr(at, 4) == "<!--") {
            at = manifest.find("-->", at + 4);
            if (at == std::string_view::npos) return std::nullopt;
            continue;
        }
        const std::size_t next = at + kElement.size();
        if (manifest.substr(at, kElement.size()) == kElement && next < manifest.size() && IsXmlSpace(manifest[next]))
            break;
        ++at;
    }
    std::optional<std::string> name, publisher;
    std::size_t i = at + kElement.size();
    for (;;) {
        while (i < manifest.size() && IsXmlSpace(manifest[i])) ++i;
        if (i >= manifest.size()) return std::nullopt;
        if (manifest[i] == '/' || manifest[i] == '>') break;
        const std::size_t eq = manifest.find('=', i);
        if (eq == std::string_view::npos) return std::nullopt;
        std::string_view attribute = manifest.substr(i, eq - i);
        while (!attribute.empty() && IsXmlSpace(attribute.back())) attribute.remove_suffix(1);
        std::size_t q = eq + 1;
        while (q < manifest.size() && IsXmlSpace(manifest[q])) ++q;
        if (q >= manifest.size() || (manifest[q] != '"' && manifest[q] != '\'')) return std::nullopt;
        const std::size_t close = manifest.find(manifest[q], q + 1);
        if (close == std::string_view::npos) return std::nullopt;
        auto value = DecodeXml(manifest.substr(q + 1, close - q - 1));
        if (!value) return std::nullopt;
        if (attribute == "Name") name = std::move(value);
        if (attribute == "Publisher") publisher = std::move(value);
        i = close + 1;
    }
    if (!name || !publisher || name->empty() || publisher->empty()) return std::nullopt;
    return PackageIdentity{Utf8ToWide(*name), Utf8ToWide(*publisher)};
}

std::optional<std::span<const std::uint8_t>> StoredZipEntry(std::span<const std::uint8_t> zip, std::string_view name) {
    const ByteView file(zip);
    // The end of the central directory: 22 bytes and a comment of up to 65535 at the end.
    constexpr std::uint32_t kEnd = 0x06054b50, kCentral = 0x02014b50, kLocal = 0x04034b50;
    if (zip.size() < 22) return std::nullopt;
    std::optional<std::uint64_t> endAt;
    for (std::uint64_t back = 22; back <= zip.size() && back <= 22 + 0xFFFF && !endAt; ++back) {
        // The record's comment ends the file.
        const auto r = file.Record<22>(zip.size() - back);
        if (r && r->U32<0>() == kEnd && 22u + r->U16<20>() == back) endAt = zip.size() - back;
    }
    if (!endAt) return std::nullopt;
    const auto end = file.Record<22>(*endAt);
    if (!end) return std::nullopt;
    std::uint64_t at = end->U32<16>();
    for (std::uint32_t entry = 0; entry < end->U16<10>(); ++entry) {
        const auto central = file.Record<46>(at);
        if (!central || central->U32<0>() != kCentral) return std::nullopt;
        const std::uint16_t nameLength = central->U16<28>();
        const auto entryName = file.Sub(at + 46, nameLength);
        if (!entryName) return std::nullopt;
        at += 46ull + nameLength + central->U16<30>() + central->U16<32>();
        if (std::string_view(reinterpret_cast<const char*>(entryName->data()), entryName->size()) != name) continue;
        const std::uint32_t size = central->U32<20>();
        if (central->U16<10>() != 0 || size != central->U32<24>()) return std::nullopt;  // compressed
        const std::uint64_t localAt = central->U32<42>();
        const auto local = file.Record<30>(localAt);
        if (!local || local->U32<0>() != kLocal) return std::nullopt;
        const auto data = file.Sub(localAt + 30 + local->U16<26>() + local->U16<28>(), size);
        if (!data) return std::nullopt;
        return data->span();
    }
    return std::nullopt;
}

std::optional<std::wstring> PackageFamilyOfPackage(std::span<const std::uint8_t> package) {
    const auto manifest = StoredZipEntry(package, "AppxManifest.xml");
    if (!manifest) return std::nullopt;
    const auto identity =
        ManifestIdentity(std::string_view(reinterpret_cast<const char*>(manifest->data()), manifest->size()));
    if (!identity) return std::nullopt;
    return PackageFamilyName(identity->name, identity->publisher);
}

}  // namespace qm
