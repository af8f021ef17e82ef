#pragma once
// Applying an icon and tooltip to a folder, resetting it, and removing the icon copies that copy
// mode leaves in folders. One algorithm each; what differs per caller comes from the profile
// tables (folder_profiles.h).
//
// Errors that end an operation part-way are thrown as UserError carrying the message text:
// "Unable to write to %s" (a refused key write), "Failed loading EXE/DLL" (a source that cannot
// be mapped), "'%s' is not a valid integer value" (a hand-edited index), and the icon container's
// save error. Everything else is reported through ShowFolderMessage.
//
// An apply or reset that ends by an error after the write test leaves the folder as it was: the
// copy it made is removed again, desktop.ini gets back its bytes and attributes (or goes, when the
// operation made it), and old copies are removed only once every key is written. Folders deep in
// a tree work as any other: file and attribute calls take the long form of long paths, and
// desktop.ini is read and written by the INI layer's own access.
#include <cstddef>
#include <cstdint>
#include <vector>
#include <string>

#include "core/folder/folder_customization.h"

namespace qm {

// Which mode an apply works in: the settings key CopyIco's, or copy mode whatever it says (a
// repair that makes a linked folder independent of its source).
enum class ApplyMode { FromSettings, Copy };

// Gives record.Folder the record's icon and tooltip. True when the folder was changed (the shell
// has been notified); false when a message stopped the apply before anything was written.
// An icon source that is a picture (PNG, JPEG, BMP, GIF, TIFF) is made into a square multi-size
// icon and copied into the folder, in link mode too (with a message saying so); a picture that
// cannot be read raises UserError before anything is written.
bool ApplyIconToFolder(const FolderCustomization& record, CallerProfile caller,
                       ApplyMode mode = ApplyMode::FromSettings);

// The same with an icon already made (the .ico bytes of a colour folder): written as the folder's
// copy in either mode; record.IconFile and IconIndex are not used.
bool ApplyMadeIconToFolder(const FolderCustomization& record, const std::vector<std::uint8_t>& ico,
                           CallerProfile caller);

// Empties IconFile, IconIndex and Infotip (and an existing IconResource) of the folder's
// desktop.ini. True when the folder was changed.
bool ResetIconOfFolder(const std::wstring& folder, CallerProfile caller);

// Removes the icon copies that match the caller's name rule from the folder, except `keep` (a
// full path, when the folder is about to be linked to one of them). Returns how many matched.
std::size_t ClearAllIcons(const std::wstring& folder, CallerProfile rule, const std::wstring& keep = {});

// The integer of an IconIndex text; throws UserError "'%s' is not a valid integer value".
int IconIndexValue(const std::wstring& text);

// A copy name from the process-wide generator (seeded once per process on first use unless a
// caller seeded it) that names no file in the folder and differs from `current`.
std::wstring FreshCopyName(const std::wstring& folder, const std::wstring& current);

}  // namespace qm
