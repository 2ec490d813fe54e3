#include "net/proxy_rule.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>

namespace ardelle::net {
namespace {

struct ProxyCase {
    const char* name;
    const char* url;
    ProxyEnvironment environment;
    QNetworkProxy::ProxyType type;
    const char* host;  // the proxy's, when there is one
    int port;
};

// Test names show the case, not its bytes.
void PrintTo(const ProxyCase& c, std::ostream* os) {
    *os << c.name;
}

class ProxyForUrlTest : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyForUrlTest, FollowsTheEnvironment) {
    const ProxyCase& c = GetParam();
    const QNetworkProxy proxy = ProxyForUrl(QUrl(QString::fromLatin1(c.url)), c.environment);
    EXPECT_EQ(proxy.type(), c.type);
    if (c.type != QNetworkProxy::NoProxy) {
        EXPECT_EQ(proxy.hostName().toStdString(), c.host);
        EXPECT_EQ(proxy.port(), c.port);
    }
}

constexpr auto kNone = QNetworkProxy::NoProxy;
constexpr auto kHttp = QNetworkProxy::HttpProxy;

INSTANTIATE_TEST_SUITE_P(
    Cases, ProxyForUrlTest,
    ::testing::Values(
        ProxyCase{"unset", "http://example.org/", {}, kNone, "", 0},
        ProxyCase{"http",
                  "http://example.org/v.txt",
                  {"proxy.lan:3128", "", ""},
                  kHttp,
                  "proxy.lan",
                  3128},
        // An https address uses only https_proxy.
        ProxyCase{"https_without_its_own",
                  "https://example.org/",
                  {"proxy.lan:3128", "", ""},
                  kNone,
                  "",
                  0},
        ProxyCase{"https",
                  "https://example.org/",
                  {"", "http://user:pw@sec.lan:8080/", ""},
                  kHttp,
                  "sec.lan",
                  8080},
        ProxyCase{"default_port",
                  "http://example.org/",
                  {"http://proxy.lan", "", ""},
                  kHttp,
                  "proxy.lan",
                  1080},
        ProxyCase{"socks",
                  "https://example.org/",
                  {"", "socks5h://s.lan:1081", ""},
                  QNetworkProxy::Socks5Proxy,
                  "s.lan",
                  1081},
        ProxyCase{"exempt_domain",
                  "http://tiles.example.org/",
                  {"proxy.lan:3128", "", "intra.lan, .example.org"},
                  kNone,
                  "",
                  0},
        ProxyCase{"exempt_suffix_only_on_dot",
                  "http://badexample.org/",
                  {"proxy.lan:3128", "", "example.org"},
                  kHttp,
                  "proxy.lan",
                  3128},
        ProxyCase{"exempt_all", "http://example.org/", {"proxy.lan:3128", "", "*"}, kNone, "", 0},
        ProxyCase{"exempt_other_port_only",
                  "http://example.org/",
                  {"proxy.lan:3128", "", "example.org:8080"},
                  kHttp,
                  "proxy.lan",
                  3128},
        ProxyCase{"exempt_port",
                  "http://example.org:8080/",
                  {"proxy.lan:3128", "", "example.org:8080"},
                  kNone,
                  "",
                  0},
        // Loopback never goes through a proxy, whatever no_proxy says.
        ProxyCase{
            "loopback_v4", "http://127.0.0.1:8000/", {"proxy.lan:3128", "", ""}, kNone, "", 0},
        ProxyCase{"loopback_name", "http://localhost/", {"proxy.lan:3128", "", ""}, kNone, "", 0},
        ProxyCase{"loopback_v6", "http://[::1]:80/", {"proxy.lan:3128", "", ""}, kNone, "", 0},
        ProxyCase{"unusable_value", "http://example.org/", {"http://", "", ""}, kNone, "", 0},
        ProxyCase{"other_scheme", "ftp://example.org/", {"proxy.lan:3128", "", ""}, kNone, "", 0}),
    [](const ::testing::TestParamInfo<ProxyCase>& param) { return param.param.name; });

}  // namespace
}  // namespace ardelle::net
