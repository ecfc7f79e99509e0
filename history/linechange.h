#pragma once

#include "history/historystore.h"
#include "search/checkresult.h"

#include <QString>

// A check's result as the history stores it; the key identifies the line
// across runs of its tool (inclusion: the address; ranking: keyword and address).
StoredLine storedLine(int index, const InclusionResult &result);
StoredLine storedLine(int index, const RankingResult &result);
// A site ranking's line is known by the site's host and the keyword.
QString siteRankingKey(const QString &siteHost, const QString &keyword);
QString siteRankingSite(const QString &key);
QString siteRankingKeyword(const QString &key);
StoredLine storedLine(int index, const SiteRankingResult &result, const QString &siteHost);
StoredLine storedLine(int index, const MinedKeyword &keyword);

// What changed for a line since its previous result of the same tool and
// device: "↑3", "↓5", "新进前30", "跌出前30" (positions), "新收录", "掉收录"
// (inclusion), or empty when nothing changed or a side is 异常 (unknown).
QString describeChange(const QString &tool, const StoredLine &before, const StoredLine &now);
