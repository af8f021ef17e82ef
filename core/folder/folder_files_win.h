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

// SetFileAttributesW, replacing the whole attribute set (through the long form of a long path)
// except the bits Windows owns (the pin state, offline and recall), which stay as they are.
// Every attribute change of the engine goes through here; a test may observe the calls, each
// right after the platform call, with the path as the engine gave it.
bool SetAttributes(const std::wstring& path, DWORD attributes);
using AttributeObserver = std::function<void(const std::wstring& path, DWORD attributes)>;
void SetAttributeObserver(AttributeObserver observer);
// Test seam: the present attributes of an item as the platform would answer them (Wine keeps
// only hidden and system beside the read-only mode, so it cannot hold a pin state).
using CurrentAttributesSeam = std::function<DWORD(const std::wstring& path)>;
void SetCurrentAttributesSeam(CurrentAttributesSeam seam);
// The present attributes of an item: the seam's answer when a test set one, else the platform's.
DWORD CurrentAttributesOf(const std::wstring& path);

// SHCNE_ATTRIBUTES for the folder, then SHCNE_UPDATEITEM for its desktop.ini (SHCNF_PATHW), each
// named without the long-path prefix. A test may observe each notification as it is sent (Wine's
// shell makes no item of a path much past MAX_PATH, so its listeners cannot see those).
void NotifyFolderCustomized(const std::wstring& folder);
using NotificationObserver = std::function<void(long event, const std::wstring& path)>;
void SetNotificationObserver(NotificationObserver observer);

// Seeds the process-wide copy-name generator from a source that differs between processes
// and between starts (clock, process id, tick count).
void SeedCopyNamesForProcess();

}  // namespace qm
