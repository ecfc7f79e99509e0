#include "runreport.h"

namespace {
const QString kSeparator = QStringLiteral(" · ");
const QString kInclusionCheck = QStringLiteral("百度收录查询");
const QString kRankingCheck = QStringLiteral("百度排名查询");
const QString kDesktop = QStringLiteral("电脑端");
const QString kMobile = QStringLiteral("移动端");
const QString kStartedFormat = QStringLiteral("yyyy-MM-dd HH:mm");
constexpr int kPositionColumn = 3;
} // namespace

QString reportSubtitle(ReportKind kind, bool mobile, const QDateTime &started)
{
    return (kind == ReportKind::Ranking ? kRankingCheck : kInclusionCheck) % kSeparator %
           (mobile ? kMobile : kDesktop) % kSeparator % started.toString(kStartedFormat);
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

QList<int> reportNumberColumns(ReportKind kind)
{
    return kind == ReportKind::Ranking ? QList<int>{kPositionColumn} : QList<int>();
}
