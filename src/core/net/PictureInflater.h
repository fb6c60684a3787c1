#pragma once

#include <zlib.h>

#include <cstddef>

namespace albumora {

// Decodes a compressed picture (gzip, or deflate in its zlib wrapping) on its way to the file.
// libcurl could decode it too, but it takes a stream that ends early for a whole one.
class PictureInflater {
public:
    PictureInflater() = default;
    ~PictureInflater() { Stop(); }
    PictureInflater(const PictureInflater&) = delete;
    PictureInflater& operator=(const PictureInflater&) = delete;

    bool Start() {
        Stop();
        // 32 + 15: a gzip or a zlib header is recognised by itself, with a 32 KiB window.
        m_active = inflateInit2(&m_stream, 47) == Z_OK;
        m_ended = false;
        return m_active;
    }
    bool active() const { return m_active; }
    // The stream's own end was reached, so nothing of the picture is missing.
    bool ended() const { return m_ended; }

    // Hands the decoded bytes to `sink`; false when the stream is damaged or `sink` refused them.
    // Bytes after the end of the stream are ignored.
    template <typename Sink>
    bool Feed(const char* data, std::size_t length, Sink&& sink) {
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_stream.avail_in = static_cast<uInt>(length);
        while (!m_ended) {
            m_stream.next_out = reinterpret_cast<Bytef*>(m_out);
            m_stream.avail_out = sizeof m_out;
            const int result = inflate(&m_stream, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
                return false;
            }
            const std::size_t produced = sizeof m_out - m_stream.avail_out;
            if (produced > 0 && !sink(m_out, produced)) {
                return false;
            }
            m_ended = result == Z_STREAM_END;
            // A full output buffer may leave more to take out of the input already given.
            if (result == Z_BUF_ERROR || (m_stream.avail_in == 0 && m_stream.avail_out != 0)) {
                break;
            }
        }
        return true;
    }

private:
    void Stop() {
        if (m_active) {
            inflateEnd(&m_stream);
            m_active = false;
        }
    }

    z_stream m_stream{};
    bool m_active = false;
    bool m_ended = false;
    char m_out[16384];
};

}  // namespace albumora
