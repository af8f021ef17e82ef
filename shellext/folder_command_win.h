#pragma once
// The Windows 11 folder menu: TFolderCommand (IExplorerCommand), the "Quillmark" entry of the
// first menu page with a flyout (IEnumExplorerCommand) that holds the classic submenu's four
// commands, a separator and one entry per icon of the context-menu theme, titled with its
// number. Explorer hands every method the selected items; the commands apply to each selected
// folder; on a folder's or the desktop's background, where Explorer hands no items, to the folder
// of the site's view. Registered through the package manifest, not through DllRegisterServer.
#include <windows.h>
#include <ocidl.h>
#include <shobjidl.h>

#include "core/base/handles_win.h"

#include "shellext/class_factory_win.h"
#include "shellext/com_object_win.h"

namespace qm::shellext {

class TFolderCommand final : public ComObject<TFolderCommand, IExplorerCommand, IObjectWithSite> {
public:
    HRESULT STDMETHODCALLTYPE GetTitle(IShellItemArray* items, LPWSTR* name) override;
    HRESULT STDMETHODCALLTYPE GetIcon(IShellItemArray* items, LPWSTR* icon) override;
    HRESULT STDMETHODCALLTYPE GetToolTip(IShellItemArray* items, LPWSTR* tip) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalName(GUID* name) override;
    // ECS_ENABLED when every item is an existing file-system folder, ECS_HIDDEN otherwise;
    // E_PENDING for a hurried call (okToBeSlow FALSE) when an item lies on a network or removable
    // medium.
    HRESULT STDMETHODCALLTYPE GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) override;
    HRESULT STDMETHODCALLTYPE Invoke(IShellItemArray* items, IBindCtx* context) override;
    HRESULT STDMETHODCALLTYPE GetFlags(EXPCMDFLAGS* flags) override;
    // Reads the current theme: the flyout's entries, with the icons' locations.
    HRESULT STDMETHODCALLTYPE EnumSubCommands(IEnumExplorerCommand** entries) override;

    // Explorer's view that shows the menu; the flyout's entries share it.
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
    HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppv) override;

private:
    ComPtr<IUnknown> site_;
};

class TFolderCommandFactory final : public ObjectFactory<TFolderCommandFactory, TFolderCommand> {};

}  // namespace qm::shellext
