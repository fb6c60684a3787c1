#include "core/text/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace albumora {

namespace {

const char* IconvName(CodePage codePage) {
    switch (codePage) {
        case CodePage::Utf8:
            return "UTF-8";
        case CodePage::Gbk:
            return "GBK";
        case CodePage::Big5:
            return "BIG5";
        case CodePage::EucKr:
            return "EUC-KR";  // CP949 accepts more than code page 51949
    }
    return "UTF-8";
}

// Owns one iconv descriptor for the length of a conversion.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

}  // namespace

WString DecodeBytes(std::string_view bytes, CodePage codePage) {
    if (codePage == CodePage::Utf8) {
        return FromUtf8(bytes);
    }
    IconvHandle cd("UTF-16LE", IconvName(codePage));
    if (!cd.valid()) {
        return FromUtf8(bytes);
    }
    WString out;
    out.reserve(bytes.size());
    char16_t chunk[1024];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(chunk);
        size_t outLeft = sizeof chunk;
        const size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        out.append(chunk, (sizeof chunk - outLeft) / sizeof(char16_t));
        if (rc != static_cast<size_t>(-1)) {
            break;
        }
        if (err == EILSEQ) {
            // iconv has no default character: mark the offending byte and go on after it.
            out.push_back(0xFFFD);
            ++in;
            --inLeft;
        } else if (err == EINVAL) {
            out.push_back(0xFFFD);  // a multi-byte character cut off at the end
            break;
        } else if (err != E2BIG) {
            break;
        }
    }
    return out;
}

std::string EncodeText(WStringView text, CodePage codePage) {
    if (codePage == CodePage::Utf8) {
        return ToUtf8(text);
    }
    IconvHandle cd(IconvName(codePage), "UTF-16LE");
    if (!cd.valid()) {
        return ToUtf8(text);
    }
    std::string out;
    out.reserve(text.size() * 2);
    char chunk[2048];
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
    size_t inLeft = text.size() * sizeof(char16_t);
    while (inLeft > 0) {
        char* outPtr = chunk;
        size_t outLeft = sizeof chunk;
        const size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        out.append(chunk, sizeof chunk - outLeft);
        if (rc != static_cast<size_t>(-1)) {
            break;
        }
        if (err == EILSEQ || err == EINVAL) {
            // Skip one whole character: a surrogate pair counts as one.
            char16_t units[2] = {0, 0};
            std::memcpy(units, in, inLeft >= sizeof units ? sizeof units : sizeof(char16_t));
            size_t skip = sizeof(char16_t);
            if (units[0] >= 0xD800 && units[0] <= 0xDBFF && units[1] >= 0xDC00 && units[1] <= 0xDFFF) {
                skip = 2 * sizeof(char16_t);
            }
            out.push_back('?');
            in += skip;
            inLeft -= skip < inLeft ? skip : inLeft;
        } else if (err != E2BIG) {
            break;
        }
    }
    // Some iconv targets keep a shift state; flushing it costs nothing for the others.
    char* outPtr = chunk;
    size_t outLeft = sizeof chunk;
    iconv(cd.get(), nullptr, nullptr, &outPtr, &outLeft);
    out.append(chunk, sizeof chunk - outLeft);
    return out;
}

}  // namespace albumora
