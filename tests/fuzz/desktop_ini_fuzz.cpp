// desktop.ini files of any content through the read-back: the keys a folder's desktop.ini gives
// (found here by a stand-in for the system's profile reader, with its 2,047-character values)
// and what the engine makes of them: the icon index, whether an icon is chosen, where the source
// lies, the IconResource value, the copy-name rules and path comparison.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/base/text.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_profiles.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The value of `key` in `section` as the profile reader gives it: names without case, blanks
// trimmed, one pair of surrounding quotes removed, at most 2,047 characters; empty when absent.
std::wstring ReadKey(std::wstring_view text, std::wstring_view section, std::wstring_view key) {
    bool inSection = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.front() == L'[') {
            const std::size_t close = line.find(L']');
            const std::wstring_view name =
                line.substr(1, close == std::wstring_view::npos ? line.size() - 1 : close - 1);
            inSection = qm::UpperAscii(Trim(name)) == qm::UpperAscii(section);
            continue;
        }
        const std::size_t eq = line.find(L'=');
        if (!inSection || eq == std::wstring_view::npos) continue;
        if (qm::UpperAscii(Trim(line.substr(0, eq))) != qm::UpperAscii(key)) continue;
        std::wstring_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
            value = value.substr(1, value.size() - 2);
        return std::wstring(value.substr(0, 2047));
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    // The two encodings a desktop.ini comes in: UTF-16LE behind its mark, else 8-bit text.
    const std::wstring text = size >= 2 && data[0] == 0xFF && data[1] == 0xFE
                                  ? qm::DecodeUtf16Le(bytes.subspan(2))
                                  : qm::Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data), size));

    qm::FolderCustomization record;
    record.Folder = L"C:\\Users\\Someone\\Folder";
    record.IconFile = ReadKey(text, L".ShellClassInfo", L"IconFile");
    record.IconIndex = ReadKey(text, L".ShellClassInfo", L"IconIndex");
    record.Infotip = ReadKey(text, L".ShellClassInfo", L"Infotip");
    const std::wstring resource = ReadKey(text, L".ShellClassInfo", L"IconResource");

    if (const auto index = qm::ParseIconIndex(record.IconIndex)) {
        // A number read back is written out again as the same number.
        if (qm::ParseIconIndex(std::to_wstring(*index)) != index) std::abort();
        if (record.IconIndex.empty() || record.IconIndex.size() > 2047) std::abort();
    }
    (void)qm::IconChosen(record);
    const std::wstring source = qm::ResolveInFolder(record.Folder, record.IconFile);
    if (qm::IsBareFileName(record.IconFile) && source != qm::WithTrailingBackslash(record.Folder) + record.IconFile)
        std::abort();
    if (!qm::IsBareFileName(record.IconFile) && source != record.IconFile) std::abort();
    const std::wstring value = qm::IconResourceValue(record.IconFile, record.IconIndex);
    if (record.IconFile.empty() != value.empty()) std::abort();
    for (qm::CallerProfile p :
         {qm::CallerProfile::MainWindow, qm::CallerProfile::CustomIconWindow, qm::CallerProfile::Extension}) {
        (void)qm::IsCopyNameFor(p, record.IconFile);
        (void)qm::IsCopyNameFor(p, resource);
    }
    if (!qm::SamePath(record.IconFile, record.IconFile) || !qm::SamePath(resource, qm::UpperAscii(resource)))
        std::abort();
    (void)qm::DesktopIniPathOf(record.Infotip);
    return 0;
}
