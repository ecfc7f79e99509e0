#pragma once

#include "search/searchcontext.h"
#include "ui/resulttablemodel.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

// How a query page checks a batch of lines. One object per batch: start() it
// once; it reports resultReady() per checked line, for the table row that
// line belongs to, and finished() once at the end, also after stop().
class BatchRunner : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // rows[i] is the table row of lines[i]; deviceMode "sjd" checks Baidu's mobile pages.
    virtual void start(const QStringList &lines, const QVector<int> &rows, const QString &deviceMode,
                       const SearchContext &context) = 0;
    // Cuts the transfers in flight short without waiting; lines cut short
    // report nothing. finished() follows.
    virtual void stop() = 0;

signals:
    void resultReady(int row, const ResultRow &result);
    // From runners whose rows are found rather than checked lines: how far
    // the run has come, and requests that failed without a row of their own.
    void progressed(int done, int total);
    void requestsFailed(int count);
    void finished();
};
