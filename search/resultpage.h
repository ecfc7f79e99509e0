#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// What a Baidu answer page is, before anything is read from its entries.
enum class PageKind
{
    Results,    // a result page; it may still list no entry
    NotFound,   // Baidu says it has nothing ("没有找到该URL", zero results)
    Blocked,    // robot check ("百度安全验证") or block page ("页面不存在_百度搜索")
    Unreadable, // no text: still compressed, binary, or a stop came first
};

// One counted result of a desktop page, in page order.
struct ResultEntry
{
    int position = 0;    // 1-based over counted entries
    QString headingText; // as shown: no tags, entities decoded, blanks collapsed, badges left out
    QString headingLink; // the heading anchor's href as written; empty without one
    // The page's own statement of the target address, most telling first: a
    // data-tools url that is no redirect, the block's mu, a direct heading link.
    QStringList statedTargets;
    QString shownDate;    // the date shown inside the block, empty without one
    QString shownAddress; // the block's shown address text (c-showurl), as shown

    QString statedTarget() const { return statedTargets.value(0); }
};

struct ResultPage
{
    PageKind kind = PageKind::Unreadable;
    QString title; // the page's <title>
    QList<ResultEntry> entries;
    // The texts of the "相关搜索" block and of the "大家还在搜" box, each in
    // page order without repeats; a text may stand in both.
    QStringList relatedSearches;
    QStringList alsoSearched;
};

// Reads a desktop answer page (any charset; contentType is the answer's
// Content-Type header). Result blocks are the numbered c-container blocks of
// the left column; a page without such blocks is read by its headings alone.
// Linear in the page size; the abort flag is looked at between stages.
ResultPage readResultPage(const QByteArray &body, const QByteArray &contentType = QByteArray(),
                          const std::atomic<bool> *abortFlag = nullptr);

// The kind of any answer page, desktop or mobile, from its decoded text:
// Blocked, NotFound (notFoundMarkers) or Results.
PageKind kindOfPageText(const QByteArray &utf8, const QList<QByteArray> &notFoundMarkers);

// Whether a link is one of Baidu's redirect links (".../link?url=", any host).
bool isRedirectLink(const QString &link);

// Whether two addresses name the same page: scheme (http/https), the host's
// letter case and a bare host's trailing "/" do not matter.
bool sameAddress(const QString &a, const QString &b);
