#include "net/proxy_rule.h"

#include <QHostAddress>
#include <QStringList>

#include "platform/environment.h"

namespace ardelle::net {
namespace {

std::string FirstSet(const char* name, const char* other = nullptr) {
    if (auto value = platform::EnvironmentValue(name)) {
        return *value;
    }
    if (other != nullptr) {
        if (auto value = platform::EnvironmentValue(other)) {
            return *value;
        }
    }
    return {};
}

// "host", "host:port", "[v6]:port", ".domain" -> host part (lower case) and port (-1 none).
void SplitEntry(QString entry, QString& host, int& port) {
    port = -1;
    if (entry.startsWith(QLatin1Char('['))) {
        const qsizetype close = entry.indexOf(QLatin1Char(']'));
        host = entry.mid(1, close < 0 ? -1 : close - 1);
        if (close >= 0 && entry.mid(close + 1).startsWith(QLatin1Char(':'))) {
            bool ok = false;
            const int value = entry.mid(close + 2).toInt(&ok);
            port = ok ? value : -1;
        }
        return;
    }
    const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
    // More than one ':' is a bare IPv6 address without a port.
    if (colon >= 0 && entry.indexOf(QLatin1Char(':')) == colon) {
        bool ok = false;
        const int value = entry.mid(colon + 1).toInt(&ok);
        if (ok) {
            port = value;
            entry.truncate(colon);
        }
    }
    host = entry;
}

}  // namespace

ProxyEnvironment ProxyEnvironment::FromProcess() {
    ProxyEnvironment environment;
    environment.http_proxy = FirstSet("http_proxy");
    environment.https_proxy = FirstSet("https_proxy", "HTTPS_PROXY");
    environment.no_proxy = FirstSet("no_proxy", "NO_PROXY");
    return environment;
}

bool IsLoopbackHost(const QString& host) {
    const QString name = host.toLower();
    if (name == QLatin1String("localhost") || name.endsWith(QLatin1String(".localhost"))) {
        return true;
    }
    const QHostAddress address(name);
    return !address.isNull() && address.isLoopback();
}

bool HostIsExempt(const QString& host, int port, const std::string& no_proxy) {
    const QString name = host.toLower();
    const QStringList entries =
        QString::fromStdString(no_proxy).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& raw : entries) {
        const QString entry = raw.trimmed().toLower();
        if (entry == QLatin1String("*")) {
            return true;
        }
        QString entry_host;
        int entry_port = -1;
        SplitEntry(entry, entry_host, entry_port);
        if (entry_port >= 0 && entry_port != port) {
            continue;
        }
        while (entry_host.startsWith(QLatin1Char('.'))) {
            entry_host.remove(0, 1);
        }
        if (entry_host.isEmpty()) {
            continue;
        }
        if (name == entry_host || name.endsWith(QLatin1Char('.') + entry_host)) {
            return true;
        }
    }
    return false;
}

QNetworkProxy ProxyForUrl(const QUrl& url, const ProxyEnvironment& environment) {
    const QString scheme = url.scheme().toLower();
    const std::string* value = nullptr;
    int default_port = 0;
    if (scheme == QLatin1String("http")) {
        value = &environment.http_proxy;
        default_port = 80;
    } else if (scheme == QLatin1String("https")) {
        value = &environment.https_proxy;
        default_port = 443;
    }
    const QString host = url.host();
    if (value == nullptr || value->empty() || host.isEmpty() || IsLoopbackHost(host) ||
        HostIsExempt(host, url.port(default_port), environment.no_proxy)) {
        return QNetworkProxy(QNetworkProxy::NoProxy);
    }
    QString text = QString::fromStdString(*value).trimmed();
    if (!text.contains(QLatin1String("://"))) {
        text.prepend(QLatin1String("http://"));
    }
    const QUrl proxy_url(text, QUrl::StrictMode);
    if (!proxy_url.isValid() || proxy_url.host().isEmpty()) {
        return QNetworkProxy(QNetworkProxy::NoProxy);
    }
    const QString proxy_scheme = proxy_url.scheme().toLower();
    const bool socks = proxy_scheme.startsWith(QLatin1String("socks5"));
    QNetworkProxy proxy(socks ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy,
                        proxy_url.host(), static_cast<quint16>(proxy_url.port(1080)),
                        proxy_url.userName(QUrl::FullyDecoded),
                        proxy_url.password(QUrl::FullyDecoded));
    return proxy;
}

QList<QNetworkProxy> EnvironmentProxyFactory::queryProxy(const QNetworkProxyQuery& query) {
    return {ProxyForUrl(query.url(), environment_)};
}

}  // namespace ardelle::net
