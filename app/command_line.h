#pragma once
// The program's command line: splitting into arguments and choosing the mode.
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Splits a whole command line (program name first) the way the program reads it: arguments are
// separated by characters of code 32 and below; double quotes group blanks and are removed.
// The program name is not part of the result.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

enum class ProgramMode { About, Theme, Custom, Install, Main };

struct StartRequest {
    ProgramMode mode = ProgramMode::Main;
    // Custom: the folder; Install: the theme file; Main: the first argument (a folder) or empty.
    std::wstring argument;
};

// Reads only the first two arguments; the mode word is upper-cased and compared whole.
StartRequest SelectMode(const std::vector<std::wstring>& arguments);

}  // namespace qm
