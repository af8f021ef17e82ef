#include "shellext/folder_menu_win.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/icons/icon_library_win.h"
#include "core/themes/theme_path_win.h"
#include "shellext/commands_win.h"
#include "shellext/drop_files_win.h"
#include "shellext/failure_trail_win.h"
#include "shellext/menu_layout_win.h"
#include "shellext/menu_package_win.h"
#include "shellext/menu_pictures_win.h"
#include "shellext/server_win.h"
#include "shellext/test_seams_win.h"
#include "shellext/theme_icons_win.h"

namespace qm::shellext {

namespace {

// Column breaks: break k before submenu position 20 + 24k, for k = 0..12; break 0 when the theme
// has more than 24 icons, break k >= 1 when it has more than 20 + 24k.
constexpr UINT kBreakCount = 13;
constexpr UINT BreakPosition(UINT k) { return 20 + 24 * k; }
constexpr bool HasBreak(UINT k, UINT icons) { return k == 0 ? icons > 24 : icons > BreakPosition(k); }

// InsertMenuItemW (or the test seam that stands for it); the platform's error when it refuses.
HRESULT InsertAt(HMENU menu, UINT position, MENUITEMINFOW& item) {
    item.cbSize = sizeof(MENUITEMINFOW);
    const auto insert = Seams().insertMenuItem ? Seams().insertMenuItem : &InsertMenuItemW;
    return insert(menu, position, TRUE, &item) ? S_OK : LastErrorResult();
}

HRESULT InsertIconEntry(HMENU menu, UINT id, UINT index, HBITMAP picture) {
    std::wstring caption = std::to_wstring(index);
    MENUITEMINFOW item{};
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_BITMAP;
    item.wID = id;
    item.hbmpItem = picture;
    item.dwTypeData = caption.data();
    item.cch = static_cast<UINT>(caption.size());
    return InsertAt(menu, 0, item);
}

HRESULT InsertSeparator(HMENU menu, UINT position, UINT type) {
    MENUITEMINFOW item{};
    item.fMask = MIIM_TYPE | MIIM_STATE;
    item.fType = type;
    return InsertAt(menu, position, item);
}

HRESULT InsertCommand(HMENU menu, UINT position, UINT id, std::wstring caption, HBITMAP checkMark,
                      HMENU submenu = nullptr) {
    MENUITEMINFOW item{};
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_CHECKMARKS | MIIM_TYPE | (submenu ? MIIM_SUBMENU : 0u);
    item.fType = MFT_STRING;
    item.fState = MFS_CHECKED;  // so that the check-mark picture shows beside the caption
    item.wID = id;
    item.hSubMenu = submenu;
    item.hbmpChecked = checkMark;
    item.hbmpUnchecked = checkMark;
    item.dwTypeData = caption.data();
    item.cch = static_cast<UINT>(caption.size());
    return InsertAt(menu, position, item);
}

// Copies `text` cut to `length` characters, the terminating zero included; as wide characters for
// the wide request types. False (nothing written) when the buffer has no room at all.
bool CopyCut(const char* text, CHAR* buffer, UINT length, bool wide) {
    if (length == 0) return false;
    const std::size_t n = std::min<std::size_t>(std::char_traits<char>::length(text), length - 1);
    if (wide) {
        auto* out = reinterpret_cast<wchar_t*>(buffer);
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(text[i]);  // ASCII texts
        out[n] = L'\0';
    } else {
        std::copy_n(text, n, buffer);
        buffer[n] = '\0';
    }
    return true;
}

}  // namespace

// ---- IShellExtInit ---------------------------------------------------------------------------

HRESULT TFolContMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* dataObject, HKEY) {
    return Guarded("TFolContMenu::Initialize", [&] { return DoInitialize(dataObject); });
}

HRESULT TFolContMenu::DoInitialize(IDataObject* dataObject) {
    FFolderPath.clear();
    if (!dataObject) return E_FAIL;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StorageMedium medium;
    const HRESULT hr = dataObject->GetData(&format, medium.get());
    if (FAILED(hr)) return hr;
    if (medium.get()->tymed != TYMED_HGLOBAL || !medium.get()->hGlobal) return E_FAIL;
    const auto names = ReadDropFiles(medium.get()->hGlobal);
    if (!names || names->size() != 1) return E_FAIL;
    const std::wstring& path = names->front();
    if (path.empty() || !IsExistingFolder(path)) return E_FAIL;
    FFolderPath = path;
    return S_OK;
}

// ---- IContextMenu: the menu ------------------------------------------------------------------

HRESULT TFolContMenu::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT flags) {
    if (flags & CMF_VERBSONLY) return E_FAIL;
    // A double-click asks only for the default verb, which this menu does not change: nothing to
    // add, and none of the theme is read.
    if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
    // The Windows 11 menu's package, when registered, shows its own entry here too: not a second.
    if (MenuPackageRegistered()) return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
    return Guarded("TFolContMenu::QueryContextMenu",
                   [&] { return DoQueryContextMenu(menu, indexMenu, idCmdFirst, idCmdLast); });
}

HRESULT TFolContMenu::DoQueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast) {
    if (!menu) return E_INVALIDARG;
    // Identifiers above idCmdLast belong to others: show only the icons that fit below it.
    const std::uint64_t granted = idCmdLast >= idCmdFirst ? std::uint64_t{idCmdLast} - idCmdFirst + 1 : 0;
    if (granted < MenuOffsetCount(0)) return E_FAIL;

    UniqueMenu submenu(CreatePopupMenu());
    if (!submenu) return LastErrorResult();
    // Pictures for the DPI of the monitor the menu opens on; a check mark made for another DPI stays
    // alive with the menu that shows it.
    const UINT dpi = MenuDpi();
    if (!checkMark_ || checkMarkDpi_ != dpi) {
        if (checkMark_) pictures_.push_back(std::move(checkMark_));
        checkMark_ = LoadCheckMark(dpi);
        checkMarkDpi_ = dpi;
    }
    const HBITMAP checkMark = checkMark_.get();

    std::vector<UniqueBitmap> pictures;
    UINT icons = 0;
    const int size = MenuPictureSize(dpi);
    {
        const ThemeIcons theme(CurrentThemePath());  // the theme file is read once per menu
        icons = static_cast<UINT>(std::min<std::uint64_t>(theme.Count(), granted - MenuOffsetCount(0)));
        pictures.reserve(icons);
        // The entries go in from the last, each on top; the icons first, then the column breaks
        // among them, then the separator and the commands.
        for (UINT position = MenuEntryCount(icons); position-- > MenuEntryCount(0);) {
            // An icon the theme cannot give keeps its entry, with a transparent picture.
            const UINT i = MenuEntryAt(position).icon;
            IconPixels pixels;
            const bool drawn = theme.Picture(i, size, pixels);
            UniqueBitmap picture = MakeAlphaBitmap(size, size, drawn ? &pixels : nullptr);
            const HRESULT inserted =
                InsertIconEntry(submenu.get(), idCmdFirst + *MenuOffsetOf(position), i, picture.get());
            if (FAILED(inserted)) return inserted;
            pictures.push_back(std::move(picture));
        }
    }
    for (UINT k = 0; k < kBreakCount; ++k) {
        if (!HasBreak(k, icons)) continue;
        const HRESULT inserted = InsertSeparator(submenu.get(), BreakPosition(k), MFT_SEPARATOR | MFT_MENUBARBREAK);
        if (FAILED(inserted)) return inserted;
    }
    for (UINT position = MenuEntryCount(0); position-- > 0;) {
        const MenuEntry entry = MenuEntryAt(position);
        const HRESULT inserted = entry.kind == MenuEntry::Kind::Separator
                                     ? InsertSeparator(submenu.get(), 0, MFT_SEPARATOR)
                                     : InsertCommand(submenu.get(), 0, idCmdFirst + *MenuOffsetOf(position),
                                                     CommandCaption(*entry.command), checkMark);
        if (FAILED(inserted)) return inserted;
    }
    const HRESULT inserted = InsertCommand(menu, indexMenu, idCmdFirst + kSubmenuOffset, CommandCaption(kMenuRoot),
                                           checkMark, submenu.get());
    if (FAILED(inserted)) return inserted;
    submenu.release();  // the shell's menu owns it now
    for (auto& p : pictures) pictures_.push_back(std::move(p));
    iconEntries_ = icons;
    return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, MenuOffsetCount(icons));
}

// ---- IContextMenu: verb and help text ---------------------------------------------------------

HRESULT TFolContMenu::GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* buffer, UINT bufferLength) {
    return Guarded("TFolContMenu::GetCommandString", [&]() -> HRESULT {
        // Only the submenu entry answers (the commands of the table have neither verb nor help text).
        if (offset != kSubmenuOffset) return E_INVALIDARG;
        const MenuCommand& entry = kMenuRoot;
        // Explorer since Vista asks for the wide forms; each is answered with the narrow form's text.
        // S_OK only where the buffer was written (GCS_VALIDATE asks no text: the entry exists).
        switch (type) {
            case GCS_VALIDATEA:
            case GCS_VALIDATEW: return S_OK;
            case GCS_VERBA:
            case GCS_VERBW:
            case GCS_HELPTEXTA:
            case GCS_HELPTEXTW: {
                const bool verb = type == GCS_VERBA || type == GCS_VERBW;
                const bool wide = type == GCS_VERBW || type == GCS_HELPTEXTW;
                const char* text = verb ? entry.verb : entry.helpText;
                if (!buffer || !text) return E_INVALIDARG;
                return CopyCut(text, buffer, bufferLength, wide) ? S_OK : E_INVALIDARG;
            }
            default: return E_INVALIDARG;  // no text of that kind
        }
    });
}

}  // namespace qm::shellext
