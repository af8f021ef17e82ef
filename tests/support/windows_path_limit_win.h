#pragma once
// Windows' path limit inside the test process. Wine's file calls take paths of any length; on
// Windows 10/11 a file or attribute call refuses a path of MAX_PATH (260) characters or more
// unless it carries the "\\?\" prefix (long-path support in the manifest only helps where the
// machine's LongPathsEnabled policy is set, which is off by default). While a WindowsPathLimit is
// alive, the file calls that the given modules import from kernel32 refuse such paths with
// ERROR_FILENAME_EXCED_RANGE, as Windows does, and record them; every other call goes through.
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace qmtest {

class WindowsPathLimit {
public:
    // The test executable itself and, when given, further loaded modules (the shell extension).
    explicit WindowsPathLimit(const std::vector<HMODULE>& alsoIn = {});
    ~WindowsPathLimit();
    WindowsPathLimit(const WindowsPathLimit&) = delete;
    WindowsPathLimit& operator=(const WindowsPathLimit&) = delete;

    // The paths refused so far, each with the name of the call.
    std::vector<std::wstring> Refused() const;
};

}  // namespace qmtest
