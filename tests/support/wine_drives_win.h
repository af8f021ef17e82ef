#pragma once
// A drive letter of the Wine prefix that maps to a test's folder and reports a given drive type
// (DRIVE_REMOVABLE, DRIVE_REMOTE), made through Wine's mount manager as winecfg makes drives, and
// removed at the end. Windows has no such call: there a test that needs it skips.
#include <windows.h>

#include <string>

namespace qmtest {

class WineDriveLetter {
public:
    WineDriveLetter(const std::wstring& folder, UINT driveType);
    ~WineDriveLetter();
    WineDriveLetter(const WineDriveLetter&) = delete;
    WineDriveLetter& operator=(const WineDriveLetter&) = delete;

    // The drive's root ("R:\"), or empty when it could not be made (then why() says why).
    const std::wstring& root() const { return root_; }
    const std::string& why() const { return why_; }

private:
    bool Define(wchar_t letter, const std::string& unixPath, UINT type);
    std::wstring root_;
    std::string why_;
};

}  // namespace qmtest
