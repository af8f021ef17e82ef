#pragma once
// The command groups of quillmark-cli. Each group lives in its own source file and registers
// itself with a file-scope CommandGroupRegistrar:
//
//   static const qm::cli::CommandGroupRegistrar registrar{L"icons", L"icons list FILE ...", &RunIcons};
//
// main.cpp dispatches `quillmark-cli GROUP ARGS...` to the group's function with ARGS.
#include <string>
#include <string_view>
#include <vector>

namespace qm::cli {

// Where a command writes: standard output for results, standard error for messages (UTF-8).
void Out(std::wstring_view text);
void Err(std::wstring_view text);

// A group's entry point: the arguments after the group name; returns the process exit code
// (0 only when the command did what it was asked to do).
using CommandGroupFunction = int (*)(const std::vector<std::wstring>& args);

struct CommandGroup {
    std::wstring_view name;
    std::wstring_view usage;  // one or more lines, each a complete command line
    CommandGroupFunction run;
};

// The registered groups, in registration order.
std::vector<CommandGroup>& CommandGroups();

struct CommandGroupRegistrar {
    CommandGroupRegistrar(std::wstring_view name, std::wstring_view usage, CommandGroupFunction run) {
        CommandGroups().push_back({name, usage, run});
    }
};

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // bad input or a failed operation
inline constexpr int kExitUsage = 2;   // unknown command or wrong arguments

}  // namespace qm::cli
