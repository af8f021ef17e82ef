#pragma once
// The platform side of a folder's customization: reading desktop.ini back, setting attributes
// (the one place that does), and the shell notification pair.
#include <windows.h>

#include <functional>
#include <string>

#include "core/folder/folder_customization.h"

namespace qm {

// IconFile, IconIndex and Infotip of the folder's desktop.ini, each empty when missing.
FolderCustomization ReadFolderCustomization(const std::wstring& folder);

// SetFileAttributesW, replacing the whole attribute set. Every attribute change of the engine
// goes through here; a test may observe the calls, each right after the platform call.
bool SetAttributes(const std::wstring& path, DWORD attributes);
using AttributeObserver = std::function<void(const std::wstring& path, DWORD attributes)>;
void SetAttributeObserver(AttributeObserver observer);

// SHCNE_ATTRIBUTES for the folder, then SHCNE_UPDATEITEM for its desktop.ini (SHCNF_PATHW).
void NotifyFolderCustomized(const std::wstring& folder);

// Seeds the process-wide copy-name generator from a source that differs between processes
// and between starts (clock, process id, tick count).
void SeedCopyNamesForProcess();

}  // namespace qm
