#pragma once

#include <QString>

// Which hosts a site ranking counts as the user's site. A bare domain
// ("qa-site.cn", "qa-site.com.cn") stands for itself and every subdomain; a
// host with a first label of its own ("www.qa-site.cn") for that host only.
// Typed addresses are accepted too: scheme, port, path and letter case go.
class SiteRule
{
public:
    static SiteRule parse(const QString &typed);

    // Something that can be a host name was typed.
    bool isValid() const { return !m_host.isEmpty(); }
    // The host as read, lower case: what the report and the window show.
    QString host() const { return m_host; }
    bool coversSubdomains() const { return m_subdomains; }

    bool matchesHost(const QString &host) const;
    // Whether an absolute address ("http://…", "https://…" or "host/path") lies on the site.
    bool matchesAddress(const QString &address) const;

    // The host part of an address or of a shown address text, lower case;
    // empty when the text holds none (a site name such as "知乎", a cut-off
    // host "www.qa-si...").
    static QString hostOf(const QString &address);

private:
    QString m_host;
    bool m_subdomains = false;
};
