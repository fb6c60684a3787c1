#include "core/settings/CIni.h"

#include <algorithm>

#include "core/files/AtomicFile.h"
#include "core/text/CaseFold.h"
#include "core/text/CodePage.h"
#include "core/text/Utf16Bytes.h"

namespace albumora {

namespace {

// A hand-edited settings file is a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxIniBytes = 4 * 1024 * 1024;

// Blanks of a line of the file: a line feed never reaches here, and an editor's byte order mark is
// blank too.
bool IsIniBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f' || c == 0xFEFF;
}

WStringView Trim(WStringView text) {
    while (!text.empty() && IsIniBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsIniBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

WString CIni::DecodeIniText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        return DecodeUtf16(bytes.substr(2), false);
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return DecodeUtf16(bytes.substr(2), true);
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return FromUtf8(bytes.substr(3));
    }
    // Well-formed UTF-8 survives the round trip unchanged; GBK text practically never does.
    WString asUtf8 = FromUtf8(bytes);
    if (ToUtf8(asUtf8) == bytes) {
        return asUtf8;
    }
    return DecodeBytes(bytes, CodePage::Gbk);
}

bool CIni::LoadFile(const std::string& path) {
    m_entries.clear();
    const std::optional<std::string> bytes = ReadFileHead(path, kMaxIniBytes);
    if (!bytes) {
        return false;
    }
    LoadBytes(*bytes);
    return true;
}

void CIni::LoadBytes(std::string_view bytes) {
    m_entries.clear();
    const WString text = DecodeIniText(bytes);
    WString section;
    bool inSection = false;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(u'\n', start);
        if (end == WString::npos) {
            end = text.size();
        }
        const WStringView line = Trim(WStringView(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == u';' || line.front() == u'#') {
            continue;
        }
        if (line.front() == u'[') {
            const std::size_t close = line.find(u']');
            inSection = close != WStringView::npos;
            if (inSection) {
                section = ToLowerText(Trim(line.substr(1, close - 1)));
            }
            continue;
        }
        const std::size_t equals = line.find(u'=');
        if (!inSection || equals == WStringView::npos) {
            continue;
        }
        WStringView value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        m_entries.push_back({section, ToLowerText(Trim(line.substr(0, equals))), WString(value)});
    }
}

WString CIni::GetString(WStringView section, WStringView key, WStringView defaultText) const {
    if (section.empty() || key.empty()) {
        return WString(defaultText);
    }
    const WString wantedSection = ToLowerText(section);
    const WString wantedKey = ToLowerText(key);
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.section == wantedSection && entry.key == wantedKey;
    });
    return found != m_entries.end() ? found->value : WString(defaultText);
}

}  // namespace albumora
