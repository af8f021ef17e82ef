#pragma once
// The class factory of one kind of object: a static object whose references are the server's
// factory count; every CreateInstance makes a new `Object` (born with one reference, counted
// as live by its own constructor).
#include <windows.h>
#include <unknwn.h>

#include "shellext/server_win.h"

namespace qm::shellext {

template <class Object>
class ObjectFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ServerCounters::FactoryAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ServerCounters::FactoryRelease(); }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return Guarded([&] {
            auto* object = new Object();  // one reference, counted as live
            const HRESULT hr = object->QueryInterface(riid, ppv);
            object->Release();  // the caller's reference is the only one left (or none: destroyed)
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ServerCounters::Lock();
        } else {
            ServerCounters::Unlock();
        }
        return S_OK;
    }
};

}  // namespace qm::shellext
