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
// feed, duplicates removed (first kept); lines without "http" in any letter
// case are dropped. Lines are kept as typed: a ranking line is split into
// keyword and address once, by the check (splitRankingLine).
QStringList prepareQueryLines(const QString &text, QueryKind kind);
