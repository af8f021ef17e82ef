#include "core/shell/registry_win.h"

#include <cwchar>
#include <iterator>
#include <limits>
#include <utility>

namespace qm {

namespace {
UniqueKey Answer(LSTATUS result, UniqueKey key, LSTATUS* status) {
    if (status) *status = result;
    return result == ERROR_SUCCESS ? std::move(key) : UniqueKey();
}
}  // namespace

UniqueKey CreateKey(HKEY root, std::wstring_view subkey, REGSAM access, LSTATUS* status) {
    const std::wstring path(subkey);
    UniqueKey key;
    const LSTATUS result =
        RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.put(), nullptr);
    return Answer(result, std::move(key), status);
}

UniqueKey OpenKey(HKEY root, std::wstring_view subkey, REGSAM access, LSTATUS* status) {
    const std::wstring path(subkey);
    UniqueKey key;
    const LSTATUS result = RegOpenKeyExW(root, path.c_str(), 0, access, key.put());
    return Answer(result, std::move(key), status);
}

UniqueKey OpenKeyForWrite(HKEY root, std::wstring_view subkey) { return CreateKey(root, subkey, KEY_WRITE); }

UniqueKey OpenKeyForRead(HKEY root, std::wstring_view subkey) {
    if (UniqueKey key = OpenKey(root, subkey, KEY_ALL_ACCESS)) return key;
    return OpenKey(root, subkey, KEY_READ);
}

LSTATUS SetStringValue(HKEY key, std::wstring_view name, std::wstring_view text) {
    // The data length, terminating zero included, must fit the call's 32-bit count.
    if (text.size() >= std::numeric_limits<DWORD>::max() / sizeof(wchar_t)) return ERROR_INVALID_PARAMETER;
    const std::wstring valueName(name), data(text);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes);
}

std::optional<std::wstring> ReadStringValue(HKEY key, std::wstring_view name, StringTypes types, std::size_t maxBytes) {
    const std::wstring valueName(name);
    DWORD type = REG_NONE, bytes = 0;
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (bytes > maxBytes) return std::nullopt;
    // Whole characters for every byte stated (an odd last one rounded up), and one zero of our own
    // after them, so the text ends inside the buffer whatever the data holds.
    const std::size_t characters = (bytes + sizeof(wchar_t) - 1) / sizeof(wchar_t);
    std::wstring text(characters + 1, L'\0');
    DWORD read = bytes;  // the value may have grown since: the registry then answers ERROR_MORE_DATA
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &read) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (types == StringTypes::Text && type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    text.resize(wcsnlen(text.c_str(), characters));
    return text;
}

std::optional<std::wstring> ReadStringValue(HKEY root, std::wstring_view subkey, std::wstring_view name) {
    const UniqueKey key = OpenKey(root, subkey, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    return ReadStringValue(key.get(), name);
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    // A key name has at most 255 characters.
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(std::size(name));
        const LSTATUS r = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r == ERROR_SUCCESS && length < std::size(name)) names.emplace_back(name, length);
        if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) break;
    }
    return names;
}

LSTATUS DeleteKey(HKEY root, std::wstring_view subkey) {
    if (subkey.empty()) return ERROR_INVALID_PARAMETER;
    const std::wstring path(subkey);
    return RegDeleteKeyW(root, path.c_str());
}

LSTATUS DeleteTree(HKEY root, std::wstring_view subkey) {
    if (subkey.empty()) return ERROR_INVALID_PARAMETER;
    const std::wstring path(subkey);
    const LSTATUS tree = RegDeleteTreeW(root, path.c_str());
    // The call is documented as removing what lies under the key; the key itself goes here when it
    // is still there.
    const LSTATUS self = RegDeleteKeyW(root, path.c_str());
    if (self == ERROR_SUCCESS || (self == ERROR_FILE_NOT_FOUND && tree == ERROR_SUCCESS)) return ERROR_SUCCESS;
    return tree != ERROR_SUCCESS ? tree : self;
}

LSTATUS DeleteValue(HKEY key, std::wstring_view name) {
    const std::wstring valueName(name);
    return RegDeleteValueW(key, valueName.c_str());
}

void WriteRegString(HKEY root, std::wstring_view subkey, std::wstring_view valueName, std::wstring_view text) {
    if (const UniqueKey key = OpenKeyForWrite(root, subkey)) SetStringValue(key.get(), valueName, text);
}

bool ReadRegString(HKEY root, std::wstring_view subkey, std::wstring_view valueName, std::wstring& text) {
    const UniqueKey key = OpenKeyForRead(root, subkey);
    if (!key) return false;
    auto value = ReadStringValue(key.get(), valueName, StringTypes::Any, kRegStringCapacity * sizeof(wchar_t));
    if (!value) return false;
    text = std::move(*value);
    return true;
}

}  // namespace qm
