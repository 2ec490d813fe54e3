#include "support/local_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ardelle::testing {
namespace {

constexpr int kSliceMs = 50;
constexpr std::size_t kMaxHead = 16 * 1024;
constexpr int kMaxConnections = 400;

// Waits up to one slice for fd to become ready for events; true when it is.
bool WaitReady(int fd, short events) {
    pollfd entry{fd, events, 0};
    return ::poll(&entry, 1, kSliceMs) > 0;
}

std::string StatusLine(int status) {
    const char* reason = status == 200   ? "OK"
                         : status == 302 ? "Found"
                         : status == 404 ? "Not Found"
                         : status == 500 ? "Internal Server Error"
                                         : "Status";
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
}

std::string Head(int status, std::size_t length, const std::string& extra = {}) {
    return StatusLine(status) + "Content-Length: " + std::to_string(length) +
           "\r\nConnection: close\r\n" + extra + "\r\n";
}

}  // namespace

LocalHttpServer::LocalHttpServer(std::chrono::seconds lifetime)
    : end_of_life_(std::chrono::steady_clock::now() + lifetime) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    listen_fd_ = fd;
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LocalHttpServer::~LocalHttpServer() {
    Stop();
}

void LocalHttpServer::Stop() {
    stop_.store(true);
    if (acceptor_.joinable()) {
        acceptor_.join();
    }
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(mutex_);
        connections.swap(connections_);
    }
    for (std::thread& connection : connections) {
        connection.join();
    }
    if (listen_fd_ >= 0) {
        ::close(listen_fd_);
        listen_fd_ = -1;
    }
}

bool LocalHttpServer::Stopping() const {
    return stop_.load() || std::chrono::steady_clock::now() > end_of_life_;
}

std::string LocalHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LocalHttpServer::Serve(const std::string& path, ServedAnswer answer) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(answer);
}

int LocalHttpServer::RequestCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto found = counts_.find(path);
    return found == counts_.end() ? 0 : found->second;
}

int LocalHttpServer::TotalRequests() const {
    std::lock_guard lock(mutex_);
    return total_;
}

void LocalHttpServer::AcceptLoop() {
    int accepted = 0;
    while (!Stopping()) {
        if (!WaitReady(listen_fd_, POLLIN)) {
            continue;
        }
        const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        if (++accepted > kMaxConnections) {
            ::close(fd);
            continue;
        }
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, fd] {
            Answer(fd);
            ::close(fd);
        });
    }
    // Refuse from now on: later clients see a closed port.
    ::shutdown(listen_fd_, SHUT_RDWR);
}

bool LocalHttpServer::SendAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (Stopping()) {
            return false;
        }
        if (!WaitReady(fd, POLLOUT)) {
            continue;
        }
        const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

void LocalHttpServer::Answer(int fd) {
    std::string head;
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (Stopping() || head.size() > kMaxHead) {
            return;
        }
        if (!WaitReady(fd, POLLIN)) {
            continue;
        }
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return;
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t method_end = head.find(' ');
    const std::size_t path_end = head.find(' ', method_end + 1);
    if (method_end == std::string::npos || path_end == std::string::npos) {
        return;
    }
    const bool head_only = head.compare(0, method_end, "HEAD") == 0;
    const std::string path = head.substr(method_end + 1, path_end - method_end - 1);
    ServedAnswer answer = ServedAnswer::Text("not here", 404);
    {
        std::lock_guard lock(mutex_);
        ++total_;
        ++counts_[path];
        const auto found = routes_.find(path);
        if (found != routes_.end()) {
            answer = found->second;
        }
    }
    switch (answer.kind) {
        case ServedAnswer::Kind::kFixed:
            SendAll(fd, Head(answer.status, answer.body.size()) + (head_only ? "" : answer.body));
            return;
        case ServedAnswer::Kind::kRedirect:
            SendAll(fd, Head(302, 0, "Location: " + answer.location + "\r\n"));
            return;
        case ServedAnswer::Kind::kDrip: {
            if (!SendAll(fd, Head(200, answer.body.size()))) {
                return;
            }
            for (const char byte : answer.body) {
                if (!SendAll(fd, std::string(1, byte))) {
                    return;
                }
                for (int slice = 0; slice < 1000 / kSliceMs && !Stopping(); ++slice) {
                    // A closed client reads as ready with nothing left.
                    if (WaitReady(fd, POLLIN) && ::recv(fd, buffer, sizeof buffer, 0) <= 0) {
                        return;
                    }
                }
            }
            return;
        }
        case ServedAnswer::Kind::kHangUp:
            return;
        case ServedAnswer::Kind::kSilent:
            while (!Stopping()) {
                if (WaitReady(fd, POLLIN) && ::recv(fd, buffer, sizeof buffer, 0) <= 0) {
                    return;
                }
            }
            return;
        case ServedAnswer::Kind::kEndless: {
            if (!SendAll(fd, Head(200, answer.endless_bytes))) {
                return;
            }
            const std::size_t lead = std::min(answer.body.size(), answer.endless_bytes);
            if (!SendAll(fd, answer.body.substr(0, lead))) {
                return;
            }
            const std::string chunk(64 * 1024, 'x');
            for (std::size_t sent = lead; sent < answer.endless_bytes; sent += chunk.size()) {
                const std::size_t size = std::min(chunk.size(), answer.endless_bytes - sent);
                if (!SendAll(fd, chunk.substr(0, size))) {
                    return;
                }
            }
            return;
        }
    }
}

}  // namespace ardelle::testing
