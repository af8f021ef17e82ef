#pragma once
// The colours chosen for folders, newest first, kept in the settings file as one value
// ("#RRGGBB,#RRGGBB,..."), so the colour dialog can offer them again.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/icons/colour_folder_icon.h"

namespace qm {

inline constexpr std::size_t kColourHistorySize = 8;

// The colours of a stored value; entries that are not "#RRGGBB" are skipped, repeats dropped, and
// at most kColourHistorySize are taken.
std::vector<RgbColour> ParseColourHistory(std::wstring_view text);
std::wstring ColourHistoryText(const std::vector<RgbColour>& history);
// The history with `colour` first (moved there when it was already in it), cut to its size.
std::vector<RgbColour> WithColourFirst(std::vector<RgbColour> history, RgbColour colour);

// Read from and written to the settings file (Colours/History).
std::vector<RgbColour> ReadColourHistory();
// Throws UserError "Unable to write to %s" when the settings file cannot be written.
void RememberColour(RgbColour colour);

}  // namespace qm
