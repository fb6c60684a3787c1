// RequestOnce: one HTTP exchange over libcurl, with every wait bounded.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "core/net/CookieStore.h"
#include "core/net/CurlHandles.h"
#include "core/net/CutMarkers.h"
#include "core/net/HttpHeaderText.h"
#include "core/net/PartialFile.h"
#include "core/net/PictureInflater.h"
#include "core/net/URLSource2.h"
#include "core/net/UrlCanonical.h"
#include "core/text/AsciiCase.h"

namespace albumora {

namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr long kReadBufferBytes = 102400;
constexpr long kMaxRedirects = 20;
// The longest single sleep of the transfer loop; libcurl's own timers wake it sooner. A stop is
// seen within this time, well inside the second a stop may take.
constexpr int kLongestPollMs = 200;
// Enough of a picture's first bytes to tell a web page from it: a page may open with a long run of
// blanks (a template's indentation and empty lines) before its markup.
constexpr size_t kPictureHeadBytes = 4096;

FetchFailure FailureOfCurlCode(CURLcode code) {
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            return FetchFailure::Timeout;
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return FetchFailure::BadAddress;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
            return FetchFailure::Certificate;
        default:
            return FetchFailure::Connection;
    }
}

enum class Phase { Connecting, AwaitingHeaders, ReadingBody };

const char* EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

// Certificates are always verified. Behind a proxy that inspects https, the user names its
// authority as the curl tool reads it, which libcurl itself does not: CURL_CA_BUNDLE first, then
// SSL_CERT_FILE and SSL_CERT_DIR; otherwise the system's store.
void ConfigureCertificates(CURL* easy) {
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_PROXY_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY_SSL_VERIFYHOST, 2L);
    if (const char* bundle = EnvironmentValue("CURL_CA_BUNDLE")) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, bundle);
        curl_easy_setopt(easy, CURLOPT_PROXY_CAINFO, bundle);
        return;
    }
    if (const char* file = EnvironmentValue("SSL_CERT_FILE")) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, file);
        curl_easy_setopt(easy, CURLOPT_PROXY_CAINFO, file);
    }
    if (const char* folder = EnvironmentValue("SSL_CERT_DIR")) {
        curl_easy_setopt(easy, CURLOPT_CAPATH, folder);
        curl_easy_setopt(easy, CURLOPT_PROXY_CAPATH, folder);
    }
}

const char* UserAgentFor(std::uint32_t options) {
    if (options & FETCH_BROWSER_AGENT) {
        return kBrowserUserAgent;
    }
    return (options & FETCH_IE8_AGENT) ? kIe8UserAgent : kDefaultUserAgent;
}

class Exchange {
public:
    Exchange(CURLSource& response, const ST_URLREQUEST& request, std::uint32_t options)
        : m_response(response),
          m_request(request),
          m_options(options),
          m_saving(!request.savePath.empty()),
          // The success test of FetchUrl reads the bytes of a saved body only for these checks.
          m_keepSavedBody(request.minTextLength != 0 || !request.retryIfContains.empty()),
          m_file(ToUtf8(request.savePath)) {}

    bool Run();

private:
    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        return static_cast<Exchange*>(self)->HeaderLine(std::string_view(data, size * count)) ? size * count
                                                                                              : 0;
    }
    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        return static_cast<Exchange*>(self)->BodyBytes(data, size * count) ? size * count : 0;
    }
    static size_t OnUpload(char* buffer, size_t size, size_t count, void* self) {
        return static_cast<Exchange*>(self)->UploadBytes(buffer, size * count);
    }
    static int OnPrerequest(void* self, char*, char*, int, int) {
        // The connection stands (new or reused); now the request must go out and the headers
        // come back within the connect time-out.
        static_cast<Exchange*>(self)->EnterPhase(Phase::AwaitingHeaders);
        return CURL_PREREQFUNC_OK;
    }

    void ResetHolder();
    void Transfer(const CurlThreadHandles& handles, const std::string& url);
    bool Conclude();
    bool Configure(CURL* easy, const std::string& url, curl_slist* headers);
    bool HeaderLine(std::string_view line);
    bool FinalHeaders();
    bool StartDecoding(std::string_view encoding);
    bool BodyBytes(const char* data, size_t length);
    bool KeepBodyBytes(const char* data, size_t length);
    size_t UploadBytes(char* buffer, size_t capacity);
    bool DriveTransfer(CURLM* multi, CURL* easy, CURLcode& result);
    void EnterPhase(Phase phase);
    void Fail(FetchFailure failure, std::string detail = {});
    std::uint64_t KeptBodySize() const { return m_saving ? m_received : m_response.body.size(); }

    CURLSource& m_response;
    const ST_URLREQUEST& m_request;
    const std::uint32_t m_options;
    const bool m_saving;
    const bool m_keepSavedBody;
    PartialFile m_file;
    PictureInflater m_inflater;

    Phase m_phase = Phase::Connecting;
    Steady::time_point m_deadline;
    std::string m_block;  // the header block being received
    std::string m_head;   // a picture's first bytes, to tell a web page
    int m_blockStatus = 0;
    bool m_sawSetCookie = false;
    bool m_cutEndReached = false;
    std::uint64_t m_received = 0;
    size_t m_uploaded = 0;
    char m_errorText[CURL_ERROR_SIZE] = {};
};

void Exchange::Fail(FetchFailure failure, std::string detail) {
    // The first cause is the one worth telling; what follows is its consequence.
    if (m_response.failure == FetchFailure::None) {
        m_response.failure = failure;
        m_response.failureDetail = std::move(detail);
    }
}

void Exchange::EnterPhase(Phase phase) {
    m_phase = phase;
    const std::uint32_t wait =
        phase == Phase::ReadingBody ? m_request.readTimeoutMs : m_request.connectTimeoutMs;
    m_deadline = Steady::now() + milliseconds(wait);
}

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
    if (const auto length = decoded ? std::nullopt : ContentLengthOf(m_block)) {
        const std::uint64_t minBytes = std::uint64_t{m_request.minSizeK} * 1024;
        const std::uint64_t maxBytes = std::uint64_t{m_request.maxSizeK} * 1024;
        if (*length < minBytes || (m_request.maxSizeK != 0 && *length > maxBytes)) {
            Fail(FetchFailure::SizeLimit,
                 "Content-Length " + std::to_string(*length) + " is outside the limits");
            return false;
        }
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

size_t Exchange::UploadBytes(char* buffer, size_t capacity) {
    const size_t count = std::min(capacity, m_request.body.size() - m_uploaded);
    std::memcpy(buffer, m_request.body.data() + m_uploaded, count);
    m_uploaded += count;
    EnterPhase(Phase::AwaitingHeaders);
    return count;
}

bool Exchange::Configure(CURL* easy, const std::string& url, curl_slist* headers) {
    const auto connectMs = static_cast<long>(std::max<std::uint32_t>(m_request.connectTimeoutMs, 1));
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    // HTTP/1.1 keeps the header block in the form the checks read ("Content-Length:").
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
    // The body stays as the server sent it; GzipInflate decodes it where wanted.
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReadBufferBytes);
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, UserAgentFor(m_options));
    ConfigureCertificates(easy);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Exchange::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Exchange::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Exchange::OnPrerequest);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);

    const std::string verb = ToUtf8(m_request.verb);
    if (!m_request.body.empty()) {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_request.body.size()));
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Exchange::OnUpload);
        curl_easy_setopt(easy, CURLOPT_READDATA, this);
    }
    if (verb == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else if (verb != "GET" && !(verb == "POST" && !m_request.body.empty())) {
        ok = ok && !verb.empty() && curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str()) == CURLE_OK;
    }
    return ok;
}

// Runs the transfer, waking for the sockets and for the deadline of the current phase. A wait
// that passes its deadline ends the exchange there.
bool Exchange::DriveTransfer(CURLM* multi, CURL* easy, CURLcode& result) {
    EnterPhase(Phase::Connecting);
    const auto endOfAll = Steady::now() + milliseconds(m_request.totalTimeoutMs);
    while (true) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            Fail(FetchFailure::Connection, "the transfer could not be driven");
            return false;
        }
        if (running == 0) {
            break;
        }
        if (IsCancelled(m_request)) {
            Fail(FetchFailure::Cancelled, "stopped by the caller");
            return false;
        }
        // Only gaps are bounded by the read time-out: a large answer sent slowly is bounded here.
        if (m_request.totalTimeoutMs != 0 && Steady::now() >= endOfAll) {
            Fail(FetchFailure::TooLong,
                 "the exchange took longer than " + std::to_string(m_request.totalTimeoutMs / 1000) + " s");
            return false;
        }
        const auto left = std::chrono::ceil<milliseconds>(m_deadline - Steady::now()).count();
        if (left <= 0) {
            Fail(FetchFailure::Timeout, m_phase == Phase::ReadingBody
                                            ? "no body bytes within the read time-out"
                                            : "no response within the connect time-out");
            return false;
        }
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::min<long long>(left, kLongestPollMs)),
                        nullptr);
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            result = message->data.result;
            return true;
        }
    }
    Fail(FetchFailure::Connection, "the transfer ended without a result");
    return false;
}

void Exchange::ResetHolder() {
    m_response.body.clear();
    m_response.cutStart = m_request.cutStart;
    m_response.cutEnd = m_request.cutEnd;
    m_response.isGzip = false;
    m_response.status = 0;
    m_response.bodySize = 0;
    m_response.failure = FetchFailure::None;
    m_response.failureDetail.clear();
}

void Exchange::Transfer(const CurlThreadHandles& handles, const std::string& url) {
    CURL* easy = handles.easy;
    curl_easy_reset(easy);
    const Slist headers = HeaderList(m_request);
    if (!Configure(easy, url, headers.get())) {
        Fail(FetchFailure::BadAddress, "libcurl refused the request for " + url);
        return;
    }
    if (m_request.cookieStore != nullptr) {
        m_request.cookieStore->AttachTo(easy);
    }
    CURLcode result = CURLE_OK;
    bool finished = false;
    if (curl_multi_add_handle(handles.multi, easy) == CURLM_OK) {
        finished = DriveTransfer(handles.multi, easy, result);
        // Removing an unfinished transfer closes its connection, so nothing of it lingers.
        curl_multi_remove_handle(handles.multi, easy);
    } else {
        Fail(FetchFailure::Connection, "the transfer could not be started");
    }
    if (m_request.cookieStore != nullptr) {
        m_request.cookieStore->DetachFrom(easy);
        if (m_sawSetCookie) {
            m_request.cookieStore->NoteResponseCookies();
        }
    }
    // Stopping at the end marker is the one abort that is a success.
    if (finished && result != CURLE_OK && !(m_cutEndReached && result == CURLE_WRITE_ERROR)) {
        Fail(FailureOfCurlCode(result), m_errorText[0] != '\0' ? m_errorText : curl_easy_strerror(result));
    }
}

bool Exchange::Conclude() {
    m_response.bodySize = KeptBodySize();
    if (m_response.failure == FetchFailure::None) {
        const std::uint64_t size = KeptBodySize();
        if (m_inflater.active() && !m_inflater.ended()) {
            // The transfer looked complete, but the compressed stream says the picture is not.
            Fail(FetchFailure::Connection, "the compressed picture ended early");
        } else if (size < std::uint64_t{m_request.minSizeK} * 1024 ||
                   (m_request.maxSizeK != 0 && size > std::uint64_t{m_request.maxSizeK} * 1024)) {
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

bool Exchange::Run() {
    ResetHolder();
    const auto url = CanonicalizeUrl(m_request.url);
    if (!url) {
        Fail(FetchFailure::BadAddress, "not an http or https address: " + ToUtf8(m_request.url));
        return false;
    }
    const CurlThreadHandles& handles = ThreadCurlHandles();
    if (handles.easy == nullptr) {
        Fail(FetchFailure::Connection, "libcurl could not be set up");
        return false;
    }
    Transfer(handles, url->text);
    return Conclude();
}

}  // namespace

bool RequestOnce(CURLSource& response, const ST_URLREQUEST& request, std::uint32_t options) {
    Exchange exchange(response, request, options);
    return exchange.Run();
}

}  // namespace albumora
