#include "core/text/StringCtrl.h"

namespace albumora {

WString ExtractBetween(WString& source, WStringView begin, WStringView end, int flags) {
    const size_t p = source.find(begin);
    if (p == WString::npos) {
        return {};
    }
    WString work = source.substr(p + begin.size());
    WString result;
    if (flags & SCAN_TAIL_IF_NO_END) {
        result = work;
    }
    const size_t q = work.find(end);
    if (q != WString::npos) {
        result = work.substr(0, q);
    }
    if (flags & SCAN_ADVANCE) {
        source = std::move(work);
    }
    return result;
}

long long SkipPast(WString& source, WStringView marker, bool includeMarker) {
    const size_t p = source.find(marker);
    if (p == WString::npos) {
        return -1;
    }
    source.erase(0, includeMarker ? p + marker.size() : p);
    return static_cast<long long>(p);
}

long long CutBefore(WString& source, WStringView marker) {
    const size_t p = source.find(marker);
    if (p == WString::npos) {
        return -1;
    }
    source.resize(p);
    return static_cast<long long>(p);
}

int CountOccurrences(WStringView text, WStringView separator) {
    if (separator.empty()) {
        return 0;
    }
    int count = 0;
    for (size_t p = text.find(separator); p != WStringView::npos;
         p = text.find(separator, p + separator.size())) {
        ++count;
    }
    return count;
}

void SplitCount(WStringView text, WStringView separator, int n, std::vector<WString>& pieces) {
    pieces.clear();
    pieces.reserve(static_cast<size_t>(n < 0 ? 0 : n) + 1);
    for (int i = 0; i <= n; ++i) {
        const size_t p = separator.empty() ? WStringView::npos : text.find(separator);
        if (p == WStringView::npos) {
            pieces.emplace_back(text);
            text = {};
        } else {
            pieces.emplace_back(text.substr(0, p));
            text.remove_prefix(p + separator.size());
        }
    }
}

int SplitBy(std::vector<WString>& pieces, WStringView text, WStringView separator) {
    pieces.clear();
    const int n = CountOccurrences(text, separator);
    if (n < 1) {
        return 0;
    }
    SplitCount(text, separator, n, pieces);
    return n;
}

void ReplacePairs(WString& text, WStringView fromList, WStringView toList) {
    const int n = CountOccurrences(fromList, u"|");
    if (n != CountOccurrences(toList, u"|")) {
        ReplaceAll(text, fromList, toList);
        return;
    }
    std::vector<WString> from;
    std::vector<WString> to;
    SplitCount(fromList, u"|", n, from);
    SplitCount(toList, u"|", n, to);
    for (size_t i = 0; i < from.size(); ++i) {
        ReplaceAll(text, from[i], to[i]);
    }
}

void DecodeHtmlEntities(WString& text) {
    // The order matters: "&amp;" goes second, so "&amp;lt;" ends as "<" but "&amp;quot;" as "&quot;".
    static constexpr std::pair<WStringView, WStringView> kEntities[] = {
        {u"&quot;", u"\""}, {u"&amp;", u"&"},         {u"&lt;", u"<"},  {u"&gt;", u">"},
        {u"&nbsp;", u" "},  {u"&hellip;", u"\u2026"}, {u"&#39;", u"'"},
    };
    if (text.find(u'&') == WString::npos) {
        return;
    }
    for (const auto& [entity, replacement] : kEntities) {
        ReplaceAll(text, entity, replacement);
    }
}

int LooksLikeUtf8(const unsigned char* bytes, std::uint64_t length) {
    bool allAscii = true;
    int pending = 0;
    for (std::uint64_t i = 0; i < length; ++i) {
        const unsigned char b = bytes[i];
        if (b >= 0x80) {
            allAscii = false;
        }
        if (pending == 0) {
            if (b < 0x80) {
                continue;
            }
            if (b >= 0xFC && b <= 0xFD) {
                pending = 5;
            } else if (b >= 0xF8) {  // 0xF8-0xFB, and 0xFE-0xFF too
                pending = 4;
            } else if (b >= 0xF0) {
                pending = 3;
            } else if (b >= 0xE0) {
                pending = 2;
            } else if (b >= 0xC0) {
                pending = 1;
            } else {
                return 0;  // a continuation byte without a lead byte
            }
        } else {
            if ((b & 0xC0) != 0x80) {
                return 0;
            }
            --pending;
        }
    }
    return (pending == 0 && !allAscii) ? 1 : 0;
}

}  // namespace albumora
