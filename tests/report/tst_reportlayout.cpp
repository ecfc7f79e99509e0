#include "report/reportwriter.h"

#include <QtTest>

Q_DECLARE_METATYPE(ReportTable)

// Writes reports in both formats and has independent readers (openpyxl for
// .xlsx, xlrd for .xls) check every point of the sheet layout.
class TestReportLayout : public QObject
{
    Q_OBJECT

private:
    const QString m_python = QStringLiteral("/usr/bin/python3");

    static QStringList emptyRow(int cells)
    {
        QStringList row;
        for (int i = 0; i < cells; ++i)
            row.append(QString());
        return row;
    }

    static QJsonArray jsonStrings(const QStringList &texts) { return QJsonArray::fromStringList(texts); }

    // Runs the reader script on a written report; an empty result means it matched.
    QString readerProblems(const QString &reportPath, const ReportTable &table, const QList<int> &widths)
    {
        QJsonObject want;
        want.insert(QStringLiteral("subtitle"), table.subtitle);
        QJsonArray numberColumns;
        for (int column : table.numberColumns)
            numberColumns.append(column);
        want.insert(QStringLiteral("numberColumns"), numberColumns);
        QJsonArray totals;
        for (const ReportTotal &total : table.totals)
            totals.append(jsonStrings({total.label, total.value}));
        want.insert(QStringLiteral("totals"), totals);
        want.insert(QStringLiteral("title"), table.title);
        want.insert(QStringLiteral("headings"), jsonStrings(table.headings));
        QJsonArray widthArray;
        for (int width : widths)
            widthArray.append(width);
        want.insert(QStringLiteral("widths"), widthArray);
        QJsonArray rows;
        for (const QStringList &row : table.rows)
            rows.append(jsonStrings(row));
        want.insert(QStringLiteral("rows"), rows);

        QFile expected(reportPath + QStringLiteral(".json"));
        if (!expected.open(QIODevice::WriteOnly) || expected.write(QJsonDocument(want).toJson()) < 0)
            return QStringLiteral("cannot write the expectations");
        expected.close();

        QProcess reader;
        reader.start(m_python, {QStringLiteral(QUILLANE_TESTS_DIR "/report/checkreport.py"), reportPath,
                                expected.fileName()});
        if (!reader.waitForFinished(120000))
            return QStringLiteral("reader did not finish");
        if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0)
            return QString::fromUtf8(reader.readAllStandardError());
        return QString();
    }

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(m_python))
            QSKIP("no /usr/bin/python3 to read the reports with");
    }

    void layoutSurvivesTheReader_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<ReportTable>("table");
        QTest::addColumn<QList<int>>("widths");

        ReportTable emptyInclusion{reportTitle(ReportKind::Inclusion),
                                   reportHeadings(ReportKind::Inclusion),
                                   initialColumnWidths(ReportKind::Inclusion),
                                   {}};

        ReportTable oneInclusion = emptyInclusion;
        oneInclusion.rows = {{QStringLiteral("百度一下，你就知道"),
                              QStringLiteral("https://www.example.com/a?b=1&c=2"), QStringLiteral("已收录"),
                              QStringLiteral("2026-12-01")}};

        // Enough Chinese text that the string table runs over several records.
        ReportTable manyRanking{reportTitle(ReportKind::Ranking),
                                reportHeadings(ReportKind::Ranking),
                                initialColumnWidths(ReportKind::Ranking),
                                {}};
        for (int i = 0; i < 400; ++i)
            manyRanking.rows.append({QStringLiteral("关键词挖掘%1号").arg(i),
                                     QStringLiteral("http://例子.中国/页面/%1.html").arg(i),
                                     i % 3 ? QStringLiteral("已收录") : QStringLiteral("未收录"),
                                     i % 3 ? QString::number(i % 31) : QStringLiteral("--"),
                                     i % 5 ? QStringLiteral("2026年12月%1日").arg(i % 28 + 1) : QString()});
        manyRanking.rows.append(emptyRow(5)); // the table's spare empty row

        // Texts that must stay text, and texts longer than one record.
        ReportTable awkward{QStringLiteral("=HYPERLINK(\"http://x\")"),
                            reportHeadings(ReportKind::Ranking),
                            initialColumnWidths(ReportKind::Ranking),
                            {}};
        awkward.rows = {{QStringLiteral("=1+1"), QStringLiteral("+86"), QStringLiteral("-5"),
                         QStringLiteral("@sum"), QStringLiteral("007")},
                        {QStringLiteral("1e5"), QStringLiteral("3.14"), QStringLiteral("TRUE"),
                         QStringLiteral("2026-12-08"), QStringLiteral("  padded  ")},
                        {QString(9000, QChar(0x6536)), QString(20000, QLatin1Char('x')),
                         QStringLiteral("café ü"), QStringLiteral("line\nbreak\ttab"),
                         QStringLiteral("😀 emoji")},
                        {QStringLiteral("<b>&amp;</b>"), QStringLiteral("\"quoted\""), QStringLiteral("\\")},
                        {QStringLiteral("short row")}};

        ReportTable threeColumns{QStringLiteral("三列"),
                                 {QStringLiteral("甲"), QStringLiteral("乙"), QString()},
                                 {100, 205, 5},
                                 {{QStringLiteral("a"), QString(), QStringLiteral("c")}}};

        ReportTable oneColumn{
            QStringLiteral("one column"), {QStringLiteral("only")}, {61}, {{QStringLiteral("v")}}};

        // A run's line under the title, positions as numbers, totals below the table.
        ReportTable ranked{reportTitle(ReportKind::Ranking),
                           reportHeadings(ReportKind::Ranking),
                           initialColumnWidths(ReportKind::Ranking),
                           {}};
        ranked.subtitle = QStringLiteral("百度排名查询　电脑端　2026-12-08 15:30");
        ranked.numberColumns = {3, 7};
        const QString word = QStringLiteral("词");
        ranked.rows = {
            {word, QStringLiteral("http://a.cn/"), QStringLiteral("已收录"), QStringLiteral("1"),
             QStringLiteral("2026-12-01")},
            {word, QStringLiteral("http://b.cn/"), QStringLiteral("已收录"), QStringLiteral("30")},
            {word, QStringLiteral("http://c.cn/"), QStringLiteral("未收录"), QStringLiteral("30+")},
            {word, QStringLiteral("http://d.cn/"), QStringLiteral("未收录"), QStringLiteral("--")},
            {word, QStringLiteral("http://e.cn/"), QStringLiteral("异常"), QStringLiteral("异常")},
            {QStringLiteral("7"), QStringLiteral("12"), QStringLiteral("0"), QStringLiteral("0"),
             QStringLiteral("3")},
            {word, QStringLiteral("http://g.cn/"), QStringLiteral("已收录"), QStringLiteral("007")},
            {word, QStringLiteral("http://h.cn/"), QStringLiteral("已收录"), QStringLiteral("1e5")},
            emptyRow(5)};
        ranked.totals = {{QStringLiteral("总输入"), QStringLiteral("9")},
                         {QStringLiteral("共收录"), QStringLiteral("6")},
                         {QStringLiteral("未收录"), QStringLiteral("2")},
                         {QStringLiteral("异常"), QStringLiteral("1")},
                         {QStringLiteral("收录率"), QStringLiteral("75%")},
                         {QStringLiteral("前10"), QStringLiteral("1")}};

        ReportTable emptyWithTotals = emptyInclusion;
        emptyWithTotals.subtitle = QStringLiteral("百度收录查询　移动端　2026-12-08 15:31");
        emptyWithTotals.totals = {{QStringLiteral("总输入"), QStringLiteral("0")},
                                  {QStringLiteral("收录率"), QStringLiteral("0%")}};

        ReportTable oneColumnWithTotals = oneColumn;
        oneColumnWithTotals.subtitle = QStringLiteral("line");
        oneColumnWithTotals.numberColumns = {0};
        oneColumnWithTotals.rows = {{QStringLiteral("42")}};
        oneColumnWithTotals.totals = {{QStringLiteral("合计"), QStringLiteral("1")}};

        const QStringList suffixes{QStringLiteral("xlsx"), QStringLiteral("xls")};
        for (const QString &suffix : suffixes) {
            const QByteArray tag = suffix.toLatin1();
            QTest::newRow(QByteArray(tag + " empty inclusion").constData())
                << suffix << emptyInclusion << QList<int>{45, 61, 10, 16};
            QTest::newRow(QByteArray(tag + " one inclusion row").constData())
                << suffix << oneInclusion << QList<int>{45, 61, 10, 16};
            QTest::newRow(QByteArray(tag + " many ranking rows").constData())
                << suffix << manyRanking << QList<int>{44, 58, 10, 6, 14};
            QTest::newRow(QByteArray(tag + " texts stay text").constData())
                << suffix << awkward << QList<int>{44, 58, 10, 6, 14};
            QTest::newRow(QByteArray(tag + " three columns").constData())
                << suffix << threeColumns << QList<int>{16, 34, 0};
            QTest::newRow(QByteArray(tag + " one column").constData())
                << suffix << oneColumn << QList<int>{10};
            QTest::newRow(QByteArray(tag + " subtitle, positions and totals").constData())
                << suffix << ranked << QList<int>{44, 58, 10, 6, 14};
            QTest::newRow(QByteArray(tag + " empty table with totals").constData())
                << suffix << emptyWithTotals << QList<int>{45, 61, 10, 16};
            QTest::newRow(QByteArray(tag + " one column with totals").constData())
                << suffix << oneColumnWithTotals << QList<int>{10};
        }
    }

    void layoutSurvivesTheReader()
    {
        QFETCH(QString, suffix);
        QFETCH(ReportTable, table);
        QFETCH(QList<int>, widths);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("报表.") + suffix);
        const ReportWriteResult result = writeReport(path, table);
        QVERIFY2(result.ok, qPrintable(result.errorMessage));
        const QString problems = readerProblems(path, table, widths);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    // Every text a page or an input line can carry goes into a cell and
    // comes back as Excel reads it; what neither format can hold becomes U+FFFD.
    void cellTextsReadBack_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        const QChar nul(0);
        QString controls;
        for (ushort c = 1; c < 0x20; ++c)
            controls += QChar(c);
        const QString replacement(QChar::ReplacementCharacter);
        const QString high(QChar(0xD83D));
        const QString low(QChar(0xDE00));
        for (const QString &suffix : {QStringLiteral("xlsx"), QStringLiteral("xls")}) {
            const QByteArray tag = suffix.toLatin1() + ' ';
            const auto row = [&tag](const char *name) { return QByteArray(tag + name); };
            QTest::newRow(row("NUL inside").constData())
                << suffix << QStringLiteral("a") + nul + QStringLiteral("b")
                << QStringLiteral("a") + nul + QStringLiteral("b");
            QTest::newRow(row("every control character").constData()) << suffix << controls << controls;
            QTest::newRow(row("Windows line end").constData())
                << suffix << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb");
            QTest::newRow(row("U+FFFE and U+FFFF").constData())
                << suffix << QStringLiteral("x\uFFFEy\uFFFF") << QStringLiteral("x\uFFFDy\uFFFD");
            QTest::newRow(row("unpaired surrogates").constData())
                << suffix << high + QStringLiteral("a") + low + low + high
                << replacement + QStringLiteral("a") + replacement + replacement + replacement;
            QTest::newRow(row("pair kept beside a lone half").constData())
                << suffix << high + high + low << replacement + high + low;
            QTest::newRow(row("literal escapes").constData())
                << suffix << QStringLiteral("_x0041_ _x005F_ _x00e9_ _x12_ __x0001__")
                << QStringLiteral("_x0041_ _x005F_ _x00e9_ _x12_ __x0001__");
            QTest::newRow(row("escape text beside its character").constData())
                << suffix << QStringLiteral("_x0001_") + QChar(1) << QStringLiteral("_x0001_") + QChar(1);
            // Seven stored characters per NUL in .xlsx: the stored form meets the cell limit first.
            QTest::newRow(row("long run of NULs").constData())
                << suffix << QString(30000, nul)
                << QString(suffix == QLatin1String("xlsx") ? 32767 / 7 : 30000, nul);
        }
    }

    void cellTextsReadBack()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("texts.") + suffix);
        ReportTable table{
            text, {QStringLiteral("甲"), QStringLiteral("乙")}, {100, 100}, {{text, QStringLiteral("b")}}};
        table.subtitle = text;
        table.totals = {{text, text}};
        const ReportWriteResult result = writeReport(path, table);
        QVERIFY2(result.ok, qPrintable(result.errorMessage));
        ReportTable want{expected, table.headings, {}, {{expected, QStringLiteral("b")}}};
        want.subtitle = expected;
        want.totals = {{expected, expected}};
        const QString problems = readerProblems(path, want, {16, 16});
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    // LibreOffice opens both formats and reads the same texts back (it also
    // decodes the "_xHHHH_" escapes of .xlsx that openpyxl leaves alone).
    void libreOfficeReadsBothFormats()
    {
        const QString office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
        if (office.isEmpty())
            QSKIP("LibreOffice is not installed");

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const ReportTable table{
            QStringLiteral("=1+1 _x0041_ 报表"),
            reportHeadings(ReportKind::Ranking),
            initialColumnWidths(ReportKind::Ranking),
            {{QStringLiteral("_x0041_ stays"), QStringLiteral("bell\x07 control"),
              QStringLiteral("=SUM(A1:A2)"), QStringLiteral("007"), QStringLiteral("1e5")},
             {QStringLiteral("+86"), QStringLiteral("-5"), QStringLiteral("@x"), QStringLiteral("关键词"),
              QStringLiteral("2026-12-08")},
             emptyRow(5)}};
        const QStringList reports{dir.filePath(QStringLiteral("report.xlsx")),
                                  dir.filePath(QStringLiteral("report97.xls"))};
        for (const QString &report : reports)
            QVERIFY(writeReport(report, table).ok);

        const QString profile = QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString();
        const QStringList filters{QStringLiteral("pdf"),
                                  QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76")}; // UTF-8
        for (const QString &filter : filters) {
            QProcess convert;
            convert.start(office, QStringList{QStringLiteral("-env:UserInstallation=") + profile,
                                              QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                              filter, QStringLiteral("--outdir"), dir.path()} +
                                      reports);
            QVERIFY(convert.waitForFinished(240000));
            QVERIFY2(convert.exitCode() == 0, convert.readAllStandardError().constData());
        }

        QStringList expected{table.title + QStringLiteral(",,,,"), table.headings.join(QLatin1Char(','))};
        for (const QStringList &row : table.rows)
            expected.append(row.join(QLatin1Char(',')));
        const auto withoutEmptyTail = [](QStringList lines) {
            while (!lines.isEmpty() && lines.last().count(QLatin1Char(',')) == lines.last().size())
                lines.removeLast();
            return lines;
        };
        for (const QString &base : {QStringLiteral("report"), QStringLiteral("report97")}) {
            const QFileInfo pdf(dir.filePath(base + QStringLiteral(".pdf")));
            QVERIFY2(pdf.exists() && pdf.size() > 0, qPrintable(pdf.fileName()));
            QFile csv(dir.filePath(base + QStringLiteral(".csv")));
            QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(csv.fileName()));
            const QStringList lines = QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'));
            QCOMPARE(withoutEmptyTail(lines), withoutEmptyTail(expected));
        }
    }
};

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
