#include "catalogue/source_watcher.h"

#include "base/messages.h"
#include "platform/files.h"
#include "platform/volumes.h"

namespace ardelle::catalogue {

SourceWatcher::SourceWatcher(MessageSink* owner, std::chrono::milliseconds period)
    : owner_(owner), period_(period) {}

SourceWatcher::~SourceWatcher() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SourceWatcher::SetSource(const std::string& path) {
    std::string mount_root;
    if (!path.empty()) {
        mount_root = platform::VolumeRootOf(path).value_or("/");
    }
    {
        std::lock_guard lock(mutex_);
        source_ = path;
        mount_root_ = mount_root == "/" ? std::string() : mount_root;
        lost_ = false;
    }
    if (!path.empty() && !thread_.joinable()) {
        thread_ = std::thread([this] { Run(); });
    }
}

std::string SourceWatcher::source() const {
    std::lock_guard lock(mutex_);
    return source_;
}

void SourceWatcher::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, period_, [this] { return stop_; });
        if (stop_ || source_.empty()) {
            continue;
        }
        const std::string watched = source_;
        const std::string mount_root = mount_root_;
        lock.unlock();
        const bool present = platform::PathExists(watched) &&
                             (mount_root.empty() || platform::IsMountPoint(mount_root));
        lock.lock();
        // Report only when the path is still the one that was looked at.
        if (present || stop_ || source_ != watched) {
            continue;
        }
        source_.clear();
        mount_root_.clear();
        lost_ = true;
        lock.unlock();
        if (owner_ != nullptr) {
            owner_->Post(PostedMessage{AppMessage::kSourceVanished, 0, 0});
        }
        lock.lock();
    }
}

}  // namespace ardelle::catalogue
