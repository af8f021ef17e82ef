#pragma once
// Marks: a folder keeps what it shows (its own icon, whoever set it, or the default folder icon of
// the running Windows) and gets it back with an emblem, written as a new made copy. What the
// folder had before is recorded in desktop.ini, in a section of our own that Windows ignores, so
// that a clear puts back desktop.ini byte for byte (or removes it when there was none), the
// attributes, and the base copy: a Quillmark copy the folder showed is kept while the mark
// stands, under a name the copy removal does not match. Marking a marked folder replaces the
// emblem on the same base; marks do not stack.
#include <string>
#include <vector>

#include "core/folder/folder_customization.h"
#include "core/icons/icon_renderer.h"

namespace qm {

// The section of desktop.ini that records a mark.
inline constexpr wchar_t kMarkSection[] = L"Quillmark.Mark";
// desktop.ini files larger than this are not marked (their bytes are recorded for the clear).
inline constexpr std::size_t kMaxMarkedDesktopIniBytes = 16 * 1024;

// True when the folder's desktop.ini records a mark.
bool IsFolderMarked(const std::wstring& folder);

// The icon the folder shows now, as file and index (an absolute path; a negative index is a
// resource id): IconResource, else IconFile and IconIndex, else the shell's stock folder icon; a
// system module without icon groups is read from its .mun (IconGroupsFileOf).
// For a marked folder, the base the mark was drawn on.
struct ShownIcon {
    std::wstring file;
    int index = 0;
};
ShownIcon ShownIconOf(const std::wstring& folder);

// Marks the folder with `emblem` (its pixels at the emblem side of each made size). True when the
// folder was changed; raises UserError when the base icon cannot be read or desktop.ini is too
// large to record, before anything is written.
bool MarkFolder(const std::wstring& folder, const std::vector<IconPixels>& emblem, CallerProfile caller);

// Puts back what the folder had before it was marked. False (nothing changed) for a folder that
// is not marked.
bool ClearFolderMark(const std::wstring& folder);

}  // namespace qm
