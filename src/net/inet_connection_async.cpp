#include "net/inet_connection_async.h"

#include <QNetworkAccessManager>
#include <QThread>

#include "net/bounded_request.h"

namespace ardelle::net {

CInetConnectionAsync::CInetConnectionAsync(Options options, UpdateCheckJob update_check)
    : options_(std::move(options)), update_check_(std::move(update_check)) {
    probe_thread_.reset(QThread::create([this] { ProbeLoop(); }));
    probe_thread_->start();
}

CInetConnectionAsync::~CInetConnectionAsync() {
    SetNoticeTarget(nullptr);
    StopCheck();
    StopProbes();
}

void CInetConnectionAsync::SetEnabled(bool enabled) {
    enabled_.store(enabled);
    if (!enabled) {
        connected_.store(false);
    }
    ProbeNow();
}

void CInetConnectionAsync::ProbeNow() {
    {
        std::lock_guard lock(probe_mutex_);
        probe_requested_ = true;
    }
    probe_wake_.notify_all();
}

void CInetConnectionAsync::ProbeLoop() {
    // The manager belongs to this thread; its proxy follows the user's environment.
    QNetworkAccessManager manager;
    manager.setProxyFactory(new EnvironmentProxyFactory(options_.proxy));
    manager.setAutoDeleteReplies(false);
    while (!stop_probes_.load()) {
        {
            std::lock_guard lock(probe_mutex_);
            probe_requested_ = false;
        }
        ProbeOnce(manager);
        std::unique_lock lock(probe_mutex_);
        probe_wake_.wait_for(lock, options_.period,
                             [this] { return probe_requested_ || stop_probes_.load(); });
    }
}

void CInetConnectionAsync::ProbeOnce(QNetworkAccessManager& manager) {
    bool reached = false;
    if (enabled_.load() && IsWebAddress(options_.probe_url)) {
        RequestLimits limits;
        limits.timeout = options_.probe_timeout;
        limits.max_body_bytes = 1024;
        const RequestResult result =
            BoundedRequest(manager, options_.probe_url, limits, &stop_probes_, true);
        // Any answer of the server's, an error status included, proves the way is open.
        reached = result.outcome != RequestOutcome::kCancelled && result.ServerAnswered();
    }
    // Switched off while the probe ran: the switch wins.
    connected_.store(reached && enabled_.load());
    completed_probes_.fetch_add(1);
}

void CInetConnectionAsync::StopProbes() {
    {
        std::lock_guard lock(probe_mutex_);
        stop_probes_.store(true);
    }
    probe_wake_.notify_all();
    probe_thread_->wait();
    probe_thread_.reset();
}

int CInetConnectionAsync::StartUpdateCheck(const std::string& firmware_version,
                                           const std::string& gps_data_version,
                                           const std::string& model_code) {
    if (update_started_) {
        return 1;
    }
    update_input_ = UpdateCheckInput{firmware_version, gps_data_version, model_code};
    check_thread_.reset(QThread::create([this] { RunCheck(); }));
    update_started_ = true;
    check_thread_->start();
    return 1;
}

void CInetConnectionAsync::RunCheck() {
    std::string notice;
    if (update_check_) {
        notice = update_check_(update_input_, cancel_check_);
    }
    if (!notice.empty() && !cancel_check_.load()) {
        std::lock_guard lock(notice_mutex_);
        if (notice_target_ != nullptr) {
            notice_text_ = std::move(notice);
            notice_target_->Post(PostedMessage{AppMessage::kUpdateNotice, 0, 0});
        }
    }
    update_ended_.store(true);
}

void CInetConnectionAsync::StopCheck() {
    if (!check_thread_) {
        return;
    }
    cancel_check_.store(true);
    // The job aborts its request within a few milliseconds of the flag; the wait is short.
    check_thread_->wait();
    check_thread_.reset();
}

void CInetConnectionAsync::SetNoticeTarget(MessageSink* target) {
    std::lock_guard lock(notice_mutex_);
    notice_target_ = target;
}

std::string CInetConnectionAsync::NoticeText() const {
    std::lock_guard lock(notice_mutex_);
    return notice_text_;
}

}  // namespace ardelle::net
