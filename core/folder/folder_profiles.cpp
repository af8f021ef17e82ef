#include "core/folder/folder_profiles.h"

#include "core/base/text.h"

namespace qm {

namespace {
constexpr FolderMessageText kSelectFolder{"Please select folder", "Warning"};
constexpr std::string_view kProgramNoRights =
    "Sorry, but Quillmark cannot change icon of this folder. /nrights to write to this folder";
constexpr FolderMessageText kExtensionNoRights{
    "Sorry, but Quillmark cannot change icon of this folder. /n Because this folder on read-onle media "
    "or you do not have rights to write to this folder",
    "Sorry ..."};
constexpr FolderMessageText kNone{};
}  // namespace

const ApplyProfile& ApplyProfileFor(CallerProfile caller) {
    static const ApplyProfile mainWindow{
        CallerProfile::MainWindow,
        MessageChannel::Program,
        kSelectFolder,
        {kProgramNoRights, "Sorry ..."},
        kNone,
        TooltipOnlyRule::CopyModeWithoutIcon,
        true,
        true,
        true,
        AttributesFor(CallerProfile::MainWindow).desktopIniAfterApply,
        AttributesFor(CallerProfile::MainWindow).copyAfterWrite,
        AttributesFor(CallerProfile::MainWindow).folderAfterApply,
    };
    static const ApplyProfile customIconWindow{
        CallerProfile::CustomIconWindow,
        MessageChannel::Program,
        kSelectFolder,
        {kProgramNoRights, "Warning"},
        {"Please select icon or enter description for folder.", "Warning"},
        TooltipOnlyRule::WithoutIconInEitherMode,
        true,
        true,
        true,
        AttributesFor(CallerProfile::CustomIconWindow).desktopIniAfterApply,
        AttributesFor(CallerProfile::CustomIconWindow).copyAfterWrite,
        AttributesFor(CallerProfile::CustomIconWindow).folderAfterApply,
    };
    static const ApplyProfile extension{
        CallerProfile::Extension,
        MessageChannel::Extension,
        kNone,
        kExtensionNoRights,
        kNone,
        TooltipOnlyRule::Never,
        false,
        false,
        false,
        AttributesFor(CallerProfile::Extension).desktopIniAfterApply,
        AttributesFor(CallerProfile::Extension).copyAfterWrite,
        AttributesFor(CallerProfile::Extension).folderAfterApply,
    };
    switch (caller) {
        case CallerProfile::MainWindow: return mainWindow;
        case CallerProfile::CustomIconWindow: return customIconWindow;
        case CallerProfile::Extension: break;
    }
    return extension;
}

const ResetProfile& ResetProfileFor(CallerProfile caller) {
    static const ResetProfile program{
        CallerProfile::MainWindow,
        MessageChannel::Program,
        kSelectFolder,
        false,
        kNone,
        AttributesFor(CallerProfile::MainWindow).folderAfterReset,
        false,
    };
    static const ResetProfile extension{
        CallerProfile::Extension,
        MessageChannel::Extension,
        kNone,
        true,
        kExtensionNoRights,
        AttributesFor(CallerProfile::Extension).folderAfterReset,
        true,
    };
    return caller == CallerProfile::Extension ? extension : program;
}

bool IconChosen(const FolderCustomization& record) {
    return !record.IconFile.empty() && !record.IconIndex.empty() && record.IconIndex != L"-1";
}

std::optional<std::int32_t> ParseIconIndex(std::wstring_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        value = value * 10 + (text[i] - L'0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

bool IsBareFileName(std::wstring_view path) {
    return !path.empty() && path.find_first_of(L"\\/:") == std::wstring_view::npos;
}

std::wstring ResolveInFolder(std::wstring_view folder, std::wstring_view iconFile) {
    if (!IsBareFileName(iconFile)) return std::wstring(iconFile);
    return WithTrailingBackslash(folder) + std::wstring(iconFile);
}

std::wstring IconResourceValue(std::wstring_view iconFile, std::wstring_view iconIndex) {
    if (iconFile.empty()) return {};
    return std::wstring(iconFile) + L"," + std::wstring(iconIndex.empty() ? L"0" : iconIndex);
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    const std::wstring ua = UpperAscii(a), ub = UpperAscii(b);
    for (std::size_t i = 0; i < ua.size(); ++i) {
        const wchar_t x = ua[i] == L'/' ? L'\\' : ua[i];
        const wchar_t y = ub[i] == L'/' ? L'\\' : ub[i];
        if (x != y) return false;
    }
    return true;
}

}  // namespace qm
