#include "report/runreport.h"

namespace {
const QString kSeparator = QStringLiteral(" · ");
const QString kInclusionCheck = QStringLiteral("百度收录查询");
const QString kRankingCheck = QStringLiteral("百度排名查询");
const QString kSiteRankingCheck = QStringLiteral("泛排名查询");
const QString kMiningCheck = QStringLiteral("关键词挖掘");
const QString kDesktop = QStringLiteral("电脑端");
const QString kMobile = QStringLiteral("移动端");
const QString kStartedFormat = QStringLiteral("yyyy-MM-dd HH:mm");
constexpr int kPositionColumn = 3;
} // namespace

QString reportSubtitle(ReportKind kind, bool mobile, const QDateTime &started)
{
    switch (kind) {
    case ReportKind::Ranking:
        return kRankingCheck % kSeparator % (mobile ? kMobile : kDesktop) % kSeparator %
               started.toString(kStartedFormat);
    case ReportKind::SiteRanking:
        return kSiteRankingCheck % kSeparator % (mobile ? kMobile : kDesktop) % kSeparator %
               started.toString(kStartedFormat);
    case ReportKind::Mining:
        // Mining asks the desktop search box and result pages only.
        return kMiningCheck % kSeparator % started.toString(kStartedFormat);
    case ReportKind::Inclusion:
        break;
    }
    return kInclusionCheck % kSeparator % (mobile ? kMobile : kDesktop) % kSeparator %
           started.toString(kStartedFormat);
}

QList<ReportTotal> reportTotals(int lines, int included, int notIncluded, int failed)
{
    const int verdicts = included + notIncluded;
    return {{QStringLiteral("总输入"), QString::number(lines)},
            {QStringLiteral("共收录"), QString::number(included)},
            {QStringLiteral("未收录"), QString::number(notIncluded)},
            {QStringLiteral("异常"), QString::number(failed)},
            {QStringLiteral("收录率"),
             QString::number(verdicts > 0 ? included * 100 / verdicts : 0) + QLatin1Char('%')}};
}

QList<ReportTotal> siteRankingTotals(int keywords, int top10, int top30, int beyond30, int failed)
{
    return {{QStringLiteral("总关键词"), QString::number(keywords)},
            {QStringLiteral("前10"), QString::number(top10)},
            {QStringLiteral("前30"), QString::number(top30)},
            {QStringLiteral("30名外"), QString::number(beyond30)},
            {QStringLiteral("异常"), QString::number(failed)}};
}

QList<ReportTotal> miningTotals(int seeds, int found, int failedRequests)
{
    return {{QStringLiteral("种子词"), QString::number(seeds)},
            {QStringLiteral("共挖掘"), QString::number(found)},
            {QStringLiteral("失败"), QString::number(failedRequests)}};
}

QList<int> reportNumberColumns(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Ranking:
        return {kPositionColumn};
    case ReportKind::SiteRanking:
        return {1, 4};
    case ReportKind::Mining:
        return {3};
    case ReportKind::Inclusion:
        break;
    }
    return {};
}
