#include "net/bounded_request.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <memory>

namespace ardelle::net {
namespace {

constexpr int kCancelPollMs = 20;

int StatusOf(const QNetworkReply& reply) {
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() ? status.toInt() : 0;
}

bool IsSuccessStatus(int status) {
    return status >= 200 && status < 300;
}

// Connection, TLS, redirect and proxy failures; the 2xx-4xx codes mirror HTTP statuses.
bool IsTransportFault(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

}  // namespace

bool IsWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QNetworkRequest PlainRequest(const QUrl& url, int max_redirects) {
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "*/*");
    // Set by hand, so Qt neither asks for nor unpacks a compressed body.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(max_redirects);
    return request;
}

RequestResult BoundedRequest(QNetworkAccessManager& manager, const QUrl& url,
                             const RequestLimits& limits, const std::atomic<bool>* cancel,
                             bool head_only) {
    RequestResult result;
    if (!IsWebAddress(url)) {
        return result;
    }
    if (cancel != nullptr && cancel->load()) {
        result.outcome = RequestOutcome::kCancelled;
        return result;
    }
    const QNetworkRequest request = PlainRequest(url, limits.max_redirects);
    std::unique_ptr<QNetworkReply> reply(head_only ? manager.head(request) : manager.get(request));
    bool timed_out = false;
    bool cancelled = false;
    bool limit_reached = false;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QTimer cancel_poll;

    const auto read_available = [&] {
        const qint64 room = limits.max_body_bytes - result.body.size();
        if (room > 0) {
            result.body.append(reply->read(room));
        }
        if (result.body.size() >= limits.max_body_bytes &&
            (!reply->isFinished() || reply->bytesAvailable() > 0)) {
            limit_reached = true;
            if (!reply->isFinished()) {
                reply->abort();
            }
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, read_available);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timed_out = true;
        reply->abort();
    });
    QObject::connect(&cancel_poll, &QTimer::timeout, &loop, [&] {
        if (cancel != nullptr && cancel->load()) {
            cancelled = true;
            reply->abort();
        }
    });
    if (!reply->isFinished()) {
        deadline.start(limits.timeout);
        cancel_poll.start(kCancelPollMs);
        loop.exec();
    }
    deadline.stop();
    cancel_poll.stop();
    if (!limit_reached && reply->error() == QNetworkReply::NoError) {
        read_available();  // what arrived with the end of the answer
    }
    result.http_status = StatusOf(*reply);
    if (cancelled) {
        result.outcome = RequestOutcome::kCancelled;
    } else if (limit_reached && IsSuccessStatus(result.http_status)) {
        result.outcome = RequestOutcome::kBodyLimit;
    } else if (timed_out) {
        result.outcome = RequestOutcome::kTimedOut;
    } else if (IsTransportFault(reply->error())) {
        result.outcome = RequestOutcome::kNetworkFault;
    } else if (result.http_status != 0 && !IsSuccessStatus(result.http_status)) {
        result.outcome = RequestOutcome::kHttpStatus;
    } else if (reply->error() != QNetworkReply::NoError || result.http_status == 0) {
        result.outcome = RequestOutcome::kNetworkFault;
    } else {
        result.outcome = RequestOutcome::kComplete;
    }
    if (!result.IsSuccess()) {
        result.body.clear();
    }
    return result;
}

}  // namespace ardelle::net
