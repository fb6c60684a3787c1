#include "core/files/SafeFileName.h"

#include <algorithm>
#include <ctime>

#include "core/text/StringCtrl.h"

namespace albumora {

namespace {

void TrimDots(WString& text) {
    while (!text.empty() && text.back() == u'.') {
        text.pop_back();
    }
    const auto first = std::find_if(text.begin(), text.end(), [](char16_t c) { return c != u'.'; });
    text.erase(text.begin(), first);
}

// Separators and the characters that Windows refuses in names, so that a folder copied there keeps
// its names; control characters, C0 and C1 (U+009B is a terminal's CSI), which no file manager
// shows; the line and paragraph separators; and the direction marks and the bidirectional
// embedding, override and isolate controls, which can make "gpj.exe" read as "exe.jpg".
bool IsRemoved(char16_t c) {
    switch (c) {
        case u'\\':
        case u'/':
        case u':':
        case u'*':
        case u'?':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
            return true;
        default:
            return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
                   c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    }
}

std::size_t Utf8UnitLength(WStringView text, std::size_t i, std::size_t* units) {
    const char16_t c = text[i];
    *units = 1;
    if (c < 0x80) {
        return 1;
    }
    if (c < 0x800) {
        return 2;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        *units = 2;
        return 4;
    }
    return 3;  // a lone surrogate becomes U+FFFD, three bytes as well
}

// A short run of ASCII letters and digits after the last dot, as picture and list files have.
std::size_t ExtensionStart(WStringView name) {
    const std::size_t dot = name.rfind(u'.');
    if (dot == WStringView::npos || dot == 0 || name.size() - dot < 2 || name.size() - dot > 11) {
        return name.size();
    }
    for (std::size_t i = dot + 1; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))) {
            return name.size();
        }
    }
    return dot;
}

}  // namespace

std::size_t Utf8Length(WStringView text) {
    std::size_t bytes = 0;
    for (std::size_t i = 0, units = 1; i < text.size(); i += units) {
        bytes += Utf8UnitLength(text, i, &units);
    }
    return bytes;
}

void LimitNameBytes(WString& name, std::size_t maxBytes) {
    if (Utf8Length(name) <= maxBytes) {
        return;
    }
    std::size_t stemEnd = ExtensionStart(name);
    WString extension = name.substr(stemEnd);
    std::size_t extensionBytes = extension.size();  // ASCII by ExtensionStart
    if (extensionBytes * 2 > maxBytes) {
        extension.clear();
        extensionBytes = 0;
        stemEnd = name.size();
    }
    std::size_t kept = 0;
    std::size_t bytes = extensionBytes;
    for (std::size_t units = 1; kept < stemEnd; kept += units) {
        const std::size_t next = Utf8UnitLength(name, kept, &units);
        if (bytes + next > maxBytes) {
            break;
        }
        bytes += next;
    }
    name.resize(kept);
    name += extension;
}

WString FormatTimeStamp(std::int64_t secondsSince1970) {
    const auto time = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr) {
        return {};
    }
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &local);
    return WidenAscii(std::string_view(buffer, n));
}

WString& MakeSafeFileName(WString& name, std::uint32_t index, bool useFallback) {
    DecodeHtmlEntities(name);
    while (ReplaceAll(name, u"  ", u" ") > 0) {
    }
    name = Trimmed(name);
    if (!name.empty() && name.find_first_not_of(u'.') == WString::npos) {
        name.assign(name.size(), u'\u3002');
    }
    std::replace(name.begin(), name.end(), u'\t', u'_');
    std::erase_if(name, IsRemoved);
    // Removing characters can bare dots behind blanks ("? .. ?" would leave ".."), so both trims
    // repeat until neither changes the name.
    for (std::size_t before = WString::npos; before != name.size();) {
        before = name.size();
        TrimDots(name);
        name = Trimmed(name);
    }
    if (useFallback && (name.empty() || name.size() >= 1000)) {
        name =
            index == kTimeStampFallback ? FormatTimeStamp(std::time(nullptr)) : FormatNumber("pic%u", index);
    }
    LimitNameBytes(name);
    // The cut can leave a blank or a dot at the end, which the trims above had taken away.
    while (!name.empty() && (name.back() == u'.' || IsBlank(name.back()))) {
        name.pop_back();
    }
    return name;
}

}  // namespace albumora
