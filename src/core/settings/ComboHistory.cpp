#include "core/settings/ComboHistory.h"

#include "core/text/CaseFold.h"

namespace albumora {

std::vector<WString> ComboHistory::FilterHistory(WStringView typed) const {
    std::vector<WString> matches;
    if (typed.empty()) {
        return matches;
    }
    const WString needle = ToLowerText(typed);
    for (const WString& item : m_items) {
        WString entry = ToLowerText(item);
        if (entry.find(needle) == WString::npos) {
            continue;
        }
        if (const std::size_t cut = entry.find(kCutMarker); cut != WString::npos) {
            entry.resize(cut);
        }
        matches.push_back(std::move(entry));
    }
    return matches;
}

}  // namespace albumora
