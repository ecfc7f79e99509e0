#include "search/checkresult.h"

#include "search/resultstrings.h"

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

SiteRankingResult SiteRankingResult::failed(const QString &keyword, const QString &why)
{
    SiteRankingResult result;
    result.keyword = keyword;
    result.position = ResultText::kFailed;
    result.failure = why;
    return result;
}

bool SiteRankingResult::isFailed() const
{
    return position == ResultText::kFailed;
}

int SiteRankingResult::bestPosition() const
{
    bool number = false;
    const int value = position.toInt(&number);
    return number ? value : 0;
}

QStringList SiteRankingResult::cells() const
{
    QStringList others;
    for (int other : otherPositions)
        others.append(QString::number(other));
    return {keyword,
            position,
            address,
            title,
            isFailed() ? QString() : QString::number(entries),
            others.join(QLatin1String(", "))};
}

QString MinedKeyword::sourceText(MiningSource source)
{
    switch (source) {
    case MiningSource::Related:
        return QStringLiteral("相关搜索");
    case MiningSource::AlsoSearched:
        return QStringLiteral("大家还在搜");
    case MiningSource::Suggestion:
        break;
    }
    return QStringLiteral("下拉联想");
}

QStringList MinedKeyword::cells() const
{
    return {keyword, sourceText(source), seed, QString::number(depth)};
}
