#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace ardelle {
class MessageSink;
}

namespace ardelle::catalogue {

// Polls the opened source every 100 ms on a thread of its own and posts kSourceVanished
// to the owner once when the path disappears (a card pulled out, a folder removed) or the
// volume it lies on is no longer mounted (a card unmounted from a fixed mount point such as
// /mnt/sd, whose empty folder stays behind).
class SourceWatcher {
  public:
    explicit SourceWatcher(MessageSink* owner,
                           std::chrono::milliseconds period = std::chrono::milliseconds(100));
    // Stops the thread and waits for it.
    ~SourceWatcher();
    SourceWatcher(const SourceWatcher&) = delete;
    SourceWatcher& operator=(const SourceWatcher&) = delete;

    // The path to watch; empty stops watching. Clears the lost flag. Notes the mount point
    // of the path's volume (none for the root filesystem). The thread starts with the
    // first path, so a catalogue that never watches never starts one.
    void SetSource(const std::string& path);
    std::string source() const;
    bool lost() const { return lost_; }

  private:
    void Run();

    MessageSink* owner_;
    std::chrono::milliseconds period_;
    mutable std::mutex mutex_;  // guards source_, mount_root_ and stop_
    std::condition_variable wake_;
    std::string source_;
    std::string mount_root_;  // empty: the path lies on the root filesystem
    bool stop_ = false;
    std::atomic<bool> lost_{false};
    std::thread thread_;  // owned by the thread that constructed the watcher
};

}  // namespace ardelle::catalogue
