#pragma once
// A COM object over any list of interfaces: QueryInterface looks the identifier up in the list
// (IUnknown is the first interface's), one reference count serves them all (born with one
// reference), and the server's count of live objects keeps the library loaded while it lives.
//   class TFolContMenu final : public ComObject<TFolContMenu, IContextMenu, IShellExtInit> { ... };
#include <windows.h>
#include <unknwn.h>

#include <new>
#include <type_traits>
#include <utility>

#include "shellext/server_win.h"

namespace qm::shellext {

template <class Derived, class... Interfaces>
class ComObject : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0, "a COM object has at least one interface");

public:
    ComObject() noexcept { ServerCounters::ObjectCreated(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown ? static_cast<void*>(static_cast<FirstInterface*>(this)) : nullptr;
        // The first interface of the list whose identifier matches.
        (void)((*ppv == nullptr && riid == __uuidof(Interfaces)
                    ? (*ppv = static_cast<void*>(static_cast<Interfaces*>(this)), true)
                    : false) ||
               ...);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        static_assert(std::is_base_of_v<ComObject, Derived>, "Derived names the class itself");
        const LONG left = InterlockedDecrement(&refCount_);
        if (left == 0) delete static_cast<Derived*>(this);
        return static_cast<ULONG>(left);
    }

    // A new object's interface `riid` for a caller: the object's own reference is handed over, or
    // the object is gone again when it has no such interface.
    template <class... Args>
    static HRESULT Create(REFIID riid, void** ppv, Args&&... args) {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        auto* object = new Derived(std::forward<Args>(args)...);  // one reference, counted as live
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }

protected:
    virtual ~ComObject() { ServerCounters::ObjectDestroyed(); }

private:
    template <class First, class...>
    struct Front {
        using type = First;
    };
    using FirstInterface = typename Front<Interfaces...>::type;

    LONG volatile refCount_ = 1;
};

}  // namespace qm::shellext
