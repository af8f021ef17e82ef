#pragma once
// Where the program and the extension keep the files they write (the settings file, the picker's
// history, the user's themes): the module's own folder when it can be written there (a per-user
// installation, the portable zip), otherwise the user's "%APPDATA%\Quillmark\" (an all-users
// installation under Program Files). Both modules apply the same rule, so they share one file.
#include <string>

namespace qm {

// True when a new file can be created in `folder` (with trailing backslash): creates a uniquely
// named temporary file there and deletes it again. A real write is the only check that sees
// everything the later write will meet: the folder's ACL, a read-only or write-protected medium,
// a read-only share or a policy; an access check on the ACL alone sees only the first.
bool CanCreateFilesIn(const std::wstring& folder);

// The user's own folder: the roaming application-data known folder + "Quillmark\", with trailing
// backslash; empty when the known folder is unknown. Not created here.
std::wstring UserDataFolder();

// The user's cache of files made from others (kept on this machine, not roamed): the local
// application-data known folder + "Quillmark\", with trailing backslash; empty when unknown.
std::wstring UserCacheFolder();

// moduleFolder when files can be created there, otherwise UserDataFolder() (moduleFolder again
// when that is unknown, so a write fails with its usual message).
std::wstring DataFolderFor(const std::wstring& moduleFolder);
// The same for the folder of this module, decided once per process.
std::wstring DataFolder();

// Creates the folder and every missing folder above it; true when it exists afterwards.
bool CreateFolderPath(const std::wstring& folder);

}  // namespace qm
