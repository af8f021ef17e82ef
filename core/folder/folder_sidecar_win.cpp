#include "core/folder/folder_sidecar_win.h"

#include "core/base/error.h"
#include "core/base/file_bytes_win.h"
#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_files_win.h"
#include "core/icons/icon_file.h"
#include "core/icons/icon_probe.h"

namespace qm {

namespace {

// cfapi.h is not in MinGW-w64: what CfGetSyncRootInfoByPath needs, as the Windows SDK declares it.
constexpr int kCfSyncRootInfoBasic = 0;  // CF_SYNC_ROOT_INFO_BASIC
struct CfSyncRootBasicInfo {             // CF_SYNC_ROOT_BASIC_INFO
    LARGE_INTEGER SyncRootFileId;
};
using CfGetSyncRootInfoByPathFn = HRESULT(WINAPI*)(LPCWSTR, int, PVOID, DWORD, DWORD*);

CfGetSyncRootInfoByPathFn SyncRootQuery() {
    // Loaded once from the system folder and kept for the process; missing before Windows 10 1709.
    static const CfGetSyncRootInfoByPathFn query = [] {
        HMODULE module = LoadLibraryExW(L"cldapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module) return CfGetSyncRootInfoByPathFn{};
        return reinterpret_cast<CfGetSyncRootInfoByPathFn>(GetProcAddress(module, "CfGetSyncRootInfoByPath"));
    }();
    return query;
}

SyncRootSeam& SyncRootAnswer() {
    static SyncRootSeam seam;
    return seam;
}

SidecarPolicy& Policy() {
    static SidecarPolicy policy = SidecarPolicy::Synced;
    return policy;
}

}  // namespace

void SetSyncRootSeam(SyncRootSeam seam) { SyncRootAnswer() = std::move(seam); }

bool IsInSyncRoot(const std::wstring& folder) {
    if (SyncRootAnswer()) return SyncRootAnswer()(folder);
    const auto query = SyncRootQuery();
    if (!query) return false;
    CfSyncRootBasicInfo info{};
    DWORD returned = 0;
    // The API fails for a path that is not below a sync root.
    return SUCCEEDED(query(LongPathForm(folder).c_str(), kCfSyncRootInfoBasic, &info, sizeof info, &returned));
}

void SetSidecarPolicy(SidecarPolicy policy) { Policy() = policy; }
SidecarPolicy CurrentSidecarPolicy() { return Policy(); }

std::optional<SidecarPolicy> SidecarPolicyFromName(std::wstring_view name) {
    if (name == L"always") return SidecarPolicy::Always;
    if (name == L"synced") return SidecarPolicy::Synced;
    if (name == L"never") return SidecarPolicy::Never;
    return std::nullopt;
}

bool WantsSidecar(SidecarPolicy policy, bool inSyncRoot) {
    return policy == SidecarPolicy::Always || (policy == SidecarPolicy::Synced && inSyncRoot);
}

std::wstring SidecarPathOf(const std::wstring& folder) { return WithTrailingBackslash(folder) + kSidecarName; }

bool HasSidecar(const std::wstring& folder) { return IsExistingFile(SidecarPathOf(folder)); }

void WriteSidecar(const std::wstring& folder, const SidecarRecord& record) {
    const std::wstring path = SidecarPathOf(folder);
    // Windows refuses to replace a hidden or system file created without the same marks.
    if (HasSidecar(folder)) SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    WriteNewFile(path, SidecarBytes(record));
    SetAttributes(path, FILE_ATTRIBUTE_HIDDEN);
}

void RemoveSidecar(const std::wstring& folder) {
    if (!HasSidecar(folder)) return;
    const std::wstring path = SidecarPathOf(folder);
    SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(LongPathForm(path).c_str());
}

bool IsIconCopyFile(const std::wstring& path) {
    if (!IsExistingFile(path)) return false;
    std::int32_t kind = kIconFileUnknown, count = 0;
    ProbeIconFile(path, kind, count);
    return kind == kIconFileIco && count > 0;
}

SidecarReading ReadSidecar(const std::wstring& folder) {
    UniqueFile file(CreateFileW(LongPathForm(SidecarPathOf(folder)).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {SidecarProblem::Unreadable, {}};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return {SidecarProblem::Unreadable, {}};
    if (size.QuadPart > static_cast<LONGLONG>(kSidecarMaxBytes)) return {SidecarProblem::TooLarge, {}};
    const auto bytes = ReadFileBytes(file.get(), kSidecarMaxBytes);
    if (!bytes) return {SidecarProblem::Unreadable, {}};
    SidecarReading reading = ParseSidecar(*bytes);
    if (reading.problem == SidecarProblem::None &&
        !IsIconCopyFile(WithTrailingBackslash(folder) + reading.record.iconFile))
        return {SidecarProblem::NotAnIcon, {}};
    return reading;
}

}  // namespace qm

namespace qm {

std::vector<std::wstring> QuillmarkCopiesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    const std::wstring pattern = WithTrailingBackslash(folder) + std::wstring(kCopyNamePrefix) + L"*.ico";
    UniqueFind find(FindFirstFileW(LongPathForm(pattern).c_str(), &fd));
    if (!find) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsSafeCopyName(fd.cFileName))
            names.emplace_back(fd.cFileName);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

void KeepSidecarWithKeys(const std::wstring& folder, const SidecarRecord& keys, bool inSyncRoot) {
    if (WantsSidecar(CurrentSidecarPolicy(), inSyncRoot) && IsSafeCopyName(keys.iconFile))
        WriteSidecar(folder, keys);
    else
        RemoveSidecar(folder);
}

}  // namespace qm
