#include "report/runreport.h"

namespace {
const QString kSeparator = QStringLiteral(" · ");
const QString kInclusionCheck = QStringLiteral("百度收录查询");
const QString kRankingCheck = QStringLiteral("百度排名查询");
const QString kSiteRankingCheck = QStringLiteral("泛排名查询");
const QString kMiningCheck = QStringLiteral("关键词挖掘");
const QString kSite = QStringLiteral("网站 %1");
const QString kStartedFormat = QStringLiteral("yyyy-MM-dd HH:mm");

QList<ReportTotal> verdictTotals(int lines, const ResultTally &tally)
{
    return {{QStringLiteral("总输入"), QString::number(lines)},
            {QStringLiteral("共收录"), QString::number(tally.included)},
            {QStringLiteral("未收录"), QString::number(tally.notIncluded)},
            {QStringLiteral("异常"), QString::number(tally.failed)},
            {QStringLiteral("收录率"), QString::number(tally.rate()) + QLatin1Char('%')}};
}

QList<ReportTotal> positionTotals(int keywords, const ResultTally &tally)
{
    return {{QStringLiteral("总关键词"), QString::number(keywords)},
            {QStringLiteral("前10"), QString::number(tally.top10)},
            {QStringLiteral("前30"), QString::number(tally.top30)},
            {QStringLiteral("30名外"), QString::number(tally.beyond30)},
            {QStringLiteral("异常"), QString::number(tally.failed)}};
}

QList<ReportTotal> miningTotals(int seeds, const ResultTally &tally)
{
    return {{QStringLiteral("种子词"), QString::number(seeds)},
            {QStringLiteral("共挖掘"), QString::number(tally.checked)},
            {QStringLiteral("失败"), QString::number(tally.failedRequests)}};
}
} // namespace

QString reportSubtitle(ReportKind kind, Device device, const QDateTime &started, const QString &site)
{
    switch (kind) {
    case ReportKind::Ranking:
        return kRankingCheck % kSeparator % deviceName(device) % kSeparator %
               started.toString(kStartedFormat);
    case ReportKind::SiteRanking:
        return kSiteRankingCheck % kSeparator % (site.isEmpty() ? QString() : kSite.arg(site) % kSeparator) %
               deviceName(device) % kSeparator % started.toString(kStartedFormat);
    case ReportKind::Mining:
        // Mining asks the desktop search box and result pages only.
        return kMiningCheck % kSeparator % started.toString(kStartedFormat);
    case ReportKind::Inclusion:
        break;
    }
    return kInclusionCheck % kSeparator % deviceName(device) % kSeparator % started.toString(kStartedFormat);
}

QList<ReportTotal> runTotals(ReportKind kind, int lines, const ResultTally &tally)
{
    switch (kind) {
    case ReportKind::SiteRanking:
        return positionTotals(lines, tally);
    case ReportKind::Mining:
        return miningTotals(lines, tally);
    case ReportKind::Inclusion:
    case ReportKind::Ranking:
        break;
    }
    return verdictTotals(lines, tally);
}
