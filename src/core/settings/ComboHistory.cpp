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
        // Matched without regard to case, shown as stored: on Linux "Photos" and "photos" are
        // two folders, and a site's address may be case-sensitive too.
        const WString lower = ToLowerText(item);
        if (lower.find(needle) == WString::npos) {
            continue;
        }
        WString entry = item;
        if (const std::size_t cut = lower.find(kCutMarker); cut != WString::npos) {
            entry.resize(cut);
        }
        matches.push_back(std::move(entry));
    }
    return matches;
}

}  // namespace albumora
