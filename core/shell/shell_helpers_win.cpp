#include "core/shell/shell_helpers_win.h"

#include <shellapi.h>

#include <memory>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"

namespace qm {

std::uint64_t FindFileSize(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(path.c_str(), &fd));
    if (!find) return 0;
    return (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) + fd.nFileSizeLow;
}

namespace {
// A list of one name for a shell file-operation request: the path and an extra terminating zero.
std::wstring SingleNameList(const std::wstring& path) {
    std::wstring list = path;
    list.push_back(L'\0');  // c_str() adds the second one
    return list;
}

FileOperationObserver& Observer() {
    static FileOperationObserver observer;
    return observer;
}

// Every request is silent: no progress, no confirmation, and no error box (FOF_NOERRORUI), which
// Windows would otherwise show for a file in use or access denied, inside Explorer too.
constexpr FILEOP_FLAGS kSilent = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;

bool RunFileOperation(UINT operation, const std::wstring& source, const std::wstring* target, FILEOP_FLAGS flags) {
    const std::wstring from = SingleNameList(source);
    const std::wstring to = target ? SingleNameList(*target) : std::wstring();
    SHFILEOPSTRUCTW op{};
    op.hwnd = nullptr;
    op.wFunc = operation;
    op.pFrom = from.c_str();
    op.pTo = target ? to.c_str() : nullptr;
    op.fFlags = flags;
    op.hNameMappings = nullptr;
    op.lpszProgressTitle = nullptr;
    const bool succeeded = SHFileOperationW(&op) == 0;
    if (Observer())
        Observer()(FileOperationRequest{operation, flags, source, target ? *target : std::wstring(), succeeded});
    return succeeded;
}
}  // namespace

void SetFileOperationObserver(FileOperationObserver observer) { Observer() = std::move(observer); }

bool RecycleFile(const std::wstring& path) {
    return RunFileOperation(FO_DELETE, path, nullptr, kSilent | FOF_ALLOWUNDO);
}

bool DeleteFilePermanently(const std::wstring& path) { return RunFileOperation(FO_DELETE, path, nullptr, kSilent); }

bool CopyFileSilently(const std::wstring& source, const std::wstring& target) {
    // Some shells report success for a copy into a folder that refuses it: the file on disk decides.
    return RunFileOperation(FO_COPY, source, &target, kSilent) && IsExistingFile(target);
}

namespace {
std::optional<SystemFolders>& SystemFoldersSeam() {
    static std::optional<SystemFolders> seam;
    return seam;
}

template <class Query>
std::wstring PlatformFolder(Query query) {
    wchar_t buffer[MAX_PATH] = {};
    const UINT length = query(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}
}  // namespace

SystemFolders GetSystemFolders() {
    if (SystemFoldersSeam()) return *SystemFoldersSeam();
    return {PlatformFolder(GetSystemDirectoryW), PlatformFolder(GetWindowsDirectoryW)};
}

void SetSystemFoldersSeam(std::optional<SystemFolders> folders) { SystemFoldersSeam() = std::move(folders); }

void GetFileDescription(const std::wstring& path, std::wstring& text) {
    // A version resource is at most 64 KiB; a larger stated size is not trusted.
    constexpr DWORD kMaxVersionInfo = 1u << 20;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0 || size > kMaxVersionInfo) return;
    std::vector<std::uint8_t> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return;

    std::wstring subBlock = L"\\StringFileInfo\\040904E4\\";
    void* translation = nullptr;
    UINT translationLength = 0;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &translationLength) && translation &&
        translationLength >= 2 * sizeof(WORD)) {
        const WORD* entry = static_cast<const WORD*>(translation);
        wchar_t hex[9];
        static const wchar_t digits[] = L"0123456789ABCDEF";
        const unsigned value = (static_cast<unsigned>(entry[0]) << 16) | entry[1];
        for (int i = 0; i < 8; ++i) hex[i] = digits[(value >> (28 - 4 * i)) & 0xF];
        hex[8] = L'\0';
        subBlock = std::wstring(L"\\StringFileInfo\\") + hex + L"\\";
    }
    subBlock += L"FileDescription";
    void* value = nullptr;
    UINT length = 0;  // in characters
    if (!VerQueryValueW(block.data(), subBlock.c_str(), &value, &length) || !value) return;
    const auto* chars = static_cast<const wchar_t*>(value);
    const auto* blockEnd = reinterpret_cast<const wchar_t*>(block.data() + block.size());
    std::size_t n = 0;
    while (n < length && chars + n < blockEnd && chars[n] != L'\0') ++n;
    text.assign(chars, n);
}

}  // namespace qm
