#pragma once

#include "history/historystore.h"
#include "workers/batchrunner.h"
#include "workers/resultrow.h"

#include <QHash>
#include <QString>
#include <QStringList>

// A row as the history stores it, the same from the window and the command.
// Its key identifies the line across runs of its tool: the address
// (inclusion), the keyword and the address (ranking), the site's host and the
// keyword (site ranking: siteHost is the run's site), the keyword (mining).
// Status and position are what changes are read from; the failure reason
// goes with it.
StoredLine storedLine(Tool tool, int index, const ResultRow &row, const QString &siteHost = QString());
// The same for a row of a site ranking run of several sites (siteHosts in
// the run's order): the keyword's line under the first site and one line per
// further site (HistoryStore::siteLineIndex), each with its site's best position.
QList<StoredLine> storedLines(Tool tool, int index, const ResultRow &row, const QStringList &siteHosts);
// A stored line as the tool's table shows it again.
ResultRow rowOfStored(Tool tool, const StoredLine &line);
// The input line a stored line came from: the address, keyword and address, the keyword.
QString queryLineOfStored(Tool tool, const StoredLine &line);
// The fields a key is made of, in the order above.
QStringList keyFields(const QString &key);

// A site ranking's line is known by the site's host and the keyword.
QString siteRankingKey(const QString &siteHost, const QString &keyword);
QString siteRankingSite(const QString &key);
QString siteRankingKeyword(const QString &key);

// What changed for a line since its previous result of the same tool and
// device: "↑3", "↓5", "新进前30", "跌出前30" (positions), "新收录", "掉收录"
// (inclusion), or empty when nothing changed or a side is 异常 (unknown).
QString describeChange(const QString &tool, const StoredLine &before, const StoredLine &now);
// The change of now since its line's entry in before (lines by key); empty without one.
QString changeSince(const QString &tool, const QHash<QString, StoredLine> &before, const StoredLine &now);
