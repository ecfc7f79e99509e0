#pragma once

#include "search/checkresult.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// What a Baidu answer page is, before anything is read from its entries.
enum class PageKind
{
    Results, // a result page; it may still list no entry
    NotFound, // Baidu says it has nothing ("没有找到该URL", "抱歉，未找到相关结果。", zero results)
    Blocked, // robot check ("百度安全验证"), error page ("百度--您的访问出错了") or block page
    Unreadable, // no text: still compressed, binary, or a stop came first
};

// One counted result of a page, in page order.
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
    // Read as one of m.baidu.com's pages (c-result blocks) rather than a desktop page.
    bool mobile = false;
    // A result page whose results the reader could not find: no result
    // container, or result blocks without headings. What a change of Baidu's
    // markup looks like; a page of widgets only is still recognised.
    bool layoutUnknown = false;
    // Blocked by the robot check ("百度安全验证"); a Blocked page without it is an error or block page.
    bool robotCheck = false;
};

// Reads an answer page of Baidu's desktop or mobile search (any charset;
// contentType is the answer's Content-Type header). Desktop results are the
// numbered c-container blocks of the left column, mobile results the
// c-result blocks; a page without such blocks is read by its headings alone.
// A block counts when its heading leads to a page: ads, hidden copies, tools
// with an empty link, related-search and related-entity boxes and AI answer
// cards do not. Linear in the page size; the abort flag is looked at between stages.
ResultPage readResultPage(const QByteArray &body, const QByteArray &contentType = QByteArray(),
                          const std::atomic<bool> *abortFlag = nullptr);

// Whether a link is one of Baidu's redirect links (".../link?url=", any host).
bool isRedirectLink(const QString &link);

// Baidu's placeholder for a block without an address ("http://nourl.ubs.baidu.com/…").
bool isPlaceholderAddress(const QString &address);

// Whether two addresses name the same page: scheme (http/https), the host's
// letter case, a trailing "/", percent-encoding and a fragment do not matter.
// Placeholder addresses name no page.
bool sameAddress(const QString &a, const QString &b);

// Whether a shown address text (c-showurl: "www.a.cn/x/y", "www.a.cn/", cut
// "www.a.cn/x/...", a bare host as mobile pages show it, or a site name) can
// be the address: its host is the address's host and what it shows of the
// path agrees. A path shown uncut ("/" included) is the whole address.
enum class ShownMatch
{
    Same,     // shows the whole address
    Possible, // shows the address's host, or a cut-off part that agrees
    Unknown,  // shows no host
    Other,    // shows another host or another whole address
};
ShownMatch matchShownAddress(const QString &shown, const QString &address);

// An entry as the list a ranking was judged on keeps it, its position moved
// on by the results of the pages before; the address is the first the page
// states (no placeholder).
SerpEntry serpEntryOf(const ResultEntry &entry, int before = 0);
