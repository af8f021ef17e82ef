#pragma once
// What tests may put in place of the platform inside the library, where Wine cannot show what
// Windows would do: the failure trail's sink (OutputDebugStringW otherwise), InsertMenuItemW (to
// refuse an entry), the DPI the menu's pictures are made for (the monitor under the cursor
// otherwise) and GetPackagesByPackageFamily (which Wine's kernel32 lacks). The library exports the one instance by
// ordinal kShellSeamsOrdinal, without a name; a member left empty uses the platform. Explorer never calls it.
#include <windows.h>

#include <cstdint>

namespace qm::shellext {

struct ShellSeams {
    std::uint32_t size = sizeof(ShellSeams);  // a caller checks it against its own
    void (*trail)(const wchar_t* line) = nullptr;
    BOOL(WINAPI* insertMenuItem)(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info) = nullptr;
    UINT (*menuDpi)() = nullptr;
    LONG(WINAPI* packagesByFamily)
    (PCWSTR family, UINT32* count, PWSTR* fullNames, UINT32* length, WCHAR* buffer) = nullptr;
    void (*beforeFolderJob)(const wchar_t* folder) = nullptr;  // a slow disk: called before each folder
};

inline constexpr WORD kShellSeamsOrdinal = 100;
using ShellSeamsExport = ShellSeams*(WINAPI*)();
// Waits until the Windows 11 menu's queued applies have run (FALSE on timeout).
inline constexpr WORD kWaitForJobsOrdinal = 101;
using WaitForJobsExport = BOOL(WINAPI*)(DWORD timeoutMs);

// The library's instance (inside the library).
ShellSeams& Seams() noexcept;

}  // namespace qm::shellext
