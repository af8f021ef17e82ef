#pragma once
// Runs quillmark-cli of the build as a process for the tests of its commands.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"

namespace qmtest {

struct CliResult {
    DWORD exit = 0xFFFFFFFF;
    std::wstring out, err;  // standard output and error, read as UTF-8
};

// Runs quillmark-cli with `arguments`, its standard output and error going to files in `dir`.
CliResult RunCli(const TempDir& dir, const std::wstring& arguments);

// What the tests of the folder commands start from: a temporary folder holding "Metal.icl", an
// icon library of six generated icons, and the settings file at its defaults.
class FolderCliFixture : public testing::Test {
protected:
    explicit FolderCliFixture(const wchar_t* folderHint);
    TempDir dir;
    SettingsFileGuard settings;
    IconSet icons;
    std::wstring library;
};

}  // namespace qmtest
