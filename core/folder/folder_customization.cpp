#include "core/folder/folder_customization.h"

#include "core/base/text.h"

namespace qm {

const AttributeProfile& AttributesFor(CallerProfile profile) {
    static constexpr AttributeProfile program{
        kAttrNormal, kAttrReadOnly, kAttrHidden | kAttrSystem, kAttrHidden | kAttrSystem, kAttrReadOnly, kAttrNormal};
    static constexpr AttributeProfile extension{kAttrNormal, kAttrReadOnly, kAttrHidden,
                                                kAttrHidden, kAttrNormal,   kAttrNormal};
    return profile == CallerProfile::Extension ? extension : program;
}

std::wstring WithTrailingBackslash(std::wstring_view folder) {
    std::wstring out(folder);
    if (out.empty() || (out.back() != L'\\' && out.back() != L'/')) out.push_back(L'\\');
    return out;
}

std::wstring DesktopIniPathOf(std::wstring_view folder) { return WithTrailingBackslash(folder) + kDesktopIniName; }

std::wstring MakeCopyName(std::uint32_t first, std::uint32_t second) {
    return std::wstring(kCopyNamePrefix) + std::to_wstring(first) + std::to_wstring(second) + L".ico";
}

bool IsCopyNameFor(CallerProfile profile, std::wstring_view fileName) {
    const std::wstring upper = UpperAscii(fileName);
    if (upper.size() < 4 || upper.compare(upper.size() - 4, 4, L".ICO") != 0) return false;
    if (profile == CallerProfile::Extension) return upper.size() > 16 && upper.compare(0, 16, L"OSTRELQUILLMARK3") == 0;
    return upper.compare(0, 15, L"OSTRELQUILLMARK") == 0;
}

std::uint32_t CopyNameGenerator::NextNumber() {
    // splitmix64: small, well distributed, and reproducible from a seed for tests.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<std::uint32_t>(z % 20000u);
}

std::wstring CopyNameGenerator::NextName() {
    const auto a = NextNumber();
    const auto b = NextNumber();
    return MakeCopyName(a, b);
}

CopyNameGenerator& CopyNames() {
    static CopyNameGenerator generator;
    return generator;
}

}  // namespace qm
