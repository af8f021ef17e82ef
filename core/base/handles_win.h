#pragma once
// One owner per kind of platform handle: non-copyable, movable, released in the destructor.
#include <windows.h>

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
template <class I>
struct ComObject {  // a COM interface pointer holding one reference
    static I* invalid() noexcept { return nullptr; }
    static void close(I* p) noexcept { p->Release(); }
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
template <class I>
using UniqueCom = UniqueHandle<I*, handle_traits::ComObject<I>>;

}  // namespace qm
