#pragma once
// The host side of the shell extension in tests: what Explorer does with a context-menu handler
// (Wine's shell never loads one). A CF_HDROP data object, the menu read back item by item, an
// installation of the library in a folder of its own, and registration through regsvr32.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/base/handles_win.h"
#include "shellext/test_seams_win.h"
#include "tests/support/files_win.h"

namespace qmtest {

using qm::ComPtr;

// The fixed class identifier of the folder menu handler, as the registry holds it.
extern const CLSID kQuillshellClsid;
inline constexpr const wchar_t* kQuillshellClsidText = L"{4B62A518-E7A8-4CB4-B59D-DED1E7327C60}";

// A CF_HDROP block: DROPFILES, then the names (UTF-16 or ANSI), each with its zero, and a final zero.
std::vector<std::uint8_t> DropBlock(const std::vector<std::wstring>& names, bool wide = true);

// A data object that answers GetData(CF_HDROP, TYMED_HGLOBAL) with a fresh copy of `block`,
// and refuses every other format with DV_E_FORMATETC.
ComPtr<IDataObject> MakeDropDataObject(std::vector<std::uint8_t> block);
// A data object without CF_HDROP data.
ComPtr<IDataObject> MakeEmptyDataObject();

// One menu item as GetMenuItemInfoW reports it.
struct MenuItem {
    UINT type = 0, state = 0, id = 0;
    std::wstring text;
    HBITMAP bitmap = nullptr, checked = nullptr, unchecked = nullptr;
    HMENU submenu = nullptr;
    bool IsSeparator() const { return (type & MFT_SEPARATOR) != 0; }
    bool IsColumnBreak() const { return (type & MFT_MENUBARBREAK) != 0; }
};
std::vector<MenuItem> ReadMenu(HMENU menu);

// Size and pixel (as a COLORREF) of a bitmap, read through GetDIBits.
struct BitmapPixels {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;  // top row first
    COLORREF At(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * width + x)); }
};
BitmapPixels ReadBitmap(HBITMAP bitmap);

// A bitmap as its DIB section holds it: bitCount 0 when it is no DIB section; for 32 bits the
// stored words (premultiplied BGRA in a picture), top row first.
struct DibSectionPixels {
    int width = 0, height = 0, bitCount = 0;
    std::vector<std::uint32_t> bgra;
    std::uint32_t At(int x, int y) const { return bgra.at(static_cast<std::size_t>(y * width + x)); }
};
DibSectionPixels ReadDibSection(HBITMAP bitmap);

// The library installed as on a user's machine: quillshell.dll in a folder of its own (whose name
// holds a blank unless told otherwise), with a stand-in "Quillmark.exe" that records how it was
// started, the settings file and the theme store.
class ShellInstall {
public:
    explicit ShellInstall(const std::wstring& folderName = L"Quill Mark");
    const std::wstring& folder() const { return folder_; }  // without trailing backslash
    std::wstring dll() const { return folder_ + L"\\quillshell.dll"; }
    std::wstring program() const { return folder_ + L"\\Quillmark.exe"; }
    // Writes samples\<name> and selects it as the context-menu theme.
    void SetTheme(const std::wstring& name, const std::vector<std::uint8_t>& file) const;
    // The theme path the library resolves.
    std::wstring ThemePath(const std::wstring& name) const { return folder_ + L"\\samples\\" + name; }
    void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;

    // Forgets what the stand-in recorded so far.
    void ClearStarts() const;
    // Waits (up to about 30 s) for the stand-in to record a start and to end; returns the
    // command line it was given, or empty when none came.
    std::wstring WaitForStart() const;

private:
    TempDir root_;
    std::wstring folder_;
};

// An NE icon library (.icl) of `count` icons; icon i holds one 16x16, 16-colour image seeded
// with i. `icoFiles`, when given, replaces the first icons with those .ico files.
std::vector<std::uint8_t> ThemeLibrary(int count, const std::vector<std::vector<std::uint8_t>>& icoFiles = {});
// The number of icons of an icon library file (a theme), -1 when it cannot be opened.
int ThemeIconCount(const std::wstring& path);
// The .ico file that icon i of ThemeLibrary holds.
std::vector<std::uint8_t> ThemeIcon(int i);

// regsvr32 [/u] /s path: the exit code (0 = the export returned S_OK).
DWORD RunRegsvr32(const std::wstring& dll, bool unregister);

// A string value under a root key; `exists` tells a missing key or value from an empty one.
struct RegValue {
    bool exists = false;
    DWORD type = 0;
    std::wstring data;
};
RegValue ReadRegValue(HKEY root, const std::wstring& subKey, const wchar_t* valueName);
bool RegKeyExists(HKEY root, const std::wstring& subKey);

// Removes every entry the library writes, whatever an earlier test left.
void RemoveQuillshellRegistration();

// Explorer's sequence on one object, step by step.
class ShellMenuHost {
public:
    // CoCreateInstance through the registry (the class must be registered).
    HRESULT Create();
    // DllGetClassObject of an already loaded library, then CreateInstance.
    HRESULT CreateFrom(HMODULE library);
    HRESULT Initialize(IDataObject* data);
    HRESULT InitializeWithFolders(const std::vector<std::wstring>& names);
    // Builds the menu into a fresh popup menu (idCmdFirst 100 unless told otherwise).
    HRESULT QueryContextMenu(UINT flags = CMF_NORMAL, UINT idCmdFirst = 100, UINT idCmdLast = 0x7FFF,
                             UINT indexMenu = 0);
    HRESULT InvokeOffset(UINT offset);
    HRESULT InvokeVerb(const char* verb);
    IContextMenu* menuHandler() const { return contextMenu_.get(); }
    HMENU menu() const { return menu_; }
    // Release of the object (the shell then destroys its menu).
    void Release();
    ~ShellMenuHost();

private:
    ComPtr<IShellExtInit> init_;
    ComPtr<IContextMenu> contextMenu_;
    HMENU menu_ = nullptr;
};

// The folder menu of the library at `dll`, loaded directly (no registration) and released again,
// built with idCmdFirst 100 for one folder as Explorer asks for it.
struct FolderMenu {
    HRESULT result = E_FAIL;
    std::vector<MenuItem> submenu;
    bool Has(const std::wstring& text) const;
};
FolderMenu BuildFolderMenu(const std::wstring& dll, const std::wstring& folder);

// COM initialised as a single-threaded apartment for the life of the object, as a shell thread has it.
class ComApartment : public qm::ComApartment {
public:
    ComApartment() : qm::ComApartment(COINIT_APARTMENTTHREADED) {}
};

// The test seams of a loaded quillshell.dll (its export by ordinal); nullptr when it has none or
// they are of another size than this build's.
qm::shellext::ShellSeams* ShellSeamsOf(HMODULE library);
// Waits until the library's queued folder jobs (the Windows 11 menu's applies) have run.
bool WaitForShellJobs(HMODULE library, DWORD timeoutMs = 30000);

// Whether a module of that path is loaded in this process.
bool ModuleLoaded(const std::wstring& path);

}  // namespace qmtest
