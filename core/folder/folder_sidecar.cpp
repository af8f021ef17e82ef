#include "core/folder/folder_sidecar.h"

#include "core/base/text.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_profiles.h"

namespace qm {

namespace {

constexpr std::wstring_view kIconFile = L"IconFile";
constexpr std::wstring_view kIconIndex = L"IconIndex";
constexpr std::wstring_view kInfotip = L"Infotip";

std::wstring OneLine(std::wstring_view value) {
    std::wstring out(value);
    for (wchar_t& c : out)
        if (c == L'\r' || c == L'\n') c = L' ';
    return out;
}

std::wstring SidecarText(const SidecarRecord& r, std::wstring_view tip) {
    return L"[" + std::wstring(kSidecarSection) + L"]\r\n" + std::wstring(kIconFile) + L"=" + OneLine(r.iconFile) +
           L"\r\n" + std::wstring(kIconIndex) + L"=" + OneLine(r.iconIndex) + L"\r\n" + std::wstring(kInfotip) + L"=" +
           OneLine(tip) + L"\r\n";
}

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.remove_suffix(1);
    return s;
}

bool SameKey(std::wstring_view a, std::wstring_view b) { return UpperAscii(a) == UpperAscii(b); }

}  // namespace

std::wstring_view SidecarProblemText(SidecarProblem problem) {
    switch (problem) {
        case SidecarProblem::None: break;
        case SidecarProblem::Unreadable: return L"the sidecar cannot be read";
        case SidecarProblem::TooLarge: return L"the sidecar is larger than 4 KB";
        case SidecarProblem::WrongEncoding: return L"the sidecar is not UTF-16LE text with its mark";
        case SidecarProblem::Cut: return L"the sidecar is cut short";
        case SidecarProblem::NoSection: return L"the sidecar has no [Quillmark] section";
        case SidecarProblem::OutsideFolder: return L"the sidecar names a file outside the folder";
        case SidecarProblem::NotACopy: return L"the sidecar names a file that is not a Quillmark icon copy";
        case SidecarProblem::BadIndex: return L"the sidecar's IconIndex is not a number";
        case SidecarProblem::NotAnIcon: return L"the sidecar names a file that is not an icon";
    }
    return L"";
}

std::vector<std::uint8_t> SidecarBytes(const SidecarRecord& record) {
    std::wstring tip = record.infotip;
    std::wstring text = SidecarText(record, tip);
    // Two bytes a character and two for the mark.
    const std::size_t room = (kSidecarMaxBytes - 2) / 2;
    if (text.size() > room) {
        const std::size_t over = text.size() - room;
        tip.resize(tip.size() > over ? tip.size() - over : 0);
        // A surrogate pair is not split.
        if (!tip.empty() && tip.back() >= 0xD800 && tip.back() <= 0xDBFF) tip.pop_back();
        text = SidecarText(record, tip);
    }
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    const auto body = EncodeUtf16Le(text);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

bool IsSafeCopyName(std::wstring_view name) {
    if (name.size() > 255 || name.find(L"..") != std::wstring_view::npos) return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
    const std::wstring upper = UpperAscii(name);
    const std::wstring prefix = UpperAscii(kCopyNamePrefix);
    return upper.size() > prefix.size() + 4 && upper.compare(0, prefix.size(), prefix) == 0 &&
           upper.compare(upper.size() - 4, 4, L".ICO") == 0;
}

SidecarReading ParseSidecar(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kSidecarMaxBytes) return {SidecarProblem::TooLarge, {}};
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) return {SidecarProblem::WrongEncoding, {}};
    if (bytes.size() % 2 != 0) return {SidecarProblem::Cut, {}};
    const std::wstring text = DecodeUtf16Le(bytes.subspan(2));
    // The writer ends every line; a file that does not end so was cut on its way.
    if (text.empty() || text.back() != L'\n') return {SidecarProblem::Cut, {}};

    bool inSection = false, sectionSeen = false;
    std::optional<std::wstring> file, index, tip;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring_view line = std::wstring_view(text).substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
        line = Trim(line);
        if (line.empty() || line.front() == L';') continue;
        if (line.front() == L'[') {
            inSection = line.back() == L']' && SameKey(Trim(line.substr(1, line.size() - 2)), kSidecarSection);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        const std::size_t eq = line.find(L'=');
        if (!inSection || eq == std::wstring_view::npos) continue;
        const std::wstring_view key = Trim(line.substr(0, eq));
        const std::wstring value(Trim(line.substr(eq + 1)));
        std::optional<std::wstring>* target = SameKey(key, kIconFile)    ? &file
                                              : SameKey(key, kIconIndex) ? &index
                                              : SameKey(key, kInfotip)   ? &tip
                                                                         : nullptr;
        if (target && !*target) *target = value;  // the first of a key counts, as the shell reads
    }
    if (!sectionSeen) return {SidecarProblem::NoSection, {}};
    if (!file || !index || !tip) return {SidecarProblem::Cut, {}};
    if (file->find_first_of(L"\\/:") != std::wstring::npos || file->find(L"..") != std::wstring::npos)
        return {SidecarProblem::OutsideFolder, {}};
    if (!IsSafeCopyName(*file)) return {SidecarProblem::NotACopy, {}};
    if (index->size() > 11 || !ParseIconIndex(*index)) return {SidecarProblem::BadIndex, {}};
    return {SidecarProblem::None, {std::move(*file), std::move(*index), std::move(*tip)}};
}

}  // namespace qm
