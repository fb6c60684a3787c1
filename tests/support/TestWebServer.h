#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "support/TestCertificates.h"

namespace httplib {
class Server;
}

namespace albumora::test {

enum class BodyEncoding { None, Gzip, Zlib };

// What the server answers on a route. Aggregate, so tests write Response{.status = 404, .body = ...}.
struct Response {
    static constexpr std::size_t kNever = SIZE_MAX;

    int status = 200;
    std::string body{};
    std::string contentType = "text/html";
    std::string charset{};                       // adds "; charset=..." to the content type
    BodyEncoding encoding = BodyEncoding::None;  // compresses `body` and sets Content-Encoding
    bool truncateEncoded = false;                // sends only the first half of the compressed bytes
    bool noContentLength = false;                // the body ends when the connection closes
    std::vector<std::pair<std::string, std::string>> headers{};  // further response headers, as given
    std::vector<std::string> setCookies{};                       // one Set-Cookie header each
    std::chrono::milliseconds headerDelay{0};                    // silence before the status line
    std::size_t stallAfter = kNever;                             // body bytes sent before a stall...
    std::chrono::milliseconds stallFor{0};                       // ...of this length
    std::size_t resetAfter = kNever;  // body bytes sent before the connection is reset (RST)
};

// One request as it arrived.
struct RecordedRequest {
    std::string method;
    std::string target;  // as in the request line: "/a?b" or, through a proxy, "http://host/a?b"
    std::string host;    // from an absolute target, else the Host header; without the port
    std::string path;    // without scheme, host and query
    std::string query;   // after '?', empty when none
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool viaProxy = false;  // the target was in absolute form
    bool tls = false;       // came over https, through the CONNECT proxy

    // The first value of a header (name without regard to case); empty when absent.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

using Handler = std::function<Response(const RecordedRequest&)>;

// A web server on 127.0.0.1 with a random port, in the test's own process. It also takes the
// requests of a client that uses it as its http_proxy, so a test can keep the sites' real
// addresses: set http_proxy to proxyUrl() and route by host. Routes match the path with its
// query first, then the path alone, each for the named host first and then for any host;
// unrouted requests get 404. Every request is recorded.
//
// After EnableTls it answers https as well, the way a client behind a proxy reaches a site: set
// https_proxy to httpsProxyUrl() and trust the test authority; whatever host the client asks the
// proxy for, the tunnel ends at this server, with the same routes, latency and recording.
class TestWebServer {
public:
    // `port` 0 takes any free one. Throws std::runtime_error when it cannot listen.
    explicit TestWebServer(int port = 0);
    ~TestWebServer();
    TestWebServer(const TestWebServer&) = delete;
    TestWebServer& operator=(const TestWebServer&) = delete;

    // `path` may carry a query ("/list?page=2"); an empty host means any host.
    void Route(std::string path, Response response);
    void Route(std::string host, std::string path, Response response);
    void Route(std::string host, std::string path, Handler handler);
    // Each request takes the next response; the last one repeats.
    void RouteSequence(std::string host, std::string path, std::vector<Response> responses);
    void ClearRoutes();

    // Every request waits this long before it is handled, like a distant server.
    void SetLatency(std::chrono::milliseconds latency);

    int port() const { return m_port; }
    std::string url(std::string_view path) const;  // "http://127.0.0.1:PORT" + path
    std::string proxyUrl() const;                  // for http_proxy

    std::vector<RecordedRequest> requests() const;
    std::vector<RecordedRequest> requestsFor(std::string_view path) const;
    std::vector<RecordedRequest> requestsToHost(std::string_view host) const;
    // Clears the CONNECT targets too.
    void ClearRequests();

    // Starts the https server and its CONNECT proxy; later calls do nothing, so the first caller's
    // certificates stay. Throws std::runtime_error when either cannot start.
    void EnableTls(const TestCertificates& certs);
    std::string httpsProxyUrl() const;  // for https_proxy: "http://127.0.0.1:PORT"; empty before EnableTls
    std::vector<std::string> connectTargets() const;  // "host:port" as each CONNECT asked

    // Ends delays and stalls, closes kept-alive connections and stops listening. Also done by the
    // destructor.
    void Stop();

private:
    // The plain and the https server answer alike; `tls` only marks what they record.
    void InstallHandlers(httplib::Server& server, bool tls);
    Response Dispatch(const RecordedRequest& request);
    // Waits `duration` unless the server stops first; false when it stopped.
    bool Pause(std::chrono::milliseconds duration);
    bool Stopping() const;
    void ResetConnection(int serverPort, int remotePort) const;
    void StopTls();

    // The CONNECT proxy: one thread accepts, one more per tunnel.
    void AcceptTunnels();
    void RunTunnel(int client);
    // Registers a tunnel's socket so that Stop can shut it down; false (and the socket closed)
    // once the server is stopping.
    bool TrackSocket(int socket);
    void CloseTrackedSocket(int socket);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_listener;
    int m_port = 0;

    std::unique_ptr<httplib::Server> m_tlsServer;
    std::thread m_tlsListener;
    int m_tlsPort = 0;
    int m_proxySocket = -1;
    int m_proxyPort = 0;
    std::thread m_proxyAcceptor;

    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    std::map<std::pair<std::string, std::string>, Handler> m_routes;
    std::vector<RecordedRequest> m_requests;
    std::chrono::milliseconds m_latency{0};
    std::vector<std::string> m_connectTargets;
    std::vector<int> m_tunnelSockets;
};

}  // namespace albumora::test

namespace albumora::test {

// The one server of a test binary, started on first use. Tests clear its routes in SetUp.
TestWebServer& SharedTestServer();

}  // namespace albumora::test
