#include <gtest/gtest.h>

#include <cstdlib>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <vector>

#include "base/messages.h"
#include "catalogue/source_watcher.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace ardelle::catalogue {
namespace {

using namespace std::chrono_literals;

// Collects posted messages and lets the test wait for them.
class RecordingSink : public MessageSink {
  public:
    void Post(const PostedMessage& message) override {
        std::lock_guard lock(mutex_);
        messages_.push_back(message);
        posted_.notify_all();
    }
    bool WaitFor(size_t count, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, limit, [&] { return messages_.size() >= count; });
    }
    std::vector<PostedMessage> messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<PostedMessage> messages_;
};

TEST(SourceWatcher, ReportsAVanishedSourceOnceWithinAFewPolls) {
    RecordingSink sink;
    testing::TempFolder folder;
    const std::string source = folder / "card";
    ASSERT_TRUE(platform::MakeFolders(source));
    SourceWatcher watcher(&sink);
    watcher.SetSource(source);
    std::this_thread::sleep_for(250ms);
    EXPECT_TRUE(sink.messages().empty());

    const auto pulled = std::chrono::steady_clock::now();
    std::filesystem::remove_all(source);
    ASSERT_TRUE(sink.WaitFor(1, 2000ms));
    const auto noticed = std::chrono::steady_clock::now() - pulled;
    EXPECT_LT(noticed, 1000ms);  // about one 100 ms poll; generous for loaded machines
    EXPECT_EQ(sink.messages()[0], (PostedMessage{AppMessage::kSourceVanished, 0, 0}));
    EXPECT_TRUE(watcher.lost());
    EXPECT_EQ(watcher.source(), "");

    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(sink.messages().size(), 1u);  // once, then idle

    ASSERT_TRUE(platform::MakeFolders(source));
    watcher.SetSource(source);
    EXPECT_FALSE(watcher.lost());
}

// A card mounted at a fixed point: unmounting leaves the folder, but not its mount.
TEST(SourceWatcher, ReportsAnUnmountedVolumeWhoseFolderStays) {
    RecordingSink sink;
    testing::TempFolder folder;
    const std::string mount_point = folder / "sd";
    ASSERT_TRUE(platform::MakeFolders(mount_point + "/Normal"));
    const std::string table = folder / "mounts.txt";
    ASSERT_TRUE(platform::WriteFileAtomically(table, "/\text4\t0\n" + mount_point + "\tvfat\t1\n"));
    ::setenv("ARDELLE_MOUNT_TABLE", table.c_str(), 1);
    {
        SourceWatcher watcher(&sink);
        watcher.SetSource(mount_point + "/Normal");
        std::this_thread::sleep_for(250ms);
        EXPECT_TRUE(sink.messages().empty());

        ASSERT_TRUE(platform::WriteFileAtomically(table, "/\text4\t0\n"));
        ASSERT_TRUE(sink.WaitFor(1, 5000ms));
        EXPECT_EQ(sink.messages()[0], (PostedMessage{AppMessage::kSourceVanished, 0, 0}));
        EXPECT_TRUE(watcher.lost());
        EXPECT_TRUE(platform::PathExists(mount_point + "/Normal"));
    }
    ::unsetenv("ARDELLE_MOUNT_TABLE");
}

TEST(SourceWatcher, StopsPromptlyWhenDestroyed) {
    RecordingSink sink;
    const auto start = std::chrono::steady_clock::now();
    {
        SourceWatcher watcher(&sink, 10s);
        watcher.SetSource("/");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_TRUE(sink.messages().empty());
}

}  // namespace
}  // namespace ardelle::catalogue
