#include "support/Compression.h"

#include <zlib.h>

#include <stdexcept>

namespace albumora::test {

namespace {

std::string Deflate(std::string_view data, int windowBits) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("deflate did not finish");
    }
    return out;
}

}  // namespace

std::string GzipCompress(std::string_view data) {
    return Deflate(data, 16 + MAX_WBITS);
}

std::string ZlibCompress(std::string_view data) {
    return Deflate(data, MAX_WBITS);
}

}  // namespace albumora::test
