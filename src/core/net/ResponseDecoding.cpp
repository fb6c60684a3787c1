// GetText and GzipInflate: turning a received body into wide text.
#include <zlib.h>

#include <algorithm>
#include <climits>

#include "core/net/CutMarkers.h"
#include "core/net/URLSource2.h"
#include "core/text/CodePage.h"
#include "core/text/StringCtrl.h"

namespace albumora {

bool GzipInflate(const char* source, std::size_t sourceLength, std::string& destination) {
    z_stream stream{};
    // 32 + 15: a gzip or a zlib header is recognised by itself, with a 32 KiB window.
    if (inflateInit2(&stream, 47) != Z_OK) {
        destination.clear();
        return false;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(source));
    std::size_t inputLeft = sourceLength;
    bool ok = false;
    char buffer[8192];
    while (true) {
        // zlib counts input in 32-bit units; feed a larger body in slices.
        if (stream.avail_in == 0 && inputLeft > 0) {
            stream.avail_in = static_cast<uInt>(std::min<std::size_t>(inputLeft, UINT_MAX));
            inputLeft -= stream.avail_in;
        }
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        const int result = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = sizeof buffer - stream.avail_out;
        if (destination.size() + produced > kMaxBodyBytesInMemory) {
            destination.append(buffer, kMaxBodyBytesInMemory - destination.size());
            break;  // a decompression bomb ends here, as a failure
        }
        destination.append(buffer, produced);
        if (result == Z_STREAM_END) {
            ok = true;
            break;
        }
        if (result != Z_OK) {
            break;
        }
    }
    inflateEnd(&stream);
    return ok;
}

namespace {

WString EndAtFirstZero(WString text) {
    const size_t zero = text.find(u'\0');
    if (zero != WString::npos) {
        text.erase(zero);
    }
    return text;
}

// The "ANSI code page" of the systems the sites serve is GBK. Its conversion reads a
// zero-terminated string, so the text ends before the first zero byte.
WString ConvertAnsi(const std::string& bytes) {
    return DecodeBytes(std::string_view(bytes.data(), std::min(bytes.find('\0'), bytes.size())),
                       CodePage::Gbk);
}

}  // namespace

WString GetText(const CURLSource& response, std::uint32_t options) {
    std::string copy;
    if ((options & TEXT_INFLATE) && response.isGzip) {
        GzipInflate(response.body.data(), response.body.size(), copy);
    } else {
        copy = response.body;
    }
    // The reader could not apply the markers to compressed bytes; it did for plain ones.
    if (response.isGzip) {
        ApplyCutMarkers(copy, response.cutStart, response.cutEnd);
    }

    WString text;
    if (response.headerText.find(u"charset=GBK") != WString::npos) {
        if (options & TEXT_KEEP_NUL) {
            std::replace(copy.begin(), copy.end(), '\0', '\x7F');
            text = ConvertAnsi(copy);
            std::erase(text, u'\x7F');
        } else {
            text = ConvertAnsi(copy);
        }
    } else if (options & TEXT_UTF8) {
        text = EndAtFirstZero(DecodeBytes(copy, CodePage::Utf8));
    } else if (options & TEXT_EUCKR) {
        text = EndAtFirstZero(DecodeBytes(copy, CodePage::EucKr));
    } else if (options & TEXT_BIG5) {
        text = EndAtFirstZero(DecodeBytes(copy, CodePage::Big5));
    } else if ((options & TEXT_AUTO_UTF8) &&
               LooksLikeUtf8(reinterpret_cast<const unsigned char*>(copy.data()), copy.size()) == 1) {
        text = EndAtFirstZero(DecodeBytes(copy, CodePage::Utf8));
    } else {
        text = ConvertAnsi(copy);
    }
    DecodeHtmlEntities(text);
    return text;
}

}  // namespace albumora
