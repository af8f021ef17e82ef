#pragma once
// The folder context-menu handler: TFolContMenu (IContextMenu, IShellExtInit) and the class
// factory TFolContMenuFactory that makes it and writes the registry entries of the server. The
// entries and their identifier offsets are the layout's (menu_layout_win.h).
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "core/base/handles_win.h"
#include "shellext/class_factory_win.h"
#include "shellext/com_object_win.h"

namespace qm::shellext {

class TFolContMenu final : public ComObject<TFolContMenu, IContextMenu, IShellExtInit> {
public:
    // IShellExtInit
    HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* dataObject,
                                         HKEY progIdKey) override;

    // IContextMenu
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                               UINT flags) override;
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, CHAR* buffer,
                                               UINT bufferLength) override;

private:
    HRESULT DoInitialize(IDataObject* dataObject);
    HRESULT DoQueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast);
    HRESULT DoInvokeCommand(UINT offset);

    std::wstring FFolderPath;
    // Pictures handed to the shell's menus: they stay alive until the object goes.
    UniqueBitmap checkMark_;
    UINT checkMarkDpi_ = 0;  // the DPI checkMark_ was made for
    std::vector<UniqueBitmap> pictures_;
    UINT iconEntries_ = 0;  // icon entries of the last menu built
};

class TFolContMenuFactory final : public ObjectFactory<TFolContMenuFactory, TFolContMenu> {
public:
    // No programmatic identifier: no ProgID keys are written or deleted.
    static std::wstring GetProgID() { return std::wstring(); }
    // Writes (or removes) the class key, the server key, the approval and the folder handler key.
    // Throws UserError "Error creating system registry entry" when a key or value cannot be written.
    static void UpdateRegistry(bool doRegister);
    // The "Approved" value under HKEY_LOCAL_MACHINE; silent when that key cannot be opened.
    static void SetApproval(bool doRegister, const std::wstring& clsidText);
};

}  // namespace qm::shellext
