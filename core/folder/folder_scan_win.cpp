#include "core/folder/folder_scan_win.h"

#include <windows.h>
#include <winioctl.h>

#include "core/base/long_path_win.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_profiles.h"
#include "core/folder/folder_sidecar_win.h"
#include "core/folder/volume_facts_win.h"
#include "core/settings/ini_file_win.h"

namespace qm {

DriveKind DriveKindFromType(unsigned driveType) {
    switch (driveType) {
        case DRIVE_FIXED: return DriveKind::Fixed;
        case DRIVE_REMOVABLE:
        case DRIVE_CDROM: return DriveKind::Removable;
        case DRIVE_REMOTE: return DriveKind::Network;
        case DRIVE_RAMDISK: return DriveKind::Other;
        default: return DriveKind::Unknown;  // DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR
    }
}

std::wstring VolumeRootOf(std::wstring_view path) {
    const std::wstring shell = ShellPathForm(path);
    const std::wstring_view p = shell;
    auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (p.size() >= 2 && p[1] == L':' && ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')))
        return std::wstring(p.substr(0, 2)) + L"\\";
    if (p.size() >= 2 && isSeparator(p[0]) && isSeparator(p[1])) {
        // \\server\share\: the root of a network share.
        std::size_t server = p.find_first_of(L"\\/", 2);
        if (server == std::wstring_view::npos || server == 2) return {};
        std::size_t share = p.find_first_of(L"\\/", server + 1);
        if (share == server + 1) return {};
        std::wstring root =
            L"\\\\" + std::wstring(p.substr(2, server - 2)) + L"\\" +
            std::wstring(p.substr(server + 1, share == std::wstring_view::npos ? share : share - server - 1));
        return root + L"\\";
    }
    return {};
}

namespace {

// Buses of disks that are plugged in and out: USB, FireWire, SD and MMC cards.
bool IsDetachableBus(int bus) {
    return bus == BusTypeUsb || bus == BusType1394 || bus == BusTypeSd || bus == BusTypeMmc;
}

}  // namespace

DriveKind DriveKindFromFacts(const VolumeFacts& facts) {
    const std::wstring& root = facts.root;
    if (root.empty() || facts.hiddenFromElevated) return DriveKind::Unknown;
    DriveKind kind = DriveKindFromType(facts.driveType);
    // USB disks and SSDs report DRIVE_FIXED; their device tells.
    if (kind == DriveKind::Fixed && facts.deviceAnswered && (facts.removableMedia || IsDetachableBus(facts.busType)))
        kind = DriveKind::Removable;
    // A share that does not answer is still on the network.
    if (kind == DriveKind::Unknown && root.rfind(L"\\\\", 0) == 0) return DriveKind::Network;
    return kind;
}

DriveKind DriveKindOf(const std::wstring& path) { return DriveKindFromFacts(VolumeFactsOf(path)); }

std::wstring_view DriveKindName(DriveKind kind) {
    switch (kind) {
        case DriveKind::Fixed: return L"fixed";
        case DriveKind::Removable: return L"removable";
        case DriveKind::Network: return L"network";
        case DriveKind::Other: return L"other";
        case DriveKind::Unknown: break;
    }
    return L"unknown";
}

namespace {

// "%SystemRoot%\..." as Windows writes IconResource: the variables expanded.
std::wstring Expanded(const std::wstring& text) {
    if (text.find(L'%') == std::wstring::npos) return text;
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0 || needed > 32768) return text;
    std::wstring out(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), out.data(), needed);
    if (written == 0 || written > needed) return text;
    out.resize(written - 1);
    return out;
}

std::wstring Trimmed(std::wstring s) {
    const auto first = s.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    s.erase(0, first);
    s.erase(s.find_last_not_of(L" \t") + 1);
    return s;
}

struct IconReference {
    std::wstring file, index;
};

// "path,index" (the index after the last comma; none means 0), blanks around each cut off.
IconReference SplitResource(const std::wstring& value) {
    const std::size_t comma = value.rfind(L',');
    if (comma == std::wstring::npos) return {Trimmed(value), L"0"};
    return {Trimmed(value.substr(0, comma)), Trimmed(value.substr(comma + 1))};
}

bool SameIndex(const std::wstring& a, const std::wstring& b) {
    const auto x = ParseIconIndex(a.empty() ? L"0" : a), y = ParseIconIndex(b.empty() ? L"0" : b);
    return x && y ? *x == *y : a == b;
}

}  // namespace

FolderScan ScanFolder(const std::wstring& folder) {
    FolderScan scan;
    scan.folder = folder;
    static constexpr std::wstring_view keys[] = {kIconFileKey, kIconIndexKey, kIconResourceKey, kInfotipKey};
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    auto values = IniFile(DesktopIniPathOf(folder)).ReadStrings(kShellClassInfo, keys, L"", &encoding);
    scan.unreadableEncoding = !ProfileText::PlatformReads(encoding);
    scan.iconFile = std::move(values[0]);
    scan.iconIndex = std::move(values[1]);
    scan.iconResource = std::move(values[2]);
    scan.infotip = std::move(values[3]);

    const IconReference resource = SplitResource(scan.iconResource);
    const IconReference named = !scan.iconFile.empty() ? IconReference{scan.iconFile, scan.iconIndex} : resource;
    if (named.file.empty()) {
        // What a sync client leaves of a customized folder: the copy and the sidecar travel.
        scan.iniMissing = HasSidecar(folder) || !QuillmarkCopiesIn(folder).empty();
        return scan;
    }
    // Explorer reads desktop.ini only in a folder with the read-only or the system mark.
    const DWORD marks = CurrentAttributesOf(folder);
    scan.notMarked = marks != INVALID_FILE_ATTRIBUTES && !(marks & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    scan.place = IsBareFileName(named.file) ? IconPlace::Copy : IconPlace::Link;
    scan.source = Expanded(ResolveInFolder(folder, named.file));
    scan.sourceIndex = Trimmed(named.index.empty() ? L"0" : named.index);
    scan.sourcePresent = IsExistingFile(scan.source);
    // Only a file elsewhere can lie on a drive that goes; a copy goes with its folder.
    if (scan.place == IconPlace::Link) {
        const VolumeFacts facts = VolumeFactsOf(scan.source);
        scan.sourceDrive = DriveKindFromFacts(facts);
        // The file may well be there for the user: not called missing.
        scan.sourceNotVisible = facts.hiddenFromElevated && !scan.sourcePresent;
    }
    if (!scan.iconFile.empty() && !resource.file.empty()) {
        const std::wstring resourceSource = Expanded(ResolveInFolder(folder, resource.file));
        // A folder reached by a walk is in the long form; the keys name files in either form.
        scan.resourceDisagrees = !SamePath(ShellPathForm(resourceSource), ShellPathForm(scan.source)) ||
                                 !SameIndex(resource.index, scan.iconIndex);
    }
    return scan;
}

std::vector<std::wstring_view> ScanStates(const FolderScan& scan) {
    std::vector<std::wstring_view> states;
    if (scan.place == IconPlace::Copy) states.push_back(scan.sourcePresent ? L"copy" : L"copy-missing");
    if (scan.place == IconPlace::Link) {
        states.push_back(scan.sourcePresent || scan.sourceNotVisible ? L"link" : L"source-missing");
        if (scan.sourceDrive == DriveKind::Removable) states.push_back(L"removable");
        if (scan.sourceDrive == DriveKind::Network) states.push_back(L"network");
    }
    if (scan.resourceDisagrees) states.push_back(L"resource-mismatch");
    if (scan.place == IconPlace::None && !scan.infotip.empty()) states.push_back(L"tooltip");
    if (scan.unreadableEncoding) states.push_back(L"unreadable-encoding");
    if (scan.iniMissing) states.push_back(L"ini-missing");
    if (scan.notMarked) states.push_back(L"not-marked");
    return states;
}

}  // namespace qm
