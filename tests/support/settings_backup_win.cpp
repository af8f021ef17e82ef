#include "tests/support/settings_backup_win.h"

#include "core/settings/settings_win.h"
#include "tests/support/files_win.h"

namespace qmtest {

ScopedFileBackup::ScopedFileBackup(std::wstring path) : path_(std::move(path)) {
    if (Exists(path_)) bytes_ = ReadBytes(path_);
}

ScopedFileBackup::~ScopedFileBackup() {
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (bytes_) {
        WriteBytes(path_, *bytes_);
    } else {
        DeleteFileW(path_.c_str());
    }
}

ScopedSettingsFile::ScopedSettingsFile() : ScopedFileBackup(qm::SettingsFilePath()) {}

std::optional<std::wstring> ReadDefaultValue(HKEY root, const std::wstring& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t), type = 0;
    const LONG r = RegQueryValueExW(k, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return std::wstring();  // the key without a default value
    return std::wstring(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

bool WriteDefaultValue(HKEY root, const std::wstring& key, const std::wstring& value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r = RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

ScopedRegistryDefaults::ScopedRegistryDefaults(HKEY root, std::vector<std::wstring> keys)
    : root_(root), keys_(std::move(keys)) {
    for (const auto& k : keys_) values_.push_back(ReadDefaultValue(root_, k));
}

ScopedRegistryDefaults::~ScopedRegistryDefaults() {
    for (std::size_t i = keys_.size(); i-- > 0;) {
        if (!values_[i]) RegDeleteKeyW(root_, keys_[i].c_str());
    }
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (values_[i]) WriteDefaultValue(root_, keys_[i], *values_[i]);
    }
}

}  // namespace qmtest
