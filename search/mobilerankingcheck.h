#pragma once

#include "searchendpoints.h"

#include <QString>

#include <atomic>

// The address's position on one mobile result page (1, 2 or 3) for the keyword.
QString searchMobilePage(const QString &keyword, const QString &address, const QString &status, int page,
                         const SearchEndpoints &endpoints = SearchEndpoints(),
                         const std::atomic<bool> *abortFlag = nullptr);

// One ranking line against up to three pages of Baidu's mobile results.
QString rankMobile(const QString &line, const SearchEndpoints &endpoints = SearchEndpoints(),
                   const std::atomic<bool> *abortFlag = nullptr);
