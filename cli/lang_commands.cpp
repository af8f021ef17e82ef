// quillmark-cli lang ...: a language-file template for translators.
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "core/icons/icon_file.h"
#include "core/settings/language_template.h"

namespace qm::cli {
namespace {

constexpr std::wstring_view kUsage = L"lang template OUT.ini";

// Writes an empty "info" section and a "Dict" section with one empty line per key.
int Template(const std::vector<std::wstring>& args) {
    if (args.size() != 1) {
        Err(L"usage:\n  quillmark-cli lang template OUT.ini\n");
        return kExitUsage;
    }
    WriteNewFile(args[0], LanguageTemplateFile());
    Out(L"wrote " + std::to_wstring(LanguageTemplateKeys().size()) + L" keys to " + args[0] + L"\n");
    return kExitOk;
}

int RunLang(const std::vector<std::wstring>& args) {
    if (!args.empty() && args[0] == L"template") return Template({args.begin() + 1, args.end()});
    Err(L"usage:\n  quillmark-cli lang template OUT.ini\n");
    return kExitUsage;
}

const CommandGroupRegistrar registrar{L"lang", kUsage, &RunLang};

}  // namespace
}  // namespace qm::cli
