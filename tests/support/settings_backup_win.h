#pragma once
// Puts files and registry keys that a test changes back as they were: the program's settings
// file (the test executable's "quillmark.ini") and keys under a registry root.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qmtest {

// Keeps the bytes of a file (or that it was missing) and restores them at the end of the scope.
class ScopedFileBackup {
public:
    explicit ScopedFileBackup(std::wstring path);
    ~ScopedFileBackup();
    ScopedFileBackup(const ScopedFileBackup&) = delete;
    ScopedFileBackup& operator=(const ScopedFileBackup&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
    std::optional<std::vector<std::uint8_t>> bytes_;
};

// The program's settings file, kept and restored.
class ScopedSettingsFile : public ScopedFileBackup {
public:
    ScopedSettingsFile();
};

// Keeps the default string values of a key and of its sub-keys listed (or that they were
// missing) and restores them at the end: keys that were missing are deleted again.
class ScopedRegistryDefaults {
public:
    ScopedRegistryDefaults(HKEY root, std::vector<std::wstring> keys);
    ~ScopedRegistryDefaults();
    ScopedRegistryDefaults(const ScopedRegistryDefaults&) = delete;
    ScopedRegistryDefaults& operator=(const ScopedRegistryDefaults&) = delete;

private:
    HKEY root_;
    std::vector<std::wstring> keys_;  // parents before children
    std::vector<std::optional<std::wstring>> values_;
};

// The default string value of a key; empty optional when the key (or the value) is missing.
std::optional<std::wstring> ReadDefaultValue(HKEY root, const std::wstring& key);
bool KeyExists(HKEY root, const std::wstring& key);
// Creates the key (and missing parents) with the default value.
bool WriteDefaultValue(HKEY root, const std::wstring& key, const std::wstring& value);

}  // namespace qmtest
