#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ardelle::testing {

// How the server answers one path.
struct ServedAnswer {
    enum class Kind {
        kFixed,     // status and body at once
        kRedirect,  // 302 to location
        kDrip,      // announces body.size() bytes, sends one of them a second
        kSilent,    // reads the request and never answers
        kEndless,   // announces endless_bytes, sends body and then 'x' as fast as they are read
        kHangUp,    // reads the request and closes without a word
    };
    Kind kind = Kind::kFixed;
    int status = 200;
    std::string body;
    std::string location;
    std::size_t endless_bytes = 0;

    static ServedAnswer Text(std::string body, int status = 200) {
        return {Kind::kFixed, status, std::move(body), {}, 0};
    }
};

// A threaded HTTP/1.1 server on 127.0.0.1 (a free port) for the tests: one thread accepts,
// one thread per connection answers one request and closes. It stops by itself after its
// lifetime or at destruction, whichever comes first; every wait inside is sliced so that
// stopping takes well under a second. Unknown paths get 404.
class LocalHttpServer {
  public:
    explicit LocalHttpServer(std::chrono::seconds lifetime = std::chrono::seconds(120));
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool IsListening() const { return listen_fd_ >= 0; }
    std::uint16_t port() const { return port_; }
    std::string Url(const std::string& path) const;

    void Serve(const std::string& path, ServedAnswer answer);
    int RequestCount(const std::string& path) const;
    int TotalRequests() const;
    // Stops accepting and closes every connection (the address then refuses).
    void Stop();

  private:
    void AcceptLoop();
    void Answer(int fd);
    bool SendAll(int fd, const std::string& bytes);
    bool Stopping() const;

    std::chrono::steady_clock::time_point end_of_life_;
    int listen_fd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;

    mutable std::mutex mutex_;  // routes, counts, connection threads
    std::map<std::string, ServedAnswer> routes_;
    std::map<std::string, int> counts_;
    int total_ = 0;
    std::vector<std::thread> connections_;
};

}  // namespace ardelle::testing
