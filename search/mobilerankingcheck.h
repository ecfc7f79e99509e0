#pragma once

#include "search/checkresult.h"
#include "search/searchcontext.h"

#include <QString>
#include <QStringList>

#include <atomic>

// The result addresses embedded in a mobile result page ('mu' after each
// ",'order':'n',"), in page order. One pass over the text.
QStringList mobileEntryAddresses(const QString &text);

// One result entry of a mobile result page: its address and, when the entry
// shows one before the next entry starts, its title.
struct MobileEntry
{
    QString address;
    QString title;
};

// The entries of mobileEntryAddresses with their titles.
QList<MobileEntry> mobileEntries(const QString &text);

// The address's position on one mobile result page (1, 2 or 3) for the
// keyword; "异常" for a page that is no answer or lists neither entries nor
// Baidu's not-found text (failure then says why, and the page goes to the
// context's sink under line).
QString searchMobilePage(const QString &keyword, const QString &address, const QString &status, int page,
                         const SearchContext &context = SearchContext(),
                         const std::atomic<bool> *abortFlag = nullptr, const QString &line = QString(),
                         QString *failure = nullptr);

// One ranking line against up to three pages of Baidu's mobile results.
RankingResult rankMobile(const QString &line, const SearchContext &context = SearchContext(),
                         const std::atomic<bool> *abortFlag = nullptr);
