// Decodes arbitrary response bodies: compressed or not, with a header block that may name GBK.
#include <cstddef>
#include <cstdint>

#include "core/net/URLSource2.h"

using namespace albumora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    CURLSource response;
    response.body.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
    response.isGzip = (flags & 1) != 0;
    response.headerText = (flags & 2) ? u"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=GBK\r\n\r\n"
                                      : u"HTTP/1.1 200 OK\r\n\r\n";
    if (flags & 4) {
        response.cutStart = "<a";
        response.cutEnd = "</";
    }
    GetText(response, (flags >> 3) & 0x3F);
    std::string inflated;
    GzipInflate(response.body.data(), response.body.size(), inflated);
    return 0;
}
