#pragma once

#include "search/checkresult.h"
#include "search/pagetext.h"
#include "search/searchcontext.h"

#include <QByteArray>
#include <QString>

#include <atomic>

// What Baidu's mobile answer page for the address says: status "已收录",
// "未收录" or empty (a first result is announced but its address is missing),
// and for an included page its title and snapshot text.
struct MobileSiteVerdict
{
    QString status;
    QString title;
    QString snapshot;
};

// Why a decoded mobile answer is none (unreadable, robot check, block page);
// empty when it is one.
QString mobileAnswerFailure(const PageText &text);

// Judges a fetched mobile answer page (decoded to UTF-8) for the address (everything after the
// fetch). Shared by the inclusion check and the mobile ranking check.
MobileSiteVerdict judgeMobileSitePage(const QByteArray &body, const QString &address);

// Asks Baidu's mobile search for the address and compares the first result's
// address with it.
// An abort flag, when given, abandons the fetch once it turns true (the line then reads "异常").
InclusionResult mobileInclusionCheck(const QString &address, const SearchContext &context = SearchContext(),
                                     const std::atomic<bool> *abortFlag = nullptr);
