// The program's command-line splitter and mode choice on any command line: arguments hold no
// quote and no character of code 32 and below outside quotes, the mode comes from the first two
// arguments only, and nothing reads past the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/command_line.h"
#include "tests/fuzz/fuzz_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring line = qmfuzz::Utf16Units(data, size);
    const auto args = qm::SplitCommandLine(line);
    std::size_t total = 0;
    for (const auto& a : args) {
        if (a.find(L'"') != std::wstring::npos) std::abort();
        total += a.size();
    }
    if (total > line.size()) std::abort();
    const qm::StartRequest request = qm::SelectMode(args);
    if (args.empty() && (request.mode != qm::ProgramMode::Main || !request.argument.empty())) std::abort();
    if (!args.empty() && request.argument != args[0] && !(args.size() > 1 && request.argument == args[1]) &&
        !request.argument.empty()) {
        std::abort();
    }
    return 0;
}
