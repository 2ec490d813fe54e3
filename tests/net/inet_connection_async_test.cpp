#include "net/inet_connection_async.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "playback/notification_queue.h"
#include "support/local_http_server.h"
#include "support/qt_app.h"

namespace ardelle::net {
namespace {

using ardelle::playback::NotificationQueue;
using ardelle::testing::LocalHttpServer;
using ardelle::testing::ServedAnswer;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Polls a condition every 10 ms for at most timeout.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

CInetConnectionAsync::Options ProbeOptions(const std::string& url,
                                           std::chrono::milliseconds period = 200ms) {
    CInetConnectionAsync::Options options;
    options.probe_url = QUrl(QString::fromStdString(url));
    options.period = period;
    options.proxy = {};
    return options;
}

class ProberTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ardelle::testing::QtApp();
        ASSERT_TRUE(server_.IsListening());
        server_.Serve("/", ServedAnswer::Text("", 404));  // an error page still proves the way
    }
    LocalHttpServer server_;
};

TEST_F(ProberTest, DisabledProberReportsNothingAndSendsNothing) {
    CInetConnectionAsync prober(ProbeOptions(server_.Url("/")));
    ASSERT_TRUE(WaitUntil([&] { return prober.CompletedProbes() >= 3; }, 20s));
    EXPECT_FALSE(prober.IsEnabled());
    EXPECT_FALSE(prober.IsConnected());
    EXPECT_EQ(server_.TotalRequests(), 0);
}

TEST_F(ProberTest, FollowsTheSwitchAndTheServer) {
    CInetConnectionAsync prober(ProbeOptions(server_.Url("/")));
    prober.SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return prober.IsConnected(); }, 20s));
    // It goes on probing every period while enabled.
    ASSERT_TRUE(WaitUntil([&] { return server_.RequestCount("/") >= 3; }, 20s));

    prober.SetEnabled(false);
    EXPECT_FALSE(prober.IsConnected());  // at once, before any probe
    const int requests = server_.TotalRequests();
    const auto probes = prober.CompletedProbes();
    ASSERT_TRUE(WaitUntil([&] { return prober.CompletedProbes() >= probes + 3; }, 20s));
    EXPECT_FALSE(prober.IsConnected());
    EXPECT_LE(server_.TotalRequests(), requests + 1);  // at most the probe already under way

    prober.SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return prober.IsConnected(); }, 20s));
    server_.Stop();
    EXPECT_TRUE(WaitUntil([&] { return !prober.IsConnected(); }, 20s));
}

TEST_F(ProberTest, SetEnabledProbesAtOnceNotAtTheNextPeriod) {
    CInetConnectionAsync prober(ProbeOptions(server_.Url("/"), 60s));
    ASSERT_TRUE(WaitUntil([&] { return prober.CompletedProbes() >= 1; }, 20s));
    prober.SetEnabled(true);
    EXPECT_TRUE(WaitUntil([&] { return prober.IsConnected(); }, 20s));
    const int requests = server_.RequestCount("/");
    prober.ProbeNow();
    EXPECT_TRUE(WaitUntil([&] { return server_.RequestCount("/") > requests; }, 20s));
}

TEST_F(ProberTest, AProbeOfAServerThatNeverAnswersEndsWithinTwoSeconds) {
    server_.Serve("/", {ServedAnswer::Kind::kSilent, 200, {}, {}, 0});
    CInetConnectionAsync prober(ProbeOptions(server_.Url("/"), 60s));
    ASSERT_TRUE(WaitUntil([&] { return prober.CompletedProbes() >= 1; }, 20s));
    const auto start = Clock::now();
    prober.SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return prober.CompletedProbes() >= 2; }, 30s));
    const auto elapsed = Clock::now() - start;
    EXPECT_FALSE(prober.IsConnected());
    EXPECT_GE(elapsed, 1500ms);   // it did wait for the answer
    EXPECT_LT(elapsed, 2s + 5s);  // generous: the CPU is shared
    RecordProperty(
        "probe_ms",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
}

TEST_F(ProberTest, DestructionAbortsAHangingProbe) {
    server_.Serve("/", {ServedAnswer::Kind::kSilent, 200, {}, {}, 0});
    auto prober = std::make_unique<CInetConnectionAsync>(ProbeOptions(server_.Url("/"), 60s));
    prober->SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return server_.RequestCount("/") >= 1; }, 20s));
    const auto start = Clock::now();
    prober.reset();
    EXPECT_LT(Clock::now() - start, 1500ms);
}

TEST(ProberUpdateCheck, RunsOnceAndPostsTheNoticeToTheTarget) {
    ardelle::testing::QtApp();
    std::atomic<int> runs{0};
    UpdateCheckInput seen;
    CInetConnectionAsync prober(ProbeOptions(""),
                                [&](const UpdateCheckInput& input, const std::atomic<bool>&) {
                                    ++runs;
                                    seen = input;
                                    return std::string("notice");
                                });
    NotificationQueue sink;
    prober.SetNoticeTarget(&sink);
    EXPECT_FALSE(prober.UpdateStarted());
    EXPECT_EQ(prober.StartUpdateCheck("1.2.3", "240315", "MODEL-01"), 1);
    EXPECT_EQ(prober.StartUpdateCheck("9.9.9", "", "OTHER"), 1);
    ASSERT_TRUE(sink.WaitFor(AppMessage::kUpdateNotice, 20s));
    ASSERT_TRUE(WaitUntil([&] { return prober.UpdateCheckEnded(); }, 20s));
    EXPECT_EQ(runs.load(), 1);
    EXPECT_EQ(seen.firmware_version, "1.2.3");
    EXPECT_EQ(seen.gps_data_version, "240315");
    EXPECT_EQ(seen.model_code, "MODEL-01");
    EXPECT_EQ(sink.Count(AppMessage::kUpdateNotice), 0);  // only the one
    EXPECT_EQ(prober.NoticeText(), "notice");
}

TEST(ProberUpdateCheck, PostsNothingWithoutATargetOrWithoutANotice) {
    ardelle::testing::QtApp();
    for (const char* notice : {"notice", ""}) {
        NotificationQueue sink;
        CInetConnectionAsync prober(
            ProbeOptions(""),
            [&](const UpdateCheckInput&, const std::atomic<bool>&) { return std::string(notice); });
        if (notice[0] == '\0') {
            prober.SetNoticeTarget(&sink);
        }
        prober.StartUpdateCheck("", "", "");
        ASSERT_TRUE(WaitUntil([&] { return prober.UpdateCheckEnded(); }, 20s));
        EXPECT_TRUE(sink.Count(AppMessage::kUpdateNotice) == 0) << notice;
        EXPECT_EQ(prober.NoticeText(), "");
    }
}

TEST(ProberUpdateCheck, DestructionCancelsARunningCheckAndPostsNothing) {
    ardelle::testing::QtApp();
    NotificationQueue sink;
    std::atomic<bool> started{false};
    auto prober = std::make_unique<CInetConnectionAsync>(
        ProbeOptions(""), [&](const UpdateCheckInput&, const std::atomic<bool>& cancel) {
            started.store(true);
            while (!cancel.load()) {
                std::this_thread::sleep_for(5ms);
            }
            return std::string("too late");
        });
    prober->SetNoticeTarget(&sink);
    prober->StartUpdateCheck("", "", "");
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }, 20s));
    const auto start = Clock::now();
    prober.reset();
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_TRUE(sink.Count(AppMessage::kUpdateNotice) == 0);
}

}  // namespace
}  // namespace ardelle::net
