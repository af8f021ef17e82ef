#include "core/settings/colour_history.h"
#include "core/settings/settings_win.h"

namespace qm {

std::vector<RgbColour> ReadColourHistory() { return ParseColourHistory(ReadSetting(kColourHistorySetting)); }

void RememberColour(RgbColour colour) {
    WriteSetting(kColourHistorySetting, ColourHistoryText(WithColourFirst(ReadColourHistory(), colour)));
}

}  // namespace qm
