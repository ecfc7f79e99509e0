#include "report/xlsreportwriter.h"

#include <QtTest>

Q_DECLARE_METATYPE(ReportTable)

// Record-level rules of the .xls stream that lenient readers let pass but
// Excel enforces: record size limit, substream framing, the sheet offset in
// BOUNDSHEET and the string-table index of EXTSST.
class TestXlsRecords : public QObject
{
    Q_OBJECT

private:
    struct Record
    {
        int offset;
        quint16 id;
        QByteArray data;
    };

    static QVector<Record> records(const QByteArray &stream, int from, bool *ok)
    {
        QVector<Record> list;
        int at = from;
        *ok = false;
        while (at + 4 <= stream.size()) {
            const quint16 id = qFromLittleEndian<quint16>(stream.constData() + at);
            const quint16 length = qFromLittleEndian<quint16>(stream.constData() + at + 2);
            if (at + 4 + length > stream.size())
                return list;
            list.append({at, id, stream.mid(at + 4, length)});
            at += 4 + length;
            if (id == 0x000A) {
                *ok = true;
                return list;
            }
        }
        return list;
    }

private slots:
    void streamFollowsTheRecordRules_data()
    {
        QTest::addColumn<ReportTable>("table");
        QTest::newRow("empty") << ReportTable{reportTitle(ReportKind::Ranking),
                                              reportHeadings(ReportKind::Ranking),
                                              initialColumnWidths(ReportKind::Ranking),
                                              {}};
        ReportTable longTexts{reportTitle(ReportKind::Inclusion),
                              reportHeadings(ReportKind::Inclusion),
                              initialColumnWidths(ReportKind::Inclusion),
                              {}};
        // Lengths chosen so that strings end on and around record boundaries.
        for (int i = 0; i < 60; ++i)
            longTexts.rows.append({QString(4000 + 37 * i, QChar(0x7F51)), QString(8219 + i, QLatin1Char('a')),
                                   QStringLiteral("已收录"), QString::number(i)});
        QTest::newRow("long texts") << longTexts;
        ReportTable many = longTexts;
        many.rows.clear();
        for (int i = 0; i < 5000; ++i)
            many.rows.append({QStringLiteral("标题%1").arg(i), QStringLiteral("http://a.cn/%1").arg(i),
                              QStringLiteral("未收录"), QString()});
        QTest::newRow("many rows") << many;
    }

    void streamFollowsTheRecordRules()
    {
        QFETCH(ReportTable, table);
        const QByteArray stream = XlsReportWriter(table).workbookStream();
        bool ok = false;
        const QVector<Record> globals = records(stream, 0, &ok);
        QVERIFY2(ok, "workbook globals do not end with EOF");
        QCOMPARE(globals.first().id, quint16(0x0809));
        QCOMPARE(qFromLittleEndian<quint16>(globals.first().data.constData() + 2), quint16(0x0005));

        quint32 sheetOffset = 0;
        quint16 previous = 0;
        QVector<QPair<quint32, quint16>> buckets;
        QHash<int, quint16> recordAt;
        for (const Record &record : globals) {
            QVERIFY2(record.data.size() <= 8224, qPrintable(QString::number(record.id, 16)));
            recordAt.insert(record.offset, record.id);
            if (record.id == 0x003C)
                QVERIFY(previous == 0x00FC || previous == 0x003C);
            if (record.id == 0x0085)
                sheetOffset = qFromLittleEndian<quint32>(record.data.constData());
            if (record.id == 0x00FF) {
                QVERIFY(qFromLittleEndian<quint16>(record.data.constData()) >= 8);
                for (int at = 2; at + 8 <= record.data.size(); at += 8)
                    buckets.append({qFromLittleEndian<quint32>(record.data.constData() + at),
                                    qFromLittleEndian<quint16>(record.data.constData() + at + 4)});
            }
            previous = record.id;
        }
        QVERIFY(!buckets.isEmpty());
        for (const auto &bucket : qAsConst(buckets)) {
            const quint16 holder = recordAt.value(int(bucket.first) - bucket.second);
            QVERIFY2(holder == 0x00FC || holder == 0x003C, "EXTSST points outside the string table");
        }

        const QVector<Record> sheet = records(stream, int(sheetOffset), &ok);
        QVERIFY2(ok, "worksheet does not end with EOF");
        QCOMPARE(sheet.first().id, quint16(0x0809));
        QCOMPARE(qFromLittleEndian<quint16>(sheet.first().data.constData() + 2), quint16(0x0010));
        for (const Record &record : sheet)
            QVERIFY(record.data.size() <= 8224);
        QCOMPARE(sheet.last().offset + 4 + sheet.last().data.size(), stream.size());
    }
};

QTEST_GUILESS_MAIN(TestXlsRecords)
#include "tst_xlsrecords.moc"
