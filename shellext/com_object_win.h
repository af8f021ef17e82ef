#pragma once
// A COM object of one interface: the reference count (born with one reference) and the server's
// count of live objects, which keeps the library loaded while the object lives.
#include <windows.h>
#include <unknwn.h>

#include "shellext/server_win.h"

namespace qm::shellext {

template <class Interface>
class SingleInterfaceObject : public Interface {
public:
    SingleInterfaceObject() noexcept { ServerCounters::ObjectCreated(); }
    SingleInterfaceObject(const SingleInterfaceObject&) = delete;
    SingleInterfaceObject& operator=(const SingleInterfaceObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != __uuidof(Interface)) return E_NOINTERFACE;
        *ppv = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refCount_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~SingleInterfaceObject() { ServerCounters::ObjectDestroyed(); }

private:
    LONG volatile refCount_ = 1;
};

}  // namespace qm::shellext
