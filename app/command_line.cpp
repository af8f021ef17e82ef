#include "app/command_line.h"

#include "core/base/text.h"

namespace qm {

namespace {
// Reads one argument starting at `pos`; returns false when only blanks are left.
bool NextArgument(std::wstring_view s, std::size_t& pos, std::wstring& out) {
    while (pos < s.size() && s[pos] <= L' ') ++pos;
    if (pos >= s.size()) return false;
    out.clear();
    while (pos < s.size() && s[pos] > L' ') {
        if (s[pos] == L'"') {
            ++pos;
            while (pos < s.size() && s[pos] != L'"') out.push_back(s[pos++]);
            if (pos < s.size()) ++pos;  // closing quote
        } else {
            out.push_back(s[pos++]);
        }
    }
    return true;
}
}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
    std::vector<std::wstring> args;
    std::size_t pos = 0;
    std::wstring arg;
    if (!NextArgument(commandLine, pos, arg)) return args;  // the program's own name
    while (NextArgument(commandLine, pos, arg)) args.push_back(arg);
    return args;
}

StartRequest SelectMode(const std::vector<std::wstring>& arguments) {
    StartRequest r;
    if (arguments.empty()) return r;
    const std::wstring word = UpperAscii(arguments[0]);
    const std::wstring second = arguments.size() > 1 ? arguments[1] : std::wstring();
    if (word == L"/ABOUT") {
        r.mode = ProgramMode::About;
    } else if (word == L"/THEME") {
        r.mode = ProgramMode::Theme;
    } else if (word == L"/CUSTOM") {
        r.mode = ProgramMode::Custom;
        r.argument = second;
    } else if (word == L"/INSTALL") {
        r.mode = ProgramMode::Install;
        r.argument = second;
    } else {
        r.argument = arguments[0];
    }
    return r;
}

}  // namespace qm
