#pragma once
// The host side of the Windows 11 folder menu in tests: what Explorer's first menu page does
// with an IExplorerCommand handler (Wine's shell has no such menu). The selection as an
// IShellItemArray made from ID lists, the handler made through the library's DllGetClassObject,
// and the flyout read entry by entry.
#include <windows.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "core/base/handles_win.h"

namespace qmtest {

using qm::ComPtr;

// The class identifier of the Windows 11 folder menu, as the package manifest names it.
extern const CLSID kFolderCommandClsid;
inline constexpr const wchar_t* kFolderCommandClsidText = L"{E919E669-9183-4E28-BDA9-91C14F0C9D05}";

// The items of these paths as Explorer hands a selection (SHParseDisplayName, then
// SHCreateShellItemArrayFromIDLists); empty when a path cannot be parsed.
ComPtr<IShellItemArray> ShellItemsOf(const std::vector<std::wstring>& paths);

// The handler of an already loaded library; empty with `result` set when any step fails.
ComPtr<IExplorerCommand> CreateFolderCommand(HMODULE library, HRESULT* result = nullptr);

// What Explorer asks of one entry before it shows it.
struct CommandEntry {
    HRESULT titleResult = E_FAIL, iconResult = E_FAIL, stateResult = E_FAIL, flagsResult = E_FAIL;
    std::wstring title, icon;
    EXPCMDSTATE state = 0;
    EXPCMDFLAGS flags = 0;
    ComPtr<IExplorerCommand> command;  // kept for Invoke when asked
};
CommandEntry ReadCommandEntry(IExplorerCommand* command, IShellItemArray* items, bool keep = false);

// EnumSubCommands, then Next one entry at a time until S_FALSE; `result` is the first failure.
std::vector<CommandEntry> ReadFlyout(IExplorerCommand* root, IShellItemArray* items, bool keep = false,
                                     HRESULT* result = nullptr);

// The file and the index (or negative resource id) of an icon location "file,n".
struct IconLocation {
    std::wstring file;
    int index = 0;
    bool valid = false;
};
IconLocation ParseIconLocation(const std::wstring& location);

}  // namespace qmtest
