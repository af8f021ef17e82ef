#pragma once
// The ".icl" shell verb: under HKEY_CLASSES_ROOT the key "iclfile\shell\Open.Ostrel.Quillmark"
// with its caption, and its subkey "command" that starts the program in its "/INSTALL" mode on the
// library. The program adds the verb to the shell's type for icon libraries; it never creates that
// type or its association with ".icl".
#include <string>
#include <string_view>

namespace qm {

inline constexpr wchar_t kIclVerbKey[] = L"iclfile\\shell\\Open.Ostrel.Quillmark";
inline constexpr wchar_t kIclVerbCommandKey[] = L"iclfile\\shell\\Open.Ostrel.Quillmark\\command";

// The command line the verb runs: the program and the placeholder both quoted, so a library path
// with a blank reaches "/INSTALL" whole and a program path with a blank is not resolved by its
// prefixes.
std::wstring IclVerbCommand(std::wstring_view program);

// True when the command key opens for full access; false when it is missing or the user may not
// change it.
bool IclVerbRegistered();

// Opens (creating when missing, for full access) the verb key and sets its default value to
// `caption`, then its "command" subkey with IclVerbCommand(program). A key the user may not open
// ends the registration silently; a value refused after its key was opened throws UserError
// "Failed to set data for '%s'" (translated; the default value's empty name in place of %s).
void RegisterIclVerb(std::wstring_view caption, std::wstring_view program);

// Deletes the command key, then the verb key; failures are ignored.
void UnregisterIclVerb();

}  // namespace qm
