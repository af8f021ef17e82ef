#include "tests/support/com_client_win.h"

#include <cstring>
#include <cwchar>
#include <stdexcept>

#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_library_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/process_win.h"

namespace qmtest {

const CLSID kQuillshellClsid = {0x4B62A518, 0xE7A8, 0x4CB4, {0xB5, 0x9D, 0xDE, 0xD1, 0xE7, 0x32, 0x7C, 0x60}};

// ---- data object -----------------------------------------------------------------------------

std::vector<std::uint8_t> DropBlock(const std::vector<std::wstring>& names, bool wide) {
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = wide ? TRUE : FALSE;
    std::vector<std::uint8_t> block(sizeof header);
    std::memcpy(block.data(), &header, sizeof header);
    auto append = [&block](const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        block.insert(block.end(), b, b + n);
    };
    for (const auto& name : names) {
        if (wide) {
            append(name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        } else {
            const std::string ansi = qm::WideToAnsi(name);
            append(ansi.c_str(), ansi.size() + 1);
        }
    }
    const wchar_t end = 0;
    append(&end, wide ? sizeof(wchar_t) : 1);
    return block;
}

namespace {

class DropDataObject final : public IDataObject {
public:
    DropDataObject(bool hasDrop, std::vector<std::uint8_t> block) : hasDrop_(hasDrop), block_(std::move(block)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = (riid == IID_IUnknown || riid == IID_IDataObject) ? static_cast<IDataObject*>(this) : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        const HRESULT ok = QueryGetData(format);
        if (ok != S_OK) return ok;
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, block_.size());
        if (!copy) return E_OUTOFMEMORY;
        std::memcpy(GlobalLock(copy), block_.data(), block_.size());
        GlobalUnlock(copy);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        if (!hasDrop_ || format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL) ||
            format->dwAspect != DVASPECT_CONTENT) {
            return DV_E_FORMATETC;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) override {
        if (out) *out = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    ~DropDataObject() = default;
    LONG volatile refs_ = 1;
    bool hasDrop_;
    std::vector<std::uint8_t> block_;
};

}  // namespace

ComPtr<IDataObject> MakeDropDataObject(std::vector<std::uint8_t> block) {
    return ComPtr<IDataObject>::Attach(new DropDataObject(true, std::move(block)));
}

ComPtr<IDataObject> MakeEmptyDataObject() { return ComPtr<IDataObject>::Attach(new DropDataObject(false, {})); }

// ---- menus and bitmaps -----------------------------------------------------------------------

std::vector<MenuItem> ReadMenu(HMENU menu) {
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_CHECKMARKS | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) throw std::runtime_error("GetMenuItemInfoW");
        std::wstring text(info.cch + 1, L'\0');
        if (info.cch > 0) {
            info.dwTypeData = text.data();
            info.cch += 1;
            if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info))
                throw std::runtime_error("GetMenuItemInfoW");
        }
        text.resize(std::wcslen(text.c_str()));
        MenuItem item;
        item.type = info.fType;
        item.state = info.fState;
        item.id = info.wID;
        item.text = text;
        item.bitmap = info.hbmpItem;
        item.checked = info.hbmpChecked;
        item.unchecked = info.hbmpUnchecked;
        item.submenu = info.hSubMenu;
        items.push_back(std::move(item));
    }
    return items;
}

BitmapPixels ReadBitmap(HBITMAP bitmap) {
    BitmapPixels result;
    BITMAP b{};
    if (!bitmap || GetObjectW(bitmap, sizeof b, &b) == 0) return result;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = b.bmWidth;
    info.bmiHeader.biHeight = -b.bmHeight;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> raw(static_cast<std::size_t>(b.bmWidth) * b.bmHeight);
    qm::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(b.bmHeight), raw.data(), &info, DIB_RGB_COLORS) == 0) {
        return result;
    }
    result.width = b.bmWidth;
    result.height = b.bmHeight;
    for (const auto px : raw) result.pixels.push_back(RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF));
    return result;
}

DibSectionPixels ReadDibSection(HBITMAP bitmap) {
    DibSectionPixels result;
    DIBSECTION section{};
    if (!bitmap || GetObjectW(bitmap, sizeof section, &section) != sizeof section) return result;
    result.width = section.dsBm.bmWidth;
    result.height = section.dsBm.bmHeight;
    result.bitCount = section.dsBmih.biBitCount;
    if (result.bitCount != 32) return result;
    // GetObject does not tell a top-down section from a bottom-up one under Wine (biHeight comes
    // back positive); GetDIBits into a top-down 32-bit request copies the words as stored.
    BITMAPINFO info = qm::TopDown32BitInfo(result.width, result.height);
    result.bgra.resize(static_cast<std::size_t>(result.width) * result.height);
    qm::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(result.height), result.bgra.data(), &info, DIB_RGB_COLORS) ==
        0) {
        result.bgra.clear();
    }
    return result;
}

// ---- installation ----------------------------------------------------------------------------

namespace {
// Installs of earlier test processes stay behind while their library was loaded. Wine's short
// names are hashes that may repeat within a folder, so the fewer siblings an install has in
// %TEMP%, the less likely its 8.3 path names another one: each process clears the ones it can.
bool SweepEarlierInstalls() {
    wchar_t tmp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring base(tmp);
    const std::wstring own = L"qmshell-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    WIN32_FIND_DATAW data{};
    std::vector<std::wstring> stale;
    if (qm::UniqueFind find(FindFirstFileW((base + L"qmshell-*").c_str(), &data)); find) {
        do {
            const std::wstring name = data.cFileName;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.rfind(own, 0) == 0) continue;
            // "qmshell-<process>-<n>": left alone while that process still runs.
            const DWORD pid = static_cast<DWORD>(std::wcstoul(name.c_str() + 8, nullptr, 10));
            if (qm::UniqueKernelHandle alive(OpenProcess(SYNCHRONIZE, FALSE, pid));
                alive && WaitForSingleObject(alive.get(), 0) == WAIT_TIMEOUT) {
                continue;
            }
            stale.push_back(name);
        } while (FindNextFileW(find.get(), &data));
    }
    for (const std::wstring& name : stale) RemoveTree(base + name);
    return true;
}
void SweepOnce() {
    static const bool swept = SweepEarlierInstalls();
    (void)swept;
}
}  // namespace

ShellInstall::ShellInstall(const std::wstring& folderName) : root_((SweepOnce(), L"qmshell")) {
    folder_ = root_.MakeFolder(folderName);
    const std::wstring build = BuildFolder();
    if (!CopyFileW((build + L"\\quillshell.dll").c_str(), dll().c_str(), FALSE) ||
        !CopyFileW((build + L"\\qm_shell_standin.exe").c_str(), program().c_str(), FALSE)) {
        throw std::runtime_error("cannot install quillshell.dll and the stand-in program");
    }
    root_.MakeFolder(folderName + L"\\samples");
}

void ShellInstall::SetTheme(const std::wstring& name, const std::vector<std::uint8_t>& file) const {
    WriteBytes(ThemePath(name), file);
    WriteSetting(L"Theme", L"name", name);
}

void ShellInstall::WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) const {
    const std::wstring ini = folder_ + L"\\quillmark.ini";
    if (!Exists(ini)) WriteUtf16File(ini, L"");
    if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), ini.c_str())) {
        throw std::runtime_error("cannot write the settings file");
    }
}

void ShellInstall::ClearStarts() const { DeleteFileW((folder_ + L"\\started.txt").c_str()); }

std::wstring ShellInstall::WaitForStart() const {
    const std::wstring record = folder_ + L"\\started.txt";
    for (int i = 0; i < 600 && !Exists(record); ++i) Sleep(50);
    if (!Exists(record)) return std::wstring();
    const auto bytes = ReadBytes(record);
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    const auto newline = text.find(L'\n');
    if (newline == std::wstring::npos) return std::wstring();
    const DWORD pid = static_cast<DWORD>(std::wcstoul(text.substr(0, newline).c_str(), nullptr, 10));
    qm::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (process) WaitForSingleObject(process.get(), 30000);
    return text.substr(newline + 1);
}

int ThemeIconCount(const std::wstring& path) {
    qm::IconLibrary library;
    return library.Open(path) ? library.Count() : -1;
}

std::vector<std::uint8_t> ThemeIcon(int i) {
    return qmtest::MakeIcoFile({qmtest::ImageSpec{16, 16, 4, static_cast<std::uint32_t>(i) + 1}});
}

std::vector<std::uint8_t> ThemeLibrary(int count, const std::vector<std::vector<std::uint8_t>>& icoFiles) {
    qmtest::IconSet set;
    for (int i = 0; i < count; ++i) {
        set.Add(static_cast<std::size_t>(i) < icoFiles.size() ? icoFiles[static_cast<std::size_t>(i)] : ThemeIcon(i));
    }
    return qm::BuildNeIconLibrary(set.Icons());
}

// ---- registry --------------------------------------------------------------------------------

DWORD RunRegsvr32(const std::wstring& dll, bool unregister) {
    ChildProcess regsvr32(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + Quote(dll));
    if (!regsvr32.started()) throw std::runtime_error("cannot start regsvr32");
    if (!regsvr32.Wait(60000)) throw std::runtime_error("regsvr32 did not end");
    return regsvr32.ExitCode();
}

RegValue ReadRegValue(HKEY root, const std::wstring& subKey, const wchar_t* valueName) {
    RegValue v;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return v;
    qm::UniqueKey key(raw);
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return v;
    std::vector<std::uint8_t> data(bytes + sizeof(wchar_t), 0);
    if (RegQueryValueExW(key.get(), valueName, nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS) return v;
    v.exists = true;
    v.type = type;
    v.data.assign(reinterpret_cast<const wchar_t*>(data.data()), bytes / sizeof(wchar_t));
    if (!v.data.empty() && v.data.back() == L'\0') v.data.pop_back();  // the stored zero
    return v;
}

bool RegKeyExists(HKEY root, const std::wstring& subKey) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    RegCloseKey(raw);
    return true;
}

void RemoveQuillshellRegistration() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kQuillshellClsidText).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Directory\\shellex\\ContextMenuHandlers\\PelmoContextMenu");
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                      0, KEY_SET_VALUE, &raw) == ERROR_SUCCESS) {
        RegDeleteValueW(raw, kQuillshellClsidText);
        RegCloseKey(raw);
    }
}

// ---- the host --------------------------------------------------------------------------------

HRESULT ShellMenuHost::Create() {
    ComPtr<IClassFactory> factory;
    HRESULT hr =
        CoGetClassObject(kQuillshellClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, IID_IShellExtInit, init_.put_void());
    if (FAILED(hr)) return hr;
    return init_->QueryInterface(IID_IContextMenu, contextMenu_.put_void());
}

HRESULT ShellMenuHost::CreateFrom(HMODULE library) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    if (!get) return E_NOINTERFACE;
    ComPtr<IClassFactory> factory;
    HRESULT hr = get(kQuillshellClsid, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, IID_IShellExtInit, init_.put_void());
    if (FAILED(hr)) return hr;
    return init_->QueryInterface(IID_IContextMenu, contextMenu_.put_void());
}

bool FolderMenu::Has(const std::wstring& text) const {
    for (const MenuItem& item : submenu)
        if (item.text == text) return true;
    return false;
}

FolderMenu BuildFolderMenu(const std::wstring& dll, const std::wstring& folder) {
    FolderMenu menu;
    HMODULE library = LoadLibraryW(dll.c_str());
    if (!library) return menu;
    {
        ShellMenuHost host;
        if (host.CreateFrom(library) == S_OK && host.InitializeWithFolders({folder}) == S_OK) {
            menu.result = host.QueryContextMenu();
            const auto top = ReadMenu(host.menu());
            if (top.size() == 1 && top[0].submenu) menu.submenu = ReadMenu(top[0].submenu);
        }
    }
    CoFreeUnusedLibrariesEx(0, 0);
    FreeLibrary(library);
    return menu;
}

HRESULT ShellMenuHost::Initialize(IDataObject* data) { return init_->Initialize(nullptr, data, nullptr); }

HRESULT ShellMenuHost::InitializeWithFolders(const std::vector<std::wstring>& names) {
    auto data = MakeDropDataObject(DropBlock(names));
    return Initialize(data.get());
}

HRESULT ShellMenuHost::QueryContextMenu(UINT flags, UINT idCmdFirst, UINT idCmdLast, UINT indexMenu) {
    if (menu_) DestroyMenu(menu_);
    menu_ = CreatePopupMenu();
    return contextMenu_->QueryContextMenu(menu_, indexMenu, idCmdFirst, idCmdLast, flags);
}

HRESULT ShellMenuHost::InvokeOffset(UINT offset) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    return contextMenu_->InvokeCommand(&info);
}

HRESULT ShellMenuHost::InvokeVerb(const char* verb) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return contextMenu_->InvokeCommand(&info);
}

void ShellMenuHost::Release() {
    contextMenu_.reset();
    init_.reset();
    if (menu_) DestroyMenu(std::exchange(menu_, nullptr));
}

ShellMenuHost::~ShellMenuHost() { Release(); }

bool ModuleLoaded(const std::wstring& path) { return GetModuleHandleW(path.c_str()) != nullptr; }

qm::shellext::ShellSeams* ShellSeamsOf(HMODULE library) {
    const auto get = reinterpret_cast<qm::shellext::ShellSeamsExport>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(qm::shellext::kShellSeamsOrdinal))));
    qm::shellext::ShellSeams* seams = get ? get() : nullptr;
    return seams && seams->size == sizeof(qm::shellext::ShellSeams) ? seams : nullptr;
}

bool WaitForShellJobs(HMODULE library, DWORD timeoutMs) {
    const auto wait = reinterpret_cast<qm::shellext::WaitForJobsExport>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(qm::shellext::kWaitForJobsOrdinal))));
    return wait && wait(timeoutMs);
}

}  // namespace qmtest
