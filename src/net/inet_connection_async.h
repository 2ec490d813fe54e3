#pragma once

#include <QUrl>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/messages.h"
#include "net/proxy_rule.h"

class QNetworkAccessManager;
class QThread;

namespace ardelle::net {

// The recorder's versions the update check compares with the server's.
struct UpdateCheckInput {
    std::string firmware_version;
    std::string gps_data_version;
    std::string model_code;
};

// The update check itself, run once on the prober's check thread: it returns the notice text,
// or an empty text when there is nothing to tell. It must return soon after cancel is set.
using UpdateCheckJob =
    std::function<std::string(const UpdateCheckInput& input, const std::atomic<bool>& cancel)>;

// Tells whether the map service can be reached, probing on a thread of its own, and carries
// the one update check of a run on a second thread.
class CInetConnectionAsync {
  public:
    struct Options {
        QUrl probe_url;  // the map service's root address; nothing valid: never connected
        std::chrono::milliseconds period{1000};
        std::chrono::milliseconds probe_timeout{2000};
        ProxyEnvironment proxy = ProxyEnvironment::FromProcess();
    };

    // Starts the probe thread at once (disabled: it reports not connected without any traffic).
    explicit CInetConnectionAsync(Options options, UpdateCheckJob update_check = {});
    // Clears the notice target, aborts and joins the check, then stops the probe thread.
    ~CInetConnectionAsync();
    CInetConnectionAsync(const CInetConnectionAsync&) = delete;
    CInetConnectionAsync& operator=(const CInetConnectionAsync&) = delete;

    // The result of the last probe; false while disabled. Any thread, never blocks.
    bool IsConnected() const { return connected_.load(); }
    bool IsEnabled() const { return enabled_.load(); }
    // The map display switch. Switching off reports not connected at once; either way one
    // probe runs at once on the probe thread. Never blocks.
    void SetEnabled(bool enabled);
    // Asks the probe thread for a probe now instead of at its next period. Never blocks.
    void ProbeNow();
    // Probes finished so far (for waiting on a result).
    std::uint64_t CompletedProbes() const { return completed_probes_.load(); }

    // The first call copies the texts and starts the check thread; later calls do nothing.
    // Returns 1.
    int StartUpdateCheck(const std::string& firmware_version, const std::string& gps_data_version,
                         const std::string& model_code);
    bool UpdateStarted() const { return update_started_; }
    // True once the check thread has ended.
    bool UpdateCheckEnded() const { return update_ended_.load(); }

    // Where the notice (AppMessage::kUpdateNotice) goes; nullptr posts nothing.
    void SetNoticeTarget(MessageSink* target);
    // The notice text, complete when kUpdateNotice arrives.
    std::string NoticeText() const;

  private:
    void ProbeLoop();
    void ProbeOnce(QNetworkAccessManager& manager);
    void RunCheck();
    void StopCheck();
    void StopProbes();

    Options options_;
    UpdateCheckJob update_check_;

    std::unique_ptr<QThread> probe_thread_;
    std::unique_ptr<QThread> check_thread_;  // the UI thread only

    // Probe state. The flags are atomics read from any thread; the wake-up request and the
    // stop flag are guarded by probe_mutex_, which is never held during a probe.
    std::atomic<bool> connected_{false};
    std::atomic<bool> enabled_{false};
    std::atomic<std::uint64_t> completed_probes_{0};
    std::atomic<bool> stop_probes_{false};
    std::mutex probe_mutex_;
    std::condition_variable probe_wake_;
    bool probe_requested_ = false;

    // Update check: the flag and the copies are written on the UI thread before the check
    // thread starts, which only reads them.
    bool update_started_ = false;
    UpdateCheckInput update_input_;
    std::atomic<bool> cancel_check_{false};
    std::atomic<bool> update_ended_{false};

    // The notice target and text are shared with the check thread under notice_mutex_.
    mutable std::mutex notice_mutex_;
    MessageSink* notice_target_ = nullptr;
    std::string notice_text_;
};

}  // namespace ardelle::net
