#include "search/siterule.h"

#include <QStringList>

namespace {

// Second-level labels under which a registrable domain takes three labels.
const QStringList kSecondLevelLabels{QStringLiteral("com"), QStringLiteral("net"), QStringLiteral("org"),
                                     QStringLiteral("gov"), QStringLiteral("edu"), QStringLiteral("ac"),
                                     QStringLiteral("co")};

bool isHostCharacter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('.');
}

} // namespace

QString SiteRule::hostOf(const QString &address)
{
    // A shown address may carry a date or a site name after a blank.
    QString rest = address.trimmed().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).toLower();
    const int scheme = rest.indexOf(QLatin1String("://"));
    if (scheme >= 0)
        rest = rest.mid(scheme + 3);
    int end = rest.size();
    for (const QChar stop : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#'), QLatin1Char(':')}) {
        const int at = rest.indexOf(stop);
        if (at >= 0 && at < end)
            end = at;
    }
    QString host = rest.left(end);
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    if (!host.contains(QLatin1Char('.')) || host.startsWith(QLatin1Char('.')) ||
        host.contains(QLatin1String("..")))
        return QString();
    for (const QChar c : host) {
        if (!isHostCharacter(c))
            return QString();
    }
    return host;
}

SiteRule SiteRule::parse(const QString &typed)
{
    SiteRule rule;
    rule.m_host = hostOf(typed);
    const QStringList labels = rule.m_host.split(QLatin1Char('.'));
    const bool underSecondLevel = labels.size() == 3 && kSecondLevelLabels.contains(labels.at(1));
    rule.m_subdomains = labels.size() == 2 || underSecondLevel;
    return rule;
}

bool SiteRule::matchesHost(const QString &host) const
{
    if (m_host.isEmpty() || host.isEmpty())
        return false;
    const QString lower = host.toLower();
    if (lower == m_host)
        return true;
    return m_subdomains && lower.endsWith(m_host) &&
           lower.at(lower.size() - m_host.size() - 1) == QLatin1Char('.');
}

bool SiteRule::matchesAddress(const QString &address) const
{
    return matchesHost(hostOf(address));
}
