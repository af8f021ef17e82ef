#include "core/folder/volume_facts_win.h"

#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/process_elevation_win.h"
#include "core/base/long_path_win.h"
#include "core/folder/folder_scan_win.h"

namespace qm {

namespace {

VolumeFactsSeam& Seam() {
    static VolumeFactsSeam seam;
    return seam;
}

// The device under a volume root tells whether it is removable and on which bus: a USB disk or
// SSD reports DRIVE_FIXED, but its bus is USB. Opened without any access right, which asks for
// no elevation.
void AskTheDevice(VolumeFacts& facts) {
    std::wstring device;
    wchar_t volume[64] = {};
    if (GetVolumeNameForVolumeMountPointW(facts.root.c_str(), volume, 64)) {
        device = volume;  // "\\?\Volume{...}\": the device is named without the last backslash
        if (!device.empty() && device.back() == L'\\') device.pop_back();
    } else if (facts.root.size() == 3 && facts.root[1] == L':') {
        device = L"\\\\.\\" + facts.root.substr(0, 2);
    } else {
        return;
    }
    UniqueFile handle(
        CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!handle) return;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    std::vector<std::uint64_t> buffer(1024 / sizeof(std::uint64_t));
    DWORD returned = 0;
    if (!DeviceIoControl(handle.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer.data(),
                         static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t)), &returned, nullptr))
        return;
    // Only the fields the device filled in are read.
    constexpr std::size_t kNeeded = offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(STORAGE_BUS_TYPE);
    if (returned < kNeeded) return;
    STORAGE_DEVICE_DESCRIPTOR descriptor;
    std::memcpy(&descriptor, buffer.data(), kNeeded);
    facts.deviceAnswered = true;
    facts.removableMedia = descriptor.RemovableMedia != FALSE;
    facts.busType = static_cast<int>(descriptor.BusType);
}

}  // namespace

VolumeFacts VolumeFactsFromPlatform(const std::wstring& path) {
    VolumeFacts facts;
    const std::wstring named = VolumeRootOf(path);  // the drive letter or share the path names
    if (named.empty()) return facts;
    facts.root = named;
    // The volume the file lies on, also when it is mounted in a folder of another drive.
    const std::wstring shell = ShellPathForm(path);
    const std::wstring asked = shell.size() < MAX_PATH ? shell : LongPathForm(path);
    std::wstring volume(asked.size() + 2, L'\0');
    if (GetVolumePathNameW(asked.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) {
        volume.resize(std::wcslen(volume.c_str()));
        facts.root = ShellPathForm(volume);
    }
    facts.driveType = GetDriveTypeW(facts.root.c_str());
    // A letter mapped in the user's session is not there for an elevated process of the same user.
    if (facts.driveType == DRIVE_NO_ROOT_DIR && named.size() == 3 && named[1] == L':' && ProcessIsElevated())
        facts.hiddenFromElevated = true;
    if (facts.driveType == DRIVE_FIXED) AskTheDevice(facts);
    return facts;
}

void SetVolumeFactsSeam(VolumeFactsSeam seam) { Seam() = std::move(seam); }

VolumeFacts VolumeFactsOf(const std::wstring& path) { return Seam() ? Seam()(path) : VolumeFactsFromPlatform(path); }

}  // namespace qm
