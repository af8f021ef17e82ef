#pragma once
// A customized folder's state as the shell will find it: where its icon comes from (its own copy
// inside the folder or a file elsewhere), whether that file is there, whether it lies on a drive
// that comes and goes, and whether IconResource names another icon than IconFile.
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The kind of drive a file lies on. A CD or DVD counts as removable; a UNC path as network.
enum class DriveKind { Fixed, Removable, Network, Other, Unknown };

// From GetDriveTypeW's answer.
DriveKind DriveKindFromType(unsigned driveType);
// The root GetDriveTypeW takes for a path: "C:\", "\\server\share\" (also from the "\\?\" forms),
// or empty for a relative path.
std::wstring VolumeRootOf(std::wstring_view path);
struct VolumeFacts;
// The kind of drive from what the platform answers about the volume.
DriveKind DriveKindFromFacts(const VolumeFacts& facts);
// The kind of drive the path lies on.
DriveKind DriveKindOf(const std::wstring& path);
std::wstring_view DriveKindName(DriveKind kind);  // "fixed", "removable", "network", "other", "unknown"

enum class IconPlace {
    None,  // no icon named (a tooltip alone)
    Copy,  // a bare file name: a file inside the folder
    Link,  // a path to a file elsewhere
};

struct FolderScan {
    std::wstring folder;
    std::wstring iconFile, iconIndex, iconResource, infotip;  // as desktop.ini holds them
    IconPlace place = IconPlace::None;
    std::wstring source;       // the icon's file, resolved against the folder and the environment
    std::wstring sourceIndex;  // the icon's position in it (IconIndex, or IconResource's index)
    bool sourcePresent = false;
    DriveKind sourceDrive = DriveKind::Unknown;  // of a link's source (Unknown for a copy)
    bool sourceNotVisible = false;               // on a drive letter this elevated process cannot see (Unknown)
    bool resourceDisagrees = false;              // IconResource and IconFile/IconIndex both set, naming different icons
    // desktop.ini is in UTF-8 with a mark or in UTF-16BE, which Explorer cannot read.
    bool unreadableEncoding = false;
    bool iniMissing = false;  // a Quillmark copy or sidecar is in the folder, desktop.ini names no icon
    bool notMarked = false;   // desktop.ini names an icon; the folder has neither read-only nor system

    // desktop.ini names an icon or a tooltip.
    bool Customized() const { return place != IconPlace::None || !infotip.empty() || iniMissing; }
    // The shell cannot show the icon the folder was given: its file is missing, or the two keys
    // name different icons, or the shell cannot read desktop.ini at all. A source on a removable or
    // network drive is a risk, not a break.
    bool Broken() const {
        return (place != IconPlace::None && !sourcePresent && !sourceNotVisible) || resourceDisagrees ||
               unreadableEncoding || iniMissing || notMarked;
    }
};

// Reads the folder's desktop.ini (section .ShellClassInfo) and looks for the icon's file. Changes
// nothing. IconFile names the icon when set, otherwise IconResource does. The folder's marks are
// read through CurrentAttributesOf (folder_files_win.h).
FolderScan ScanFolder(const std::wstring& folder);

// The state words of a scan, in this order: "copy" or "copy-missing", "link" or "source-missing",
// "removable" or "network" (a link's source), "resource-mismatch", "tooltip" (no icon),
// "unreadable-encoding", "ini-missing", "not-marked".
std::vector<std::wstring_view> ScanStates(const FolderScan& scan);

}  // namespace qm
