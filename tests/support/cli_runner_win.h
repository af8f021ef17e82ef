#pragma once
// Runs quillmark-cli of the build as a process for the tests of its commands.
#include <windows.h>

#include <string>

#include "tests/support/files_win.h"

namespace qmtest {

struct CliResult {
    DWORD exit = 0xFFFFFFFF;
    std::wstring out, err;  // standard output and error, read as UTF-8
};

// Runs quillmark-cli with `arguments`, its standard output and error going to files in `dir`.
CliResult RunCli(const TempDir& dir, const std::wstring& arguments);

}  // namespace qmtest
