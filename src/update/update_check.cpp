#include "update/update_check.h"

#include <QNetworkAccessManager>
#include <QThread>
#include <algorithm>
#include <vector>

#include "net/bounded_request.h"
#include "update/update_notice.h"
#include "update/version_text.h"

namespace ardelle::update {
namespace {

constexpr int kFirmwareSection = 108;
constexpr int kViewerSection = 110;
constexpr int kGpsSection = 111;

QString Page(const QUrl& url) {
    return url.toString(QUrl::FullyEncoded);
}

// Waits for pause unless the check is cancelled meanwhile.
void PauseUnlessCancelled(std::chrono::milliseconds pause, const std::atomic<bool>& cancel) {
    const auto end = std::chrono::steady_clock::now() + pause;
    while (!cancel.load() && std::chrono::steady_clock::now() < end) {
        QThread::msleep(20);
    }
}

}  // namespace

UpdateCheck::UpdateCheck(UpdateEndpoints endpoints, UpdateCheckLimits limits,
                         net::ProxyEnvironment proxy)
    : endpoints_(std::move(endpoints)), limits_(limits), proxy_(std::move(proxy)) {}

std::optional<QString> UpdateCheck::Download(QNetworkAccessManager& manager, const QUrl& url,
                                             bool with_marker, Clock::time_point deadline,
                                             const std::atomic<bool>& cancel) const {
    for (int attempt = 0; attempt < limits_.read_attempts; ++attempt) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || cancel.load()) {
            return std::nullopt;
        }
        net::RequestLimits request;
        request.timeout = std::min(limits_.request_timeout, left);
        // With the marker only the first bytes count, so no more are read.
        request.max_body_bytes = with_marker ? kMarkerTextBytes : limits_.max_text_bytes;
        request.max_redirects = limits_.max_redirects;
        const net::RequestResult result = net::BoundedRequest(manager, url, request, &cancel);
        if (result.outcome == net::RequestOutcome::kComplete ||
            (with_marker && result.outcome == net::RequestOutcome::kBodyLimit)) {
            return VersionFromBody(result.body, with_marker);
        }
        // A status, a text too long, a timeout or a cancel is final; only a request that got
        // no answer at all is tried again.
        if (result.outcome != net::RequestOutcome::kNetworkFault) {
            return std::nullopt;
        }
        if (attempt + 1 < limits_.read_attempts) {
            PauseUnlessCancelled(limits_.retry_pause, cancel);
        }
    }
    return std::nullopt;
}

std::string UpdateCheck::Run(const net::UpdateCheckInput& input,
                             const std::atomic<bool>& cancel) const {
    if (endpoints_.IsEmpty()) {
        return {};
    }
    const Clock::time_point deadline = Clock::now() + limits_.check_timeout;
    QNetworkAccessManager manager;
    manager.setProxyFactory(new net::EnvironmentProxyFactory(proxy_));
    manager.setAutoDeleteReplies(false);
    std::vector<UpdateItem> items;

    if (const ModelEndpoint* model = endpoints_.FindModel(input.model_code)) {
        const auto served = Download(manager, model->firmware_text, true, deadline, cancel);
        if (served && !input.firmware_version.empty()) {
            const QString current = CutVersion(QString::fromStdString(input.firmware_version));
            const QString latest = CutVersion(*served);
            if (current != latest) {
                items.push_back(
                    {UiQString(kFirmwareSection), current, latest, Page(model->firmware_page)});
            }
        }
    }
    if (endpoints_.HasViewer()) {
        const auto served = Download(manager, endpoints_.viewer_text, true, deadline, cancel);
        if (served && *served != QLatin1String(kViewerVersion)) {
            items.push_back({UiQString(kViewerSection), QString::fromLatin1(kViewerVersion),
                             *served, Page(endpoints_.viewer_page)});
        }
    }
    if (!input.gps_data_version.empty() && endpoints_.HasGpsData()) {
        const auto served = Download(manager, endpoints_.gps_text, false, deadline, cancel);
        if (!served) {
            return {};  // the GPS data could not be compared: no notice at all
        }
        const QString current = DateForm(QString::fromStdString(input.gps_data_version));
        const QString latest = DateForm(*served);
        if (current != latest) {
            items.push_back({UiQString(kGpsSection), current, latest, Page(endpoints_.gps_page)});
        }
    }
    if (cancel.load()) {
        return {};
    }
    return ComposeNotice(items).toStdString();
}

net::UpdateCheckJob MakeUpdateCheckJob(UpdateEndpoints endpoints, UpdateCheckLimits limits,
                                       net::ProxyEnvironment proxy) {
    auto check = std::make_shared<UpdateCheck>(std::move(endpoints), limits, std::move(proxy));
    return [check](const net::UpdateCheckInput& input, const std::atomic<bool>& cancel) {
        return check->Run(input, cancel);
    };
}

}  // namespace ardelle::update
