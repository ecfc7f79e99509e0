#pragma once

#include "report/reportwriter.h"

#include <QString>

// The fixed measures of the report sheet, shared by both file formats.
namespace ReportLayout {
constexpr double kTitleFontPoints = 18;
constexpr double kTitleRowPoints = 30;
constexpr double kTableRowPoints = 20; // every row below the title
constexpr int kPixelsPerCharacter = 6; // on-screen pixels per report width unit
constexpr quint8 kHeadingFillRed = 191;
constexpr quint8 kHeadingFillGreen = 191;
constexpr quint8 kHeadingFillBlue = 191;
// Excel refuses longer cell texts; longer ones are cut to this many UTF-16 units.
constexpr int kMaxCellTextLength = 32767;
// Whole numbers up to 15 digits convert to a double and back unchanged.
constexpr int kMaxNumberDigits = 15;

// Report width of a table column: pixels / 6, truncated, never negative.
inline int columnWidthCharacters(int pixelWidth)
{
    return pixelWidth > 0 ? pixelWidth / kPixelsPerCharacter : 0;
}

// A cell text as both formats can store it: U+FFFE, U+FFFF and unpaired
// surrogates (which pages and input files can carry) become U+FFFD, and the
// text is cut to the cell limit without splitting a surrogate pair.
QString storedCellText(const QString &text);

// Whether a cell text is a plain whole number ("0", "7", "30"; not "007",
// "30+", "-5" or "1e5"), and its value.
bool wholeNumber(const QString &text, double *value);

// Where each part of a report sits on the sheet (0-based rows; -1: absent).
struct SheetRows
{
    int subtitle = -1;
    int headings = 1;
    int firstData = 2;
    int firstTotal = -1;
    int count = 2;   // rows in use, the blank one before the totals included
    int columns = 0; // the table's columns, at least the two a total needs
};
SheetRows sheetRows(const ReportTable &table);
} // namespace ReportLayout
