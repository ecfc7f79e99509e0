#pragma once

#include <QString>
#include <QStringList>

enum class QueryKind
{
    Inclusion,
    Ranking,
    Keyword // one keyword per line: site ranking and keyword mining
};

// The lines a query runs over, from the editor's text: split at every line
// feed, duplicates removed (first kept); on the ranking page every "https:"
// becomes "http:"; lines without "http" in any letter case are dropped.
QStringList prepareQueryLines(const QString &text, QueryKind kind);
