#include "tests/support/windows_path_limit_win.h"

#include <atomic>
#include <cstring>
#include <cwchar>

namespace qmtest {

namespace {

std::atomic<bool> g_armed{false};
std::mutex g_mutex;
std::vector<std::wstring> g_refused;

// The platform's own functions, looked up by name (a call through the module's imports would
// come back here).
template <class F>
F Original(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}
#define QM_ORIGINAL(name) static const auto real = Original<decltype(&name)>(#name)

bool TooLong(const wchar_t* path, const wchar_t* call, std::size_t limit = MAX_PATH) {
    if (!g_armed || !path) return false;
    const std::size_t length = std::wcslen(path);
    if (length < limit || std::wcsncmp(path, L"\\\\?\\", 4) == 0) return false;
    {
        std::lock_guard lock(g_mutex);
        g_refused.push_back(std::wstring(call) + L": " + path);
    }
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return true;
}

DWORD WINAPI LimitedGetFileAttributesW(LPCWSTR p) {
    QM_ORIGINAL(GetFileAttributesW);
    return TooLong(p, L"GetFileAttributesW") ? INVALID_FILE_ATTRIBUTES : real(p);
}
BOOL WINAPI LimitedGetFileAttributesExW(LPCWSTR p, GET_FILEEX_INFO_LEVELS l, LPVOID d) {
    QM_ORIGINAL(GetFileAttributesExW);
    return TooLong(p, L"GetFileAttributesExW") ? FALSE : real(p, l, d);
}
BOOL WINAPI LimitedSetFileAttributesW(LPCWSTR p, DWORD a) {
    QM_ORIGINAL(SetFileAttributesW);
    return TooLong(p, L"SetFileAttributesW") ? FALSE : real(p, a);
}
HANDLE WINAPI LimitedCreateFileW(LPCWSTR p, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                                 DWORD flags, HANDLE t) {
    QM_ORIGINAL(CreateFileW);
    return TooLong(p, L"CreateFileW") ? INVALID_HANDLE_VALUE : real(p, access, share, sa, disposition, flags, t);
}
BOOL WINAPI LimitedDeleteFileW(LPCWSTR p) {
    QM_ORIGINAL(DeleteFileW);
    return TooLong(p, L"DeleteFileW") ? FALSE : real(p);
}
HANDLE WINAPI LimitedFindFirstFileW(LPCWSTR p, LPWIN32_FIND_DATAW d) {
    QM_ORIGINAL(FindFirstFileW);
    return TooLong(p, L"FindFirstFileW") ? INVALID_HANDLE_VALUE : real(p, d);
}
HANDLE WINAPI LimitedFindFirstFileExW(LPCWSTR p, FINDEX_INFO_LEVELS l, LPVOID d, FINDEX_SEARCH_OPS o, LPVOID f,
                                      DWORD x) {
    QM_ORIGINAL(FindFirstFileExW);
    return TooLong(p, L"FindFirstFileExW") ? INVALID_HANDLE_VALUE : real(p, l, d, o, f, x);
}
BOOL WINAPI LimitedCreateDirectoryW(LPCWSTR p, LPSECURITY_ATTRIBUTES sa) {
    QM_ORIGINAL(CreateDirectoryW);
    // CreateDirectory leaves room for an 8.3 name: its limit is MAX_PATH - 12.
    return TooLong(p, L"CreateDirectoryW", MAX_PATH - 12) ? FALSE : real(p, sa);
}
BOOL WINAPI LimitedRemoveDirectoryW(LPCWSTR p) {
    QM_ORIGINAL(RemoveDirectoryW);
    return TooLong(p, L"RemoveDirectoryW") ? FALSE : real(p);
}
BOOL WINAPI LimitedMoveFileExW(LPCWSTR a, LPCWSTR b, DWORD f) {
    QM_ORIGINAL(MoveFileExW);
    return TooLong(a, L"MoveFileExW") || TooLong(b, L"MoveFileExW") ? FALSE : real(a, b, f);
}

struct Replacement {
    const char* name;
    void* function;
};
const Replacement kReplacements[] = {
    {"GetFileAttributesW", reinterpret_cast<void*>(&LimitedGetFileAttributesW)},
    {"GetFileAttributesExW", reinterpret_cast<void*>(&LimitedGetFileAttributesExW)},
    {"SetFileAttributesW", reinterpret_cast<void*>(&LimitedSetFileAttributesW)},
    {"CreateFileW", reinterpret_cast<void*>(&LimitedCreateFileW)},
    {"DeleteFileW", reinterpret_cast<void*>(&LimitedDeleteFileW)},
    {"FindFirstFileW", reinterpret_cast<void*>(&LimitedFindFirstFileW)},
    {"FindFirstFileExW", reinterpret_cast<void*>(&LimitedFindFirstFileExW)},
    {"CreateDirectoryW", reinterpret_cast<void*>(&LimitedCreateDirectoryW)},
    {"RemoveDirectoryW", reinterpret_cast<void*>(&LimitedRemoveDirectoryW)},
    {"MoveFileExW", reinterpret_cast<void*>(&LimitedMoveFileExW)},
};

// Points the module's imports of the calls above at the limited versions (once per module; the
// limited versions pass every call through while no WindowsPathLimit is alive).
void PatchImports(HMODULE module) {
    static std::vector<HMODULE> patched;
    {
        std::lock_guard lock(g_mutex);
        for (HMODULE m : patched)
            if (m == module) return;
        patched.push_back(module);
    }
    auto* base = reinterpret_cast<std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        const char* dll = reinterpret_cast<const char*>(base + d->Name);
        if (_stricmp(dll, "kernel32.dll") != 0 && _strnicmp(dll, "api-ms-win-core-file", 20) != 0) continue;
        if (!d->OriginalFirstThunk) continue;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (const Replacement& r : kReplacements) {
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), r.name) != 0) continue;
                DWORD old = 0;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(r.function);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            }
        }
    }
}

}  // namespace

WindowsPathLimit::WindowsPathLimit(const std::vector<HMODULE>& alsoIn) {
    PatchImports(GetModuleHandleW(nullptr));
    for (HMODULE m : alsoIn)
        if (m) PatchImports(m);
    {
        std::lock_guard lock(g_mutex);
        g_refused.clear();
    }
    g_armed = true;
}

WindowsPathLimit::~WindowsPathLimit() { g_armed = false; }

std::vector<std::wstring> WindowsPathLimit::Refused() const {
    std::lock_guard lock(g_mutex);
    return g_refused;
}

}  // namespace qmtest
