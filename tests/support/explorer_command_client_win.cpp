#include "tests/support/explorer_command_client_win.h"

#include <shlobj.h>

#include <cwchar>

namespace qmtest {

const CLSID kFolderCommandClsid = {0xE919E669, 0x9183, 0x4E28, {0xBD, 0xA9, 0x91, 0xC1, 0x4F, 0x0C, 0x9D, 0x05}};

ComPtr<IShellItemArray> ShellItemsOf(const std::vector<std::wstring>& paths) {
    std::vector<PIDLIST_ABSOLUTE> lists;
    bool parsed = true;
    for (const std::wstring& path : paths) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr)) || !list) {
            parsed = false;
            break;
        }
        lists.push_back(list);
    }
    ComPtr<IShellItemArray> items;
    if (parsed && !lists.empty()) {
        if (FAILED(SHCreateShellItemArrayFromIDLists(static_cast<UINT>(lists.size()),
                                                     const_cast<PCIDLIST_ABSOLUTE_ARRAY>(lists.data()), items.put()))) {
            items.reset();
        }
    }
    for (PIDLIST_ABSOLUTE list : lists) CoTaskMemFree(list);
    return items;
}

ComPtr<IExplorerCommand> CreateFolderCommand(HMODULE library, HRESULT* result) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
    HRESULT dummy = S_OK;
    HRESULT& hr = result ? *result : dummy;
    ComPtr<IExplorerCommand> command;
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    if (!get) {
        hr = E_NOINTERFACE;
        return command;
    }
    ComPtr<IClassFactory> factory;
    hr = get(kFolderCommandClsid, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) return command;
    hr = factory->CreateInstance(nullptr, IID_IExplorerCommand, command.put_void());
    if (FAILED(hr)) command.reset();
    return command;
}

namespace {
HRESULT TakeText(HRESULT hr, LPWSTR raw, std::wstring& out) {
    out = SUCCEEDED(hr) && raw ? raw : L"";
    CoTaskMemFree(raw);
    return hr;
}
}  // namespace

CommandEntry ReadCommandEntry(IExplorerCommand* command, IShellItemArray* items, bool keep) {
    CommandEntry entry;
    LPWSTR raw = nullptr;
    HRESULT hr = command->GetTitle(items, &raw);
    entry.titleResult = TakeText(hr, raw, entry.title);
    raw = nullptr;
    hr = command->GetIcon(items, &raw);
    entry.iconResult = TakeText(hr, raw, entry.icon);
    entry.stateResult = command->GetState(items, TRUE, &entry.state);
    entry.flagsResult = command->GetFlags(&entry.flags);
    if (keep) {
        command->AddRef();
        entry.command = ComPtr<IExplorerCommand>::Attach(command);
    }
    return entry;
}

std::vector<CommandEntry> ReadFlyout(IExplorerCommand* root, IShellItemArray* items, bool keep, HRESULT* result) {
    std::vector<CommandEntry> entries;
    HRESULT dummy = S_OK;
    HRESULT& hr = result ? *result : dummy;
    ComPtr<IEnumExplorerCommand> list;
    hr = root->EnumSubCommands(list.put());
    if (FAILED(hr) || !list) return entries;
    for (;;) {
        IExplorerCommand* raw = nullptr;
        ULONG fetched = 0;
        const HRESULT next = list->Next(1, &raw, &fetched);
        if (next != S_OK) {
            if (next != S_FALSE || fetched != 0 || raw) hr = FAILED(next) ? next : E_UNEXPECTED;
            if (raw) raw->Release();
            break;
        }
        if (fetched != 1 || !raw) {
            hr = E_UNEXPECTED;
            break;
        }
        const auto command = ComPtr<IExplorerCommand>::Attach(raw);
        entries.push_back(ReadCommandEntry(command.get(), items, keep));
    }
    return entries;
}

IconLocation ParseIconLocation(const std::wstring& location) {
    IconLocation parsed;
    const std::size_t comma = location.rfind(L',');
    if (comma == std::wstring::npos || comma == 0) return parsed;
    const std::wstring number = location.substr(comma + 1);
    wchar_t* end = nullptr;
    const long n = std::wcstol(number.c_str(), &end, 10);
    if (number.empty() || !end || *end != L'\0') return parsed;
    parsed.file = location.substr(0, comma);
    parsed.index = static_cast<int>(n);
    parsed.valid = true;
    return parsed;
}

}  // namespace qmtest
