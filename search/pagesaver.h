#pragma once

#include "search/searchcontext.h"

#include <QDir>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// Keeps the answer pages that led to "异常" (the command's --save-pages, the
// window's runs, whose 异常 rows show them): each one a file
// "<row>-<check>-<request>.html" in the folder, written on the checking
// thread as the page arrives, so no page stays in memory. Rows are numbered
// as the results are written, from 1. A name that is taken (an earlier try
// of the line, an earlier run, a folder) gets "-2", "-3", … before ".html";
// nothing is ever overwritten. A page that cannot be written leaves no file
// behind, and the first such page is named to the failure handler.
class PageSaver
{
public:
    using FailureHandler = std::function<void(const QString &message)>;

    PageSaver(const QString &folder, const QStringList &lines, FailureHandler failed = FailureHandler());

    // Creates the folder if needed; an empty text when it can be written to,
    // else one line naming the problem.
    QString prepare() const;

    // Thread-safe; the failure handler is called on the calling thread.
    void save(const AnswerPage &page) const;

    // The file name a page of line row (1-based) gets; copy 2 and on for a name that is taken.
    static QString fileName(int row, const QString &check, const QString &request, int copy = 1);
    // The page kept last for line row (1-based) in folder; empty when none.
    static QString lastPageOf(const QString &folder, int row);

private:
    void fail(const QString &path, const QString &why) const;

    const QDir m_folder;
    QHash<QString, int> m_rows;
    const FailureHandler m_failed;
    mutable std::atomic<bool> m_failureTold{false};
};
