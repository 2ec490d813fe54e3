#include "update/update_check.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QString>
#include <QStringList>
#include <chrono>
#include <iostream>
#include <map>
#include <thread>

#include "base/settings.h"
#include "base/ui_text.h"
#include "net/inet_connection_async.h"
#include "playback/notification_queue.h"
#include "support/local_http_server.h"
#include "support/qt_app.h"
#include "support/temp_folder.h"
#include "update/update_notice.h"

namespace ardelle::update {
namespace {

using ardelle::testing::LocalHttpServer;
using ardelle::testing::ServedAnswer;
using Kind = ServedAnswer::Kind;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

QUrl At(const LocalHttpServer& server, const std::string& path) {
    return QUrl(QString::fromStdString(server.Url(path)));
}

// Two models, the viewer and the GPS data, all on the test's server.
UpdateEndpoints ServerEndpoints(const LocalHttpServer& server) {
    UpdateEndpoints endpoints;
    endpoints.models = {{"MODEL-01", At(server, "/fw1.txt"), At(server, "/fw1.html")},
                        {"MODEL-02", At(server, "/fw2.txt"), At(server, "/fw2.html")}};
    endpoints.viewer_text = At(server, "/viewer.txt");
    endpoints.viewer_page = At(server, "/viewer.html");
    endpoints.gps_text = At(server, "/gps.txt");
    endpoints.gps_page = At(server, "/gps.html");
    return endpoints;
}

enum class Section { kFirmware = 108, kViewer = 110, kGps = 111 };

struct Expected {
    Section section;
    const char* current;
    const char* latest;
    const char* page_path;
};

std::string NoticeFor(const LocalHttpServer& server, const std::vector<Expected>& expected) {
    std::vector<UpdateItem> items;
    for (const Expected& e : expected) {
        items.push_back({QString::fromStdString(base::UiString(static_cast<int>(e.section))),
                         QString::fromUtf8(e.current), QString::fromUtf8(e.latest),
                         At(server, e.page_path).toString()});
    }
    return ComposeNotice(items).toStdString();
}

struct CheckCase {
    const char* name;
    net::UpdateCheckInput card;
    std::map<std::string, std::string> served;  // path -> body with status 200
    std::vector<Expected> items;
    std::vector<std::string> never_requested;
    bool gps_unreachable = false;
};

// Test names show the case, not its bytes.
void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

class UpdateCheckTest : public ::testing::TestWithParam<CheckCase> {
  protected:
    void SetUp() override {
        ardelle::testing::QtApp();
        ASSERT_TRUE(server_.IsListening());
    }
    LocalHttpServer server_;
};

TEST_P(UpdateCheckTest, ComparesInItsOrder) {
    const CheckCase& c = GetParam();
    for (const auto& [path, body] : c.served) {
        server_.Serve(path, ServedAnswer::Text(body));
    }
    UpdateEndpoints endpoints = ServerEndpoints(server_);
    if (c.gps_unreachable) {
        LocalHttpServer gone;
        endpoints.gps_text = At(gone, "/gps.txt");  // its port refuses once it is gone
    }
    const std::atomic<bool> cancel{false};
    const std::string notice = UpdateCheck(endpoints, {}, {}).Run(c.card, cancel);
    EXPECT_EQ(notice, c.items.empty() ? "" : NoticeFor(server_, c.items));
    for (const std::string& path : c.never_requested) {
        EXPECT_EQ(server_.RequestCount(path), 0) << path;
    }
}

const net::UpdateCheckInput kNoCard{};
const std::map<std::string, std::string> kSameViewer{{"/viewer.txt", "VER:1.0.0"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateCheckTest,
    ::testing::Values(
        CheckCase{"no_card_same_viewer", kNoCard, kSameViewer, {}, {"/fw1.txt", "/gps.txt"}},
        CheckCase{"no_card_newer_viewer",
                  kNoCard,
                  {{"/viewer.txt", "VER:1.0.1"}},
                  {{Section::kViewer, "1.0.0", "1.0.1", "/viewer.html"}},
                  {"/fw1.txt", "/fw2.txt", "/gps.txt"}},
        CheckCase{"trailing_line_break_differs",
                  kNoCard,
                  {{"/viewer.txt", "VER:1.0.0\r\n"}},
                  {{Section::kViewer, "1.0.0", "1.0.0\r\n", "/viewer.html"}},
                  {}},
        CheckCase{"older_viewer_counts",
                  kNoCard,
                  {{"/viewer.txt", "VER:0.9.9"}},
                  {{Section::kViewer, "1.0.0", "0.9.9", "/viewer.html"}},
                  {}},
        CheckCase{"firmware_cut_alike",
                  {"1.2.3", "", "MODEL-01"},
                  {{"/fw1.txt", "VER:1.2.3.4"}, {"/viewer.txt", "VER:1.0.0"}},
                  {},
                  {"/fw2.txt", "/gps.txt"}},
        CheckCase{"firmware_any_difference",
                  {"1.2.3", "", "MODEL-02"},
                  {{"/fw2.txt", "VER:1.2.2"}, {"/viewer.txt", "VER:1.0.0"}},
                  {{Section::kFirmware, "1.2.3", "1.2.2", "/fw2.html"}},
                  {"/fw1.txt"}},
        CheckCase{"unknown_model_asks_for_no_firmware",
                  {"1.2.3", "", "MODEL-99"},
                  {{"/viewer.txt", "VER:1.0.1"}},
                  {{Section::kViewer, "1.0.0", "1.0.1", "/viewer.html"}},
                  {"/fw1.txt", "/fw2.txt"}},
        CheckCase{"model_code_is_case_sensitive",
                  {"1.2.3", "", "model-01"},
                  kSameViewer,
                  {},
                  {"/fw1.txt"}},
        CheckCase{"no_gps_data_on_the_card",
                  {"1.2.3", "", "MODEL-01"},
                  {{"/fw1.txt", "VER:1.2.3"}, {"/viewer.txt", "VER:1.0.0"}},
                  {},
                  {"/gps.txt"}},
        CheckCase{"gps_dates",
                  {"", "240315", ""},
                  {{"/viewer.txt", "VER:1.0.0"}, {"/gps.txt", "240401"}},
                  {{Section::kGps, "24/03/15", "24/04/01", "/gps.html"}},
                  {}},
        CheckCase{"gps_unreachable_silences_everything",
                  {"1.2.3", "240315", "MODEL-01"},
                  {{"/fw1.txt", "VER:2.0.0"}, {"/viewer.txt", "VER:1.0.1"}},
                  {},
                  {},
                  true},
        CheckCase{
            "all_three_in_order",
            {"1.2.3", "240315", "MODEL-01"},
            {{"/fw1.txt", "VER:1.3.0.7"}, {"/viewer.txt", "VER:1.1.0"}, {"/gps.txt", "240401"}},
            {{Section::kFirmware, "1.2.3", "1.3.0", "/fw1.html"},
             {Section::kViewer, "1.0.0", "1.1.0", "/viewer.html"},
             {Section::kGps, "24/03/15", "24/04/01", "/gps.html"}},
            {"/fw2.txt"}}),
    [](const ::testing::TestParamInfo<CheckCase>& param) { return param.param.name; });

TEST(UpdateCheckConfiguration, NothingConfiguredSendsNothingAndSaysNothing) {
    ardelle::testing::QtApp();
    LocalHttpServer server;
    const std::atomic<bool> cancel{false};
    EXPECT_EQ(UpdateCheck({}, {}, {}).Run({"1.2.3", "240315", "MODEL-01"}, cancel), "");
    // An item without its page is not checked either.
    UpdateEndpoints endpoints = ServerEndpoints(server);
    endpoints.models.clear();
    endpoints.viewer_page = QUrl();
    endpoints.gps_page = QUrl();
    EXPECT_EQ(UpdateCheck(endpoints, {}, {}).Run({"1.2.3", "240315", "MODEL-01"}, cancel), "");
    EXPECT_EQ(server.TotalRequests(), 0);
}

TEST(UpdateCheckConfiguration, EndpointsComeFromTheSettingsFile) {
    testing::TempFolder folder;
    base::SettingsFile settings(folder / "Default_Folder.ini");
    const std::map<std::string, std::string> keys = {
        {"MODEL1_CODE", "MODEL-01"},
        {"MODEL1_VERSION_URL", "http://127.0.0.1:9/fw1.txt"},
        {"MODEL1_PAGE_URL", "https://127.0.0.1/fw1"},
        {"MODEL2_CODE", "MODEL-02"},  // no addresses: not a row
        {"MODEL3_CODE", "MODEL-03"},
        {"MODEL3_VERSION_URL", "file:///etc/passwd"},  // not a web address
        {"MODEL3_PAGE_URL", "http://127.0.0.1/fw3"},
        {"VIEWER_VERSION_URL", "http://127.0.0.1/viewer.txt"},
        {"VIEWER_PAGE_URL", "javascript:alert(1)"},
        {"GPS_VERSION_URL", "http://127.0.0.1/gps.txt"},
        {"GPS_PAGE_URL", "http://127.0.0.1/gps"},
    };
    for (const auto& [key, value] : keys) {
        ASSERT_TRUE(settings.Write(kUpdateSection, key, value));
    }
    const UpdateEndpoints endpoints = EndpointsFromSettings(settings);
    ASSERT_EQ(endpoints.models.size(), 1u);
    EXPECT_EQ(endpoints.models[0].model_code, "MODEL-01");
    EXPECT_EQ(endpoints.models[0].firmware_page.toString().toStdString(), "https://127.0.0.1/fw1");
    EXPECT_FALSE(endpoints.HasViewer());
    EXPECT_TRUE(endpoints.HasGpsData());
    EXPECT_EQ(endpoints.FindModel("MODEL-03"), nullptr);
    EXPECT_TRUE(EndpointsFromSettings(base::SettingsFile(folder / "none.ini")).IsEmpty());
}

// Servers that misbehave: each check ends within its bound and shows nothing, or the
// server's text as plain characters.
struct HostileCase {
    const char* name;
    ServedAnswer viewer;
    ServedAnswer gps;  // asked for only when the card has GPS data
    bool card_with_gps;
    bool notice;
};

// Test names show the case, not its bytes.
void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class HostileServerTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileServerTest, EndsWithinTheBoundAndAddsNoMarkup) {
    ardelle::testing::QtApp();
    const HostileCase& c = GetParam();
    LocalHttpServer server;
    server.Serve("/viewer.txt", c.viewer);
    server.Serve("/gps.txt", c.gps);
    server.Serve("/loop", {Kind::kRedirect, 302, {}, "/loop", 0});
    UpdateEndpoints endpoints = ServerEndpoints(server);
    endpoints.models.clear();
    const UpdateCheckLimits limits;
    const std::atomic<bool> cancel{false};
    const auto start = Clock::now();
    const std::string notice =
        UpdateCheck(endpoints, limits, {}).Run({"", c.card_with_gps ? "240315" : "", ""}, cancel);
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    std::cout << "[ timing ] " << c.name << ": " << elapsed.count() << " ms\n";
    RecordProperty("elapsed_ms", static_cast<int>(elapsed.count()));
    EXPECT_LT(elapsed, limits.check_timeout + 10s);  // generous: the CPU is shared
    EXPECT_EQ(!notice.empty(), c.notice) << notice;
    const QString text = QString::fromStdString(notice);
    EXPECT_LE(text.size(), kNoticeMaxChars);
    // The only markup is one anchor per item, each to a configured page.
    const QStringList pages = {At(server, "/viewer.html").toString(),
                               At(server, "/gps.html").toString()};
    const QStringList anchors = text.split(QStringLiteral("<a href=\"")).mid(1);
    EXPECT_EQ(text.count(QLatin1Char('<')), 2 * anchors.size());
    for (const QString& anchor : anchors) {
        EXPECT_TRUE(pages.contains(anchor.section(QLatin1Char('"'), 0, 0))) << notice;
    }
    EXPECT_FALSE(text.contains(QStringLiteral("<script")));
}

const ServedAnswer kViewerNewer = ServedAnswer::Text("VER:1.0.1");

INSTANTIATE_TEST_SUITE_P(
    Servers, HostileServerTest,
    ::testing::Values(
        HostileCase{"fifty_megabytes_after_the_marker",
                    {Kind::kEndless, 200, "VER:1.0.1", {}, 50u << 20},
                    {},
                    false,
                    true},
        HostileCase{"fifty_megabytes_of_gps_text",
                    kViewerNewer,
                    {Kind::kEndless, 200, "240401", {}, 50u << 20},
                    true,
                    false},
        HostileCase{"drip", {Kind::kDrip, 200, "VER:1.0.1", {}, 0}, {}, false, false},
        HostileCase{"never_answers", {Kind::kSilent, 200, {}, {}, 0}, {}, false, false},
        HostileCase{
            "gps_never_answers", kViewerNewer, {Kind::kSilent, 200, {}, {}, 0}, true, false},
        HostileCase{"hangs_up", {Kind::kHangUp, 200, {}, {}, 0}, {}, false, false},
        HostileCase{"binary_garbage",
                    ServedAnswer::Text(std::string("\x89\xff\0VER:1.0.1\x01", 14)),
                    {},
                    false,
                    false},
        HostileCase{"garbage_version",
                    ServedAnswer::Text(std::string("VER:1.\xff\x01\x7f\x1b[2J", 12)),
                    {},
                    false,
                    true},
        HostileCase{"markup_and_script",
                    ServedAnswer::Text("VER:1.0.1\"><a href=\"http://evil.test\">go</a>"
                                       "<script>alert(1)</script>"),
                    ServedAnswer::Text("<a href=\"http://evil.test\">240401</a>"), true, true},
        HostileCase{"redirect_loop", {Kind::kRedirect, 302, {}, "/loop", 0}, {}, false, false},
        HostileCase{"not_found", ServedAnswer::Text("VER:1.0.1", 404), {}, false, false},
        HostileCase{"server_error", kViewerNewer, ServedAnswer::Text("240401", 500), true, false},
        HostileCase{
            "long_version", ServedAnswer::Text("VER:" + std::string(5000, '&')), {}, false, true}),
    [](const ::testing::TestParamInfo<HostileCase>& param) { return param.param.name; });

TEST(UpdateCheckBounds, TheWholeCheckStopsAtItsDeadline) {
    ardelle::testing::QtApp();
    LocalHttpServer server;
    for (const char* path : {"/fw1.txt", "/viewer.txt", "/gps.txt"}) {
        server.Serve(path, {Kind::kSilent, 200, {}, {}, 0});
    }
    UpdateCheckLimits limits;
    limits.request_timeout = 2s;
    limits.check_timeout = 3s;
    const std::atomic<bool> cancel{false};
    const auto start = Clock::now();
    EXPECT_EQ(UpdateCheck(ServerEndpoints(server), limits, {})
                  .Run({"1.2.3", "240315", "MODEL-01"}, cancel),
              "");
    EXPECT_LT(Clock::now() - start, limits.check_timeout + 5s);
    EXPECT_EQ(server.RequestCount("/fw1.txt"), 1);  // a timed-out request is not sent again
    // The viewer gets the second that is left; the GPS data at most the odd millisecond.
    EXPECT_EQ(server.RequestCount("/viewer.txt"), 1);
    EXPECT_LE(server.RequestCount("/gps.txt"), 1);
}

TEST(UpdateCheckBounds, AnUnansweredRequestIsTriedAFewTimesOnly) {
    ardelle::testing::QtApp();
    LocalHttpServer server;
    server.Serve("/viewer.txt", {Kind::kHangUp, 200, {}, {}, 0});
    UpdateEndpoints endpoints = ServerEndpoints(server);
    endpoints.models.clear();
    const UpdateCheckLimits limits;
    const std::atomic<bool> cancel{false};
    EXPECT_EQ(UpdateCheck(endpoints, limits, {}).Run({}, cancel), "");
    EXPECT_GE(server.RequestCount("/viewer.txt"), limits.read_attempts);
    // Qt itself may resend a request once on a closed connection.
    EXPECT_LE(server.RequestCount("/viewer.txt"), 2 * limits.read_attempts);
}

TEST(UpdateCheckThroughProber, PostsTheNoticeAndShutdownAbortsAHangingCheck) {
    ardelle::testing::QtApp();
    LocalHttpServer server;
    server.Serve("/viewer.txt", ServedAnswer::Text("VER:1.0.1"));
    UpdateEndpoints endpoints = ServerEndpoints(server);
    endpoints.models.clear();
    {
        playback::NotificationQueue sink;
        net::CInetConnectionAsync prober({QUrl(), 1000ms, 2000ms, {}},
                                         MakeUpdateCheckJob(endpoints, {}, {}));
        prober.SetNoticeTarget(&sink);
        prober.StartUpdateCheck("", "", "");
        ASSERT_TRUE(sink.WaitFor(AppMessage::kUpdateNotice, 30s));
        EXPECT_EQ(prober.NoticeText(),
                  NoticeFor(server, {{Section::kViewer, "1.0.0", "1.0.1", "/viewer.html"}}));
    }
    server.Serve("/viewer.txt", {Kind::kSilent, 200, {}, {}, 0});
    playback::NotificationQueue sink;
    auto prober = std::make_unique<net::CInetConnectionAsync>(
        net::CInetConnectionAsync::Options{QUrl(), 1000ms, 2000ms, {}},
        MakeUpdateCheckJob(endpoints, {}, {}));
    prober->SetNoticeTarget(&sink);
    prober->StartUpdateCheck("", "", "");
    const auto asked = Clock::now() + 20s;
    while (server.RequestCount("/viewer.txt") < 1 && Clock::now() < asked) {
        std::this_thread::sleep_for(10ms);
    }
    const auto start = Clock::now();
    prober.reset();
    const auto shutdown =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    std::cout << "[ timing ] shutdown during a hanging check: " << shutdown.count() << " ms\n";
    EXPECT_LT(shutdown, 1500ms);
    EXPECT_TRUE(sink.Count(AppMessage::kUpdateNotice) == 0);
}

}  // namespace
}  // namespace ardelle::update
