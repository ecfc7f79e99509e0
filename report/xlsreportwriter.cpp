#include "report/xlsreportwriter.h"

#include "report/compoundfile.h"
#include "report/reportfile.h"
#include "report/reportlayout.h"

#include <QHash>
#include <QVector>
#include <QtEndian>

#include <cstring>

namespace {
const QString kStreamName = QStringLiteral("Workbook");
const QString kSheetName = QStringLiteral("Sheet1");
const QString kFontName = QStringLiteral("Arial");

namespace Record {
constexpr quint16 kBof = 0x0809;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kCodepage = 0x0042;
constexpr quint16 kWindow1 = 0x003D;
constexpr quint16 kDateMode = 0x0022;
constexpr quint16 kFont = 0x0031;
constexpr quint16 kXf = 0x00E0;
constexpr quint16 kStyle = 0x0293;
constexpr quint16 kPalette = 0x0092;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kSst = 0x00FC;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kExtSst = 0x00FF;
constexpr quint16 kDefColWidth = 0x0055;
constexpr quint16 kColInfo = 0x007D;
constexpr quint16 kDimensions = 0x0200;
constexpr quint16 kRow = 0x0208;
constexpr quint16 kLabelSst = 0x00FD;
constexpr quint16 kBlank = 0x0201;
constexpr quint16 kNumber = 0x0203;
constexpr quint16 kWindow2 = 0x023E;
constexpr quint16 kMergedCells = 0x00E5;
} // namespace Record

constexpr int kMaxRecordData = 8224;
constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kBofGlobals = 0x0005;
constexpr quint16 kBofWorksheet = 0x0010;
constexpr quint16 kCodepageUtf16 = 1200;

// Font indexes; BIFF never uses index 4, so the fifth record is index 5.
constexpr int kDefaultFonts = 5;
constexpr quint16 kTitleFont = 6;
constexpr quint16 kBoldFont = 7;
constexpr quint16 kTwipsPerPoint = 20;
constexpr quint16 kDefaultFontTwips = 200;
constexpr quint16 kWeightNormal = 400;
constexpr quint16 kWeightBold = 700;
constexpr quint16 kAutomaticColour = 0x7FFF;

// Cell formats: 15 style XFs and the default cell XF come first, as Excel needs.
constexpr quint16 kDefaultCellXf = 15;
constexpr quint16 kTitleXf = 16;
constexpr quint16 kHeadingXf = 17;
constexpr quint16 kDataXf = 18;
constexpr quint16 kSubtitleXf = 19;

// Palette: black is entry 8; entry 22 (normally 192,192,192) becomes the heading grey.
constexpr quint16 kBlackIndex = 8;
constexpr quint16 kHeadingFillIndex = 22;
constexpr quint16 kWindowForeground = 0x40;
constexpr quint16 kWindowBackground = 0x41;
constexpr int kPaletteFirstIndex = 8;
const quint32 kDefaultPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

// XF alignment byte: horizontal in bits 0-2, wrap bit 3, vertical in bits 4-6.
constexpr quint8 kAlignCentre = 2;
constexpr quint8 kWrap = 0x08;
constexpr quint8 kVerticalCentre = 1 << 4;
constexpr quint8 kVerticalBottom = 2 << 4;
constexpr quint16 kStyleXfFlags = 0xFFF5;  // locked, style XF, no parent
constexpr quint16 kCellXfFlags = 0x0001;   // locked, parent style XF 0
constexpr quint8 kAllAttributesOwn = 0xFC; // number, font, alignment, border, fill, protection
constexpr quint8 kStyleAttributesUsed = 0xF4;
constexpr quint8 kLineThin = 1;
constexpr quint8 kFillSolid = 1;

constexpr quint16 kRowCustomHeight = 0x0140; // fUnsynced plus the bit that is always set
constexpr quint16 kWindow2Flags = 0x06B6; // grid, headers, zeros, default colours, outline, selected, shown
constexpr int kRowsPerBlock = 32;
constexpr quint16 kColumnHidden = 0x0001;

// Little-endian record builder: a record is opened, filled and closed, and
// its length is set on closing.
class BiffBuffer
{
public:
    QByteArray bytes;

    int size() const { return bytes.size(); }
    void begin(quint16 id)
    {
        u16(id);
        m_lengthAt = bytes.size();
        u16(0);
    }
    void end()
    {
        Q_ASSERT(recordLength() <= kMaxRecordData);
        qToLittleEndian(quint16(recordLength()), bytes.data() + m_lengthAt);
    }
    int recordLength() const { return bytes.size() - m_lengthAt - 2; }
    void u8(quint8 value) { bytes.append(char(value)); }
    void u16(quint16 value)
    {
        char raw[2];
        qToLittleEndian(value, raw);
        bytes.append(raw, 2);
    }
    void u32(quint32 value)
    {
        char raw[4];
        qToLittleEndian(value, raw);
        bytes.append(raw, 4);
    }
    void f64(double value)
    {
        quint64 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        u32(quint32(bits));
        u32(quint32(bits >> 32));
    }
    void patch32(int at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }
    void characters(const QString &text, int from, int count, bool wide)
    {
        for (int i = from; i < from + count; ++i) {
            const ushort unit = text.at(i).unicode();
            if (wide)
                u16(unit);
            else
                u8(quint8(unit));
        }
    }
    // Short name string of FONT and BOUNDSHEET: 8-bit count, flags, characters.
    void shortString(const QString &text)
    {
        const bool wide = needsWide(text);
        u8(quint8(text.size()));
        u8(wide ? 1 : 0);
        characters(text, 0, text.size(), wide);
    }
    void record(quint16 id, std::initializer_list<quint16> words)
    {
        begin(id);
        for (quint16 word : words)
            u16(word);
        end();
    }

    static bool needsWide(const QString &text)
    {
        for (const QChar c : text)
            if (c.unicode() > 0xFF)
                return true;
        return false;
    }

private:
    int m_lengthAt = 0;
};

struct XfSpec
{
    quint16 font = 0;
    quint16 flags = kCellXfFlags;
    quint8 alignment = kVerticalBottom;
    quint8 used = kAllAttributesOwn;
    bool grid = false;
    bool fill = false;
};

void writeXf(BiffBuffer &out, const XfSpec &xf)
{
    out.begin(Record::kXf);
    out.u16(xf.font);
    out.u16(0); // general number format
    out.u16(xf.flags);
    out.u8(xf.alignment);
    out.u8(0); // rotation
    out.u8(0); // indent, shrink, reading order
    out.u8(xf.used);
    quint32 lines = 0;
    quint32 colours = 0;
    if (xf.grid) {
        lines = kLineThin | (kLineThin << 4) | (kLineThin << 8) | (kLineThin << 12) |
                (quint32(kBlackIndex) << 16) | (quint32(kBlackIndex) << 23);
        colours = kBlackIndex | (quint32(kBlackIndex) << 7);
    }
    if (xf.fill)
        colours |= quint32(kFillSolid) << 26;
    out.u32(lines);
    out.u32(colours);
    out.u16(quint16((xf.fill ? kHeadingFillIndex : kWindowForeground) | (kWindowBackground << 7)));
    out.end();
}

void writeFont(BiffBuffer &out, quint16 twips, quint16 weight)
{
    out.begin(Record::kFont);
    out.u16(twips);
    out.u16(weight >= kWeightBold ? 1 : 0); // Excel repeats boldness in this flag
    out.u16(kAutomaticColour);
    out.u16(weight);
    out.u16(0); // no super/subscript
    out.u8(0);  // no underline
    out.u8(0);  // family
    out.u8(0);  // character set
    out.u8(0);
    out.shortString(kFontName);
    out.end();
}

// The shared string table: each distinct text once, LABELSST cells refer to it.
class StringTable
{
public:
    quint32 indexOf(const QString &text)
    {
        ++m_references;
        const auto found = m_index.constFind(text);
        if (found != m_index.constEnd())
            return found.value();
        const quint32 index = quint32(m_strings.size());
        m_index.insert(text, index);
        m_strings.append(text);
        return index;
    }

    // SST and its CONTINUE records, then EXTSST. A string's count and flags
    // never split; its characters may, and the CONTINUE then repeats the flags.
    void write(BiffBuffer &out) const
    {
        const int perBucket = qMax(8, (m_strings.size() + 127) / 128);
        QVector<QPair<quint32, quint16>> buckets;

        out.begin(Record::kSst);
        out.u32(m_references);
        out.u32(quint32(m_strings.size()));
        for (int i = 0; i < m_strings.size(); ++i) {
            const QString &text = m_strings.at(i);
            const bool wide = BiffBuffer::needsWide(text);
            const int unit = wide ? 2 : 1;
            if (kMaxRecordData - out.recordLength() < 3 + unit) {
                out.end();
                out.begin(Record::kContinue);
            }
            if (i % perBucket == 0)
                buckets.append({quint32(out.size()), quint16(out.recordLength() + 4)});
            out.u16(quint16(text.size()));
            out.u8(wide ? 1 : 0);
            int done = 0;
            while (done < text.size()) {
                int room = (kMaxRecordData - out.recordLength()) / unit;
                if (room == 0) {
                    out.end();
                    out.begin(Record::kContinue);
                    out.u8(wide ? 1 : 0);
                    room = (kMaxRecordData - 1) / unit;
                }
                const int count = qMin(room, text.size() - done);
                out.characters(text, done, count, wide);
                done += count;
            }
        }
        out.end();

        out.begin(Record::kExtSst);
        out.u16(quint16(perBucket));
        for (const auto &bucket : qAsConst(buckets)) {
            out.u32(bucket.first);
            out.u16(bucket.second);
            out.u16(0);
        }
        out.end();
    }

private:
    QHash<QString, quint32> m_index;
    QVector<QString> m_strings;
    quint32 m_references = 0;
};

// A text cell, or a blank one keeping the format when the text is empty, or
// a number when asked for and the text is a whole number. Control characters
// stay as they are: BIFF8 strings are counted, not terminated.
void writeCell(BiffBuffer &out, StringTable &strings, int row, int column, quint16 xf, const QString &text,
               bool numberWanted = false)
{
    double number = 0;
    if (numberWanted && ReportLayout::wholeNumber(text, &number)) {
        out.begin(Record::kNumber);
        out.u16(quint16(row));
        out.u16(quint16(column));
        out.u16(xf);
        out.f64(number);
        out.end();
        return;
    }
    const QString stored = ReportLayout::storedCellText(text);
    if (stored.isEmpty()) {
        out.record(Record::kBlank, {quint16(row), quint16(column), xf});
        return;
    }
    out.begin(Record::kLabelSst);
    out.u16(quint16(row));
    out.u16(quint16(column));
    out.u16(xf);
    out.u32(strings.indexOf(stored));
    out.end();
}

void writeBof(BiffBuffer &out, quint16 kind)
{
    out.begin(Record::kBof);
    out.u16(kBiff8);
    out.u16(kind);
    out.u16(0x0DBB); // build
    out.u16(0x07CC); // year
    out.u32(0);      // file history
    out.u32(0x0006); // lowest version that may read it: BIFF8
    out.end();
}

// Excel stores a column width with the cell padding included, in 1/256 of the
// default font's digit width (7 pixels wide, 5 pixels of padding); a width of
// zero is a hidden column.
quint16 storedColumnWidth(int characters)
{
    if (characters <= 0)
        return 0;
    constexpr int kDigitPixels = 7;
    constexpr int kPaddingPixels = 5;
    const int pixels = characters * kDigitPixels + kPaddingPixels;
    return quint16(qMin(pixels * 256 / kDigitPixels, 255 * 256));
}
} // namespace

XlsReportWriter::XlsReportWriter(const ReportTable &table) : m_table(table) {}

ReportWriteResult XlsReportWriter::write(const QString &path) const
{
    return saveReportFile(path, CompoundFile::withSingleStream(kStreamName, workbookStream()));
}

QByteArray XlsReportWriter::workbookStream() const
{
    const ReportLayout::SheetRows at = ReportLayout::sheetRows(m_table);
    const int columns = m_table.headings.size();
    QVector<bool> numbers(columns, false);
    for (int column : m_table.numberColumns) {
        if (column >= 0 && column < columns)
            numbers[column] = true;
    }

    // The sheet comes first so that the string table is known for the globals.
    StringTable strings;
    BiffBuffer sheet;
    writeBof(sheet, kBofWorksheet);
    sheet.record(Record::kDefColWidth, {8});
    for (int column = 0; column < columns && column < m_table.columnPixelWidths.size(); ++column) {
        const int characters = ReportLayout::columnWidthCharacters(m_table.columnPixelWidths.at(column));
        sheet.record(Record::kColInfo, {quint16(column), quint16(column), storedColumnWidth(characters),
                                        kDefaultCellXf, quint16(characters > 0 ? 0 : kColumnHidden), 0});
    }
    sheet.begin(Record::kDimensions);
    sheet.u32(0);
    sheet.u32(quint32(at.count));
    sheet.u16(0);
    sheet.u16(quint16(at.columns));
    sheet.u16(0);
    sheet.end();

    // A line across every column; the cells after the first keep its format for the merge.
    auto writeLine = [&](int row, quint16 xf, const QString &text) {
        writeCell(sheet, strings, row, 0, xf, text);
        for (int column = 1; column < columns; ++column)
            sheet.record(Record::kBlank, {quint16(row), quint16(column), xf});
    };
    const auto titleTwips = quint16(ReportLayout::kTitleRowPoints * kTwipsPerPoint);
    const auto tableTwips = quint16(ReportLayout::kTableRowPoints * kTwipsPerPoint);
    const int lastData = at.firstData + m_table.rows.size();
    for (int blockStart = 0; blockStart < at.count; blockStart += kRowsPerBlock) {
        const int blockEnd = qMin(blockStart + kRowsPerBlock, at.count);
        for (int row = blockStart; row < blockEnd; ++row)
            sheet.record(Record::kRow,
                         {quint16(row), 0, quint16(at.columns), row == 0 ? titleTwips : tableTwips, 0, 0,
                          kRowCustomHeight, kDefaultCellXf});
        for (int row = blockStart; row < blockEnd; ++row) {
            if (row == 0) {
                writeLine(0, kTitleXf, m_table.title);
            } else if (row == at.subtitle) {
                writeLine(row, kSubtitleXf, m_table.subtitle);
            } else if (row == at.headings) {
                for (int column = 0; column < columns; ++column)
                    writeCell(sheet, strings, row, column, kHeadingXf, m_table.headings.at(column));
            } else if (row < lastData) {
                const QStringList &cells = m_table.rows.at(row - at.firstData);
                for (int column = 0; column < columns; ++column)
                    writeCell(sheet, strings, row, column, kDataXf,
                              column < cells.size() ? cells.at(column) : QString(), numbers.at(column));
            } else if (at.firstTotal >= 0 && row >= at.firstTotal) {
                const ReportTotal &total = m_table.totals.at(row - at.firstTotal);
                writeCell(sheet, strings, row, 0, kHeadingXf, total.label);
                writeCell(sheet, strings, row, 1, kDataXf, total.value, true);
            }
        }
    }

    sheet.begin(Record::kWindow2);
    sheet.u16(kWindow2Flags);
    sheet.u16(0); // top row
    sheet.u16(0); // left column
    sheet.u16(kWindowForeground);
    sheet.u16(0);
    sheet.u16(0); // page break preview zoom: default
    sheet.u16(0); // normal zoom: default
    sheet.u32(0);
    sheet.end();
    if (columns > 1 && at.subtitle >= 0)
        sheet.record(Record::kMergedCells, {2, 0, 0, 0, quint16(columns - 1), quint16(at.subtitle),
                                            quint16(at.subtitle), 0, quint16(columns - 1)});
    else if (columns > 1)
        sheet.record(Record::kMergedCells, {1, 0, 0, 0, quint16(columns - 1)});
    sheet.record(Record::kEof, {});

    BiffBuffer globals;
    writeBof(globals, kBofGlobals);
    globals.record(Record::kCodepage, {kCodepageUtf16});
    // Window position and size, scroll bars and sheet tabs shown, first sheet active and selected.
    globals.record(Record::kWindow1, {0, 0, 0x3A5C, 0x23BE, 0x0038, 0, 0, 1, 0x0258});
    globals.record(Record::kDateMode, {0});

    for (int i = 0; i < kDefaultFonts; ++i)
        writeFont(globals, kDefaultFontTwips, kWeightNormal);
    writeFont(globals, quint16(ReportLayout::kTitleFontPoints * kTwipsPerPoint), kWeightNormal);
    writeFont(globals, kDefaultFontTwips, kWeightBold);

    static const quint16 styleFonts[15] = {0, 1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 15; ++i) {
        XfSpec style;
        style.font = styleFonts[i];
        style.flags = kStyleXfFlags;
        style.used = i == 0 ? 0 : kStyleAttributesUsed;
        writeXf(globals, style);
    }
    XfSpec defaultCell;
    defaultCell.used = 0;
    writeXf(globals, defaultCell);
    XfSpec title;
    title.font = kTitleFont;
    title.alignment = kAlignCentre | kWrap | kVerticalCentre;
    writeXf(globals, title);
    XfSpec heading;
    heading.font = kBoldFont;
    heading.alignment = kAlignCentre | kVerticalCentre;
    heading.grid = true;
    heading.fill = true;
    writeXf(globals, heading);
    XfSpec data;
    data.grid = true;
    writeXf(globals, data);
    XfSpec subtitle;
    subtitle.alignment = kAlignCentre | kVerticalCentre;
    writeXf(globals, subtitle);

    globals.record(Record::kStyle, {0x8000, 0xFF00}); // built-in "Normal" on XF 0, no outline level

    globals.begin(Record::kPalette);
    globals.u16(56);
    for (int i = 0; i < 56; ++i) {
        quint32 rgb = kDefaultPalette[i];
        if (i + kPaletteFirstIndex == kHeadingFillIndex)
            rgb = (quint32(ReportLayout::kHeadingFillRed) << 16) |
                  (quint32(ReportLayout::kHeadingFillGreen) << 8) | ReportLayout::kHeadingFillBlue;
        globals.u8(quint8(rgb >> 16));
        globals.u8(quint8(rgb >> 8));
        globals.u8(quint8(rgb));
        globals.u8(0);
    }
    globals.end();

    globals.begin(Record::kBoundSheet);
    const int sheetOffsetAt = globals.size();
    globals.u32(0);
    globals.u8(0); // visible
    globals.u8(0); // worksheet
    globals.shortString(kSheetName);
    globals.end();

    strings.write(globals);
    globals.record(Record::kEof, {});

    globals.patch32(sheetOffsetAt, quint32(globals.size()));
    return globals.bytes + sheet.bytes;
}
