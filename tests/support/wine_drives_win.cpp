#include "tests/support/wine_drives_win.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

#include "core/base/handles_win.h"
#include "tests/support/files_win.h"

namespace qmtest {

namespace {

// Wine's own mount manager request (include/ddk/mountmgr.h of Wine 8): a drive letter bound to a
// Unix folder with a drive type; an empty mount point removes the letter.
constexpr DWORD kDefineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct MountmgrUnixDrive {
    ULONG size;
    ULONG type;
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};

std::string UnixPathOf(const std::wstring& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    const auto convert =
        reinterpret_cast<Convert>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    if (!convert) return {};
    char* unix = convert(path.c_str());
    if (!unix) return {};
    std::string out(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

}  // namespace

bool WineDriveLetter::Define(wchar_t letter, const std::string& unixPath, UINT type) {
    qm::UniqueFile manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!manager) {
        why_ = "no mount manager";
        return false;
    }
    std::vector<char> buffer(sizeof(MountmgrUnixDrive) + unixPath.size() + 1, 0);
    MountmgrUnixDrive request{};
    request.size = static_cast<ULONG>(buffer.size());
    request.type = type;
    request.letter = letter;
    if (!unixPath.empty()) {
        request.mount_point_offset = sizeof(MountmgrUnixDrive);
        std::memcpy(buffer.data() + sizeof(MountmgrUnixDrive), unixPath.c_str(), unixPath.size() + 1);
    }
    std::memcpy(buffer.data(), &request, sizeof request);
    DWORD returned = 0;
    if (!DeviceIoControl(manager.get(), kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, 0,
                         &returned, nullptr)) {
        why_ = "the mount manager refused the drive (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

WineDriveLetter::WineDriveLetter(const std::wstring& folder, UINT driveType) {
    if (!RunningUnderWine()) {
        why_ = "not under Wine: no drive letters can be made for a test";
        return;
    }
    const std::string unixPath = UnixPathOf(folder);
    if (unixPath.empty()) {
        why_ = "no Unix path for the folder";
        return;
    }
    const DWORD used = GetLogicalDrives();
    for (wchar_t letter = L'r'; letter <= L'y'; ++letter) {
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(letter - L'a' + L'A')) + L":\\";
        // Wine 8's mount manager removes a drive's folder but keeps its name in \DosDevices, so
        // GetLogicalDrives still lists a letter an earlier test gave back: one without a root
        // folder is free.
        if ((used & (1u << (letter - L'a'))) && GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR) continue;
        if (!Define(letter, unixPath, driveType)) return;
        if (GetDriveTypeW(root.c_str()) != driveType) {
            why_ = "Wine made the drive, but GetDriveTypeW reports type " + std::to_string(GetDriveTypeW(root.c_str()));
            Define(letter, "", 0);
            return;
        }
        root_ = root;
        return;
    }
    why_ = "no free drive letter";
}

WineDriveLetter::~WineDriveLetter() {
    if (!root_.empty()) Define(static_cast<wchar_t>(root_[0] - L'A' + L'a'), "", 0);
}

}  // namespace qmtest
