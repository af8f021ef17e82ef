// The four entry points the platform looks up in an in-process server.
#include <windows.h>
#include <objbase.h>

#include "shellext/folder_command_win.h"
#include "shellext/folder_menu_win.h"
#include "shellext/failure_trail_win.h"
#include "shellext/server_win.h"

using qm::shellext::Guarded;
using qm::shellext::TFolContMenuFactory;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        qm::shellext::SetThisModule(instance);
        DisableThreadLibraryCalls(instance);
        // Thread-local objects with destructors make the MinGW runtime hold a module reference per
        // thread and drop it while that thread ends, inside the loader's thread-detach callbacks.
        // Had the shell unloaded the library meanwhile, that last release would unmap the code
        // that is running it and take the shell's thread down. Our own code keeps no such objects,
        // but the runtime's may; the library therefore stays loaded once loaded, and the counters
        // still answer truthfully.
        HMODULE pinned = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&qm::shellext::SetThisModule), &pinned);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return Guarded("DllGetClassObject", [&] {
        if (clsid == qm::shellext::kFolderMenuClsid) return TFolContMenuFactory::Create(riid, ppv);
        if (clsid == qm::shellext::kFolderCommandClsid) {
            return qm::shellext::TFolderCommandFactory::Create(riid, ppv);
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    });
}

STDAPI DllCanUnloadNow() { return qm::shellext::ServerCounters::CanUnload() ? S_OK : S_FALSE; }

// Both answer S_OK or E_FAIL; the trail has the step that failed and its error.
STDAPI DllRegisterServer() {
    const HRESULT real = Guarded("DllRegisterServer", [] {
        TFolContMenuFactory::UpdateRegistry(true);
        return S_OK;
    });
    return SUCCEEDED(real) ? S_OK : E_FAIL;
}

STDAPI DllUnregisterServer() {
    const HRESULT real = Guarded("DllUnregisterServer", [] {
        TFolContMenuFactory::UpdateRegistry(false);
        return S_OK;
    });
    return SUCCEEDED(real) ? S_OK : E_FAIL;
}
