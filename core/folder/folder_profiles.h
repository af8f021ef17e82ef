#pragma once
// What differs between the callers that apply and reset folder icons (main window, custom icon
// window, shell extension), as data: one algorithm reads these tables instead of branching on the
// caller. Also the small text rules of the apply (the icon choice, the index, bare copy names).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/folder/folder_customization.h"

namespace qm {

// How a message reaches the user: the program's lookup and an owned MessageBoxExW, or the
// extension's lookup and a MessageBoxW owned by the thread's message owner.
enum class MessageChannel { Program, Extension };

// A message as written in the code (English, "/n" for a line break). An empty text means the
// situation cannot arise for that caller, or is not tested.
struct FolderMessageText {
    std::string_view text;
    std::string_view caption;
    bool Present() const { return !text.empty(); }
};

// When the apply writes only the tooltip.
enum class TooltipOnlyRule {
    CopyModeWithoutIcon,      // in link mode the icon keys are written as they stand
    WithoutIconInEitherMode,  // and with neither icon nor tooltip the apply stops with a message
    Never,
};

struct ApplyProfile {
    CallerProfile caller;
    MessageChannel channel;
    FolderMessageText emptyFolder;
    FolderMessageText writeTestFailed;
    FolderMessageText nothingToApply;
    TooltipOnlyRule tooltipOnly;
    bool writesInfotip;
    bool removesCopiesInLinkMode;
    // Copy mode: old copies are removed even when the icon could not be extracted (the folder is
    // then linked to its source); otherwise only after a successful extraction.
    bool removesCopiesWithoutExtraction;
    std::uint32_t desktopIniAfterApply;
    std::uint32_t copyAfterWrite;
    std::uint32_t folderAfterApply;
};

struct ResetProfile {
    CallerProfile caller;
    MessageChannel channel;
    FolderMessageText emptyFolder;
    bool makesWriteTest;
    FolderMessageText writeTestFailed;
    std::uint32_t folderAfterReset;
    bool removesCopies;
};

const ApplyProfile& ApplyProfileFor(CallerProfile caller);
// The custom icon window has no reset of its own; it is given the main window's.
const ResetProfile& ResetProfileFor(CallerProfile caller);

// An icon counts as chosen when file and index are both given and the index is not "-1".
bool IconChosen(const FolderCustomization& record);

// The index as a decimal 32-bit integer (optional sign, digits, nothing else); empty otherwise.
std::optional<std::int32_t> ParseIconIndex(std::wstring_view text);

// A name without any folder or drive part (such as a copy name read back from desktop.ini).
bool IsBareFileName(std::wstring_view path);

// Where the icon source lies: a bare name is resolved inside the folder, as the shell does.
std::wstring ResolveInFolder(std::wstring_view folder, std::wstring_view iconFile);

// The IconResource value naming the same icon as IconFile and IconIndex: "path,index"; empty
// when no file is named.
std::wstring IconResourceValue(std::wstring_view iconFile, std::wstring_view iconIndex);

// Paths compared as the platform compares them (ASCII letters without case, / and \ alike).
bool SamePath(std::wstring_view a, std::wstring_view b);

}  // namespace qm
