#include "core/settings/PersistentSettings.h"

#include <algorithm>

#include "core/text/CaseFold.h"

namespace albumora {

WString SlotText(std::span<const char16_t> slot) {
    const auto end = std::find(slot.begin(), slot.end(), u'\0');
    return WString(slot.begin(), end);
}

void SetSlotText(std::span<char16_t> slot, WStringView text, std::size_t maxChars) {
    if (slot.empty()) {
        return;
    }
    std::size_t n = std::min({text.size(), maxChars, slot.size() - 1});
    if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) {
        --n;  // half a character would turn into U+FFFD wherever the name is used
    }
    std::fill(std::copy_n(text.begin(), n, slot.begin()), slot.end(), u'\0');
}

bool RememberText(PersistentSettings& settings, HistoryKind kind, WStringView text) {
    if (text.empty() || text.size() >= kHistorySlotUnits) {
        return false;
    }
    auto& slots = settings.History(kind);
    for (const HistorySlot& slot : slots) {
        if (EqualsNoCase(SlotText(slot), text)) {
            return false;
        }
    }
    std::move_backward(slots.begin(), slots.end() - 1, slots.end());
    SetSlotText(slots[0], text, kHistorySlotUnits - 1);
    return true;
}

std::vector<WString> HistoryTexts(const PersistentSettings& settings, HistoryKind kind) {
    std::vector<WString> texts;
    for (const HistorySlot& slot : settings.History(kind)) {
        if (slot[0] != u'\0') {
            texts.push_back(SlotText(slot));
        }
    }
    return texts;
}

}  // namespace albumora
