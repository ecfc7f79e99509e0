#include "report/compoundfile.h"

#include <QtTest>

// The container round trip through an independent reader, across the sizes
// where its layout changes: padding up to the mini-stream cutoff, sector
// boundaries, and a FAT too large for the header (DIFAT sectors).
class TestCompoundFile : public QObject
{
    Q_OBJECT

private slots:
    void streamComesBackWhole_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("tiny") << 17;
        QTest::newRow("just under the cutoff") << 4095;
        QTest::newRow("at the cutoff") << 4096;
        QTest::newRow("one byte into a sector") << 4097;
        QTest::newRow("one FAT sector full") << 512 * 125;
        QTest::newRow("second FAT sector") << 512 * 127 + 1;
        QTest::newRow("109 FAT sectors") << 512 * (109 * 128 - 120);
        QTest::newRow("needs a DIFAT sector") << 512 * (109 * 128 + 10);
        QTest::newRow("needs two DIFAT sectors") << 512 * (236 * 128 + 10);
    }

    void streamComesBackWhole()
    {
        QFETCH(int, size);
        QByteArray stream(size, '\0');
        quint32 state = 2463534242u;
        for (char &byte : stream) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = char(state);
        }

        const QByteArray file = CompoundFile::withSingleStream(QStringLiteral("Workbook"), stream);
        QCOMPARE(file.left(8), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile container(dir.filePath(QStringLiteral("book.xls")));
        QVERIFY(container.open(QIODevice::WriteOnly));
        QCOMPARE(container.write(file), qint64(file.size()));
        container.close();

        const QString output = dir.filePath(QStringLiteral("stream.bin"));
        QProcess reader;
        reader.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(QUILLANE_TESTS_DIR "/report/readcompound.py"), container.fileName(),
                      QStringLiteral("Workbook"), output});
        QVERIFY(reader.waitForFinished(120000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());

        QFile read(output);
        QVERIFY(read.open(QIODevice::ReadOnly));
        const QByteArray back = read.readAll();
        // Short streams are padded with zeros rather than moved to the mini stream.
        QCOMPARE(back.size(), qMax(size, CompoundFile::kMiniStreamCutoff));
        QVERIFY(back.left(size) == stream);
        QVERIFY(back.mid(size).count('\0') == back.size() - size);
    }
};

QTEST_GUILESS_MAIN(TestCompoundFile)
#include "tst_compoundfile.moc"
