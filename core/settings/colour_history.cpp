#include "core/settings/colour_history.h"

#include <algorithm>

namespace qm {

std::vector<RgbColour> ParseColourHistory(std::wstring_view text) {
    std::vector<RgbColour> history;
    while (!text.empty() && history.size() < kColourHistorySize) {
        const std::size_t comma = text.find(L',');
        const std::wstring_view item = text.substr(0, comma);
        text = comma == std::wstring_view::npos ? std::wstring_view() : text.substr(comma + 1);
        const auto colour = ParseColourText(item);
        if (colour && std::find(history.begin(), history.end(), *colour) == history.end()) history.push_back(*colour);
    }
    return history;
}

std::wstring ColourHistoryText(const std::vector<RgbColour>& history) {
    std::wstring text;
    for (std::size_t i = 0; i < history.size() && i < kColourHistorySize; ++i) {
        if (i) text += L',';
        text += ColourText(history[i]);
    }
    return text;
}

std::vector<RgbColour> WithColourFirst(std::vector<RgbColour> history, RgbColour colour) {
    history.erase(std::remove(history.begin(), history.end(), colour), history.end());
    history.insert(history.begin(), colour);
    if (history.size() > kColourHistorySize) history.resize(kColourHistorySize);
    return history;
}

}  // namespace qm
