#pragma once
// One owner per kind of platform handle: non-copyable, movable, released in the destructor.
#include <windows.h>
#include <objidl.h>
#include <ole2.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace qm {

// The owner of one handle of a kind: `Close` releases it, `Invalid` is the value that means none
// (0: null; -1: INVALID_HANDLE_VALUE). Each kind is one line below.
template <class H, auto Close, std::intptr_t Invalid = 0>
class UniqueHandle {
public:
    static H invalid() noexcept {
        if constexpr (Invalid == 0) {
            return nullptr;
        } else {
            return reinterpret_cast<H>(Invalid);
        }
    }
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(H h) noexcept : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != invalid(); }
    // Gives the handle up: the caller (or whoever it hands the handle to) releases it.
    H release() noexcept { return std::exchange(h_, invalid()); }
    void reset(H h = invalid()) noexcept {
        if (h_ != invalid()) Close(h_);
        h_ = h;
    }
    // For the out parameter of a call that hands out a handle: the one held so far is released.
    H* put() noexcept {
        reset();
        return &h_;
    }
    // Releases the handle now and answers what the release function answered (BOOL, LSTATUS...),
    // for a caller that checks the platform took it. Only for an owner that holds a handle.
    auto close() noexcept { return Close(release()); }

private:
    H h_ = invalid();
};

using UniqueFile = UniqueHandle<HANDLE, &CloseHandle, -1>;      // CreateFile
using UniqueKernelHandle = UniqueHandle<HANDLE, &CloseHandle>;  // events, threads, processes, mappings
using UniqueFind = UniqueHandle<HANDLE, &FindClose, -1>;
using UniqueKey = UniqueHandle<HKEY, &RegCloseKey>;
using UniqueModule = UniqueHandle<HMODULE, &FreeLibrary>;
using UniqueIcon = UniqueHandle<HICON, &DestroyIcon>;
using UniqueBitmap = UniqueHandle<HBITMAP, &DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, &DeleteObject>;
using UniqueFont = UniqueHandle<HFONT, &DeleteObject>;
using UniquePen = UniqueHandle<HPEN, &DeleteObject>;
using UniqueMenu = UniqueHandle<HMENU, &DestroyMenu>;
using UniqueMemoryDc = UniqueHandle<HDC, &DeleteDC>;             // CreateCompatibleDC
using UniqueView = UniqueHandle<const void*, &UnmapViewOfFile>;  // MapViewOfFile
using UniqueWindow = UniqueHandle<HWND, &DestroyWindow>;         // a window this code created and destroys
using UniqueLocal = UniqueHandle<HLOCAL, &LocalFree>;            // LocalAlloc, and buffers FormatMessage allocates
using UniqueImageList = UniqueHandle<HIMAGELIST, &ImageList_Destroy>;
template <class T>
using UniqueCoTaskMem = UniqueHandle<T*, &CoTaskMemFree>;  // memory a COM call hands out
using UniqueCoTaskString = UniqueCoTaskMem<wchar_t>;       // SHGetKnownFolderPath, IShellItem::GetDisplayName

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

// An object (font, bitmap, pen, brush) selected into a device context for the owner's lifetime; the
// one it replaced is selected again at the end, before the object's own owner deletes it. A null
// object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// One WM_PAINT's drawing: BeginPaint at the start, EndPaint (which every BeginPaint needs) at the end.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const noexcept { return dc_; }
    const PAINTSTRUCT& info() const noexcept { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// What GetIconInfo tells of an icon, with both bitmaps it makes (the colour one, which a monochrome
// icon lacks, and the mask) deleted at the end. Empty when the icon is null or unreadable.
class IconInfo {
public:
    explicit IconInfo(HICON icon) noexcept {
        if (icon && GetIconInfo(icon, &info_)) {
            color_.reset(info_.hbmColor);
            mask_.reset(info_.hbmMask);
            read_ = true;
        }
    }
    explicit operator bool() const noexcept { return read_; }
    HBITMAP color() const noexcept { return color_.get(); }
    HBITMAP mask() const noexcept { return mask_.get(); }
    // The colour bitmap, or the mask of a monochrome icon (which holds both AND and XOR halves).
    HBITMAP picture() const noexcept { return color_ ? color_.get() : mask_.get(); }
    const ICONINFO& get() const noexcept { return info_; }

private:
    ICONINFO info_{};
    UniqueBitmap color_, mask_;
    bool read_ = false;
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

// Runs `f` when the scope ends (also on an exception), unless dismissed first: for an undo that
// has no handle of its own (attributes to put back, a counter to give back).
template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F f) noexcept : f_(std::move(f)) {}
    ~ScopeExit() {
        if (armed_) f_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void dismiss() noexcept { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
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
