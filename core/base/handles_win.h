#pragma once
// One owner per kind of platform handle: non-copyable, movable, released in the destructor.
#include <windows.h>
#include <objidl.h>
#include <ole2.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace qm {

template <class H, class Traits>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(H h) noexcept : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Traits::invalid()));
        return *this;
    }
    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::invalid(); }
    H release() noexcept { return std::exchange(h_, Traits::invalid()); }
    void reset(H h = Traits::invalid()) noexcept {
        if (h_ != Traits::invalid()) Traits::close(h_);
        h_ = h;
    }

private:
    H h_ = Traits::invalid();
};

namespace handle_traits {
struct File {  // CreateFile: INVALID_HANDLE_VALUE means none
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { CloseHandle(h); }
};
struct Kernel {  // events, threads, processes, mappings: nullptr means none
    static HANDLE invalid() noexcept { return nullptr; }
    static void close(HANDLE h) noexcept { CloseHandle(h); }
};
struct Find {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { FindClose(h); }
};
struct Key {
    static HKEY invalid() noexcept { return nullptr; }
    static void close(HKEY h) noexcept { RegCloseKey(h); }
};
struct Module {
    static HMODULE invalid() noexcept { return nullptr; }
    static void close(HMODULE h) noexcept { FreeLibrary(h); }
};
struct Icon {
    static HICON invalid() noexcept { return nullptr; }
    static void close(HICON h) noexcept { DestroyIcon(h); }
};
template <class G>
struct GdiObject {
    static G invalid() noexcept { return nullptr; }
    static void close(G h) noexcept { DeleteObject(h); }
};
struct Menu {
    static HMENU invalid() noexcept { return nullptr; }
    static void close(HMENU h) noexcept { DestroyMenu(h); }
};
struct MemoryDc {  // CreateCompatibleDC
    static HDC invalid() noexcept { return nullptr; }
    static void close(HDC h) noexcept { DeleteDC(h); }
};
struct Window {  // CreateWindowEx: a window this code created and destroys
    static HWND invalid() noexcept { return nullptr; }
    static void close(HWND h) noexcept { DestroyWindow(h); }
};
struct Local {  // LocalAlloc, and buffers FormatMessage allocates
    static HLOCAL invalid() noexcept { return nullptr; }
    static void close(HLOCAL h) noexcept { LocalFree(h); }
};
struct View {  // MapViewOfFile
    static const void* invalid() noexcept { return nullptr; }
    static void close(const void* p) noexcept { UnmapViewOfFile(p); }
};
}  // namespace handle_traits

using UniqueFile = UniqueHandle<HANDLE, handle_traits::File>;
using UniqueKernelHandle = UniqueHandle<HANDLE, handle_traits::Kernel>;
using UniqueFind = UniqueHandle<HANDLE, handle_traits::Find>;
using UniqueKey = UniqueHandle<HKEY, handle_traits::Key>;
using UniqueModule = UniqueHandle<HMODULE, handle_traits::Module>;
using UniqueIcon = UniqueHandle<HICON, handle_traits::Icon>;
using UniqueBitmap = UniqueHandle<HBITMAP, handle_traits::GdiObject<HBITMAP>>;
using UniqueBrush = UniqueHandle<HBRUSH, handle_traits::GdiObject<HBRUSH>>;
using UniqueFont = UniqueHandle<HFONT, handle_traits::GdiObject<HFONT>>;
using UniquePen = UniqueHandle<HPEN, handle_traits::GdiObject<HPEN>>;
using UniqueMenu = UniqueHandle<HMENU, handle_traits::Menu>;
using UniqueMemoryDc = UniqueHandle<HDC, handle_traits::MemoryDc>;
using UniqueView = UniqueHandle<const void*, handle_traits::View>;
using UniqueWindow = UniqueHandle<HWND, handle_traits::Window>;
using UniqueLocal = UniqueHandle<HLOCAL, handle_traits::Local>;

// A device context from GetDC, released to its window (nullptr: the screen).
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// The two handles CreateProcess returns: pass put() to CreateProcess; both are closed at the end.
class ProcessInformation {
public:
    ProcessInformation() noexcept = default;
    ~ProcessInformation() { reset(); }
    ProcessInformation(const ProcessInformation&) = delete;
    ProcessInformation& operator=(const ProcessInformation&) = delete;
    PROCESS_INFORMATION* put() noexcept {
        reset();
        return &pi_;
    }
    HANDLE process() const noexcept { return pi_.hProcess; }
    HANDLE thread() const noexcept { return pi_.hThread; }
    DWORD processId() const noexcept { return pi_.dwProcessId; }
    void reset() noexcept {
        if (pi_.hThread) CloseHandle(pi_.hThread);
        if (pi_.hProcess) CloseHandle(pi_.hProcess);
        pi_ = PROCESS_INFORMATION{};
    }

private:
    PROCESS_INFORMATION pi_{};
};

// COM on the calling thread for the owner's lifetime (CoInitializeEx with `flags`), uninitialised at
// the end when this call initialised it. A thread already in another kind of apartment keeps it
// (RPC_E_CHANGED_MODE, nothing to undo).
class ComApartment {
public:
    explicit ComApartment(DWORD flags) noexcept : hr_(CoInitializeEx(nullptr, flags)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

// A COM interface pointer holding one reference.
template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    // Takes over a reference the caller owns.
    static ComPtr Attach(T* p) noexcept {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For the out parameter of a call that hands out a reference (QueryInterface, CoCreateInstance).
    void** put_void() noexcept {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    T** put() noexcept {
        reset();
        return &p_;
    }
    void reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// A storage medium handed out by IDataObject::GetData, released with ReleaseStgMedium.
class StorageMedium {
public:
    StorageMedium() noexcept = default;
    ~StorageMedium() { ReleaseStgMedium(&medium_); }
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;
    STGMEDIUM* get() noexcept { return &medium_; }
    const STGMEDIUM* get() const noexcept { return &medium_; }

private:
    STGMEDIUM medium_{};
};

// A global memory block locked for reading (GlobalLock), unlocked when the owner ends. The block
// itself stays with whoever allocated it. Nothing is locked for a null block or a failed lock.
class GlobalLockView {
public:
    GlobalLockView() noexcept = default;
    explicit GlobalLockView(HGLOBAL block) noexcept : block_(block), data_(block ? GlobalLock(block) : nullptr) {}
    ~GlobalLockView() { reset(); }
    GlobalLockView(const GlobalLockView&) = delete;
    GlobalLockView& operator=(const GlobalLockView&) = delete;
    GlobalLockView(GlobalLockView&& o) noexcept
        : block_(std::exchange(o.block_, nullptr)), data_(std::exchange(o.data_, nullptr)) {}
    GlobalLockView& operator=(GlobalLockView&& o) noexcept {
        if (this != &o) {
            reset();
            block_ = std::exchange(o.block_, nullptr);
            data_ = std::exchange(o.data_, nullptr);
        }
        return *this;
    }
    explicit operator bool() const noexcept { return data_ != nullptr; }
    const std::uint8_t* data() const noexcept { return static_cast<const std::uint8_t*>(data_); }
    std::size_t size() const noexcept { return data_ ? GlobalSize(block_) : 0; }
    void reset() noexcept {
        if (data_) GlobalUnlock(block_);
        block_ = nullptr;
        data_ = nullptr;
    }

private:
    HGLOBAL block_ = nullptr;
    void* data_ = nullptr;
};

}  // namespace qm
