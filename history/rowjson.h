#pragma once

#include "history/historystore.h"
#include "workers/batchrunner.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// Rows as JSON objects for scripts (one per line of JSON Lines output), the
// same from a run and from the history. Positions are numbers, or null with
// the cell's text in position_status ("30+", "--", "异常"); dates are texts
// as shown; every object names its tool and device.
struct RowJsonContext
{
    Tool tool = Tool::Inclusion;
    QString device;        // "pc", "mobile"; empty: null (mining)
    QStringList sites;     // a site ranking run's hosts, in its order
    bool withSerp = false; // add each row's first-30 list
};

// line: the row's number, from 1.
QJsonObject rowJson(const RowJsonContext &context, int line, const QStringList &cells, const QString &failure,
                    const SerpList &serp = SerpList(), const QDateTime &readAt = QDateTime());
// A first-30 list: {"read_at", "entries": [{"position", "title", "shown", "address", "asked" | "sites"}]}.
QJsonObject serpJson(const RowJsonContext &context, const SerpList &serp, const QDateTime &readAt);
// A run as history list shows it.
QJsonObject runJson(const StoredRun &run);
// One line of history changes.
QJsonObject changeJson(const StoredRun &run, const StoredLine &before, const StoredLine &now,
                       const QString &change);
