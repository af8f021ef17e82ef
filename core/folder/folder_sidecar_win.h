#pragma once
// The sidecar on disk (folder_sidecar.h holds its format): whether a folder lies in a sync root,
// when the apply writes the sidecar, writing and removing it, and reading it back bounded.
#include <windows.h>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>
#include <string>

#include "core/folder/folder_sidecar.h"

namespace qm {

// True when the folder lies below a Cloud Files sync root (OneDrive, SharePoint and other
// providers of the Cloud Files API): CfGetSyncRootInfoByPath of cldapi.dll, loaded at run time
// (Windows 10 1709 and later; without it no folder is in a sync root).
bool IsInSyncRoot(const std::wstring& folder);
// Test seam: answers IsInSyncRoot instead of the platform (Wine has no cldapi.dll).
using SyncRootSeam = std::function<bool(const std::wstring& folder)>;
void SetSyncRootSeam(SyncRootSeam seam);

// When a customization in copy mode writes the sidecar: always, only in a sync root (the
// default), or never. Process-wide; the console tool sets it from --sidecar.
enum class SidecarPolicy { Always, Synced, Never };
void SetSidecarPolicy(SidecarPolicy policy);
SidecarPolicy CurrentSidecarPolicy();
// "always", "synced", "never"; nothing for another word.
std::optional<SidecarPolicy> SidecarPolicyFromName(std::wstring_view name);

// The sidecar's path in the folder.
std::wstring SidecarPathOf(const std::wstring& folder);

// Whether the policy wants a sidecar in this folder (`inSyncRoot` as IsInSyncRoot answered).
bool WantsSidecar(SidecarPolicy policy, bool inSyncRoot);

// Writes the sidecar (replacing one that is there) and gives it the hidden mark only. Throws
// UserError "Unable to write to %s" when the platform refuses.
void WriteSidecar(const std::wstring& folder, const SidecarRecord& record);

// Removes the folder's sidecar, if any.
void RemoveSidecar(const std::wstring& folder);

// True when the folder holds a sidecar (a file, not a folder of that name).
bool HasSidecar(const std::wstring& folder);

// Reads the folder's sidecar, at most 4 KB of it and nothing of a larger one, and checks the
// file it names: inside the folder, a file, and an icon. Changes nothing.
SidecarReading ReadSidecar(const std::wstring& folder);

// True when `path` is a file (not a folder) that parses as an .ico.
bool IsIconCopyFile(const std::wstring& path);

}  // namespace qm

namespace qm {

// The icon copies in the folder: files named OstrelQuillmark3_*.ico that stay inside it (bare
// names), in the order the platform lists them.
std::vector<std::wstring> QuillmarkCopiesIn(const std::wstring& folder);

// After an apply has written desktop.ini's keys: when the policy wants a sidecar here and
// desktop.ini names a copy inside the folder, the sidecar is written with those keys; otherwise
// a sidecar left from before goes, so none tells of an icon the folder no longer has.
void KeepSidecarWithKeys(const std::wstring& folder, const SidecarRecord& keys, bool inSyncRoot);

}  // namespace qm
