// RequestOnce: one HTTP exchange over libcurl, with every wait bounded. Here the request is made and
// its transfer driven; ExchangeAnswer.cpp handles the answer as it arrives.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/net/CookieStore.h"
#include "core/net/CurlHandles.h"
#include "core/net/Exchange.h"
#include "core/net/HttpHeaderText.h"
#include "core/net/URLSource2.h"
#include "core/net/UrlCanonical.h"

namespace albumora {

namespace {

using std::chrono::milliseconds;

constexpr long kReadBufferBytes = 102400;
constexpr long kMaxRedirects = 20;
// The longest single sleep of the transfer loop; libcurl's own timers wake it sooner. A stop is
// seen within this time, well inside the second a stop may take.
constexpr int kLongestPollMs = 200;

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

}  // namespace

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

bool RequestOnce(CURLSource& response, const ST_URLREQUEST& request, std::uint32_t options) {
    Exchange exchange(response, request, options);
    return exchange.Run();
}

}  // namespace albumora
