#include "core/folder/folder_listing_win.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/base/text.h"
#include "core/folder/folder_customization.h"

namespace qm {

namespace {

bool IsDotOrDotDot(std::wstring_view name) { return name == L"." || name == L".."; }

// FindFirstFileExW's listing: names, attributes and the reparse tag (dwReserved0), no file ids.
// For file systems and platforms without the extended directory class (FAT, network servers,
// Wine); false when the folder cannot be listed.
bool ListByFind(const std::wstring& folder, std::vector<ListedFolder>& out) {
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileExW(LongPathForm(WithTrailingBackslash(folder) + L"*").c_str(), FindExInfoBasic, &fd,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root lists nothing
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotOrDotDot(fd.cFileName)) continue;
        ListedFolder child;
        child.name = fd.cFileName;
        child.attributes = fd.dwFileAttributes;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) child.reparseTag = fd.dwReserved0;
        out.push_back(std::move(child));
    } while (FindNextFileW(find.get(), &fd));
    return true;
}

// FILE_ID_EXTD_DIR_INFO records from the open handle: names, attributes, reparse tags and
// 128-bit ids in one pass. Records are 8-byte aligned and chained by their offsets; every offset
// and name length is checked against the buffer before it is read. False, with nothing added,
// when the file system does not answer this class.
bool ListByHandle(HANDLE dir, std::vector<ListedFolder>& out, bool& listed) {
    std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
    const std::size_t bytes = buffer.size() * sizeof(std::uint64_t);
    const auto* base = reinterpret_cast<const unsigned char*>(buffer.data());
    constexpr std::size_t kNameAt = offsetof(FILE_ID_EXTD_DIR_INFO, FileName);
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdExtdDirectoryRestartInfo;; kind = FileIdExtdDirectoryInfo) {
        if (!GetFileInformationByHandleEx(dir, kind, buffer.data(), static_cast<DWORD>(bytes))) {
            const DWORD error = GetLastError();
            listed = error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND;
            return listed || kind != FileIdExtdDirectoryRestartInfo;
        }
        for (std::size_t at = 0;;) {
            if (at + kNameAt > bytes) break;
            FILE_ID_EXTD_DIR_INFO entry;
            std::memcpy(&entry, base + at, kNameAt);
            if (at + kNameAt + entry.FileNameLength > bytes) break;
            if (entry.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                std::wstring name(entry.FileNameLength / sizeof(wchar_t), L'\0');
                std::memcpy(name.data(), base + at + kNameAt, name.size() * sizeof(wchar_t));
                if (!IsDotOrDotDot(name)) {
                    ListedFolder child;
                    child.name = std::move(name);
                    child.attributes = entry.FileAttributes;
                    if (entry.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) child.reparseTag = entry.ReparsePointTag;
                    std::memcpy(child.fileId.data(), entry.FileId.Identifier, child.fileId.size());
                    out.push_back(std::move(child));
                }
            }
            if (entry.NextEntryOffset == 0) break;
            at += entry.NextEntryOffset;
        }
    }
}

FolderListingSeam& Seam() {
    static FolderListingSeam seam;
    return seam;
}

}  // namespace

FolderListing ListFolderFromPlatform(const std::wstring& folder) {
    FolderListing out;
    UniqueFile dir(CreateFileW(LongPathForm(folder).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!dir || !GetFileInformationByHandle(dir.get(), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return out;
    out.opened = true;
    out.volumeSerial = info.dwVolumeSerialNumber;
    out.fileIndex = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    FILE_ID_INFO id{};
    if (GetFileInformationByHandleEx(dir.get(), FileIdInfo, &id, sizeof id)) {
        out.volumeSerial = id.VolumeSerialNumber;
        std::memcpy(out.fileId.data(), id.FileId.Identifier, out.fileId.size());
    }
    if (!ListByHandle(dir.get(), out.children, out.listed)) out.listed = ListByFind(folder, out.children);
    return out;
}

void SetFolderListingSeam(FolderListingSeam seam) { Seam() = std::move(seam); }

FolderListing ListFolderForWalk(const std::wstring& folder) {
    return Seam() ? Seam()(folder) : ListFolderFromPlatform(folder);
}

}  // namespace qm
