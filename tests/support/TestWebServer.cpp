#include "support/TestWebServer.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <stdexcept>

#include "core/text/AsciiCase.h"
#include "support/Compression.h"

namespace albumora::test {

namespace {

constexpr std::size_t kServerThreads = 48;
constexpr std::size_t kWritePiece = 64 * 1024;
// The proxy's threads look this often whether the server is stopping. Stop also shuts their
// sockets down, so this only bounds what a missed wake-up could cost.
constexpr int kProxyPollMs = 100;
constexpr std::size_t kMaxProxyHead = 8192;
constexpr std::chrono::seconds kProxyHeadTimeout{10};
constexpr std::size_t kRelayPiece = 16 * 1024;

std::string WithoutPort(std::string_view hostPort) {
    if (!hostPort.empty() && hostPort[0] == '[') {
        return std::string(hostPort.substr(0, hostPort.find(']') + 1));
    }
    return std::string(hostPort.substr(0, hostPort.find(':')));
}

// How the body goes out, without the body itself.
struct Delivery {
    std::size_t stallAfter;
    std::chrono::milliseconds stallFor;
    std::size_t resetAfter;
};

RecordedRequest Record(const httplib::Request& request, bool tls) {
    RecordedRequest recorded;
    recorded.tls = tls;
    recorded.method = request.method;
    recorded.target = request.target;
    recorded.body = request.body;
    for (const auto& [name, value] : request.headers) {
        // The library adds the socket's addresses as pseudo headers.
        if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" && name != "LOCAL_PORT") {
            recorded.headers.emplace_back(name, value);
        }
    }
    std::string_view target = request.target;
    const size_t question = target.find('?');
    if (question != std::string_view::npos) {
        recorded.query = std::string(target.substr(question + 1));
        target = target.substr(0, question);
    }
    if (target.starts_with("http://") || target.starts_with("https://")) {
        recorded.viaProxy = true;
        const size_t hostStart = target.find("://") + 3;
        const size_t pathStart = std::min(target.find('/', hostStart), target.size());
        recorded.host = WithoutPort(target.substr(hostStart, pathStart - hostStart));
        target = target.substr(pathStart);
    } else {
        recorded.host = WithoutPort(request.get_header_value("Host"));
    }
    recorded.path = target.empty() ? "/" : std::string(target);
    return recorded;
}

std::string EncodedBody(const Response& response) {
    std::string body;
    switch (response.encoding) {
        case BodyEncoding::None:
            return response.body;
        case BodyEncoding::Gzip:
            body = GzipCompress(response.body);
            break;
        case BodyEncoding::Zlib:
            body = ZlibCompress(response.body);
            break;
    }
    if (response.truncateEncoded) {
        body.resize(body.size() / 2);
    }
    return body;
}

// The sockets of this process that the server accepted on `port`; `peerPort` picks one of them.
template <typename Action>
void ForServerSockets(int port, int peerPort, Action action) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        int fd = -1;
        try {
            fd = std::stoi(entry.path().filename().string());
        } catch (const std::exception&) {
            continue;
        }
        sockaddr_in local{};
        sockaddr_in peer{};
        socklen_t localLength = sizeof local;
        socklen_t peerLength = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
            local.sin_family != AF_INET || ntohs(local.sin_port) != port ||
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0) {
            continue;
        }
        if (peerPort < 0 || ntohs(peer.sin_port) == peerPort) {
            action(fd);
        }
    }
}

// Runs the accept loop of `server` on a thread of its own.
std::thread StartListening(httplib::Server& server) {
    std::thread listener([&server] { server.listen_after_bind(); });
    // A stop before the accept loop runs would be lost and the listener never end. The library
    // offers no signal for "running" but the flag, so it is polled; this takes microseconds.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server.is_running() && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return listener;
}

bool SendAll(int socket, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool SendAll(int socket, std::string_view text) {
    return SendAll(socket, text.data(), text.size());
}

// A relay passes each piece on at once, as the server wrote it (see InstallHandlers).
void SetNoDelay(int socket) {
    const int yes = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

// As poll, with a signal taken for a timeout.
int WaitReadable(pollfd* sockets, nfds_t count) {
    const int ready = ::poll(sockets, count, kProxyPollMs);
    return ready < 0 && errno == EINTR ? 0 : ready;
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsNoCase(key, name)) {
            return value;
        }
    }
    return {};
}

bool RecordedRequest::HasHeader(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return EqualsNoCase(header.first, name); });
}

TestWebServer::TestWebServer(int port) : m_server(std::make_unique<httplib::Server>()) {
    InstallHandlers(*m_server, false);
    if (port == 0) {
        m_port = m_server->bind_to_any_port("127.0.0.1");
    } else {
        // The library's default also sets SO_REUSEPORT, with which a second server would share a
        // taken port instead of failing.
        m_server->set_socket_options([](int socket) {
            const int yes = 1;
            ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        m_port = m_server->bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (m_port <= 0) {
        throw std::runtime_error("the test web server cannot listen on 127.0.0.1" +
                                 (port == 0 ? std::string() : ":" + std::to_string(port)));
    }
    m_listener = StartListening(*m_server);
}

void TestWebServer::InstallHandlers(httplib::Server& server, bool tls) {
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    server.set_keep_alive_max_count(1000);
    // An answer goes out in several writes (headers, body; TLS records); with Nagle's algorithm the
    // second waits for the client's delayed acknowledgement, 40 ms that no real server costs.
    server.set_tcp_nodelay(true);
    const auto handle = [this, tls](const httplib::Request& request, httplib::Response& out) {
        const RecordedRequest recorded = Record(request, tls);
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(recorded);
        }
        const Response response = Dispatch(recorded);
        std::chrono::milliseconds latency;
        {
            std::lock_guard lock(m_mutex);
            latency = m_latency;
        }
        if (!Pause(latency + response.headerDelay)) {
            out.status = 503;
            return;
        }
        out.status = response.status;
        for (const auto& [name, value] : response.headers) {
            out.set_header(name, value);
        }
        for (const auto& cookie : response.setCookies) {
            out.set_header("Set-Cookie", cookie);
        }
        if (response.encoding == BodyEncoding::Gzip) {
            out.set_header("Content-Encoding", "gzip");
        } else if (response.encoding == BodyEncoding::Zlib) {
            out.set_header("Content-Encoding", "deflate");
        }
        const std::string contentType = response.charset.empty()
                                            ? response.contentType
                                            : response.contentType + "; charset=" + response.charset;
        auto body = std::make_shared<const std::string>(EncodedBody(response));
        const int remotePort = request.remote_port;
        const Delivery delivery{response.stallAfter, response.stallFor, response.resetAfter};
        // The body always goes through a provider: the library compresses plain bodies on its own
        // when the client accepts gzip, which would hide what the test scripted.
        const int serverPort = tls ? m_tlsPort : m_port;
        auto provide = [this, body, delivery, serverPort, remotePort](size_t offset,
                                                                      httplib::DataSink& sink) {
            bool stalled = false;
            for (size_t at = offset; at < body->size();) {
                if (at == delivery.resetAfter) {
                    ResetConnection(serverPort, remotePort);
                    return false;
                }
                if (at == delivery.stallAfter && !stalled) {
                    stalled = true;
                    if (!Pause(delivery.stallFor)) {
                        return false;
                    }
                }
                size_t end = std::min(body->size(), at + kWritePiece);
                for (const size_t mark : {delivery.stallAfter, delivery.resetAfter}) {
                    if (mark > at && mark < end) {
                        end = mark;
                    }
                }
                if (!sink.write(body->data() + at, end - at)) {
                    return false;
                }
                at = end;
            }
            if (delivery.resetAfter != Response::kNever) {
                ResetConnection(serverPort, remotePort);
                return false;
            }
            return true;
        };
        if (response.noContentLength) {
            out.set_content_provider(contentType.c_str(), [provide](size_t offset, httplib::DataSink& sink) {
                const bool ok = provide(offset, sink);
                if (ok) {
                    sink.done();
                }
                return ok;
            });
        } else if (body->empty() && response.resetAfter == Response::kNever) {
            out.set_content(std::string(), contentType);
        } else {
            out.set_content_provider(
                body->size(), contentType,
                [provide](size_t offset, size_t, httplib::DataSink& sink) { return provide(offset, sink); });
        }
    };
    server.Get(".*", handle);
    server.Post(".*", handle);
    server.Put(".*", handle);
    server.Delete(".*", handle);
    server.Options(".*", handle);
    server.Patch(".*", handle);
}

TestWebServer::~TestWebServer() {
    Stop();
}

void TestWebServer::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopped.notify_all();
    if (m_listener.joinable()) {
        m_server->stop();
        // Kept-alive connections would hold the worker threads for seconds; closing them lets the
        // workers go at once.
        ForServerSockets(m_port, -1, [](int fd) { ::shutdown(fd, SHUT_RDWR); });
        m_listener.join();
    }
    StopTls();
}

bool TestWebServer::Pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(m_mutex);
    return !m_stopped.wait_for(lock, duration, [this] { return m_stopping; });
}

bool TestWebServer::Stopping() const {
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

void TestWebServer::ResetConnection(int serverPort, int remotePort) const {
    ForServerSockets(serverPort, remotePort, [](int fd) {
        // With a zero linger time, closing sends RST instead of FIN. The descriptor is swapped
        // for a fresh socket rather than closed, so the library's own close later hits that one.
        const linger abortive{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        const int placeholder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (placeholder >= 0) {
            ::dup2(placeholder, fd);
            ::close(placeholder);
        }
    });
}

Response TestWebServer::Dispatch(const RecordedRequest& request) {
    Handler handler;
    {
        std::lock_guard lock(m_mutex);
        const std::string withQuery =
            request.query.empty() ? request.path : request.path + "?" + request.query;
        for (const auto& key :
             {std::pair(request.host, withQuery), std::pair(std::string(), withQuery),
              std::pair(request.host, request.path), std::pair(std::string(), request.path)}) {
            const auto found = m_routes.find(key);
            if (found != m_routes.end()) {
                handler = found->second;
                break;
            }
        }
    }
    if (!handler) {
        return Response{.status = 404, .body = "no route for " + request.host + request.path};
    }
    return handler(request);
}

void TestWebServer::Route(std::string path, Response response) {
    Route(std::string(), std::move(path), std::move(response));
}

void TestWebServer::Route(std::string host, std::string path, Response response) {
    Route(std::move(host), std::move(path), [response](const RecordedRequest&) { return response; });
}

void TestWebServer::Route(std::string host, std::string path, Handler handler) {
    std::lock_guard lock(m_mutex);
    m_routes[{std::move(host), std::move(path)}] = std::move(handler);
}

void TestWebServer::RouteSequence(std::string host, std::string path, std::vector<Response> responses) {
    struct Sequence {
        std::mutex mutex;
        std::vector<Response> responses;
        size_t next = 0;
    };
    auto sequence = std::make_shared<Sequence>();
    sequence->responses = std::move(responses);
    Route(std::move(host), std::move(path), [sequence](const RecordedRequest&) {
        std::lock_guard lock(sequence->mutex);
        if (sequence->responses.empty()) {
            return Response{.status = 404};
        }
        const size_t index = std::min(sequence->next++, sequence->responses.size() - 1);
        return sequence->responses[index];
    });
}

void TestWebServer::ClearRoutes() {
    std::lock_guard lock(m_mutex);
    m_routes.clear();
}

void TestWebServer::SetLatency(std::chrono::milliseconds latency) {
    std::lock_guard lock(m_mutex);
    m_latency = latency;
}

std::string TestWebServer::url(std::string_view path) const {
    return proxyUrl() + std::string(path);
}

std::string TestWebServer::proxyUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

std::vector<RecordedRequest> TestWebServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<RecordedRequest> TestWebServer::requestsFor(std::string_view path) const {
    std::vector<RecordedRequest> matching;
    for (auto& request : requests()) {
        if (request.path == path) {
            matching.push_back(std::move(request));
        }
    }
    return matching;
}

std::vector<RecordedRequest> TestWebServer::requestsToHost(std::string_view host) const {
    std::vector<RecordedRequest> matching;
    for (auto& request : requests()) {
        if (request.host == host) {
            matching.push_back(std::move(request));
        }
    }
    return matching;
}

void TestWebServer::ClearRequests() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
    m_connectTargets.clear();
}

void TestWebServer::EnableTls(const TestCertificates& certs) {
    if (m_tlsServer) {
        return;
    }
    // The proxy's socket first: it is the one that is easily closed again if the https server fails.
    const int proxySocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (proxySocket < 0 || ::bind(proxySocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(proxySocket, SOMAXCONN) != 0 ||
        ::getsockname(proxySocket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (proxySocket >= 0) {
            ::close(proxySocket);
        }
        throw std::runtime_error("the test web server's CONNECT proxy cannot listen on 127.0.0.1");
    }
    auto server = std::make_unique<httplib::SSLServer>(certs.certPath.c_str(), certs.keyPath.c_str());
    // Before the bind: the listening socket passes its options on to the connections it accepts.
    InstallHandlers(*server, true);
    const int tlsPort = server->is_valid() ? server->bind_to_any_port("127.0.0.1") : -1;
    if (tlsPort <= 0) {
        ::close(proxySocket);
        throw std::runtime_error("the test web server cannot answer https with " + certs.certPath + " and " +
                                 certs.keyPath);
    }
    m_tlsServer = std::move(server);
    m_tlsPort = tlsPort;
    m_proxySocket = proxySocket;
    m_proxyPort = ntohs(address.sin_port);

    // OpenSSL writes to the socket without MSG_NOSIGNAL, so a client hanging up in the middle of an
    // answer would end the whole test binary with SIGPIPE. Blocked here, the signal stays blocked
    // in the listener and in the workers it starts, and the write merely fails.
    sigset_t brokenPipe;
    sigset_t previous;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &brokenPipe, &previous);
    m_tlsListener = StartListening(*m_tlsServer);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    m_proxyAcceptor = std::thread([this] { AcceptTunnels(); });
}

std::string TestWebServer::httpsProxyUrl() const {
    return m_proxyPort > 0 ? "http://127.0.0.1:" + std::to_string(m_proxyPort) : std::string();
}

std::vector<std::string> TestWebServer::connectTargets() const {
    std::lock_guard lock(m_mutex);
    return m_connectTargets;
}

void TestWebServer::StopTls() {
    if (m_proxyAcceptor.joinable()) {
        ::shutdown(m_proxySocket, SHUT_RDWR);
        {
            std::lock_guard lock(m_mutex);
            for (const int socket : m_tunnelSockets) {
                ::shutdown(socket, SHUT_RDWR);
            }
        }
        m_proxyAcceptor.join();
        ::close(m_proxySocket);
        m_proxySocket = -1;
    }
    if (m_tlsListener.joinable()) {
        m_tlsServer->stop();
        ForServerSockets(m_tlsPort, -1, [](int fd) { ::shutdown(fd, SHUT_RDWR); });
        m_tlsListener.join();
    }
}

bool TestWebServer::TrackSocket(int socket) {
    std::lock_guard lock(m_mutex);
    if (m_stopping) {
        ::close(socket);
        return false;
    }
    m_tunnelSockets.push_back(socket);
    return true;
}

void TestWebServer::CloseTrackedSocket(int socket) {
    {
        // Forgotten before it is closed: Stop must never shut down a number the system has since
        // handed out again.
        std::lock_guard lock(m_mutex);
        std::erase(m_tunnelSockets, socket);
    }
    ::close(socket);
}

void TestWebServer::AcceptTunnels() {
    struct Tunnel {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Tunnel> tunnels;
    while (!Stopping()) {
        // Ended tunnels are joined as new ones come, so a long run does not pile up threads.
        std::erase_if(tunnels, [](Tunnel& tunnel) {
            if (!tunnel.done->load()) {
                return false;
            }
            tunnel.thread.join();
            return true;
        });
        pollfd listening{m_proxySocket, POLLIN, 0};
        if (WaitReadable(&listening, 1) <= 0) {
            continue;
        }
        const int client = ::accept4(m_proxySocket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            // Out of descriptors, say: the listening socket stays readable, and without a pause
            // this would spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(kProxyPollMs));
            continue;
        }
        if (!TrackSocket(client)) {
            break;
        }
        SetNoDelay(client);
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::thread thread([this, client, done] {
            RunTunnel(client);
            done->store(true);
        });
        tunnels.push_back(Tunnel{std::move(thread), std::move(done)});
    }
    for (auto& tunnel : tunnels) {
        tunnel.thread.join();
    }
}

void TestWebServer::RunTunnel(int client) {
    int upstream = -1;
    bool resetClient = false;
    char buffer[kRelayPiece];
    [&] {
        std::string head;
        std::size_t headEnd = std::string::npos;
        const auto giveUp = std::chrono::steady_clock::now() + kProxyHeadTimeout;
        while ((headEnd = head.find("\r\n\r\n")) == std::string::npos) {
            if (head.size() > kMaxProxyHead || Stopping() || std::chrono::steady_clock::now() > giveUp) {
                return;
            }
            pollfd waiting{client, POLLIN, 0};
            const int ready = WaitReadable(&waiting, 1);
            if (ready < 0) {
                return;
            }
            if (ready == 0) {
                continue;
            }
            const ssize_t received = ::recv(client, buffer, sizeof buffer, 0);
            if (received <= 0) {
                return;
            }
            head.append(buffer, static_cast<std::size_t>(received));
        }
        const std::string_view requestLine = std::string_view(head).substr(0, head.find("\r\n"));
        const std::size_t methodEnd = std::min(requestLine.find(' '), requestLine.size());
        const std::size_t targetEnd = std::min(requestLine.find(' ', methodEnd + 1), requestLine.size());
        if (requestLine.substr(0, methodEnd) != "CONNECT" || targetEnd <= methodEnd + 1) {
            SendAll(client,
                    "HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        {
            std::lock_guard lock(m_mutex);
            m_connectTargets.emplace_back(requestLine.substr(methodEnd + 1, targetEnd - methodEnd - 1));
        }
        // Whatever host was asked for, the tunnel ends here: the https server plays every site.
        upstream = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (upstream < 0 || !TrackSocket(upstream)) {
            upstream = -1;
            return;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(m_tlsPort));
        SetNoDelay(upstream);
        if (::connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            SendAll(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        const std::string_view early = std::string_view(head).substr(headEnd + 4);
        if (!SendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n") ||
            !SendAll(upstream, early.data(), early.size())) {
            return;
        }
        pollfd ends[2] = {{client, POLLIN, 0}, {upstream, POLLIN, 0}};
        while (!Stopping()) {
            const int ready = WaitReadable(ends, 2);
            if (ready < 0) {
                return;
            }
            for (int from = 0; from < 2; ++from) {
                if ((ends[from].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                    continue;
                }
                const ssize_t received = ::recv(ends[from].fd, buffer, sizeof buffer, 0);
                if (received < 0 && errno == EINTR) {
                    continue;
                }
                if (received <= 0) {
                    // A reset the server scripted reaches the client as a reset too, as it would
                    // without the tunnel.
                    resetClient = from == 1 && received < 0 && errno == ECONNRESET;
                    return;
                }
                if (!SendAll(ends[1 - from].fd, buffer, static_cast<std::size_t>(received))) {
                    return;
                }
            }
        }
    }();
    if (resetClient) {
        const linger abortive{1, 0};
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
    if (upstream >= 0) {
        CloseTrackedSocket(upstream);
    }
    CloseTrackedSocket(client);
}

}  // namespace albumora::test

namespace albumora::test {

TestWebServer& SharedTestServer() {
    static TestWebServer server;
    return server;
}

}  // namespace albumora::test
