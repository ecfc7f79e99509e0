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

SiteRankingResult SiteRankingResult::joined(const QList<SiteRankingResult> &sites)
{
    if (sites.isEmpty())
        return SiteRankingResult();
    SiteRankingResult first = sites.first();
    first.otherSites.assign(sites.begin() + 1, sites.end());
    return first;
}

QList<SiteRankingResult> SiteRankingResult::perSite() const
{
    QList<SiteRankingResult> sites;
    SiteRankingResult first = *this;
    first.otherSites.clear();
    sites.append(first);
    for (const SiteRankingResult &other : otherSites)
        sites.append(other);
    return sites;
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
    if (!otherSites.empty()) {
        QStringList cells{keyword};
        for (const SiteRankingResult &site : perSite())
            cells << site.position << site.address
                  << (site.isFailed() ? QString() : QString::number(site.entries));
        return cells;
    }
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
