#pragma once

#include "search/searchcontext.h"

#include <QDir>
#include <QHash>
#include <QString>
#include <QStringList>

// Keeps the answer pages that led to "异常" for --save-pages: each one a file
// "<row>-<check>-<request>.html" in the folder, written on the checking
// thread as the page arrives, so no page stays in memory. Rows are numbered
// as the results are written, from 1.
class PageSaver
{
public:
    PageSaver(const QString &folder, const QStringList &lines);

    // Creates the folder if needed; an empty text when it can be written to,
    // else one line naming the problem.
    QString prepare() const;

    // Thread-safe: pages of different lines or requests go to different files.
    void save(const AnswerPage &page) const;

    // The file name a page of line row (1-based) gets.
    static QString fileName(int row, const QString &check, const QString &request);

private:
    const QDir m_folder;
    QHash<QString, int> m_rows;
};
