#pragma once

#include <vector>

#include "core/text/WideText.h"

namespace albumora {

// The remembered entries behind an editable history box (address, save folder) and the rule by
// which the drop-down list filters itself while the user types. The widget only presents them.
class ComboHistory {
public:
    // Entries are shown in a filtered list only up to this text.
    static constexpr WStringView kCutMarker = u"kvx?!oxff";

    // Appends without a duplicate test or a limit; the settings store decides what is remembered.
    void AddHistoryItem(WStringView text) { m_items.emplace_back(text); }
    void Clear() { m_items.clear(); }

    // Every entry in the order added and in its stored case: the list of the drop-down arrow.
    const std::vector<WString>& Items() const { return m_items; }

    // The entries, in their stored case and cut before kCutMarker, whose lower-case form contains
    // the lower-case `typed`, in history order. An empty `typed` matches nothing: the list closes.
    std::vector<WString> FilterHistory(WStringView typed) const;

private:
    std::vector<WString> m_items;
};

}  // namespace albumora
