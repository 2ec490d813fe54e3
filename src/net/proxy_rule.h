#pragma once

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QString>
#include <QUrl>
#include <string>

namespace ardelle::net {

// The proxy settings of the user's session, as command-line tools read them.
struct ProxyEnvironment {
    std::string http_proxy;   // http_proxy (the upper-case name is not trusted for http)
    std::string https_proxy;  // https_proxy, else HTTPS_PROXY
    std::string no_proxy;     // no_proxy, else NO_PROXY

    static ProxyEnvironment FromProcess();
};

// 127.0.0.0/8, ::1 and "localhost" (with subdomains): never sent through a proxy.
bool IsLoopbackHost(const QString& host);

// True when a no_proxy list ("*", or comma-separated host names, domain suffixes with or
// without a leading '.', and literal addresses, each with an optional :port) exempts host.
bool HostIsExempt(const QString& host, int port, const std::string& no_proxy);

// The proxy for one address: http_proxy for http, https_proxy for https (a value
// "host:port" or "scheme://[user:password@]host[:port]"; socks5:// and socks5h:// give a
// SOCKS proxy, anything else an HTTP proxy, port 1080 when none is given). NoProxy for
// loopback hosts, exempt hosts, other schemes and values that are not usable.
QNetworkProxy ProxyForUrl(const QUrl& url, const ProxyEnvironment& environment);

// Answers every query of a QNetworkAccessManager by ProxyForUrl, redirects included.
class EnvironmentProxyFactory : public QNetworkProxyFactory {
  public:
    explicit EnvironmentProxyFactory(ProxyEnvironment environment)
        : environment_(std::move(environment)) {}
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;

  private:
    ProxyEnvironment environment_;
};

}  // namespace ardelle::net
