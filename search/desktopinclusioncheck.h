#pragma once

#include "checkresult.h"
#include "searchcontext.h"

#include <QByteArray>
#include <QString>

#include <atomic>

// What Baidu's desktop answer page for the address itself says: status
// "已收录"/"未收录", and for an included page its title and snapshot date.
struct DesktopSiteVerdict
{
    QString status;
    QString title;
    QString snapshot;
};

// Judges a fetched desktop answer page (everything after the fetch). Shared
// by the inclusion check and the desktop ranking check's site query.
DesktopSiteVerdict judgeDesktopSitePage(const QByteArray &body);

// Asks Baidu's desktop search for the address itself: title, address, status, snapshot.
// An abort flag, when given, abandons the fetch once it turns true (the line then reads "异常").
InclusionResult desktopInclusionCheck(const QString &address, const SearchContext &context = SearchContext(),
                                      const std::atomic<bool> *abortFlag = nullptr);
