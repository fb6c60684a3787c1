#include "core/text/StringCtrl.h"

#include <sys/utsname.h>

#include <chrono>
#include <random>

#include "core/text/CodePage.h"

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

WString RandomFractionText() {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(seconds.count()));
    std::uniform_int_distribution<int> draw(0, 32767);
    return FormatNumber("%0.16f\n", draw(generator) / 32767.0);
}

namespace {

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    return -1;
}

// The stored form: the GBK bytes of the text, each XORed with the GBK bytes of the key in turn,
// written as upper-case hexadecimal.
std::string ApplyKey(std::string bytes, WStringView key) {
    const std::string keyBytes = EncodeText(key, CodePage::Gbk);
    if (keyBytes.empty()) {
        return bytes;
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(bytes[i] ^ keyBytes[i % keyBytes.size()]);
    }
    return bytes;
}

}  // namespace

WString DecodeStoredText(WStringView storedHex, int mode, WStringView key) {
    if (mode != 0) {
        return {};
    }
    std::string bytes;
    bytes.reserve(storedHex.size() / 2);
    for (size_t i = 0; i + 1 < storedHex.size(); i += 2) {
        const int hi = HexValue(storedHex[i]);
        const int lo = HexValue(storedHex[i + 1]);
        if (hi < 0 || lo < 0) {
            break;
        }
        bytes.push_back(static_cast<char>(hi * 16 + lo));
    }
    WString text = DecodeBytes(ApplyKey(std::move(bytes), key), CodePage::Gbk);
    for (char16_t& c : text) {
        if (c == u'^') {
            c = u'\n';
        }
    }
    return text;
}

WString EncodeStoredText(WStringView plain, WStringView key) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::string bytes = ApplyKey(EncodeText(plain, CodePage::Gbk), key);
    WString hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        hex.push_back(static_cast<char16_t>(kDigits[b >> 4]));
        hex.push_back(static_cast<char16_t>(kDigits[b & 0xF]));
    }
    return hex;
}

WStringView StoredTextKey() {
    static constexpr WStringView kKey =
        u"一张张图片安静地躺在相册里，等着被好好保存下来；我们把它们一一带回家，按名字排好，放进各自的文件夹"
        u"，不丢一张，也不多存一张。每次下载都认真地完成，绝不会半途而废。";
    return kKey;
}

int GetOsMajorVersion() {
    utsname info{};
    if (uname(&info) != 0) {
        return 0;
    }
    int major = 0;
    for (const char* p = info.release; *p >= '0' && *p <= '9'; ++p) {
        major = major * 10 + (*p - '0');
        if (major > 100000) {
            break;
        }
    }
    return major;
}

}  // namespace albumora
