#include "report/xlsxreportwriter.h"

#include "report/reportfile.h"
#include "report/reportlayout.h"
#include "report/xlsxpackagecheck.h"

#include <QFile>
#include <QVector>

#include <xlsxwriter.h>

namespace {
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

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

// "_xHHHH_" starts at i.
bool escapeAt(const QString &text, int i)
{
    if (i + 6 >= text.size() || text.at(i) != QLatin1Char('_') || text.at(i + 1) != QLatin1Char('x') ||
        text.at(i + 6) != QLatin1Char('_'))
        return false;
    for (int k = i + 2; k < i + 6; ++k) {
        if (!isHexDigit(text.at(k)))
            return false;
    }
    return true;
}

// Control characters that XML cannot hold or that an XML reader would not
// give back as they were (a carriage return becomes a line feed).
bool needsEscape(QChar c)
{
    return c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n');
}

QString escaped(ushort unit)
{
    return QStringLiteral("_x") + QString::number(unit, 16).toUpper().rightJustified(4, QLatin1Char('0')) +
           QLatin1Char('_');
}

// A cell text in the form Excel reads back: control characters (NUL, which
// would also end libxlsxwriter's C string, included) as "_xHHHH_", and a
// literal "_xHHHH_" kept by escaping its underscore as "_x005F_".
// libxlsxwriter refuses a stored form longer than the cell limit, so a text
// whose escapes outgrow it is cut there.
QByteArray xlsxText(const QString &text)
{
    const QString stored = ReportLayout::storedCellText(text);
    bool plain = true;
    for (int i = 0; i < stored.size() && plain; ++i)
        plain = !needsEscape(stored.at(i)) && !escapeAt(stored, i);
    if (plain)
        return stored.toUtf8();

    QString out;
    out.reserve(stored.size() + 64);
    int characters = 0;
    for (int i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        QString piece;
        int length = 1;
        if (needsEscape(c) || escapeAt(stored, i)) {
            piece = escaped(needsEscape(c) ? c.unicode() : ushort('_'));
            length = piece.size();
        } else if (c.isHighSurrogate() && i + 1 < stored.size()) {
            piece = stored.mid(i++, 2); // one character: stored texts hold no unpaired surrogate
        } else {
            piece = c;
        }
        if (characters + length > ReportLayout::kMaxCellTextLength)
            break;
        characters += length;
        out += piece;
    }
    return out.toUtf8();
}

void setGrid(lxw_format *format)
{
    format_set_border(format, LXW_BORDER_THIN);
    format_set_border_color(format, LXW_COLOR_BLACK);
}

lxw_format *centred(lxw_workbook *workbook)
{
    lxw_format *format = workbook_add_format(workbook);
    format_set_align(format, LXW_ALIGN_CENTER);
    format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
    return format;
}

// One text cell (a blank one that keeps the format when empty), or a number
// when asked for and the text is a whole number.
lxw_error writeCell(lxw_worksheet *sheet, int row, int column, const QString &text, lxw_format *format,
                    bool numberWanted = false)
{
    double number = 0;
    if (numberWanted && ReportLayout::wholeNumber(text, &number))
        return worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(column), number, format);
    return worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), xlsxText(text).constData(),
                                  format);
}

// A line across every column: merged, or a single cell when there is one column.
lxw_error writeLine(lxw_worksheet *sheet, int row, int columns, const QString &text, lxw_format *format)
{
    if (columns > 1)
        return worksheet_merge_range(sheet, lxw_row_t(row), 0, lxw_row_t(row), lxw_col_t(columns - 1),
                                     xlsxText(text).constData(), format);
    return writeCell(sheet, row, 0, text, format);
}
} // namespace

XlsxReportWriter::XlsxReportWriter(const ReportTable &table) : m_table(table) {}

ReportWriteResult XlsxReportWriter::write(const QString &path) const
{
    ReportWriteResult result;
    ReportFile file(path);
    if (file.open()) {
        QByteArray written;
        const int error = writeWorkbook(file.temporaryPath());
        if (error != LXW_NO_ERROR)
            file.fail(kLibraryFailed.arg(QString::fromLocal8Bit(lxw_strerror(lxw_error(error)))));
        else if (file.readBack(&written)) {
            const QString problem = xlsxPackageProblem(written);
            if (!problem.isEmpty())
                file.fail(problem);
            else
                result.ok = file.commit();
        }
    }
    if (!result.ok)
        result.errorMessage = file.errorMessage();
    return result;
}

int XlsxReportWriter::writeWorkbook(const QString &fileName) const
{
    WorkbookHandle handle;
    handle.workbook = workbook_new(QFile::encodeName(fileName).constData());
    if (!handle.workbook)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    lxw_workbook *workbook = handle.workbook;
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);

    lxw_format *title = centred(workbook);
    format_set_font_size(title, ReportLayout::kTitleFontPoints);
    format_set_text_wrap(title);

    lxw_format *subtitle = centred(workbook);

    lxw_format *heading = centred(workbook);
    format_set_bold(heading);
    format_set_pattern(heading, LXW_PATTERN_SOLID);
    format_set_bg_color(heading, kHeadingFill);
    setGrid(heading);

    lxw_format *data = workbook_add_format(workbook);
    setGrid(data);

    const ReportLayout::SheetRows at = ReportLayout::sheetRows(m_table);
    const int columns = m_table.headings.size();
    lxw_error error = LXW_NO_ERROR;
    auto keep = [&error](lxw_error step) {
        if (error == LXW_NO_ERROR)
            error = step;
    };

    keep(worksheet_set_row(sheet, 0, ReportLayout::kTitleRowPoints, nullptr));
    for (int row = 1; row < at.count; ++row)
        keep(worksheet_set_row(sheet, lxw_row_t(row), ReportLayout::kTableRowPoints, nullptr));
    keep(writeLine(sheet, 0, columns, m_table.title, title));
    if (at.subtitle >= 0)
        keep(writeLine(sheet, at.subtitle, columns, m_table.subtitle, subtitle));

    for (int column = 0; column < columns; ++column) {
        if (column < m_table.columnPixelWidths.size()) {
            const int width = ReportLayout::columnWidthCharacters(m_table.columnPixelWidths.at(column));
            lxw_row_col_options hidden = {};
            hidden.hidden = width == 0; // Excel shows a zero width as a hidden column
            keep(worksheet_set_column_opt(sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr,
                                          &hidden));
        }
        keep(writeCell(sheet, at.headings, column, m_table.headings.at(column), heading));
    }

    QVector<bool> numbers(columns, false);
    for (int column : m_table.numberColumns) {
        if (column >= 0 && column < columns)
            numbers[column] = true;
    }
    for (int row = 0; row < m_table.rows.size(); ++row) {
        const QStringList &cells = m_table.rows.at(row);
        for (int column = 0; column < columns; ++column)
            keep(writeCell(sheet, at.firstData + row, column,
                           column < cells.size() ? cells.at(column) : QString(), data, numbers.at(column)));
    }

    for (int i = 0; i < m_table.totals.size(); ++i) {
        keep(writeCell(sheet, at.firstTotal + i, 0, m_table.totals.at(i).label, heading));
        keep(writeCell(sheet, at.firstTotal + i, 1, m_table.totals.at(i).value, data, true));
    }

    keep(handle.close());
    return error;
}
