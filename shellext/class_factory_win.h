#pragma once
// The class factory of one kind of object, itself an object of the server: DllGetClassObject
// hands out a new one, counted as live like any object; every CreateInstance makes a new
// `Object` (born with one reference, counted as live by its own constructor).
//   class TFolContMenuFactory final : public ObjectFactory<TFolContMenuFactory, TFolContMenu> { ... };
#include <windows.h>
#include <unknwn.h>

#include "shellext/com_object_win.h"
#include "shellext/failure_trail_win.h"
#include "shellext/server_win.h"

namespace qm::shellext {

template <class Factory, class Object>
class ObjectFactory : public ComObject<Factory, IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return Guarded("IClassFactory::CreateInstance", [&] { return Object::Create(riid, ppv); });
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
