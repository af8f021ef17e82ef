#pragma once
// The in-process server's shared state: the class identifiers, the module handle and the
// counter that decides whether the library may be unloaded. Everything else lives per object.
#include <windows.h>

#include <string>

namespace qm::shellext {

// {4B62A518-E7A8-4CB4-B59D-DED1E7327C60}: the classic folder menu (IContextMenu).
inline constexpr CLSID kFolderMenuClsid = {
    0x4B62A518, 0xE7A8, 0x4CB4, {0xB5, 0x9D, 0xDE, 0xD1, 0xE7, 0x32, 0x7C, 0x60}};

// {E919E669-9183-4E28-BDA9-91C14F0C9D05}: the Windows 11 folder menu (IExplorerCommand), named
// by the package manifest.
inline constexpr CLSID kFolderCommandClsid = {
    0xE919E669, 0x9183, 0x4E28, {0xBD, 0xA9, 0x91, 0xC1, 0x4F, 0x0C, 0x9D, 0x05}};

inline constexpr const wchar_t* kDescription = L"Ostrel QuillMark Shell Extensions";

// The class identifier in the registry's text form: braces, upper-case hexadecimal groups.
std::wstring ClassIdText(const CLSID& clsid);

// The library's own instance handle (set by DllMain).
HINSTANCE ThisModule() noexcept;
void SetThisModule(HINSTANCE module) noexcept;

// Live objects (class factories included) plus outstanding LockServer(TRUE) calls. Objects may be
// created and released on any shell thread, so the count changes interlocked.
class ServerCounters {
public:
    static void ObjectCreated() noexcept { InterlockedIncrement(&objectsAndLocks_); }
    static void ObjectDestroyed() noexcept { InterlockedDecrement(&objectsAndLocks_); }
    static void Lock() noexcept { InterlockedIncrement(&objectsAndLocks_); }
    static void Unlock() noexcept { InterlockedDecrement(&objectsAndLocks_); }
    static bool CanUnload() noexcept { return InterlockedCompareExchange(&objectsAndLocks_, 0, 0) == 0; }

private:
    static inline LONG volatile objectsAndLocks_ = 0;
};

}  // namespace qm::shellext
