#include "core/shell/icl_verb_win.h"

#include <windows.h>

#include "core/base/error.h"
#include "core/settings/language_support.h"
#include "core/shell/registry_win.h"

namespace qm {

namespace {
void SetDefaultValue(HKEY key, std::wstring_view text) {
    if (SetStringValue(key, L"", text) != ERROR_SUCCESS) {
        throw UserError(FormatMessageText(TranslateText(std::string_view("Failed to set data for '%s'")), L""));
    }
}
}  // namespace

std::wstring IclVerbCommand(std::wstring_view program) { return L"\"" + std::wstring(program) + L"\" /INSTALL \"%1\""; }

bool IclVerbRegistered() { return static_cast<bool>(OpenKey(HKEY_CLASSES_ROOT, kIclVerbCommandKey, KEY_ALL_ACCESS)); }

void RegisterIclVerb(std::wstring_view caption, std::wstring_view program) {
    const UniqueKey verb = CreateKey(HKEY_CLASSES_ROOT, kIclVerbKey, KEY_ALL_ACCESS);
    if (!verb) return;
    SetDefaultValue(verb.get(), caption);
    const UniqueKey command = CreateKey(verb.get(), L"command", KEY_ALL_ACCESS);
    if (!command) return;
    SetDefaultValue(command.get(), IclVerbCommand(program));
}

void UnregisterIclVerb() {
    DeleteKey(HKEY_CLASSES_ROOT, kIclVerbCommandKey);
    DeleteKey(HKEY_CLASSES_ROOT, kIclVerbKey);
}

}  // namespace qm
