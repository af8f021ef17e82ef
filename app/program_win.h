#pragma once
#include <string_view>

namespace qm {

// The whole program: set-up, the current language, then exactly one mode chosen from the command
// line. Returns the process exit code.
int RunProgram(std::wstring_view commandLine);

}  // namespace qm
