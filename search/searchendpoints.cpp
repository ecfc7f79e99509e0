#include "search/searchendpoints.h"

#include <QUrl>

SearchEndpoints SearchEndpoints::at(const QByteArray &httpsAuthority, const QByteArray &httpAuthority,
                                    const QByteArray &caFile)
{
    SearchEndpoints endpoints;
    endpoints.desktopSearch = "https://" + httpsAuthority + "/s?wd=";
    endpoints.mobileSearch = "https://" + httpsAuthority + "/s?word=";
    endpoints.mobileKeywordSearch = "https://" + httpsAuthority + "/s?word=";
    endpoints.redirectLink = "http://" + httpAuthority + "/link?url=";
    endpoints.homePage = "https://" + httpsAuthority + "/";
    endpoints.caFile = caFile;
    endpoints.suggestion = "https://" + httpsAuthority + "/sugrec?prod=pc&wd=";
    return endpoints;
}

bool SearchEndpoints::operator==(const SearchEndpoints &other) const
{
    return desktopSearch == other.desktopSearch && mobileSearch == other.mobileSearch &&
           mobileKeywordSearch == other.mobileKeywordSearch && redirectLink == other.redirectLink &&
           homePage == other.homePage && caFile == other.caFile && suggestion == other.suggestion;
}

QByteArray encodeQueryValue(const QString &text)
{
    return QUrl::toPercentEncoding(text);
}

QByteArray requestAddress(const QByteArray &prefix, const QString &text)
{
    return prefix + encodeQueryValue(text);
}
