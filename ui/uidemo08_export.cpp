// Exporting a result table as a spreadsheet report.
#include "ui_uidemo08.h"
#include "uidemo08.h"

#include "messagebox.h"
#include "reportwriter.h"
#include "savefiledialog.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QUrl>

namespace {

// Texts of the export, in the window's translation context.
const char kSaveCaption[] = QT_TRANSLATE_NOOP("UIDemo08", "保存");
const char kSaveFilter[] = QT_TRANSLATE_NOOP("UIDemo08", "Excel 文件(*.xls *.xlsx)");
const char kOpenQuestion[] = QT_TRANSLATE_NOOP("UIDemo08", "报表已经导出，是否立即打开？");
const char kExportFailed[] = QT_TRANSLATE_NOOP("UIDemo08", "报表导出失败：%1");

// Every other sender exports the inclusion page.
const QString kRankingExportButton = QStringLiteral("daochuBtn_2");

// The two suffixes the report writer knows; any other name gets the first.
const QString kDefaultSuffix = QStringLiteral(".xlsx");
const QString kOtherSuffix = QStringLiteral(".xls");

// The table as it stands: headings, on-screen widths and every cell's display text.
ReportTable gatherReport(const QTableWidget *table, ReportKind kind)
{
    ReportTable report;
    report.title = reportTitle(kind);
    const int columns = table->columnCount();
    for (int column = 0; column < columns; ++column) {
        const QTableWidgetItem *heading = table->horizontalHeaderItem(column);
        report.headings.append(heading ? heading->text() : QString());
        report.columnPixelWidths.append(table->columnWidth(column));
    }
    const int rows = table->rowCount();
    report.rows.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        QStringList cells;
        cells.reserve(columns);
        for (int column = 0; column < columns; ++column) {
            const QTableWidgetItem *item = table->item(row, column);
            cells.append(item ? item->text() : QString());
        }
        report.rows.append(cells);
    }
    return report;
}

// A typed name without a report suffix would otherwise be refused by the writer.
QString withReportSuffix(const QString &path)
{
    if (path.endsWith(kDefaultSuffix, Qt::CaseInsensitive) ||
        path.endsWith(kOtherSuffix, Qt::CaseInsensitive))
        return path;
    return path + kDefaultSuffix;
}

} // namespace

void UIDemo08::on_daochuBtn_clicked()
{
    const QObject *button = sender();
    const bool ranking = button && button->objectName() == kRankingExportButton;
    const ReportKind kind = ranking ? ReportKind::Ranking : ReportKind::Inclusion;
    QTableWidget *table = ranking ? ui->resultList_2 : ui->resultList;

    const QString chosen = SaveFileDialog::getSaveFileName(
        table, tr(kSaveCaption), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        tr(kSaveFilter));
    if (chosen.isEmpty())
        return;
    const QString path = QFileInfo(withReportSuffix(chosen)).absoluteFilePath();

    const ReportWriteResult written = writeReport(path, gatherReport(table, kind));
    if (!written.ok) {
        // Either button ends the export.
        QuillaneMessageBox::ask(tr(kExportFailed).arg(written.errorMessage));
        return;
    }
    if (QuillaneMessageBox::ask(tr(kOpenQuestion)))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
