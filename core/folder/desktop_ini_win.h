#pragma once
// A folder's desktop.ini as the engine writes it: the write test, key writes in the section
// .ShellClassInfo, and whether a key is present at all. Explorer reads the file through the
// profile functions, which read only UTF-16LE and the ANSI code page: the first write to a file in
// UTF-8 with a mark or in UTF-16BE rewrites it as UTF-16LE, every other line kept.
#include <windows.h>

#include <string>

#include "core/settings/ini_file_win.h"

namespace qm {

class DesktopIni {
public:
    explicit DesktopIni(const std::wstring& folder);

    const std::wstring& Path() const { return ini_.Path(); }
    bool Exists() const;
    DWORD Attributes() const;  // INVALID_FILE_ATTRIBUTES when missing

    // The write test: an existing file gets `attributes`; false when the platform refuses.
    // A missing file is not tested.
    bool PassesWriteTest(DWORD attributes) const;

    bool HasKey(const wchar_t* key) const;
    std::wstring Read(const wchar_t* key) const;
    // Throws UserError "Unable to write to %s".
    void Write(const wchar_t* key, const std::wstring& value) const;
    // The rewrite alone (nothing for a missing or readable file). Throws as Write does.
    void RewriteInPlatformEncoding() const;

private:
    IniFile ini_;
};

}  // namespace qm
