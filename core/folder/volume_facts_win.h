#pragma once
// What the platform answers about the volume a file lies on, for telling a drive that stays from
// one that goes: the volume's root, its drive type, and what its storage device says of itself.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace qm {

struct VolumeFacts {
    // GetVolumePathNameW's answer: "D:\", a volume mounted in a folder ("C:\Mount\Stick\"),
    // "\\server\share\"; empty for a relative path.
    std::wstring root;
    UINT driveType = DRIVE_UNKNOWN;  // GetDriveTypeW of that root
    // IOCTL_STORAGE_QUERY_PROPERTY (StorageDeviceProperty) for the volume's device, when it answered.
    bool deviceAnswered = false;
    bool removableMedia = false;
    int busType = 0;  // STORAGE_BUS_TYPE
    // A drive letter of the user's session that this elevated process cannot see: the file may
    // well be there.
    bool hiddenFromElevated = false;
};

VolumeFacts VolumeFactsFromPlatform(const std::wstring& path);

// What the drive classification asks: the platform, or a test's stand-in while one is set
// (Wine has no USB disks, mounted folders or elevation boundary).
using VolumeFactsSeam = std::function<VolumeFacts(const std::wstring& path)>;
void SetVolumeFactsSeam(VolumeFactsSeam seam);
VolumeFacts VolumeFactsOf(const std::wstring& path);

}  // namespace qm
