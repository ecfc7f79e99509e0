#include "resultstrings.h"

QString inclusionResult(const QString &title, const QString &address, const QString &status,
                        const QString &snapshot)
{
    using ResultText::kSeparator;
    return title % kSeparator % address % kSeparator % status % kSeparator % snapshot;
}

QString rankingResult(const QString &keyword, const QString &address, const QString &status,
                      const QString &position, const QString &snapshot)
{
    using ResultText::kSeparator;
    return keyword % kSeparator % address % kSeparator % status % kSeparator % position % kSeparator %
           snapshot;
}

QStringList splitResult(const QString &result)
{
    return result.split(ResultText::kSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

bool isIncludedResult(const QStringList &fields)
{
    return fields.size() > 2 && fields.at(2) == ResultText::kIncluded;
}
