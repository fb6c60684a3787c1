// What an exchange does with the answer as it arrives: the header lines and their checks, the body
// bytes on their way to the file or the page, and the verdict once the transfer has ended.
#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "core/net/CutMarkers.h"
#include "core/net/Exchange.h"
#include "core/net/HttpHeaderText.h"
#include "core/text/AsciiCase.h"

namespace albumora {

namespace {

using std::chrono::milliseconds;

// Enough of a picture's first bytes to tell a web page from it: a page may open with a long run of
// blanks (a template's indentation and empty lines) before its markup.
constexpr size_t kPictureHeadBytes = 4096;

}  // namespace

bool Exchange::HeaderLine(std::string_view line) {
    if (line.starts_with("HTTP/")) {
        m_block.assign(line);
        m_blockStatus = StatusOf(line);
    } else {
        m_block.append(line);
    }
    if (StartsWithNoCase(line, "Set-Cookie:")) {
        m_sawSetCookie = true;
    }
    if (!IsHeaderBlockEnd(line)) {
        return true;
    }
    const bool interim = m_blockStatus >= 100 && m_blockStatus < 200;
    if (interim) {
        // The head of the answer keeps its one deadline: a server that sends "100 Continue" again
        // and again must not hold the exchange past its time-out.
        return true;
    }
    const bool redirect = (m_blockStatus == 301 || m_blockStatus == 302 || m_blockStatus == 303 ||
                           m_blockStatus == 307 || m_blockStatus == 308) &&
                          HasHeader(m_block, "Location");
    if (redirect) {
        // libcurl goes on to the next request; each redirect is bounded like the first.
        EnterPhase(Phase::AwaitingHeaders);
        return true;
    }
    return FinalHeaders();
}

bool Exchange::FinalHeaders() {
    m_response.headerText = FromUtf8(m_block);
    m_response.status = m_blockStatus;
    const std::string_view encoding = ContentEncodingOf(m_block);
    // A picture's body is decoded on its way to the file (StartDecoding), so what is kept of it is
    // no longer compressed.
    const bool decoded = m_request.expectPicture && !encoding.empty() && !EqualsNoCase(encoding, "identity");
    m_response.isGzip = !decoded && m_block.find("gzip") != std::string::npos;
    // A compressed length says nothing of the decoded size; Conclude judges that.
    if (const auto length = decoded ? std::nullopt : ContentLengthOf(m_block);
        length && OutsideSizeLimits(*length)) {
        Fail(FetchFailure::SizeLimit, "Content-Length " + std::to_string(*length) + " is outside the limits");
        return false;
    }
    if ((m_saving || m_request.requireSuccessStatus) && (m_blockStatus < 200 || m_blockStatus > 299)) {
        Fail(FetchFailure::HttpStatus, "HTTP status " + std::to_string(m_blockStatus));
        return false;
    }
    // No picture request asks for a range, so a 206 holds only part of a picture.
    if (m_request.expectPicture && m_blockStatus == 206) {
        Fail(FetchFailure::HttpStatus, "HTTP status 206: only part of the picture");
        return false;
    }
    if (m_request.expectPicture && DeclaresHtml(m_block)) {
        Fail(FetchFailure::NotAPicture, "the answer is declared as text/html");
        return false;
    }
    if (decoded && !StartDecoding(encoding)) {
        return false;
    }
    if (m_saving && !m_file.Open()) {
        Fail(FetchFailure::File, "cannot create a file beside " + ToUtf8(m_request.savePath));
        return false;
    }
    EnterPhase(Phase::ReadingBody);
    return true;
}

// A picture is saved as it arrives, so one sent compressed (no picture request asks for that unless
// the site's header lines do) is decoded on its way to the file, or it would be saved compressed.
bool Exchange::StartDecoding(std::string_view encoding) {
    const bool known = EqualsNoCase(encoding, "gzip") || EqualsNoCase(encoding, "x-gzip") ||
                       EqualsNoCase(encoding, "deflate");
    if (!known || !m_inflater.Start()) {
        Fail(FetchFailure::Connection,
             "the picture came in an encoding that is not decoded: " + std::string(encoding));
        return false;
    }
    return true;
}

bool Exchange::BodyBytes(const char* data, size_t length) {
    m_deadline = Steady::now() + milliseconds(m_request.readTimeoutMs);
    if (!m_inflater.active()) {
        return KeepBodyBytes(data, length);
    }
    if (!m_inflater.Feed(data, length,
                         [this](const char* out, size_t count) { return KeepBodyBytes(out, count); })) {
        Fail(FetchFailure::Connection, "the compressed picture is damaged");
        return false;
    }
    return true;
}

bool Exchange::KeepBodyBytes(const char* data, size_t length) {
    std::string& body = m_response.body;
    if (m_request.expectPicture && m_head.size() < kPictureHeadBytes) {
        m_head.append(data, std::min(length, kPictureHeadBytes - m_head.size()));
    }
    if (m_saving) {
        if (!m_file.Write(data, length)) {
            Fail(FetchFailure::File, "cannot write " + ToUtf8(m_request.savePath));
            return false;
        }
        m_received += length;
        if (m_keepSavedBody) {
            body.append(data, length);
        }
    } else {
        body.append(data, length);
        if (!m_response.isGzip && ApplyCutMarkers(body, m_request.cutStart, m_request.cutEnd)) {
            m_cutEndReached = true;
            return false;  // the rest of the page is not wanted
        }
    }
    if (m_request.maxSizeK != 0 && KeptBodySize() > std::uint64_t{m_request.maxSizeK} * 1024) {
        Fail(FetchFailure::SizeLimit, "the body grew past " + std::to_string(m_request.maxSizeK) + " K");
        return false;
    }
    if (body.size() > kMaxBodyBytesInMemory) {
        Fail(FetchFailure::SizeLimit, "the body grew past the memory limit");
        return false;
    }
    return true;
}

bool Exchange::OutsideSizeLimits(std::uint64_t size) const {
    return size < std::uint64_t{m_request.minSizeK} * 1024 ||
           (m_request.maxSizeK != 0 && size > std::uint64_t{m_request.maxSizeK} * 1024);
}

bool Exchange::Conclude() {
    m_response.bodySize = KeptBodySize();
    if (m_response.failure == FetchFailure::None) {
        const std::uint64_t size = KeptBodySize();
        if (m_inflater.active() && !m_inflater.ended()) {
            // The transfer looked complete, but the compressed stream says the picture is not.
            Fail(FetchFailure::Connection, "the compressed picture ended early");
        } else if (OutsideSizeLimits(size)) {
            Fail(FetchFailure::SizeLimit,
                 "a body of " + std::to_string(size) + " bytes is outside the limits");
        } else if (m_saving && size == 0) {
            // An empty answer is no picture: it must not replace one saved before.
            Fail(FetchFailure::EmptyBody, "the answer had no body");
        } else if (m_request.expectPicture && OpensLikeWebPage(m_head)) {
            Fail(FetchFailure::NotAPicture, "the answer is a web page");
        } else if (m_saving && !m_file.Commit()) {
            Fail(FetchFailure::File, "cannot write " + ToUtf8(m_request.savePath));
        }
    }
    if (m_response.failure != FetchFailure::None) {
        m_file.Discard();
        return false;
    }
    return true;
}

}  // namespace albumora
