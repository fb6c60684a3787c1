#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "NetFixture.h"
#include "core/net/URLSource2.h"
#include "support/Compression.h"
#include "support/ScopedEnv.h"

namespace albumora::test {
namespace {

using std::chrono::milliseconds;

// ---- what goes out -------------------------------------------------------------------------

struct AgentRow {
    std::uint32_t options;
    const char* agent;
    const char* label;
};

void PrintTo(const AgentRow& row, std::ostream* os) {
    *os << row.agent;
}

class FetchUserAgent : public NetTest, public ::testing::WithParamInterface<AgentRow> {};

TEST_P(FetchUserAgent, SendsTheChosenTextExactly) {
    server().Route("/ua", Response{.body = "x"});
    CURLSource response;
    ASSERT_TRUE(FetchUrl(Request("/ua"), response, GetParam().options));
    const auto seen = server().requestsFor("/ua");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Header("User-Agent"), GetParam().agent);
}

INSTANTIATE_TEST_SUITE_P(
    Agents, FetchUserAgent,
    ::testing::Values(
        AgentRow{0,
                 "User-Agent:Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
                 "Chrome/31.0.1650.64 Safari/537.36",
                 "NoOptions"},
        AgentRow{FETCH_CACHE_WRITE | FETCH_CACHE_READ,
                 "User-Agent:Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
                 "Chrome/31.0.1650.64 Safari/537.36",
                 "CacheOptions"},
        AgentRow{FETCH_IE8_AGENT,
                 "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0; SLCC2; .NET CLR "
                 "2.0.50727; .NET CLR 3.5.30729; .NET CLR 3.0.30729; .NET4.0C; .NET4.0E)",
                 "Ie8AgentOption"}),
    [](const ::testing::TestParamInfo<AgentRow>& row) { return std::string(row.param.label); });

using FetchRequest = NetTest;

TEST_F(FetchRequest, ExtraHeadersGoOutAsGivenAndNothingIsDecodedForUs) {
    server().Route("/h", Response{.body = "x"});
    ST_URLREQUEST request = Request("/h");
    request.extraHeaders = u"Accept-Encoding: gzip, deflate\r\nReferer: http://huaban.com/boards/1/";
    CURLSource response;
    ASSERT_TRUE(FetchUrl(request, response, 0));
    const auto seen = server().requestsFor("/h");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Header("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(seen[0].Header("Referer"), "http://huaban.com/boards/1/");
    EXPECT_FALSE(seen[0].HasHeader("Cookie"));
}

TEST_F(FetchRequest, AddressIsCanonicalisedBeforeSending) {
    server().Route("/h", Response{.body = "x"});
    CURLSource response;
    ASSERT_TRUE(FetchUrl(Request("/a/b/../c d/./e?x=1 2&y=/../#frag"), response, 0));
    const auto seen = server().requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].path, "/a/c%20d/e");
    EXPECT_EQ(seen[0].query, "x=1%202&y=/../");
}

TEST_F(FetchRequest, RequestBodyIsPosted) {
    server().Route("/post", Response{.body = "x"});
    ST_URLREQUEST request = Request("/post");
    request.verb = u"POST";
    request.body = std::string(3000, 'b');
    CURLSource response;
    ASSERT_TRUE(FetchUrl(request, response, 0));
    const auto seen = server().requestsFor("/post");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "POST");
    EXPECT_EQ(seen[0].body, request.body);
}

TEST_F(FetchRequest, RedirectsAreFollowedAndTheFinalHeadersKept) {
    server().Route("/old", Response{.status = 302, .headers = {{"Location", "/new"}}});
    server().Route("/new", Response{.body = "moved here", .headers = {{"X-Final", "yes"}}});
    CURLSource response;
    ASSERT_TRUE(FetchUrl(Request("/old"), response, 0));
    EXPECT_EQ(response.body, "moved here");
    EXPECT_EQ(response.status, 200);
    EXPECT_NE(response.headerText.find(u"X-Final: yes\r\n"), WString::npos);
    EXPECT_EQ(response.headerText.find(u"302"), WString::npos);
}

TEST_F(FetchRequest, RedirectIsFollowedWhateverTheLetterCaseOfItsHeader) {
    server().Route("/shouting", Response{.status = 302, .headers = {{"LOCATION", "/p.jpg"}}});
    server().Route("/p.jpg", Response{.body = "picture", .contentType = "image/jpeg"});
    CURLSource response;
    ASSERT_TRUE(FetchUrl(PictureRequest("/shouting", "p.jpg"), response, 0));
    EXPECT_EQ(ReadFile(folder.file("p.jpg")).bytes, "picture");
}

// A server that answers "100 Continue" again and again and never more.
class EndlessInterimServer {
public:
    EndlessInterimServer() {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_listener, 4) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("cannot listen");
        }
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            const int connection = ::accept(m_listener, nullptr, nullptr);
            while (connection >= 0 && !m_stop) {
                constexpr std::string_view kInterim = "HTTP/1.1 100 Continue\r\n\r\n";
                if (::send(connection, kInterim.data(), kInterim.size(), MSG_NOSIGNAL) < 0) {
                    break;
                }
                std::this_thread::sleep_for(milliseconds(200));
            }
            if (connection >= 0) {
                ::close(connection);
            }
        });
    }
    ~EndlessInterimServer() {
        m_stop = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }

private:
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST_F(FetchRequest, EndlessInterimAnswersEndWithinTheTimeOut) {
    EndlessInterimServer endless;
    ST_URLREQUEST request(FromUtf8(endless.url()), {}, 1000);
    request.clock = &clock;
    CURLSource response;
    bool ok = true;
    const auto took = Elapsed([&] { ok = FetchUrl(request, response, 0); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(response.failure, FetchFailure::Timeout);
    EXPECT_LT(took, milliseconds(1000) + kBoundSlack);
}

TEST_F(FetchRequest, RealHostNamesReachTheServerThroughHttpProxy) {
    server().Route("huaban.com", "/boards/1/", Response{.body = "board page"});
    server().Route("www.duitang.com", "/boards/1/", Response{.body = "other site"});
    ScopedEnv proxy("http_proxy", server().proxyUrl());
    CURLSource response;
    ST_URLREQUEST request(u"http://huaban.com/boards/1/", {}, kShortTimeoutMs);
    ASSERT_TRUE(FetchUrl(request, response, 0));
    EXPECT_EQ(response.body, "board page");
    const auto seen = server().requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].viaProxy);
    EXPECT_EQ(seen[0].host, "huaban.com");
}

struct BadAddressRow {
    const char16_t* url;
    const char* label;
};

void PrintTo(const BadAddressRow& row, std::ostream* os) {
    *os << ToUtf8(row.url);
}

class FetchBadAddress : public NetTest, public ::testing::WithParamInterface<BadAddressRow> {};

TEST_P(FetchBadAddress, FailsWithoutSending) {
    ST_URLREQUEST request(GetParam().url, {}, kShortTimeoutMs);
    request.clock = &clock;
    CURLSource response;
    EXPECT_FALSE(FetchUrl(request, response, 0));
    EXPECT_EQ(response.failure, FetchFailure::BadAddress);
    EXPECT_TRUE(server().requests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, FetchBadAddress,
    ::testing::Values(BadAddressRow{u"ftp://127.0.0.1/x", "OtherScheme"},
                      BadAddressRow{u"huaban.com/boards/", "NoScheme"}, BadAddressRow{u"http://", "NoHost"},
                      BadAddressRow{u"http://exa mple.com/", "BlankInHost"},
                      BadAddressRow{u"http://host:99999/", "PortTooLarge"}, BadAddressRow{u"", "Empty"}),
    [](const ::testing::TestParamInfo<BadAddressRow>& row) { return std::string(row.param.label); });

// ---- size limits ---------------------------------------------------------------------------

TEST_F(FetchRequest, ContentLengthBelowMinimumFailsBeforeTheBody) {
    // Reading the body would run into the stall and end as a time-out instead.
    server().Route("/small",
                   Response{.body = std::string(2000, 'p'), .stallAfter = 0, .stallFor = milliseconds(3000)});
    ST_URLREQUEST request = PictureRequest("/small", "small.jpg");
    request.minSizeK = 4;
    CURLSource response;
    EXPECT_FALSE(RequestOnce(response, request, FETCH_CACHE_WRITE | FETCH_CACHE_READ));
    EXPECT_EQ(response.failure, FetchFailure::SizeLimit);
    EXPECT_EQ(response.bodySize, 0u);
    EXPECT_TRUE(ListFolder(folder.path()).empty());
}

// Whether the answer declares its length, which the limits judge before the body, or not.
struct LengthRow {
    const char* name;
    bool withContentLength;
};

void PrintTo(const LengthRow& row, std::ostream* os) {
    *os << row.name;
}

class FetchMaxSize : public NetTest, public ::testing::WithParamInterface<LengthRow> {};

TEST_P(FetchMaxSize, OversizedPictureWritesNoFile) {
    server().Route("/big", Response{.body = std::string(600 * 1024, 'p'),
                                    .noContentLength = !GetParam().withContentLength});
    ST_URLREQUEST request = PictureRequest("/big", "big.jpg");
    request.maxSizeK = 500;
    CURLSource response;
    EXPECT_FALSE(RequestOnce(response, request, FETCH_CACHE_WRITE | FETCH_CACHE_READ));
    EXPECT_EQ(response.failure, FetchFailure::SizeLimit);
    if (GetParam().withContentLength) {
        EXPECT_EQ(response.bodySize, 0u);
    } else {
        EXPECT_GT(response.bodySize, 500u * 1024);
        EXPECT_LT(response.bodySize, 600u * 1024);
    }
    EXPECT_TRUE(ListFolder(folder.path()).empty()) << "neither the picture nor a temporary file";
}

INSTANTIATE_TEST_SUITE_P(Lengths, FetchMaxSize,
                         ::testing::Values(LengthRow{"declared", true}, LengthRow{"undeclared", false}),
                         [](const auto& row) { return std::string(row.param.name); });

class FetchMinSize : public NetTest, public ::testing::WithParamInterface<LengthRow> {};

TEST_P(FetchMinSize, PictureOfExactlyTheMinimumIsKeptAndOneByteLessIsNot) {
    // A minimum of 1 K drops the site's tiny placeholders, never a picture of exactly 1 K.
    for (const std::size_t size : {1024, 1023}) {
        const std::string name = std::to_string(size) + ".jpg";
        server().Route("/" + name, Response{.body = std::string(size, 'p'),
                                            .contentType = "image/jpeg",
                                            .noContentLength = !GetParam().withContentLength});
        ST_URLREQUEST request = PictureRequest("/" + name, name);
        request.minSizeK = 1;
        // A body without a length ends when the connection closes, which the test server does
        // only when asked to.
        request.extraHeaders = u"Connection: close";
        CURLSource response;
        RequestOnce(response, request, 0);
    }
    EXPECT_EQ(ListFolder(folder.path()), std::vector<std::string>{"1024.jpg"});
}

INSTANTIATE_TEST_SUITE_P(Lengths, FetchMinSize,
                         ::testing::Values(LengthRow{"declared", true}, LengthRow{"undeclared", false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(FetchRequest, PictureOfExactlyTheLimitIsKept) {
    const std::string picture(500 * 1024, 'p');
    server().Route("/edge", Response{.body = picture, .contentType = "image/jpeg"});
    ST_URLREQUEST request = PictureRequest("/edge", "edge.jpg");
    request.maxSizeK = 500;
    CURLSource response;
    EXPECT_TRUE(RequestOnce(response, request, FETCH_CACHE_WRITE | FETCH_CACHE_READ));
    EXPECT_EQ(ReadFile(folder.file("edge.jpg")).bytes.size(), picture.size());
}

TEST_F(FetchRequest, PageWithoutLimitStopsAtTheMemoryCap) {
    // Sent without Content-Length, so only the running count can stop it.
    server().Route("/huge",
                   Response{.body = std::string(kMaxBodyBytesInMemory + 4096, 'h'), .noContentLength = true});
    CURLSource response;
    // Time enough for 64 MB under ThreadSanitizer too: the cap, not the clock, must end it.
    EXPECT_FALSE(RequestOnce(response, Request("/huge", 60000), 0));
    EXPECT_EQ(response.failure, FetchFailure::SizeLimit);
    EXPECT_LE(response.body.size(), kMaxBodyBytesInMemory + 102400);
}

// ---- pictures and pages --------------------------------------------------------------------

TEST_F(FetchRequest, PictureReplacesTheTargetInOnePiece) {
    const std::string picture(300 * 1024 + 7, '\xFF');
    server().Route("/p.jpg", Response{.body = picture, .contentType = "image/jpeg"});
    WriteFile(folder.file("p.jpg"), "an older picture");
    ST_URLREQUEST request = PictureRequest("/p.jpg", "p.jpg");
    request.attempts = 2;
    CURLSource response;
    ASSERT_TRUE(FetchUrl(request, response, FETCH_CACHE_WRITE | FETCH_CACHE_READ));
    EXPECT_EQ(ReadFile(folder.file("p.jpg")).bytes, picture);
    EXPECT_EQ(response.bodySize, picture.size());
    EXPECT_TRUE(response.body.empty()) << "a picture is streamed to its file, not held";
    EXPECT_EQ(ListFolder(folder.path()), std::vector<std::string>{"p.jpg"});
}

TEST_F(FetchRequest, CompressedPictureIsSavedAsReceived) {
    const std::string original(5000, 'z');
    server().Route("/z.bin", Response{.body = original, .encoding = BodyEncoding::Gzip});
    CURLSource response;
    ASSERT_TRUE(FetchUrl(PictureRequest("/z.bin", "z.bin"), response, 0));
    EXPECT_EQ(ReadFile(folder.file("z.bin")).bytes, GzipCompress(original));
    EXPECT_TRUE(response.isGzip);
}

TEST_F(FetchRequest, PictureIsSavedWholeAndDecodedOrNotAtAll) {
    const std::string picture = "\xFF\xD8\xFF\xE0" + std::string(600, 'j');
    // No request of ours names a range: a 206 brings a part nobody asked for.
    server().Route("/partial.jpg", Response{.status = 206,
                                            .body = picture.substr(0, 100),
                                            .contentType = "image/jpeg",
                                            .headers = {{"Content-Range", "bytes 0-99/604"}}});
    server().Route("/cut.jpg", Response{.body = picture,
                                        .contentType = "image/jpeg",
                                        .encoding = BodyEncoding::Gzip,
                                        .truncateEncoded = true});
    server().Route("/gzip.jpg",
                   Response{.body = picture, .contentType = "image/jpeg", .encoding = BodyEncoding::Gzip});
    server().Route("/deflate.jpg",
                   Response{.body = picture, .contentType = "image/jpeg", .encoding = BodyEncoding::Zlib});
    for (const std::string name : {"partial.jpg", "cut.jpg", "gzip.jpg", "deflate.jpg"}) {
        ST_URLREQUEST request = PictureRequest("/" + name, name);
        request.expectPicture = true;
        CURLSource response;
        const bool whole = name == "gzip.jpg" || name == "deflate.jpg";
        EXPECT_EQ(FetchUrl(request, response, FETCH_CACHE_WRITE | FETCH_CACHE_READ), whole) << name;
    }
    EXPECT_EQ(ReadFile(folder.file("gzip.jpg")).bytes, picture);
    EXPECT_EQ(ReadFile(folder.file("deflate.jpg")).bytes, picture);
    EXPECT_EQ(ListFolder(folder.path()), (std::vector<std::string>{"deflate.jpg", "gzip.jpg"}));
    // Compressed although the request offered no encoding, as it still does.
    EXPECT_FALSE(server().requestsFor("/gzip.jpg").at(0).HasHeader("Accept-Encoding"));
}

struct ErrorPageRow {
    int status;
    const char* label;
};

void PrintTo(const ErrorPageRow& row, std::ostream* os) {
    *os << row.status;
}

class FetchErrorPage : public NetTest, public ::testing::WithParamInterface<ErrorPageRow> {};

TEST_P(FetchErrorPage, SucceedsAsAPage) {
    server().Route("/e", Response{.status = GetParam().status, .body = "<html>error page</html>"});
    CURLSource response;
    ASSERT_TRUE(FetchUrl(Request("/e"), response, 0));
    EXPECT_EQ(response.body, "<html>error page</html>");
    EXPECT_EQ(response.status, GetParam().status);
}

TEST_P(FetchErrorPage, FailsAsAPictureAndKeepsTheOldFile) {
    server().Route("/e", Response{.status = GetParam().status, .body = "<html>error page</html>"});
    WriteFile(folder.file("e.jpg"), "an older picture");
    ST_URLREQUEST request = PictureRequest("/e", "e.jpg");
    request.attempts = 2;
    CURLSource response;
    EXPECT_FALSE(FetchUrl(request, response, FETCH_CACHE_WRITE | FETCH_CACHE_READ));
    EXPECT_EQ(response.failure, FetchFailure::HttpStatus);
    EXPECT_EQ(ReadFile(folder.file("e.jpg")).bytes, "an older picture");
    EXPECT_EQ(ListFolder(folder.path()), std::vector<std::string>{"e.jpg"});
    EXPECT_EQ(server().requestsFor("/e").size(), 2u);
}

TEST_P(FetchErrorPage, FailsAsASitePageThatMustBeRead) {
    server().Route("/e", Response{.status = GetParam().status, .body = "<html>error page</html>"});
    ST_URLREQUEST request = Request("/e");
    request.requireSuccessStatus = true;
    request.attempts = 2;
    CURLSource response;
    EXPECT_FALSE(FetchUrl(request, response, 0));
    EXPECT_EQ(response.failure, FetchFailure::HttpStatus);
    EXPECT_EQ(response.status, GetParam().status);
    EXPECT_EQ(server().requestsFor("/e").size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Statuses, FetchErrorPage,
                         ::testing::Values(ErrorPageRow{404, "NotFound"}, ErrorPageRow{500, "ServerError"}),
                         [](const ::testing::TestParamInfo<ErrorPageRow>& row) {
                             return std::string(row.param.label);
                         });

TEST_F(FetchRequest, WebPageForAPictureSavesNothing) {
    const std::string notFound = "<html><body>404 Not Found</body></html>";
    // Each route is refused by one check alone: the declared type, or how the body opens.
    server().Route("/declared", Response{.body = "404 Not Found"});
    server().Route("/undeclared",
                   Response{.body = "\r\n  <!DOCTYPE html>" + notFound, .contentType = "image/jpeg"});
    server().Route("/indented",
                   Response{.body = std::string(40, ' ') + std::string(40, '\t') + "\r\n\r\n" + notFound,
                            .contentType = "image/jpeg"});
    server().Route("/moved", Response{.status = 302, .headers = {{"Location", server().url("/declared")}}});
    for (const char* path : {"/declared", "/undeclared", "/indented", "/moved"}) {
        ST_URLREQUEST request = PictureRequest(path, "p0.jpg");
        request.expectPicture = true;
        CURLSource response;
        EXPECT_FALSE(FetchUrl(request, response, FETCH_CACHE_WRITE | FETCH_CACHE_READ)) << path;
        EXPECT_EQ(response.failure, FetchFailure::NotAPicture) << path;
        EXPECT_TRUE(ListFolder(folder.path()).empty()) << path;
    }
    // A page asked for as a file (albumora-cli fetch --output) is kept as it came.
    CURLSource response;
    EXPECT_TRUE(FetchUrl(PictureRequest("/declared", "page.html"), response, 0));
    EXPECT_EQ(ReadFile(folder.file("page.html")).bytes, "404 Not Found");
}

TEST_F(FetchRequest, PictureIntoAMissingFolderFailsCleanly) {
    server().Route("/p.jpg", Response{.body = "picture"});
    ST_URLREQUEST request = Request("/p.jpg");
    request.savePath = FromUtf8(folder.file("no/such/folder/p.jpg"));
    CURLSource response;
    EXPECT_FALSE(FetchUrl(request, response, 0));
    EXPECT_EQ(response.failure, FetchFailure::File);
}

// ---- attempts and the success test ---------------------------------------------------------

TEST_F(FetchRequest, EmptyBodyIsRetriedAfterThePause) {
    server().RouteSequence("", "/flaky", {Response{.body = ""}, Response{.body = "second time"}});
    ST_URLREQUEST request = Request("/flaky");
    request.attempts = 2;
    request.retryPauseSec = 3;
    CURLSource response;
    ASSERT_TRUE(FetchUrl(request, response, 0));
    EXPECT_EQ(response.body, "second time");
    EXPECT_EQ(clock.pauses(), std::vector<milliseconds>{milliseconds(3000)});
    EXPECT_EQ(server().requestsFor("/flaky").size(), 2u);
}

TEST_F(FetchRequest, EmptyErrorPageFailsEveryAttemptWithAPauseAfterEach) {
    server().Route("/gone", Response{.status = 404});
    ST_URLREQUEST request = Request("/gone");
    request.attempts = 3;
    CURLSource response;
    EXPECT_FALSE(FetchUrl(request, response, 0));
    EXPECT_EQ(response.failure, FetchFailure::EmptyBody);
    EXPECT_EQ(clock.pauses(), std::vector<milliseconds>(3, milliseconds(1000)));
    EXPECT_EQ(server().requestsFor("/gone").size(), 3u);
}

TEST_F(FetchRequest, NoAttemptsMeansNoRequest) {
    ST_URLREQUEST request = Request("/x");
    request.attempts = 0;
    CURLSource response;
    EXPECT_FALSE(FetchUrl(request, response, 0));
    EXPECT_TRUE(server().requests().empty());
    EXPECT_TRUE(clock.pauses().empty());
}

struct TextCheckRow {
    const char* name;
    std::string body;
    BodyEncoding encoding;
    std::uint32_t minTextLength;
    std::string retryIfContains;
    std::uint32_t options;
    bool succeeds;
};

void PrintTo(const TextCheckRow& row, std::ostream* os) {
    *os << row.name;
}

class FetchTextCheck : public NetTest, public ::testing::WithParamInterface<TextCheckRow> {};

TEST_P(FetchTextCheck, JudgesTheBody) {
    const TextCheckRow& row = GetParam();
    server().Route("/t", Response{.body = row.body, .encoding = row.encoding});
    ST_URLREQUEST request = Request("/t");
    request.minTextLength = row.minTextLength;
    request.retryIfContains = row.retryIfContains;
    request.attempts = 2;
    CURLSource response;
    EXPECT_EQ(FetchUrl(request, response, row.options), row.succeeds);
    EXPECT_EQ(server().requestsFor("/t").size(), row.succeeds ? 1u : 2u);
}

// A 5-byte text compresses to about 25 bytes, so the inflating cache bit decides the length check.
INSTANTIATE_TEST_SUITE_P(
    Rows, FetchTextCheck,
    ::testing::Values(
        TextCheckRow{"long_enough", std::string(101, 'x'), BodyEncoding::None, 100, "", 0, true},
        TextCheckRow{"exactly_the_minimum", std::string(100, 'x'), BodyEncoding::None, 100, "", 0, false},
        TextCheckRow{"busy_marker", "server busy, retry", BodyEncoding::None, 0, "busy", 0, false},
        TextCheckRow{"no_marker", "all fine", BodyEncoding::None, 0, "busy", 0, true},
        TextCheckRow{"compressed_length", "short", BodyEncoding::Gzip, 10, "", 0, true},
        TextCheckRow{"inflated_length", "short", BodyEncoding::Gzip, 10, "", FETCH_CACHE_WRITE, false},
        TextCheckRow{"marker_inside_gzip", "server busy", BodyEncoding::Gzip, 0, "busy", FETCH_CACHE_WRITE,
                     false}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- markers while reading -----------------------------------------------------------------

TEST_F(FetchRequest, EndMarkerStopsReadingAtOnce) {
    const std::string page = "head<b>skip<b>keep this<e>tail";
    // After the end marker the server stalls far longer than the read time-out.
    server().Route("/m", Response{.body = page + std::string(5000, 't'),
                                  .stallAfter = page.size(),
                                  .stallFor = milliseconds(5000)});
    ST_URLREQUEST request = Request("/m", 2000);
    request.cutStart = "<b>";
    request.cutEnd = "<e>";
    CURLSource response;
    ASSERT_TRUE(FetchUrl(request, response, 0));
    EXPECT_EQ(response.body, "keep this");
    EXPECT_EQ(response.failure, FetchFailure::None);
}

// ---- waits ---------------------------------------------------------------------------------

TEST_F(FetchRequest, SilentServerEndsEachAttemptWithinItsBounds) {
    server().Route("/silent", Response{.body = "late", .headerDelay = milliseconds(10000)});
    ST_URLREQUEST request = Request("/silent", 400);
    request.attempts = 2;
    request.retryPauseSec = 1;
    CURLSource response;
    bool ok = true;
    const auto took = Elapsed([&] { ok = FetchUrl(request, response, 0); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(response.failure, FetchFailure::Timeout);
    EXPECT_EQ(server().requestsFor("/silent").size(), 2u);
    EXPECT_EQ(clock.pauses(), std::vector<milliseconds>(2, milliseconds(1000)));
    // Each attempt may spend the connect wait and the header wait.
    EXPECT_LT(took, 2 * milliseconds(400 + 400) + kBoundSlack);
}

TEST_F(FetchRequest, HeadersInsideTheWaitAreAccepted) {
    server().Route("/slowish", Response{.body = "fine", .headerDelay = milliseconds(200)});
    CURLSource response;
    EXPECT_TRUE(FetchUrl(Request("/slowish", 2000), response, 0));
}

TEST_F(FetchRequest, StallInTheBodyEndsWithinTheReadTimeout) {
    server().Route(
        "/stall",
        Response{.body = std::string(10000, 's'), .stallAfter = 4000, .stallFor = milliseconds(8000)});
    ST_URLREQUEST request = PictureRequest("/stall", "stall.jpg");
    request.readTimeoutMs = 400;
    CURLSource response;
    bool ok = true;
    const auto took = Elapsed([&] { ok = RequestOnce(response, request, 0); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(response.failure, FetchFailure::Timeout);
    EXPECT_EQ(response.bodySize, 4000u);
    EXPECT_LT(took, milliseconds(kShortTimeoutMs + 400) + kBoundSlack);
    EXPECT_TRUE(ListFolder(folder.path()).empty());
}

struct StoppedFetch {
    bool ok = false;
    CURLSource response;
    std::chrono::steady_clock::duration afterStop{};  // from the stop to FetchUrl's return
};

// Fetches `request`, stopping it `after` the server has received it for `path`, however slowly a
// loaded machine gets there.
StoppedFetch FetchStoppedWhenHeld(ST_URLREQUEST request, const char* path, milliseconds after) {
    StopSignal stop;
    request.cancel = &stop;
    std::chrono::steady_clock::time_point raisedAt;
    std::thread stopper([&] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (SharedTestServer().requestsFor(path).empty() && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(milliseconds(10));
        }
        std::this_thread::sleep_for(after);
        raisedAt = std::chrono::steady_clock::now();
        stop.Raise();
    });
    StoppedFetch fetched;
    fetched.ok = FetchUrl(request, fetched.response, 0);
    const auto ended = std::chrono::steady_clock::now();
    stopper.join();
    fetched.afterStop = ended - raisedAt;
    return fetched;
}

TEST_F(FetchRequest, StopFlagEndsAStalledPictureWithoutFurtherAttempts) {
    server().Route(
        "/long",
        Response{.body = std::string(10000, 'l'), .stallAfter = 2000, .stallFor = milliseconds(8000)});
    ST_URLREQUEST request = PictureRequest("/long", "long.jpg");
    request.readTimeoutMs = 20000;
    request.attempts = 3;
    // The stop comes once the server holds the request, so it always lands inside the stall.
    const StoppedFetch fetched = FetchStoppedWhenHeld(request, "/long", milliseconds(200));
    EXPECT_FALSE(fetched.ok);
    EXPECT_EQ(fetched.response.failure, FetchFailure::Cancelled);
    EXPECT_EQ(server().requestsFor("/long").size(), 1u);
    EXPECT_TRUE(clock.pauses().empty());
    EXPECT_LT(fetched.afterStop, milliseconds(1000) + kBoundSlack);
    EXPECT_TRUE(ListFolder(folder.path()).empty());
}

TEST_F(FetchRequest, StopEndsAWaitForTheAnswerAtOnce) {
    // The user who stops a run is not kept waiting while a slow server holds its answer.
    server().Route("/held", Response{.body = "late", .headerDelay = milliseconds(10000)});
    // The stop comes once libcurl's own early timers are past, so that nothing but the transfer
    // loop's own wakes can notice it.
    const StoppedFetch fetched = FetchStoppedWhenHeld(Request("/held", 20000), "/held", milliseconds(300));
    EXPECT_FALSE(fetched.ok);
    EXPECT_EQ(fetched.response.failure, FetchFailure::Cancelled);
    EXPECT_LT(fetched.afterStop, milliseconds(1000));
}

TEST_F(FetchRequest, ConnectionResetMidBodyFails) {
    server().Route("/reset", Response{.body = std::string(8000, 'r'), .resetAfter = 3000});
    CURLSource response;
    EXPECT_FALSE(FetchUrl(PictureRequest("/reset", "reset.jpg"), response, 0));
    EXPECT_EQ(response.failure, FetchFailure::Connection);
    EXPECT_TRUE(ListFolder(folder.path()).empty());
}

TEST_F(FetchRequest, RefusedConnectionFails) {
    int port = 0;
    {
        TestWebServer closed;  // a port that surely had a listener a moment ago, and has none now
        port = closed.port();
    }
    ST_URLREQUEST request(FromUtf8("http://127.0.0.1:" + std::to_string(port) + "/"), {}, kShortTimeoutMs);
    request.clock = &clock;
    CURLSource response;
    EXPECT_FALSE(FetchUrl(request, response, 0));
    EXPECT_EQ(response.failure, FetchFailure::Connection);
}

}  // namespace
}  // namespace albumora::test
