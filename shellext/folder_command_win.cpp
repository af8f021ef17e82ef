#include "shellext/folder_command_win.h"

#include <shlwapi.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/base/message_owner_win.h"
#include "core/base/text.h"
#include "core/themes/theme_path_win.h"
#include "shellext/apply_queue_win.h"
#include "shellext/commands_win.h"
#include "shellext/failure_trail_win.h"
#include "shellext/menu_icon_files_win.h"
#include "shellext/menu_layout_win.h"
#include "shellext/shell_items_win.h"
#include "shellext/theme_icons_win.h"

namespace qm::shellext {

namespace {

// The theme the flyout was built from, shared by its entries and lists.
struct Flyout {
    std::wstring themePath;
    std::vector<std::wstring> iconLocations;  // one per icon entry; empty: no picture
    ComPtr<IUnknown> site;                    // the root's site when the flyout opened
};

// The folders a command applies to: the selection, or the site's folder on a background.
std::vector<std::wstring> FoldersOf(IShellItemArray* items, IUnknown* site) {
    return SelectedFolders(ItemsOrSiteFolder(items, site).get());
}

// GetState's answer when Explorer's first call (okToBeSlow FALSE, on its window's thread) meets a
// network or removable path: E_PENDING, and Explorer asks again where it may wait. Otherwise
// `state` answers as `body` decides.
template <class Body>
HRESULT StateOf(const char* site, IShellItemArray* items, IUnknown* viewSite, BOOL okToBeSlow, EXPCMDSTATE* state,
                Body&& body) {
    if (!state) return E_POINTER;
    *state = ECS_HIDDEN;
    bool pending = false;
    const HRESULT hr = Guarded(site, [&]() -> HRESULT {
        if (!okToBeSlow && AnyOnSlowMedium(ItemsOrSiteFolder(items, viewSite).get())) {
            pending = true;
            *state = ECS_ENABLED;
            return S_OK;
        }
        *state = body();
        return S_OK;
    });
    return pending ? E_PENDING : hr;
}

HRESULT HandOut(const std::wstring& text, LPWSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return SHStrDupW(text.c_str(), out);
}

// The answer for a text an entry does not have.
HRESULT NoText(LPWSTR* out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

class TFolderCommandEntry final : public ComObject<TFolderCommandEntry, IExplorerCommand> {
public:
    TFolderCommandEntry(std::shared_ptr<const Flyout> flyout, ULONG position)
        : flyout_(std::move(flyout)), entry_(MenuEntryAt(position)) {}

    HRESULT STDMETHODCALLTYPE GetTitle(IShellItemArray*, LPWSTR* name) override {
        return Guarded("TFolderCommandEntry::GetTitle", [&]() -> HRESULT {
            switch (entry_.kind) {
                case MenuEntry::Kind::Command: return HandOut(CommandCaption(*entry_.command), name);
                case MenuEntry::Kind::Icon: return HandOut(std::to_wstring(entry_.icon), name);
                default: return NoText(name);
            }
        });
    }
    HRESULT STDMETHODCALLTYPE GetIcon(IShellItemArray*, LPWSTR* icon) override {
        return Guarded("TFolderCommandEntry::GetIcon", [&]() -> HRESULT {
            if (entry_.kind != MenuEntry::Kind::Icon) return NoText(icon);
            const std::wstring& location = flyout_->iconLocations.at(entry_.icon);
            return location.empty() ? NoText(icon) : HandOut(location, icon);
        });
    }
    HRESULT STDMETHODCALLTYPE GetToolTip(IShellItemArray*, LPWSTR* tip) override { return NoText(tip); }
    HRESULT STDMETHODCALLTYPE GetCanonicalName(GUID* name) override {
        if (name) *name = GUID_NULL;
        return E_NOTIMPL;
    }
    // The custom icon window edits one folder: its entry is disabled for several.
    HRESULT STDMETHODCALLTYPE GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) override {
        IUnknown* site = flyout_->site.get();
        return StateOf("TFolderCommandEntry::GetState", items, site, okToBeSlow, state, [&]() -> EXPCMDSTATE {
            const bool oneFolder = entry_.command && entry_.command->target == CommandTarget::OneFolder;
            return oneFolder && FoldersOf(items, site).size() != 1 ? ECS_DISABLED : ECS_ENABLED;
        });
    }
    // The messages of the command are owned by the window of Explorer's view, the site's.
    HRESULT STDMETHODCALLTYPE Invoke(IShellItemArray* items, IBindCtx*) override {
        return Guarded("TFolderCommandEntry::Invoke", [&]() -> HRESULT {
            HWND owner = nullptr;
            if (flyout_->site && FAILED(IUnknown_GetWindow(flyout_->site.get(), &owner))) owner = nullptr;
            const ThreadMessageOwnerScope messages(owner);
            return DoInvoke(items, owner);
        });
    }
    HRESULT STDMETHODCALLTYPE GetFlags(EXPCMDFLAGS* flags) override {
        if (!flags) return E_POINTER;
        *flags = entry_.kind == MenuEntry::Kind::Separator ? ECF_ISSEPARATOR : ECF_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumSubCommands(IEnumExplorerCommand** entries) override {
        if (entries) *entries = nullptr;
        return E_NOTIMPL;
    }

private:
    HRESULT DoInvoke(IShellItemArray* items, HWND owner) {
        if (entry_.kind == MenuEntry::Kind::Separator) return E_INVALIDARG;
        if (entry_.command && entry_.command->target == CommandTarget::NoFolder) return RunCommand(*entry_.command, {});
        std::vector<std::wstring> folders = FoldersOf(items, flyout_->site.get());
        // The windows the program opens come at once; what writes folders (an icon, a reset) goes
        // to the library's worker, each folder in turn, its failures to the trail.
        if (entry_.command && entry_.command->target != CommandTarget::EachFolder) {
            return RunCommand(*entry_.command, folders);
        }
        if (folders.empty()) return E_FAIL;
        FolderJob job{std::move(folders), nullptr, owner};
        if (entry_.command) {
            job.run = entry_.command->run;
        } else {
            job.run = [themePath = flyout_->themePath, icon = entry_.icon](const std::wstring& folder) {
                return ApplyThemeIcon(folder, themePath, icon);
            };
        }
        return QueueFolderJob(std::move(job));
    }

    std::shared_ptr<const Flyout> flyout_;
    MenuEntry entry_;
};

class TFolderCommandList final : public ComObject<TFolderCommandList, IEnumExplorerCommand> {
public:
    TFolderCommandList(std::shared_ptr<const Flyout> flyout, ULONG next) : flyout_(std::move(flyout)), next_(next) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IExplorerCommand** out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!out) return E_POINTER;
        if (!fetched && count != 1) return E_INVALIDARG;
        ULONG n = 0;
        const HRESULT hr = Guarded("TFolderCommandList::Next", [&] {
            for (; n < count && next_ < Total(); ++n, ++next_) out[n] = new TFolderCommandEntry(flyout_, next_);
            return S_OK;
        });
        if (FAILED(hr)) {  // nothing handed out on failure
            next_ -= n;
            while (n > 0) std::exchange(out[--n], nullptr)->Release();
            return hr;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const ULONG left = Total() - next_;
        next_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumExplorerCommand** copy) override {
        if (!copy) return E_POINTER;
        *copy = nullptr;
        return Guarded("TFolderCommandList::Clone", [&] {
            *copy = new TFolderCommandList(flyout_, next_);
            return S_OK;
        });
    }

private:
    ULONG Total() const { return MenuEntryCount(static_cast<UINT>(flyout_->iconLocations.size())); }

    std::shared_ptr<const Flyout> flyout_;
    ULONG next_;
};

}  // namespace

// ---- TFolderCommand: the entry on the first menu page ---------------------------------------

HRESULT TFolderCommand::GetTitle(IShellItemArray*, LPWSTR* name) {
    return Guarded("TFolderCommand::GetTitle", [&] { return HandOut(CommandCaption(kMenuRoot), name); });
}

HRESULT TFolderCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
    return Guarded("TFolderCommand::GetIcon",
                   [&] { return HandOut(MainProgramPath() + L",-1", icon); });  // the program's icon
}

HRESULT TFolderCommand::GetToolTip(IShellItemArray*, LPWSTR* tip) {
    return Guarded("TFolderCommand::GetToolTip", [&] { return HandOut(qm::AsciiToWide(kMenuRoot.helpText), tip); });
}

HRESULT TFolderCommand::GetCanonicalName(GUID* name) {
    if (!name) return E_POINTER;
    *name = kFolderCommandClsid;
    return S_OK;
}

HRESULT TFolderCommand::GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) {
    // A few attribute reads on local disks, quick enough for the shell's first, hurried call.
    return StateOf("TFolderCommand::GetState", items, site_.get(), okToBeSlow, state,
                   [&] { return FoldersOf(items, site_.get()).empty() ? ECS_HIDDEN : ECS_ENABLED; });
}

HRESULT TFolderCommand::Invoke(IShellItemArray*, IBindCtx*) { return E_NOTIMPL; }  // it only opens its flyout

HRESULT TFolderCommand::GetFlags(EXPCMDFLAGS* flags) {
    if (!flags) return E_POINTER;
    *flags = ECF_HASSUBCOMMANDS;
    return S_OK;
}

HRESULT TFolderCommand::EnumSubCommands(IEnumExplorerCommand** entries) {
    if (!entries) return E_POINTER;
    *entries = nullptr;
    return Guarded("TFolderCommand::EnumSubCommands", [&] {
        auto flyout = std::make_shared<Flyout>();
        flyout->themePath = CurrentThemePath();
        if (site_) {
            site_->AddRef();
            flyout->site = ComPtr<IUnknown>::Attach(site_.get());
        }
        {
            const ThemeIcons theme(flyout->themePath);  // the theme file is read once per flyout
            flyout->iconLocations = MenuIconLocations(flyout->themePath, theme);
        }
        *entries = new TFolderCommandList(std::move(flyout), 0);
        return S_OK;
    });
}

HRESULT TFolderCommand::SetSite(IUnknown* site) {
    if (site) site->AddRef();
    site_ = ComPtr<IUnknown>::Attach(site);
    return S_OK;
}

HRESULT TFolderCommand::GetSite(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return site_ ? site_->QueryInterface(riid, ppv) : E_FAIL;
}

}  // namespace qm::shellext
