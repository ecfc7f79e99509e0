#pragma once

#include <QByteArray>
#include <QString>

// Baidu's hosts. The shipped application always uses these; only tests build
// SearchEndpoints that point elsewhere.
namespace BaiduHosts {
inline constexpr char kDesktopSearchHost[] = "www.baidu.com";
inline constexpr char kMobileSearchHost[] = "m.baidu.com";
} // namespace BaiduHosts

// The request prefixes every check appends its query value to. A value type so
// that a batch can carry its own copy across threads.
struct SearchEndpoints
{
    // "https://www.baidu.com/s?wd=": desktop inclusion and ranking searches.
    QByteArray desktopSearch = QByteArrayLiteral("https://www.baidu.com/s?wd=");
    // "https://m.baidu.com/s?word=": mobile site queries.
    QByteArray mobileSearch = QByteArrayLiteral("https://m.baidu.com/s?word=");
    // "https://m.baidu.com/s?word=": mobile keyword result pages.
    QByteArray mobileKeywordSearch = QByteArrayLiteral("https://m.baidu.com/s?word=");
    // "http://www.baidu.com/link?url=": result links that must be resolved by one
    // redirect. Only recognises them: a link is read at the address the page gives.
    QByteArray redirectLink = QByteArrayLiteral("http://www.baidu.com/link?url=");
    // "https://www.baidu.com/": what a proxy test asks for.
    QByteArray homePage = QByteArrayLiteral("https://www.baidu.com/");
    // Trusted certificates instead of the system's store; empty in the shipped programs.
    QByteArray caFile;
    // "https://www.baidu.com/sugrec?prod=pc&wd=": the search box's suggestions, as JSON.
    QByteArray suggestion = QByteArrayLiteral("https://www.baidu.com/sugrec?prod=pc&wd=");

    // Endpoints on other authorities ("host:port"), same paths and query keys,
    // trusting the certificates in caFile.
    static SearchEndpoints at(const QByteArray &httpsAuthority, const QByteArray &httpAuthority,
                              const QByteArray &caFile = QByteArray());

    bool operator==(const SearchEndpoints &other) const;
};

// The user's text as a query value: UTF-8, percent-encoded except for RFC 3986
// unreserved characters, so blanks, "&" and "#" reach Baidu as typed.
QByteArray encodeQueryValue(const QString &text);

// prefix + encodeQueryValue(text).
QByteArray requestAddress(const QByteArray &prefix, const QString &text);
