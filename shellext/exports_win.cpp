// The four entry points the platform looks up in an in-process server.
#include <windows.h>
#include <objbase.h>

#include "shellext/focmenu_win.h"
#include "shellext/server_win.h"

using qm::shellext::Guarded;
using qm::shellext::TFolContMenuFactory;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        qm::shellext::SetThisModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid != qm::shellext::kFolderMenuClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return TFolContMenuFactory::Instance().QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return qm::shellext::ServerCounters::CanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    return Guarded([] {
        TFolContMenuFactory::Instance().UpdateRegistry(true);
        return S_OK;
    });
}

STDAPI DllUnregisterServer() {
    return Guarded([] {
        TFolContMenuFactory::Instance().UpdateRegistry(false);
        return S_OK;
    });
}
