#include "checkresult.h"

#include "resultstrings.h"

InclusionResult InclusionResult::failed(const QString &address, const QString &why)
{
    InclusionResult result;
    result.address = address;
    result.status = ResultText::kFailed;
    result.failure = why;
    return result;
}

bool InclusionResult::isIncluded() const
{
    return status == ResultText::kIncluded;
}

bool InclusionResult::isFailed() const
{
    return status == ResultText::kFailed;
}

QStringList InclusionResult::cells() const
{
    return {title, address, status, snapshot};
}

RankingResult RankingResult::failed(const QString &keyword, const QString &address, const QString &why)
{
    RankingResult result;
    result.keyword = keyword;
    result.address = address;
    result.status = ResultText::kFailed;
    result.failure = why;
    return result;
}

bool RankingResult::isIncluded() const
{
    return status == ResultText::kIncluded;
}

bool RankingResult::isFailed() const
{
    return status == ResultText::kFailed || position == ResultText::kFailed;
}

QStringList RankingResult::cells() const
{
    return {keyword, address, status, position, snapshot};
}
