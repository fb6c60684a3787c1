#pragma once

#include <cstdint>
#include <string>

#include "core/text/WideText.h"
#include "core/util/Clock.h"
#include "core/util/StopSignal.h"

namespace albumora {

class CookieStore;

// Option bits of FetchUrl. There is no response cache: the two cache bits are accepted, and
// FETCH_CACHE_WRITE keeps its second meaning for the success test (a gzip body is inflated before
// it is judged).
inline constexpr std::uint32_t FETCH_CACHE_WRITE = 0x01;
inline constexpr std::uint32_t FETCH_CACHE_READ = 0x02;
inline constexpr std::uint32_t FETCH_IE8_AGENT = 0x40;
// Sends a current desktop browser's user agent: what the sites' present interfaces expect.
inline constexpr std::uint32_t FETCH_BROWSER_AGENT = 0x80;

// Option bits of GetText.
inline constexpr std::uint32_t TEXT_INFLATE = 0x01;
inline constexpr std::uint32_t TEXT_UTF8 = 0x02;
inline constexpr std::uint32_t TEXT_EUCKR = 0x04;
inline constexpr std::uint32_t TEXT_BIG5 = 0x08;
inline constexpr std::uint32_t TEXT_AUTO_UTF8 = 0x10;
inline constexpr std::uint32_t TEXT_KEEP_NUL = 0x20;

// The user agents, sent exactly as written; the first really carries "User-Agent:" in its value.
inline constexpr const char* kDefaultUserAgent =
    "User-Agent:Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/31.0.1650.64 Safari/537.36";
inline constexpr const char* kIe8UserAgent =
    "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0; SLCC2; .NET CLR 2.0.50727; "
    ".NET CLR 3.5.30729; .NET CLR 3.0.30729; .NET4.0C; .NET4.0E)";
// A web firewall may turn away a browser ten years old; this is the one to bring up to date.
inline constexpr const char* kBrowserUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/143.0.0.0 Safari/537.36";

inline constexpr std::uint32_t kDefaultTimeoutMs = 20000;

// Bodies that nobody limited, and the output of decompression, stop here so that a hostile
// response cannot exhaust memory.
inline constexpr std::uint64_t kMaxBodyBytesInMemory = 64ull * 1024 * 1024;

// Why the last exchange or attempt failed; kept for messages, never needed for control flow.
enum class FetchFailure {
    None,
    NoAttempt,    // attempts was 0
    BadAddress,   // the address could not be split or is not http/https
    Connection,   // connect, TLS, send or receive failed, or the peer closed early
    Certificate,  // the server's certificate could not be verified against the trusted ones
    Timeout,      // a wait ran past its time-out
    HttpStatus,   // answered with a status outside 2xx where one is required
    NotAPicture,  // a picture download was answered with a web page
    SizeLimit,    // Content-Length or the body broke minSizeK/maxSizeK or the memory cap
    File,         // the target file could not be written
    EmptyBody,    // the exchange succeeded but brought no body
    TextCheck,    // the body was too short for minTextLength or held retryIfContains
    Cancelled,    // the caller's stop flag was raised
    TooLong,      // the whole exchange ran past `totalTimeoutMs`
};

// A short English phrase for the failure ("time-out", "size limit", ...).
const char* DescribeFailure(FetchFailure failure);

// The request record. Every caller creates one for a time-out T (20000 ms) and reuses it for
// successive addresses by changing `url`.
struct ST_URLREQUEST {
    explicit ST_URLREQUEST(WString url = {}, WString savePath = {},
                           std::uint32_t timeoutMs = kDefaultTimeoutMs);

    WString url;  // "http://..." or "https://..."
    WString verb = u"GET";
    WString extraHeaders;              // header lines separated by "\r\n", sent as given
    std::string cutStart;              // body bytes up to and including its last occurrence are dropped
    std::string cutEnd;                // body bytes from its first occurrence on are dropped; reading stops
    std::string retryIfContains;       // a body holding it fails the attempt
    WString savePath;                  // when set, the body goes to this file instead of `body`
    std::string body;                  // request body; empty for none
    std::uint32_t readTimeoutMs;       // longest gap between received body bytes
    std::uint32_t connectTimeoutMs;    // longest wait to connect, and to send and get the headers
    std::uint32_t totalTimeoutMs = 0;  // longest whole exchange, however steadily bytes come; 0: none
    std::uint32_t minSizeK = 0;        // units of 1024 bytes
    std::uint32_t maxSizeK = 0;        // 0: no limit
    std::uint32_t minTextLength = 0;   // a successful body must be longer than this many bytes
    std::uint8_t attempts = 1;
    std::uint8_t retryPauseSec = 1;

    // The process-wide cookie store; null sends and keeps no cookies.
    CookieStore* cookieStore = nullptr;
    // The pauses between attempts; never null.
    Clock* clock = &SystemClock::Instance();
    // Raised by the caller to end the exchange within a second, cut the pause short and make no
    // further attempt; null for none.
    const StopSignal* cancel = nullptr;
    // A site page: an answer outside 2xx is a failed attempt, not a page to read values from.
    bool requireSuccessStatus = false;
    // False: an answer of 404 or 410 ends the request at once. Such a page is gone, and asking
    // again only delays the caller's move to where the site went.
    bool retryGone = true;
    // A picture download: an answer that is a web page (text/html, or a body that opens like one)
    // is a failed attempt, so that a "not found" page is never saved as a picture.
    bool expectPicture = false;
};

inline bool IsCancelled(const ST_URLREQUEST& request) {
    return request.cancel != nullptr && request.cancel->raised();
}

// The response holder, reused by the caller for several exchanges in a row. Only the calling
// thread touches it.
struct CURLSource {
    WString headerText;  // the final response's status line and header lines, each ended by "\r\n"
    std::string body;    // as received (a page still compressed when the server compressed it; a
                         // picture is decoded as it arrives)
    std::string cutStart;
    std::string cutEnd;
    bool isGzip = false;  // the header block mentions "gzip" anywhere

    int status = 0;              // status code of the last exchange; 0 before headers arrived
    std::uint64_t bodySize = 0;  // body bytes kept by the last exchange, also when streamed to a file
    FetchFailure failure = FetchFailure::None;
    std::string failureDetail;  // the library's words on a connection failure, for messages
};

// True when the exchange was answered 404 or 410: the page is not there, now or later.
bool IsGoneAnswer(const CURLSource& response);

// Runs up to `attempts` exchanges, pausing `retryPauseSec` after each failed one, and reports
// whether one of them passed the success test. The holder keeps the last exchange's result.
bool FetchUrl(const ST_URLREQUEST& request, CURLSource& response, std::uint32_t options);

// One complete exchange: true when every step succeeded and the size limits hold.
//
// With `savePath` the body is streamed into a temporary file beside the target, which replaces
// the target only when the exchange succeeded; `body` then stays empty unless the success test
// of FetchUrl needs the bytes (minTextLength or retryIfContains). A picture download answered
// outside 2xx fails, so an error page is never saved as a picture; a page's status is not
// examined.
bool RequestOnce(CURLSource& response, const ST_URLREQUEST& request, std::uint32_t options);

// The body as wide text: inflated, cut by the markers, converted by the declared charset or the
// option bits, ended at the first zero, HTML entities decoded. Never fails.
WString GetText(const CURLSource& response, std::uint32_t options);

// Inflates a gzip or zlib stream into `destination` (expected empty). False on a damaged,
// truncated or oversized stream; `destination` then keeps what was produced before.
bool GzipInflate(const char* source, std::size_t sourceLength, std::string& destination);

}  // namespace albumora
