#include "shellext/menu_layout_win.h"

#include "core/base/text.h"
#include "core/settings/language_support.h"
#include "shellext/commands_win.h"

namespace qm::shellext {

namespace {
HRESULT RunNothing(const std::wstring&) { return E_INVALIDARG; }  // the root only opens its menu
HRESULT RunCustomIcon(const std::wstring& folder) { return StartCustomIconWindow(folder); }
HRESULT RunReset(const std::wstring& folder) {
    ResetFolder(folder);
    return S_OK;
}
HRESULT RunTheme(const std::wstring&) { return StartMainProgram(L"/theme"); }
HRESULT RunAbout(const std::wstring&) { return StartMainProgram(L"/about"); }
}  // namespace

const MenuCommand kMenuRoot = {"Change Icon", "Quillmark", "Change icon of selected Folder", CommandTarget::NoFolder,
                               &RunNothing};

const MenuCommand kMenuCommands[4] = {
    {nullptr, "Select custom icon...", nullptr, CommandTarget::OneFolder, &RunCustomIcon},
    {nullptr, "Reset", nullptr, CommandTarget::EachFolder, &RunReset},
    {nullptr, "Change Theme...", nullptr, CommandTarget::NoFolder, &RunTheme},
    {nullptr, "About Quillmark...", nullptr, CommandTarget::NoFolder, &RunAbout},
};

namespace {
constexpr UINT kSeparatorPosition = kMenuCommandCount;
constexpr UINT kFirstIconPosition = kSeparatorPosition + 1;
// Offsets: the root, then the commands, then the icons.
constexpr UINT kFirstCommandOffset = kSubmenuOffset + 1;
constexpr UINT kFirstIconOffset = kFirstCommandOffset + kMenuCommandCount;
}  // namespace

UINT MenuEntryCount(UINT icons) { return kFirstIconPosition + icons; }

MenuEntry MenuEntryAt(UINT position) {
    if (position < kSeparatorPosition) return {MenuEntry::Kind::Command, &kMenuCommands[position], 0};
    if (position == kSeparatorPosition) return {MenuEntry::Kind::Separator, nullptr, 0};
    return {MenuEntry::Kind::Icon, nullptr, position - kFirstIconPosition};
}

UINT MenuOffsetCount(UINT icons) { return kFirstIconOffset + icons; }

std::optional<UINT> MenuOffsetOf(UINT position) {
    const MenuEntry entry = MenuEntryAt(position);
    switch (entry.kind) {
        case MenuEntry::Kind::Command: return kFirstCommandOffset + position;
        case MenuEntry::Kind::Icon: return kFirstIconOffset + entry.icon;
        default: return std::nullopt;
    }
}

std::optional<MenuEntry> MenuEntryOfOffset(UINT offset, UINT icons) {
    if (offset < kFirstCommandOffset) return std::nullopt;
    if (offset < kFirstIconOffset) return MenuEntryAt(offset - kFirstCommandOffset);
    const UINT icon = offset - kFirstIconOffset;
    if (icon >= icons) return std::nullopt;
    return MenuEntryAt(kFirstIconPosition + icon);
}

std::wstring CommandCaption(const MenuCommand& command) {
    if (&command == &kMenuRoot) return AsciiToWide(command.captionKey);
    return TranslateTextForExtension(command.captionKey);
}

HRESULT RunCommand(const MenuCommand& command, const std::vector<std::wstring>& folders) {
    switch (command.target) {
        case CommandTarget::NoFolder: return command.run(std::wstring());
        case CommandTarget::OneFolder:
            if (folders.empty()) return E_FAIL;
            return folders.size() == 1 ? command.run(folders.front()) : E_INVALIDARG;
        case CommandTarget::EachFolder:
            if (folders.empty()) return E_FAIL;
            for (const std::wstring& folder : folders) command.run(folder);
            return S_OK;
    }
    return E_INVALIDARG;
}

}  // namespace qm::shellext
