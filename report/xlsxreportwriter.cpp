#include "xlsxreportwriter.h"

#include "reportfile.h"
#include "reportlayout.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <xlsxwriter.h>

namespace {
const QString kScratchTemplate = QStringLiteral("quillane-report-XXXXXX.xlsx");
const QString kScratchFailed = QStringLiteral("无法创建临时文件：%1");
const QString kLibraryFailed = QStringLiteral("生成 .xlsx 失败：%1");

constexpr lxw_color_t kHeadingFill = (lxw_color_t(ReportLayout::kHeadingFillRed) << 16) |
                                     (lxw_color_t(ReportLayout::kHeadingFillGreen) << 8) |
                                     lxw_color_t(ReportLayout::kHeadingFillBlue);

// Frees the workbook on every path; workbook_close also writes the file.
struct WorkbookHandle
{
    lxw_workbook *workbook = nullptr;
    ~WorkbookHandle()
    {
        if (workbook)
            workbook_close(workbook);
    }
    lxw_error close()
    {
        const lxw_error error = workbook_close(workbook);
        workbook = nullptr;
        return error;
    }
};

// Excel reads "_xHHHH_" in a text as an escaped character; a literal one keeps
// its underscore by escaping it as "_x005F_".
QString withLiteralEscapesKept(const QString &text)
{
    static const QRegularExpression escapeLike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString kept = text;
    return kept.replace(escapeLike, QStringLiteral("_x005F_"));
}

void setGrid(lxw_format *format)
{
    format_set_border(format, LXW_BORDER_THIN);
    format_set_border_color(format, LXW_COLOR_BLACK);
}

// Writes one text cell; empty texts become blank cells that keep the format.
lxw_error writeText(lxw_worksheet *sheet, int row, int column, const QString &text, lxw_format *format)
{
    const QByteArray utf8 = withLiteralEscapesKept(ReportLayout::storedCellText(text)).toUtf8();
    return worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), utf8.constData(), format);
}
} // namespace

XlsxReportWriter::XlsxReportWriter(const ReportTable &table) : m_table(table) {}

ReportWriteResult XlsxReportWriter::write(const QString &path) const
{
    ReportWriteResult failed;
    QTemporaryFile scratch(QDir::temp().filePath(kScratchTemplate));
    if (!scratch.open()) {
        failed.errorMessage = cannotWriteMessage(path, kScratchFailed.arg(scratch.errorString()));
        return failed;
    }
    scratch.close();

    WorkbookHandle handle;
    handle.workbook = workbook_new(QFile::encodeName(scratch.fileName()).constData());
    if (!handle.workbook) {
        failed.errorMessage = cannotWriteMessage(
            path, kLibraryFailed.arg(QString::fromLocal8Bit(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED))));
        return failed;
    }
    lxw_workbook *workbook = handle.workbook;
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);

    lxw_format *title = workbook_add_format(workbook);
    format_set_font_size(title, ReportLayout::kTitleFontPoints);
    format_set_text_wrap(title);
    format_set_align(title, LXW_ALIGN_CENTER);
    format_set_align(title, LXW_ALIGN_VERTICAL_CENTER);

    lxw_format *heading = workbook_add_format(workbook);
    format_set_bold(heading);
    format_set_pattern(heading, LXW_PATTERN_SOLID);
    format_set_bg_color(heading, kHeadingFill);
    format_set_align(heading, LXW_ALIGN_CENTER);
    format_set_align(heading, LXW_ALIGN_VERTICAL_CENTER);
    setGrid(heading);

    lxw_format *data = workbook_add_format(workbook);
    setGrid(data);

    const int columns = m_table.headings.size();
    const int rows = m_table.rows.size();
    lxw_error error = LXW_NO_ERROR;
    auto keep = [&error](lxw_error step) {
        if (error == LXW_NO_ERROR)
            error = step;
    };

    const QByteArray titleText = withLiteralEscapesKept(ReportLayout::storedCellText(m_table.title)).toUtf8();
    keep(worksheet_set_row(sheet, 0, ReportLayout::kTitleRowPoints, nullptr));
    if (columns > 1)
        keep(worksheet_merge_range(sheet, 0, 0, 0, lxw_col_t(columns - 1), titleText.constData(), title));
    else
        keep(writeText(sheet, 0, 0, m_table.title, title));

    for (int column = 0; column < columns; ++column) {
        if (column < m_table.columnPixelWidths.size()) {
            const int width = ReportLayout::columnWidthCharacters(m_table.columnPixelWidths.at(column));
            lxw_row_col_options hidden = {};
            hidden.hidden = width == 0; // Excel shows a zero width as a hidden column
            keep(worksheet_set_column_opt(sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr,
                                          &hidden));
        }
        keep(writeText(sheet, 1, column, m_table.headings.at(column), heading));
    }
    keep(worksheet_set_row(sheet, 1, ReportLayout::kTableRowPoints, nullptr));

    for (int row = 0; row < rows; ++row) {
        const QStringList &cells = m_table.rows.at(row);
        keep(worksheet_set_row(sheet, lxw_row_t(row + 2), ReportLayout::kTableRowPoints, nullptr));
        for (int column = 0; column < columns; ++column)
            keep(writeText(sheet, row + 2, column, column < cells.size() ? cells.at(column) : QString(),
                           data));
    }

    keep(handle.close());
    if (error != LXW_NO_ERROR) {
        failed.errorMessage =
            cannotWriteMessage(path, kLibraryFailed.arg(QString::fromLocal8Bit(lxw_strerror(error))));
        return failed;
    }

    QFile written(scratch.fileName());
    if (!written.open(QIODevice::ReadOnly)) {
        failed.errorMessage = cannotWriteMessage(path, written.errorString());
        return failed;
    }
    return saveReportFile(path, written.readAll());
}
