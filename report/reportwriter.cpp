#include "report/reportwriter.h"

#include "report/reportlayout.h"
#include "report/xlsreportwriter.h"
#include "report/xlsxreportwriter.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kTitleProduct = QStringLiteral("Quillane工具");
const QString kTitleRanking = QStringLiteral("-排名查询报表");
const QString kTitleInclusion = QStringLiteral("-收录查询报表");
const QString kTitleSiteRanking = QStringLiteral("-泛排名查询报表");
const QString kTitleMining = QStringLiteral("-关键词挖掘报表");
const QString kTitleSite = QStringLiteral("（%1）");
const QString kTitleContact = QStringLiteral("-收录批量查询，排名批量查询，关键词挖掘，官方Q群：");
const QString kContactNumber = QStringLiteral("618273945");

const QString kSuffixXlsx = QStringLiteral("xlsx");
const QString kSuffixXls = QStringLiteral("xls");

const QString kNoPath = QStringLiteral("没有给出报表文件名。");
const QString kBadSuffix = QStringLiteral("不支持的文件类型：%1（报表只能保存为 .xls 或 .xlsx）");
const QString kNoColumns = QStringLiteral("表格没有列，无法导出报表。");
const QString kTooLarge = QStringLiteral("表格超出 %1 文件的上限（最多 %2 行、%3 列）。");
const QString kTryXlsx = QStringLiteral("请改存为 .xlsx。");

// Sheet limits of the two formats (rows include the title, heading and totals rows).
constexpr int kXlsMaxRows = 65536;
constexpr int kXlsMaxColumns = 256;
constexpr int kXlsxMaxRows = 1048576;
constexpr int kXlsxMaxColumns = 16384;

ReportWriteResult refused(const QString &reason)
{
    ReportWriteResult result;
    result.errorMessage = reason;
    return result;
}
} // namespace

QString reportTitle(ReportKind kind, const QString &site)
{
    const QString *tool = &kTitleInclusion;
    if (kind == ReportKind::Ranking)
        tool = &kTitleRanking;
    else if (kind == ReportKind::SiteRanking)
        tool = &kTitleSiteRanking;
    else if (kind == ReportKind::Mining)
        tool = &kTitleMining;
    const QString named =
        kind == ReportKind::SiteRanking && !site.isEmpty() ? kTitleSite.arg(site) : QString();
    return kTitleProduct % *tool % named % kTitleContact % kContactNumber;
}

QStringList reportHeadings(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Ranking:
        return {QStringLiteral("关键词"), QStringLiteral("网址"), QStringLiteral("收录"),
                QStringLiteral("排名"), QStringLiteral("快照")};
    case ReportKind::SiteRanking:
        return {QStringLiteral("关键词"), QStringLiteral("最佳排名"), QStringLiteral("排名网址"),
                QStringLiteral("标题"),   QStringLiteral("数量"),     QStringLiteral("其他排名")};
    case ReportKind::Mining:
        return {QStringLiteral("关键词"), QStringLiteral("来源"), QStringLiteral("种子词"),
                QStringLiteral("层级")};
    case ReportKind::Inclusion:
        break;
    }
    return {QStringLiteral("标题"), QStringLiteral("网址"), QStringLiteral("收录"), QStringLiteral("快照")};
}

QList<int> initialColumnWidths(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Ranking:
        return {265, 350, 60, 40, 85};
    case ReportKind::SiteRanking:
        return {160, 60, 250, 210, 40, 80};
    case ReportKind::Mining:
        return {330, 90, 250, 50};
    case ReportKind::Inclusion:
        break;
    }
    return {270, 370, 60, 100};
}

ReportWriteResult writeReport(const QString &path, const ReportTable &table)
{
    if (path.isEmpty())
        return refused(kNoPath);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool xlsx = suffix == kSuffixXlsx;
    if (!xlsx && suffix != kSuffixXls)
        return refused(kBadSuffix.arg(QDir::toNativeSeparators(path)));
    if (table.headings.isEmpty())
        return refused(kNoColumns);

    const ReportLayout::SheetRows sheet = ReportLayout::sheetRows(table);
    const int maxRows = xlsx ? kXlsxMaxRows : kXlsMaxRows;
    const int maxColumns = xlsx ? kXlsxMaxColumns : kXlsMaxColumns;
    if (sheet.count > maxRows || sheet.columns > maxColumns)
        return refused(kTooLarge.arg(QLatin1Char('.') + suffix).arg(maxRows).arg(maxColumns) +
                       (xlsx ? QString() : kTryXlsx));

    if (xlsx)
        return XlsxReportWriter(table).write(path);
    return XlsReportWriter(table).write(path);
}
