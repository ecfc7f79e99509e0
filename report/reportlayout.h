#pragma once

#include <QString>

// The fixed measures of the report sheet, shared by both file formats.
namespace ReportLayout {
constexpr double kTitleFontPoints = 18;
constexpr double kTitleRowPoints = 30;
constexpr double kTableRowPoints = 20; // heading row and every data row
constexpr int kPixelsPerCharacter = 6; // on-screen pixels per report width unit
constexpr quint8 kHeadingFillRed = 191;
constexpr quint8 kHeadingFillGreen = 191;
constexpr quint8 kHeadingFillBlue = 191;
// Excel refuses longer cell texts; longer ones are cut to this many UTF-16 units.
constexpr int kMaxCellTextLength = 32767;

// Report width of a table column: pixels / 6, truncated, never negative.
inline int columnWidthCharacters(int pixelWidth)
{
    return pixelWidth > 0 ? pixelWidth / kPixelsPerCharacter : 0;
}

// A cell text as stored: cut to the cell limit without splitting a surrogate pair.
inline QString storedCellText(const QString &text)
{
    if (text.size() <= kMaxCellTextLength)
        return text;
    int length = kMaxCellTextLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}
} // namespace ReportLayout
