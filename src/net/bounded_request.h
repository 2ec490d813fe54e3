#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QUrl>
#include <atomic>
#include <chrono>

namespace ardelle::net {

// What one request may cost at most.
struct RequestLimits {
    std::chrono::milliseconds timeout{5000};  // from sending to the last byte, whatever the pace
    qint64 max_body_bytes = 64 * 1024;        // reading stops there
    int max_redirects = 5;
};

enum class RequestOutcome {
    kComplete,      // a 2xx answer, read to its end
    kBodyLimit,     // a 2xx answer, reading stopped at max_body_bytes (the body holds that many)
    kHttpStatus,    // the server answered with another status
    kNetworkFault,  // no answer: refused, reset, DNS, TLS, proxy, redirect loop ...
    kTimedOut,
    kCancelled,
};

struct RequestResult {
    RequestOutcome outcome = RequestOutcome::kNetworkFault;
    int http_status = 0;  // 0 when no status line arrived
    QByteArray body;

    bool IsSuccess() const {
        return outcome == RequestOutcome::kComplete || outcome == RequestOutcome::kBodyLimit;
    }
    bool ServerAnswered() const { return http_status != 0; }
};

// True for http and https addresses with a host: the only ones Ardelle ever requests or opens.
bool IsWebAddress(const QUrl& url);

// A request with "Accept: */*", no compression (so the body limit counts what is read), no
// cache, and redirects followed only to addresses at least as safe.
QNetworkRequest PlainRequest(const QUrl& url, int max_redirects);

// Sends a GET (or HEAD) on the calling thread and waits for it in a local event loop,
// aborting it when the limits or the cancel flag say so (the flag is looked at every
// 20 ms). The calling thread must be a Qt thread that owns the manager.
RequestResult BoundedRequest(QNetworkAccessManager& manager, const QUrl& url,
                             const RequestLimits& limits, const std::atomic<bool>* cancel,
                             bool head_only = false);

}  // namespace ardelle::net
