#pragma once

#include "search/checkresult.h"
#include "search/resultpage.h"
#include "search/searchcontext.h"

#include <QString>

#include <atomic>

// What Baidu's desktop answer page for the address itself says: status
// "已收录", "未收录" or "异常" (no answer: robot check, block page, a page
// without entries, a first entry stating another address), and for an
// included page its title and date.
struct DesktopSiteVerdict
{
    QString status;
    QString title;
    QString snapshot;
    QString failure; // why the status is "异常"
};

// Judges a read desktop answer page for the address. Shared by the inclusion
// check and the desktop ranking check's site query, which passes no address:
// its status and title only decide whether and how the keyword page is read,
// so a first entry stating another form of the address must not end the line.
DesktopSiteVerdict judgeDesktopSitePage(const ResultPage &page, const QString &address);

// Why a page of this kind, with no entries, is no answer; empty for a result page with entries.
QString pageFailure(const ResultPage &page);

// Asks Baidu's desktop search for the address itself: title, address, status, snapshot.
// An abort flag, when given, abandons the fetch once it turns true (the line then reads "异常").
InclusionResult desktopInclusionCheck(const QString &address, const SearchContext &context = SearchContext(),
                                      const std::atomic<bool> *abortFlag = nullptr);
