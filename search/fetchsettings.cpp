#include "search/fetchsettings.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTextCodec>
#include <QUrl>

#include <algorithm>
#include <optional>

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
const QString kNotABoolean = QStringLiteral("须为 true 或 false（也可写 1/0、yes/no、on/off）");
const QString kUnknownMode = QStringLiteral("须为 none、system 或 list");

const QString kProxyUnreadable = QStringLiteral("无法解读的地址");
const QString kProxyScheme = QStringLiteral("须以 http://、https:// 或 socks5h:// 开头");
const QString kProxyHost = QStringLiteral("缺少主机");
const QString kProxyPort = QStringLiteral("缺少端口或端口无效");
const QString kProxyPath = QStringLiteral("端口之后不能有路径或参数");

const QString kFileIsFolder = QStringLiteral("是一个文件夹");
const QString kFileUnreadable = QStringLiteral("无法读取（%1）");
const QString kFileGarbled = QStringLiteral("内容无法解读");
const QLatin1String kMaskedPassword("***");

const QStringList kProxySchemes = {QStringLiteral("http"), QStringLiteral("https"),
                                   QStringLiteral("socks5h")};

// The whole numbers of the settings, with their ranges.
struct NumberField
{
    const char *key;
    int least;
    int most;
    int &(*of)(FetchSettings &);
};

const NumberField kNumbers[] = {
    {FetchSettingsKey::kInterval, 0, kMaxIntervalMs,
     [](FetchSettings &s) -> int & { return s.pacing.intervalMs; }},
    {FetchSettingsKey::kJitter, 0, 100, [](FetchSettings &s) -> int & { return s.pacing.jitterPercent; }},
    {FetchSettingsKey::kThreads, 1, kMaxThreads,
     [](FetchSettings &s) -> int & { return s.pacing.maxLinesInFlight; }},
    {FetchSettingsKey::kRetries, 0, kMaxRetries, [](FetchSettings &s) -> int & { return s.retries; }},
    {FetchSettingsKey::kConnectTimeout, 1, kMaxTimeoutSeconds,
     [](FetchSettings &s) -> int & { return s.connectTimeoutSeconds; }},
    {FetchSettingsKey::kTimeout, 1, kMaxTimeoutSeconds,
     [](FetchSettings &s) -> int & { return s.timeoutSeconds; }},
    {FetchSettingsKey::kLinkTimeout, 1, kMaxTimeoutSeconds,
     [](FetchSettings &s) -> int & { return s.linkTimeoutSeconds; }},
};

QString numberProblem(const NumberField &field, int value)
{
    if (value >= field.least && value <= field.most)
        return QString();
    if (value < 0 && qstrcmp(field.key, FetchSettingsKey::kInterval) == 0)
        return kNegativeInterval;
    return kRangeMessage.arg(field.least).arg(field.most);
}

QString agentProblem(const QString &agent)
{
    // A line break would end the header and start another one of the user's making.
    if (agent.contains(QLatin1Char('\n')) || agent.contains(QLatin1Char('\r')))
        return kAgentLineBreak;
    if (agent.trimmed().isEmpty())
        return kEmptyAgent;
    return QString();
}

// The first unusable line of a proxy list (1-based) and why; 0 when all are usable.
int firstBadProxy(const QStringList &proxies, QString *problem)
{
    for (int i = 0; i < proxies.size(); ++i) {
        *problem = proxyAddressProblem(proxies.at(i));
        if (!problem->isEmpty())
            return i + 1;
    }
    return 0;
}

// The text of a stored value as it was written: QSettings reads "a, b" as a list.
QString storedText(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

std::optional<bool> strictBoolean(const QString &text)
{
    const QString word = text.trimmed().toLower();
    for (const char *yes : {"true", "1", "yes", "on"}) {
        if (word == QLatin1String(yes))
            return true;
    }
    for (const char *no : {"false", "0", "no", "off"}) {
        if (word == QLatin1String(no))
            return false;
    }
    return std::nullopt;
}

std::optional<ProxyMode> modeNamed(const QString &name)
{
    const QString word = name.trimmed().toLower();
    if (word == kModeNone)
        return ProxyMode::None;
    if (word == kModeSystem)
        return ProxyMode::System;
    if (word == kModeList)
        return ProxyMode::List;
    return std::nullopt;
}

// Why the file behind store cannot be read; empty when it can (or does not exist).
QString settingsFileProblem(const QSettings &store)
{
    const QFileInfo info(store.fileName());
    if (info.isDir())
        return kFileIsFolder;
    if (!info.exists())
        return store.status() == QSettings::AccessError ? kFileUnreadable.arg(QString()) : QString();
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return kFileUnreadable.arg(file.errorString());
    if (store.status() == QSettings::AccessError)
        return kFileUnreadable.arg(QString());
    if (store.status() == QSettings::FormatError)
        return kFileGarbled;
    // QSettings reads almost any bytes as keys of some kind; a settings file is text.
    const QByteArray bytes = file.readAll();
    QTextCodec::ConverterState state;
    QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars > 0)
        return kFileGarbled;
    for (const char byte : bytes) {
        if (uchar(byte) < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            return kFileGarbled;
    }
    return QString();
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
           mobileAgent == other.mobileAgent && handOffRobotChecks == other.handOffRobotChecks;
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

QString maskedProxy(const QString &address)
{
    // The user part ends at the last "@" before the host; the password follows its first ":".
    const int schemeEnd = address.indexOf(QLatin1String("://"));
    const int userStart = schemeEnd < 0 ? 0 : schemeEnd + 3;
    int hostEnd = address.indexOf(QLatin1Char('/'), userStart);
    if (hostEnd < 0)
        hostEnd = address.size();
    const int at = address.lastIndexOf(QLatin1Char('@'), hostEnd - 1);
    if (at < userStart)
        return address;
    const int colon = address.indexOf(QLatin1Char(':'), userStart);
    if (colon < 0 || colon > at)
        return address;
    return address.left(colon + 1) + kMaskedPassword + address.mid(at);
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
    FetchSettings values = settings;
    for (const NumberField &field : kNumbers) {
        const QString problem = numberProblem(field, field.of(values));
        if (!problem.isEmpty())
            problems.append({QLatin1String(field.key), problem, QString()});
    }
    const std::pair<const char *, const QString *> agents[] = {{kDesktopAgent, &settings.desktopAgent},
                                                               {kMobileAgent, &settings.mobileAgent}};
    for (const auto &agent : agents) {
        const QString problem = agentProblem(*agent.second);
        if (!problem.isEmpty())
            problems.append({QLatin1String(agent.first), problem, QString()});
    }
    if (settings.proxyMode == ProxyMode::List && settings.proxies.isEmpty())
        problems.append({QLatin1String(kProxies), kNoProxies, QString()});
    QString problem;
    if (const int line = firstBadProxy(settings.proxies, &problem))
        problems.append({QLatin1String(kProxies), kProxyLine.arg(line).arg(problem), QString()});
    return problems;
}

StoredFetchSettings readFetchSettings(const QSettings &store)
{
    using namespace FetchSettingsKey;
    StoredFetchSettings read;
    read.unreadable = settingsFileProblem(store);
    if (!read.unreadable.isEmpty())
        return read;
    FetchSettings &settings = read.settings;
    const auto refuse = [&read](const char *key, const QString &message, const QString &value) {
        read.refused.append({QLatin1String(key), message, value});
    };
    const auto stored = [&store](const char *key) { return store.value(QLatin1String(key)); };
    const auto has = [&store](const char *key) { return store.contains(QLatin1String(key)); };

    for (const NumberField &field : kNumbers) {
        if (!has(field.key))
            continue;
        const QString text = storedText(stored(field.key));
        int value = 0;
        if (!parseSettingNumber(text, &value))
            refuse(field.key, kRangeMessage.arg(field.least).arg(field.most), text);
        else if (const QString problem = numberProblem(field, value); !problem.isEmpty())
            refuse(field.key, problem, text);
        else
            field.of(settings) = value;
    }
    for (const auto &agent : {std::make_pair(kDesktopAgent, &settings.desktopAgent),
                              std::make_pair(kMobileAgent, &settings.mobileAgent)}) {
        if (!has(agent.first))
            continue;
        const QString text = storedText(stored(agent.first));
        if (const QString problem = agentProblem(text); !problem.isEmpty())
            refuse(agent.first, problem, text);
        else
            *agent.second = text;
    }
    for (const auto &flag : {std::make_pair(kInsecure, &settings.insecure),
                             std::make_pair(kHandOffRobotChecks, &settings.handOffRobotChecks)}) {
        if (!has(flag.first))
            continue;
        const QString text = storedText(stored(flag.first));
        if (const std::optional<bool> value = strictBoolean(text))
            *flag.second = *value;
        else
            refuse(flag.first, kNotABoolean, text);
    }

    bool modeRefused = false;
    if (has(kProxyMode)) {
        const QString text = storedText(stored(kProxyMode));
        if (const std::optional<ProxyMode> mode = modeNamed(text)) {
            settings.proxyMode = *mode;
        } else {
            refuse(kProxyMode, kUnknownMode, text);
            modeRefused = true;
        }
    }
    read.storedProxies = stored(kProxies).toStringList();
    QString problem;
    bool listRefused = false;
    if (const int line = firstBadProxy(read.storedProxies, &problem)) {
        refuse(kProxies, kProxyLine.arg(line).arg(problem), maskedProxy(read.storedProxies.at(line - 1)));
        listRefused = true;
    } else if (settings.proxyMode == ProxyMode::List && read.storedProxies.isEmpty()) {
        refuse(kProxies, kNoProxies, QString());
    } else {
        settings.proxies = read.storedProxies;
    }
    // Whoever wrote a list meant the requests to go through it: none goes out until it is mended.
    if (modeRefused || (listRefused && settings.proxyMode == ProxyMode::List)) {
        settings.proxyMode = ProxyMode::List;
        settings.proxies.clear();
    }
    return read;
}

FetchSettings loadFetchSettings(const QSettings &store)
{
    return readFetchSettings(store).settings;
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
    store.setValue(QLatin1String(kHandOffRobotChecks), settings.handOffRobotChecks);
    store.sync();
    return store.status() == QSettings::NoError;
}

int loadLearnedInterval(const QSettings &store)
{
    int value = 0;
    if (!parseSettingNumber(store.value(QLatin1String(FetchSettingsKey::kLearnedInterval)).toString(),
                            &value))
        return 0;
    return std::clamp(value, 0, RequestGate::kMaxIntervalMs);
}

void saveLearnedInterval(QSettings &store, int ms)
{
    // Untouched when nothing changed: a run that learned nothing writes no settings file.
    if (loadLearnedInterval(store) == std::max(ms, 0))
        return;
    if (ms > 0)
        store.setValue(QLatin1String(FetchSettingsKey::kLearnedInterval), ms);
    else
        store.remove(QLatin1String(FetchSettingsKey::kLearnedInterval));
    store.sync();
}
