#pragma once
// Makes the shell drop and rebuild its icon cache: delete the old cache file, nudge the shell icon
// size by one pixel and back while telling every top-level window that settings changed, refresh
// the desktop, then tell the shell that associations changed and run the system's own icon-cache
// refresh where it has one. Reports nothing; no failure stops the sequence.
namespace qm {

void RebuildIconCache();

// WM_SETTINGCHANGE (both parameters 0) to every window directly under the desktop, in turn.
// Each send waits at most kSettingChangeTimeoutMs for a window, so a hung window cannot hold the
// program up.
inline constexpr unsigned kSettingChangeTimeoutMs = 2000;
void BroadcastSettingChange();

// The Active Desktop object's ApplyChanges; without the object, RefreshDesktopWithoutActiveDesktop.
void RefreshDesktop();
// True when the Active Desktop object and its interface were obtained (ApplyChanges was called).
bool ApplyActiveDesktopChanges();
// Command 0xA065 to the "Progman" window, or, without that window, one more broadcast.
void RefreshDesktopWithoutActiveDesktop();

}  // namespace qm
