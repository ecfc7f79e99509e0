#pragma once

#include "search/appsettings.h"
#include "search/pagefetcher.h"
#include "search/requestgate.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

enum class ProxyMode
{
    None,   // straight to Baidu, whatever the environment says
    System, // http_proxy, https_proxy and no_proxy of the environment
    List    // the listed proxies, in turn
};

// How the window and the command talk to Baidu: pacing, retries, proxies,
// certificates, time-outs and user agents. A value; the defaults are the
// members' initial values.
struct FetchSettings
{
    PacingSettings pacing; // interval, jitter, lines in flight (the ranking pool's size)
    int retries = 2;       // further tries of a line after a transient failure
    ProxyMode proxyMode = ProxyMode::None;
    QStringList proxies; // one address per entry, used when proxyMode is List
    bool insecure = false;
    int connectTimeoutSeconds = 10;
    int timeoutSeconds = 30;
    int linkTimeoutSeconds = 15;
    QString desktopAgent = QString::fromLatin1(FetchHeaders::kDesktopAgentValue);
    QString mobileAgent = QString::fromLatin1(FetchHeaders::kMobileAgentValue);
    // The window's choice on a robot check: hand it to the user (pause) or slow down
    // and retry. Runs of the command never wait for a person.
    bool handOffRobotChecks = true;

    bool operator==(const FetchSettings &other) const;
    bool operator!=(const FetchSettings &other) const { return !(*this == other); }

    // What fetchPage needs from these settings (the proxy is chosen per request).
    FetchOptions fetchOptions() const;
};

// A refused value: the key of its field, what to tell the user there and,
// for a value read from the settings file, the value found (a proxy line with
// its password masked).
struct SettingsProblem
{
    QString key;
    QString message;
    QString value;
};

// The settings file as read.
struct StoredFetchSettings
{
    // What runs use: the stored values, and the defaults for missing and
    // refused ones; except that a refused proxy mode or list leaves a list of
    // no proxy, through which no request goes out at all, never straight to Baidu.
    FetchSettings settings;
    // Every stored value that cannot be used, in the order of the keys above.
    QList<SettingsProblem> refused;
    // The proxy list as stored, to be shown for correction when it is refused.
    QStringList storedProxies;
    // Why the file itself cannot be read, so that all its values are the defaults; empty when it can.
    QString unreadable;
};

// Every value out of its range, every malformed proxy line; empty when all is well.
QList<SettingsProblem> validateFetchSettings(const FetchSettings &settings);

// Why a proxy address cannot be used, or empty: scheme http, https or
// socks5h, a host, a port, optionally user:password@, nothing after the port.
QString proxyAddressProblem(const QString &address);

// The address with the password of its user:password@ part replaced by "***",
// as every message that names a proxy shows it, also for a malformed line.
QString maskedProxy(const QString &address);

// The non-blank lines of a proxy list, trimmed.
QStringList proxyLines(const QString &text);

// Reads a whole number as typed into a field or an option; false for anything else.
bool parseSettingNumber(const QString &text, int *value);

// The settings file read strictly: numbers in their ranges, booleans as
// true/false, 1/0, yes/no or on/off, a known proxy mode, usable proxy lines,
// agents on one line. Anything else is refused with its key and value.
StoredFetchSettings readFetchSettings(const QSettings &store);
// readFetchSettings(store).settings.
FetchSettings loadFetchSettings(const QSettings &store);
// Stores valid settings; false (and nothing written) when validateFetchSettings refuses them.
bool saveFetchSettings(QSettings &store, const FetchSettings &settings);

QString proxyModeName(ProxyMode mode);

// The pause the gate learned, as the last run left it; 0: none.
int loadLearnedInterval(const QSettings &store);
void saveLearnedInterval(QSettings &store, int ms);
