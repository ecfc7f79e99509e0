#pragma once

#include "checkresult.h"
#include "searchcontext.h"

#include <QString>

#include <atomic>

// The address's position on one mobile result page (1, 2 or 3) for the keyword.
QString searchMobilePage(const QString &keyword, const QString &address, const QString &status, int page,
                         const SearchEndpoints &endpoints = SearchEndpoints(),
                         const std::atomic<bool> *abortFlag = nullptr);

// One ranking line against up to three pages of Baidu's mobile results.
RankingResult rankMobile(const QString &line, const SearchContext &context = SearchContext(),
                         const std::atomic<bool> *abortFlag = nullptr);
