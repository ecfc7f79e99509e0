#pragma once

#include "search/checkresult.h"
#include "search/resultpage.h"
#include "search/searchcontext.h"

#include <QString>

#include <atomic>

// What Baidu's mobile answer page for the address says: status "已收录"
// (its first result is the address), "未收录" (Baidu says it has nothing,
// or its first result is another page) or "异常" (no answer: robot check,
// block page, a page without results or one the reader cannot read, a first
// result without an address), and for an included page its title and date.
struct MobileSiteVerdict
{
    QString status;
    QString title;
    QString snapshot;
    QString failure; // why the status is "异常"
};

// Judges a read mobile answer page for the address. Shared by the inclusion
// check and the mobile ranking check.
MobileSiteVerdict judgeMobileSitePage(const ResultPage &page, const QString &address);

// Asks Baidu's mobile search for the address and compares the first result's
// address with it.
// An abort flag, when given, abandons the fetch once it turns true (the line then reads "异常").
InclusionResult mobileInclusionCheck(const QString &address, const SearchContext &context = SearchContext(),
                                     const std::atomic<bool> *abortFlag = nullptr);
