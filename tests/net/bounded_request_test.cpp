#include "net/bounded_request.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QNetworkAccessManager>
#include <chrono>
#include <thread>

#include "support/local_http_server.h"
#include "support/qt_app.h"

namespace ardelle::net {
namespace {

using ardelle::testing::LocalHttpServer;
using ardelle::testing::ServedAnswer;
using Kind = ServedAnswer::Kind;
using namespace std::chrono_literals;

struct RequestCase {
    const char* name;
    ServedAnswer answer;
    RequestOutcome outcome;
    int status;
    qsizetype body_size;
};

// Test names show the case, not its bytes.
void PrintTo(const RequestCase& c, std::ostream* os) {
    *os << c.name;
}

class BoundedRequestTest : public ::testing::TestWithParam<RequestCase> {
  protected:
    void SetUp() override { ardelle::testing::QtApp(); }
};

// Every answer, friendly or hostile, ends within the request's limits.
TEST_P(BoundedRequestTest, EndsWithinItsLimits) {
    const RequestCase& c = GetParam();
    LocalHttpServer server;
    ASSERT_TRUE(server.IsListening());
    server.Serve("/text", c.answer);
    server.Serve("/loop", {Kind::kRedirect, 302, {}, "/loop", 0});
    QNetworkAccessManager manager;
    manager.setAutoDeleteReplies(false);
    RequestLimits limits;
    limits.timeout = 1500ms;
    limits.max_body_bytes = 64 * 1024;
    const auto start = std::chrono::steady_clock::now();
    const RequestResult result =
        BoundedRequest(manager, QUrl(QString::fromStdString(server.Url("/text"))), limits, nullptr);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.http_status, c.status);
    EXPECT_EQ(result.body.size(), c.body_size);
    EXPECT_LT(elapsed, limits.timeout + 5s);  // generous: the CPU is shared
    RecordProperty(
        "elapsed_ms",
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BoundedRequestTest,
    ::testing::Values(
        RequestCase{"ok", ServedAnswer::Text("VER:1.0.1"), RequestOutcome::kComplete, 200, 9},
        RequestCase{"not_found", ServedAnswer::Text("VER:9.9.9", 404), RequestOutcome::kHttpStatus,
                    404, 0},
        RequestCase{"server_error", ServedAnswer::Text("VER:9.9.9", 500),
                    RequestOutcome::kHttpStatus, 500, 0},
        RequestCase{"fifty_megabytes",
                    {Kind::kEndless, 200, {}, {}, 50u << 20},
                    RequestOutcome::kBodyLimit,
                    200,
                    64 * 1024},
        RequestCase{"drip",
                    {Kind::kDrip, 200, std::string(100, 'd'), {}, 0},
                    RequestOutcome::kTimedOut,
                    200,
                    0},
        RequestCase{
            "never_answers", {Kind::kSilent, 200, {}, {}, 0}, RequestOutcome::kTimedOut, 0, 0},
        RequestCase{"redirect_loop",
                    {Kind::kRedirect, 302, {}, "/loop", 0},
                    RequestOutcome::kNetworkFault,
                    302,
                    0}),
    [](const ::testing::TestParamInfo<RequestCase>& param) { return param.param.name; });

TEST(BoundedRequest, RedirectLoopStopsAfterTheAllowedRedirects) {
    ardelle::testing::QtApp();
    LocalHttpServer server;
    server.Serve("/loop", {Kind::kRedirect, 302, {}, "/loop", 0});
    QNetworkAccessManager manager;
    RequestLimits limits;
    limits.max_redirects = 3;
    BoundedRequest(manager, QUrl(QString::fromStdString(server.Url("/loop"))), limits, nullptr);
    // Qt sends one request past the allowed redirects before it gives up.
    EXPECT_GE(server.RequestCount("/loop"), limits.max_redirects);
    EXPECT_LE(server.RequestCount("/loop"), limits.max_redirects + 2);
}

TEST(BoundedRequest, CancelAbortsAHangingRequestAtOnce) {
    ardelle::testing::QtApp();
    LocalHttpServer server;
    server.Serve("/hang", {Kind::kSilent, 200, {}, {}, 0});
    QNetworkAccessManager manager;
    std::atomic<bool> cancel{false};
    std::thread canceller([&] {
        std::this_thread::sleep_for(300ms);
        cancel.store(true);
    });
    RequestLimits limits;
    limits.timeout = 60s;
    const auto start = std::chrono::steady_clock::now();
    const RequestResult result =
        BoundedRequest(manager, QUrl(QString::fromStdString(server.Url("/hang"))), limits, &cancel);
    canceller.join();
    EXPECT_EQ(result.outcome, RequestOutcome::kCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST(BoundedRequest, RefusesAddressesThatAreNotWebAddressesAndClosedPorts) {
    ardelle::testing::QtApp();
    QNetworkAccessManager manager;
    for (const char* address : {"file:///etc/passwd", "ftp://127.0.0.1/", "http:///nohost", ""}) {
        EXPECT_EQ(BoundedRequest(manager, QUrl(QString::fromLatin1(address)), {}, nullptr).outcome,
                  RequestOutcome::kNetworkFault)
            << address;
    }
    LocalHttpServer server;
    const std::string closed = server.Url("/text");
    server.Stop();
    const RequestResult result =
        BoundedRequest(manager, QUrl(QString::fromStdString(closed)), {}, nullptr);
    EXPECT_EQ(result.outcome, RequestOutcome::kNetworkFault);
    EXPECT_FALSE(result.ServerAnswered());
}

}  // namespace
}  // namespace ardelle::net
