#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>

#include "net/inet_connection_async.h"
#include "net/proxy_rule.h"
#include "update/update_endpoints.h"

class QNetworkAccessManager;

namespace ardelle::update {

// What the whole check may cost at most.
struct UpdateCheckLimits {
    std::chrono::milliseconds request_timeout{5000};
    std::chrono::milliseconds check_timeout{15000};
    int max_text_bytes = 64 * 1024;
    int read_attempts = 3;  // a request that got no answer is sent again, up to this many times
    std::chrono::milliseconds retry_pause{200};
    int max_redirects = 5;
};

// The comparison of the recorder's, the viewer's and the GPS data's versions with the texts
// on the server: firmware, viewer, GPS data, in that order. Runs on the check thread, which
// owns its own network access.
class UpdateCheck {
  public:
    UpdateCheck(UpdateEndpoints endpoints, UpdateCheckLimits limits = {},
                net::ProxyEnvironment proxy = net::ProxyEnvironment::FromProcess());

    // The notice text (UTF-8), empty when nothing differs, nothing is configured, a text
    // cannot be had or the check was cancelled.
    std::string Run(const net::UpdateCheckInput& input, const std::atomic<bool>& cancel) const;

  private:
    using Clock = std::chrono::steady_clock;
    std::optional<QString> Download(QNetworkAccessManager& manager, const QUrl& url,
                                    bool with_marker, Clock::time_point deadline,
                                    const std::atomic<bool>& cancel) const;

    UpdateEndpoints endpoints_;
    UpdateCheckLimits limits_;
    net::ProxyEnvironment proxy_;
};

// The check as the prober runs it on its check thread.
net::UpdateCheckJob MakeUpdateCheckJob(
    UpdateEndpoints endpoints, UpdateCheckLimits limits = {},
    net::ProxyEnvironment proxy = net::ProxyEnvironment::FromProcess());

}  // namespace ardelle::update
