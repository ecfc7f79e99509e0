#include "search/fetchsettings.h"

#include <QSettings>
#include <QUrl>

namespace {

const QString kModeNone = QStringLiteral("none");
const QString kModeSystem = QStringLiteral("system");
const QString kModeList = QStringLiteral("list");

// Ranges of the numbers; beyond them a value is a typing slip, not a wish.
constexpr int kMaxIntervalMs = 600000;
constexpr int kMaxThreads = 32;
constexpr int kMaxRetries = 10;
constexpr int kMaxTimeoutSeconds = 600;

const QString kRangeMessage = QStringLiteral("须为 %1 到 %2 之间的整数");
const QString kNegativeInterval = QStringLiteral("间隔不能为负数");
const QString kEmptyAgent = QStringLiteral("不能为空");
const QString kAgentLineBreak = QStringLiteral("不能含换行");
const QString kNoProxies = QStringLiteral("请至少填写一个代理");
const QString kProxyLine = QStringLiteral("第 %1 行：%2");

const QString kProxyUnreadable = QStringLiteral("无法解读的地址");
const QString kProxyScheme = QStringLiteral("须以 http://、https:// 或 socks5h:// 开头");
const QString kProxyHost = QStringLiteral("缺少主机");
const QString kProxyPort = QStringLiteral("缺少端口或端口无效");
const QString kProxyPath = QStringLiteral("端口之后不能有路径或参数");

const QStringList kProxySchemes = {QStringLiteral("http"), QStringLiteral("https"),
                                   QStringLiteral("socks5h")};

void checkRange(QList<SettingsProblem> *problems, const char *key, int value, int least, int most)
{
    if (value < least || value > most)
        problems->append({QLatin1String(key), kRangeMessage.arg(least).arg(most)});
}

int storedNumber(const QSettings &store, const char *key, int fallback, int least, int most)
{
    bool ok = false;
    const int value = store.value(QLatin1String(key)).toString().toInt(&ok);
    return ok && value >= least && value <= most ? value : fallback;
}

QString storedAgent(const QSettings &store, const char *key, const QString &fallback)
{
    const QString value = store.value(QLatin1String(key)).toString();
    return value.trimmed().isEmpty() || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))
               ? fallback
               : value;
}

ProxyMode modeNamed(const QString &name)
{
    if (name == kModeSystem)
        return ProxyMode::System;
    if (name == kModeList)
        return ProxyMode::List;
    return ProxyMode::None;
}

} // namespace

bool FetchSettings::operator==(const FetchSettings &other) const
{
    return pacing.intervalMs == other.pacing.intervalMs &&
           pacing.jitterPercent == other.pacing.jitterPercent &&
           pacing.maxLinesInFlight == other.pacing.maxLinesInFlight && retries == other.retries &&
           proxyMode == other.proxyMode && proxies == other.proxies && insecure == other.insecure &&
           connectTimeoutSeconds == other.connectTimeoutSeconds && timeoutSeconds == other.timeoutSeconds &&
           linkTimeoutSeconds == other.linkTimeoutSeconds && desktopAgent == other.desktopAgent &&
           mobileAgent == other.mobileAgent;
}

FetchOptions FetchSettings::fetchOptions() const
{
    FetchOptions options;
    options.connectTimeoutSeconds = connectTimeoutSeconds;
    options.timeoutSeconds = timeoutSeconds;
    options.linkTimeoutSeconds = linkTimeoutSeconds;
    options.desktopAgent = desktopAgent.toUtf8();
    options.mobileAgent = mobileAgent.toUtf8();
    options.systemProxy = proxyMode == ProxyMode::System;
    options.verifyCertificates = !insecure;
    return options;
}

QString proxyModeName(ProxyMode mode)
{
    switch (mode) {
    case ProxyMode::System:
        return kModeSystem;
    case ProxyMode::List:
        return kModeList;
    case ProxyMode::None:
        break;
    }
    return kModeNone;
}

QString proxyAddressProblem(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!address.contains(QLatin1String("://")))
        return kProxyScheme;
    if (!url.isValid())
        return kProxyUnreadable;
    if (!kProxySchemes.contains(url.scheme()))
        return kProxyScheme;
    if (url.host().isEmpty())
        return kProxyHost;
    if (url.port() < 1)
        return kProxyPort;
    if ((!url.path().isEmpty() && url.path() != QLatin1String("/")) || url.hasQuery() || url.hasFragment())
        return kProxyPath;
    return QString();
}

QStringList proxyLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines.append(trimmed);
    }
    return lines;
}

bool parseSettingNumber(const QString &text, int *value)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (ok)
        *value = number;
    return ok;
}

QList<SettingsProblem> validateFetchSettings(const FetchSettings &settings)
{
    using namespace FetchSettingsKey;
    QList<SettingsProblem> problems;
    if (settings.pacing.intervalMs < 0)
        problems.append({QLatin1String(kInterval), kNegativeInterval});
    else
        checkRange(&problems, kInterval, settings.pacing.intervalMs, 0, kMaxIntervalMs);
    checkRange(&problems, kJitter, settings.pacing.jitterPercent, 0, 100);
    checkRange(&problems, kThreads, settings.pacing.maxLinesInFlight, 1, kMaxThreads);
    checkRange(&problems, kRetries, settings.retries, 0, kMaxRetries);
    checkRange(&problems, kConnectTimeout, settings.connectTimeoutSeconds, 1, kMaxTimeoutSeconds);
    checkRange(&problems, kTimeout, settings.timeoutSeconds, 1, kMaxTimeoutSeconds);
    checkRange(&problems, kLinkTimeout, settings.linkTimeoutSeconds, 1, kMaxTimeoutSeconds);
    const std::pair<const char *, const QString *> agents[] = {{kDesktopAgent, &settings.desktopAgent},
                                                               {kMobileAgent, &settings.mobileAgent}};
    for (const auto &agent : agents) {
        // A line break would end the header and start another one of the user's making.
        if (agent.second->contains(QLatin1Char('\n')) || agent.second->contains(QLatin1Char('\r')))
            problems.append({QLatin1String(agent.first), kAgentLineBreak});
        else if (agent.second->trimmed().isEmpty())
            problems.append({QLatin1String(agent.first), kEmptyAgent});
    }
    if (settings.proxyMode == ProxyMode::List && settings.proxies.isEmpty())
        problems.append({QLatin1String(kProxies), kNoProxies});
    for (int i = 0; i < settings.proxies.size(); ++i) {
        const QString problem = proxyAddressProblem(settings.proxies.at(i));
        if (!problem.isEmpty()) {
            problems.append({QLatin1String(kProxies), kProxyLine.arg(i + 1).arg(problem)});
            break;
        }
    }
    return problems;
}

FetchSettings loadFetchSettings(const QSettings &store)
{
    using namespace FetchSettingsKey;
    const FetchSettings defaults;
    FetchSettings settings;
    settings.pacing.intervalMs =
        storedNumber(store, kInterval, defaults.pacing.intervalMs, 0, kMaxIntervalMs);
    settings.pacing.jitterPercent = storedNumber(store, kJitter, defaults.pacing.jitterPercent, 0, 100);
    settings.pacing.maxLinesInFlight =
        storedNumber(store, kThreads, defaults.pacing.maxLinesInFlight, 1, kMaxThreads);
    settings.retries = storedNumber(store, kRetries, defaults.retries, 0, kMaxRetries);
    settings.connectTimeoutSeconds =
        storedNumber(store, kConnectTimeout, defaults.connectTimeoutSeconds, 1, kMaxTimeoutSeconds);
    settings.timeoutSeconds = storedNumber(store, kTimeout, defaults.timeoutSeconds, 1, kMaxTimeoutSeconds);
    settings.linkTimeoutSeconds =
        storedNumber(store, kLinkTimeout, defaults.linkTimeoutSeconds, 1, kMaxTimeoutSeconds);
    settings.desktopAgent = storedAgent(store, kDesktopAgent, defaults.desktopAgent);
    settings.mobileAgent = storedAgent(store, kMobileAgent, defaults.mobileAgent);
    settings.insecure = store.value(QLatin1String(kInsecure), false).toBool();
    // A list edited by hand into something unusable leaves the requests unproxied, never half-proxied.
    const QStringList proxies = store.value(QLatin1String(kProxies)).toStringList();
    bool proxiesUsable = true;
    for (const QString &proxy : proxies)
        proxiesUsable = proxiesUsable && proxyAddressProblem(proxy).isEmpty();
    if (proxiesUsable)
        settings.proxies = proxies;
    settings.proxyMode = modeNamed(store.value(QLatin1String(kProxyMode)).toString());
    if (settings.proxyMode == ProxyMode::List && settings.proxies.isEmpty())
        settings.proxyMode = ProxyMode::None;
    return settings;
}

bool saveFetchSettings(QSettings &store, const FetchSettings &settings)
{
    using namespace FetchSettingsKey;
    if (!validateFetchSettings(settings).isEmpty())
        return false;
    store.setValue(QLatin1String(kInterval), settings.pacing.intervalMs);
    store.setValue(QLatin1String(kJitter), settings.pacing.jitterPercent);
    store.setValue(QLatin1String(kThreads), settings.pacing.maxLinesInFlight);
    store.setValue(QLatin1String(kRetries), settings.retries);
    store.setValue(QLatin1String(kProxyMode), proxyModeName(settings.proxyMode));
    store.setValue(QLatin1String(kProxies), settings.proxies);
    store.setValue(QLatin1String(kInsecure), settings.insecure);
    store.setValue(QLatin1String(kConnectTimeout), settings.connectTimeoutSeconds);
    store.setValue(QLatin1String(kTimeout), settings.timeoutSeconds);
    store.setValue(QLatin1String(kLinkTimeout), settings.linkTimeoutSeconds);
    store.setValue(QLatin1String(kDesktopAgent), settings.desktopAgent);
    store.setValue(QLatin1String(kMobileAgent), settings.mobileAgent);
    store.sync();
    return store.status() == QSettings::NoError;
}
