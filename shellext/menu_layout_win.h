#pragma once
// The one description of both folder menus: the table of the commands (verb, caption key, help
// text, what each runs) and the layout built from it, which the classic submenu (IContextMenu)
// and the Windows 11 flyout (IExplorerCommand) both read. The entries, in order: the commands of
// the table, a separator, one entry per icon of the context-menu theme. The classic menu numbers
// its identifiers from the shell's first one: offset 0 is the submenu entry, then every entry
// that carries a command in layout order (the separator carries none).
#include <windows.h>

#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::shellext {

// Which folders a command acts on.
enum class CommandTarget {
    NoFolder,    // runs once whatever is selected
    OneFolder,   // exactly one selected folder (the flyout disables the entry for several)
    EachFolder,  // every selected folder in turn
};

struct MenuCommand {
    const char* verb;             // the language-independent name; nullptr: the entry has none
    std::string_view captionKey;  // English text, shown through the extension's language lookup
    const char* helpText;         // nullptr: the entry has none
    CommandTarget target;
    HRESULT (*run)(const std::wstring& folder);  // `folder` empty for CommandTarget::NoFolder
};

// The entry that holds the menu: the classic submenu entry (offset 0) and the Windows 11 entry on
// the first menu page. Its caption is not translated.
extern const MenuCommand kMenuRoot;

// The commands, in menu order.
extern const MenuCommand kMenuCommands[4];
inline constexpr UINT kMenuCommandCount = static_cast<UINT>(std::size(kMenuCommands));

struct MenuEntry {
    enum class Kind { Command, Separator, Icon } kind = Kind::Separator;
    const MenuCommand* command = nullptr;  // Kind::Command
    UINT icon = 0;                         // Kind::Icon: the theme's icon index
};

// The entries of a menu of `icons` icons.
UINT MenuEntryCount(UINT icons);
// Entry `position` (below MenuEntryCount).
MenuEntry MenuEntryAt(UINT position);

// The classic menu's identifier offsets.
inline constexpr UINT kSubmenuOffset = 0;
// Identifiers a classic menu of `icons` icons uses (offset 0 included).
UINT MenuOffsetCount(UINT icons);
// The offset of the entry at `position`; none for the separator.
std::optional<UINT> MenuOffsetOf(UINT position);
// The entry of an offset, in a menu of `icons` icons; none for offset 0 and for offsets that are
// not the menu's.
std::optional<MenuEntry> MenuEntryOfOffset(UINT offset, UINT icons);

// The translated caption of a command (the root's untranslated).
std::wstring CommandCaption(const MenuCommand& command);

// Runs a command for the selected folders: S_OK when it ran (each of several folders reports its
// own failures by message); E_FAIL without a folder where it needs one, E_INVALIDARG for several
// where it takes one, or the start's failure.
HRESULT RunCommand(const MenuCommand& command, const std::vector<std::wstring>& folders);

}  // namespace qm::shellext
