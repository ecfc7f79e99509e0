#include "searchendpoints.h"

#include <QUrl>

SearchEndpoints SearchEndpoints::at(const QByteArray &httpsAuthority, const QByteArray &httpAuthority)
{
    SearchEndpoints endpoints;
    endpoints.desktopSearch = "https://" + httpsAuthority + "/s?wd=";
    endpoints.mobileSearch = "https://" + httpsAuthority + "/s?word=";
    endpoints.mobileSearchPlain = "http://" + httpAuthority + "/s?word=";
    endpoints.redirectLink = "http://" + httpAuthority + "/link?url=";
    endpoints.suggestion = "https://" + httpsAuthority + "/sugrec?prod=pc&wd=";
    return endpoints;
}

bool SearchEndpoints::operator==(const SearchEndpoints &other) const
{
    return desktopSearch == other.desktopSearch && mobileSearch == other.mobileSearch &&
           mobileSearchPlain == other.mobileSearchPlain && redirectLink == other.redirectLink &&
           suggestion == other.suggestion;
}

QByteArray encodeQueryValue(const QString &text)
{
    return QUrl::toPercentEncoding(text);
}

QByteArray requestAddress(const QByteArray &prefix, const QString &text)
{
    return prefix + encodeQueryValue(text);
}
