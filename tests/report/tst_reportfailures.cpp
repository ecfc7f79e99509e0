#include "report/reportwriter.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

// Failed exports: each says why, and none leaves a file (or a stray temporary
// file) behind; an existing report survives a failed overwrite.
class TestReportFailures : public QObject
{
    Q_OBJECT

private:
    static ReportTable smallTable()
    {
        return {reportTitle(ReportKind::Inclusion),
                reportHeadings(ReportKind::Inclusion),
                initialColumnWidths(ReportKind::Inclusion),
                {{QStringLiteral("标题"), QStringLiteral("http://a.cn/"), QStringLiteral("已收录"),
                  QStringLiteral("2026-12-08")}}};
    }

    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    static QByteArray magic(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
    }

    const QByteArray m_zipMagic = QByteArray("PK\x03\x04", 4);
    const QByteArray m_compoundMagic = QByteArray("\xD0\xCF\x11\xE0", 4);

private slots:
    void unwritablePlaceIsReported_data()
    {
        QTest::addColumn<QString>("place"); // relative to a fresh folder, or absolute
        QTest::addColumn<bool>("makeFolderAtTarget");
        for (const QString &suffix : {QStringLiteral(".xlsx"), QStringLiteral(".xls")}) {
            const QByteArray tag = suffix.toLatin1();
            QTest::newRow(QByteArray("missing folder" + tag).constData())
                << QStringLiteral("missing/report") + suffix << false;
            QTest::newRow(QByteArray("under a regular file" + tag).constData())
                << QStringLiteral("plain.txt/report") + suffix << false;
            QTest::newRow(QByteArray("folder at the target" + tag).constData())
                << QStringLiteral("report") + suffix << true;
            QTest::newRow(QByteArray("kernel file system" + tag).constData())
                << QStringLiteral("/proc/quillane-report") + suffix << false;
        }
    }

    void unwritablePlaceIsReported()
    {
        QFETCH(QString, place);
        QFETCH(bool, makeFolderAtTarget);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile plain(dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString path = QDir::isAbsolutePath(place) ? place : dir.filePath(place);
        if (makeFolderAtTarget)
            QVERIFY(QDir().mkpath(path));
        const QStringList before = entries(dir.path());

        const ReportWriteResult result = writeReport(path, smallTable());
        QVERIFY(!result.ok);
        QVERIFY2(result.errorMessage.contains(QStringLiteral("无法写入文件")),
                 qPrintable(result.errorMessage));
        QVERIFY2(result.errorMessage.contains(QDir::toNativeSeparators(path)),
                 qPrintable(result.errorMessage));
        QCOMPARE(QFileInfo(path).isFile(), false);
        QCOMPARE(entries(dir.path()), before);
        if (makeFolderAtTarget)
            QVERIFY(entries(path).isEmpty());
    }

    // The disk fills up, or the file size limit is reached, somewhere in the
    // report: the old report stays as it was, nothing else is left beside it,
    // and the failure is reported.
    void fullDiskKeepsTheOldReport_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("freeKilobytes"); // on a 64 KiB file system; -1: the size limit instead
        QTest::addColumn<int>("sizeLimit");     // bytes; negative: that many short of the whole report
        for (const QString &suffix : {QStringLiteral(".xlsx"), QStringLiteral(".xls")}) {
            const QByteArray tag = suffix.toLatin1();
            QTest::newRow(QByteArray("3000 rows on 64 KiB" + tag).constData()) << suffix << 3000 << 60 << 0;
            // Small enough to sit in a write buffer until the end.
            QTest::newRow(QByteArray("one row with 4 KiB free" + tag).constData()) << suffix << 1 << 4 << 0;
            QTest::newRow(QByteArray("size limit 0" + tag).constData()) << suffix << 1 << -1 << 0;
            QTest::newRow(QByteArray("size limit 4096" + tag).constData()) << suffix << 300 << -1 << 4096;
            QTest::newRow(QByteArray("last byte over the size limit" + tag).constData())
                << suffix << 300 << -1 << -1;
        }
    }

    void fullDiskKeepsTheOldReport()
    {
        QFETCH(QString, suffix);
        QFETCH(int, rows);
        QFETCH(int, freeKilobytes);
        QFETCH(int, sizeLimit);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString folder = dir.path();
        ReportTable table = smallTable();
        for (int i = 1; i < rows; ++i)
            table.rows.append({QStringLiteral("第%1行的标题").arg(i),
                               QStringLiteral("http://a.cn/%1").arg(i * 7919), QStringLiteral("已收录"),
                               QString::number(i)});
        if (sizeLimit < 0) {
            const QString whole = dir.filePath(QStringLiteral("whole") + suffix);
            QVERIFY(writeReport(whole, table).ok);
            sizeLimit += int(QFileInfo(whole).size());
            QVERIFY(QFile::remove(whole));
        }

        QString mounted;
        auto unmount = qScopeGuard([&mounted] {
            if (!mounted.isEmpty())
                QProcess::execute(QStringLiteral("umount"), {mounted});
        });
        if (freeKilobytes >= 0) {
            folder = dir.filePath(QStringLiteral("small"));
            QVERIFY(QDir().mkpath(folder));
            QProcess mount;
            mount.start(QStringLiteral("mount"),
                        {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                         QStringLiteral("size=64k"), QStringLiteral("tmpfs"), folder});
            if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit ||
                mount.exitCode() != 0)
                QSKIP("cannot mount a small file system here");
            mounted = folder;
        }

        const QString path = folder + QStringLiteral("/report") + suffix;
        const QByteArray oldReport("the report of yesterday");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QCOMPARE(old.write(oldReport), qint64(oldReport.size()));
        old.close();
        // Everything but the old report's page and the free space goes to a filler.
        const int fillerKilobytes = 64 - 4 - freeKilobytes;
        if (freeKilobytes >= 0 && fillerKilobytes > 0) {
            QFile filler(folder + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            QCOMPARE(filler.write(QByteArray(fillerKilobytes * 1024, 'f')), qint64(fillerKilobytes * 1024));
            filler.close();
        }
        const QStringList before = entries(folder);

        ReportWriteResult result;
        if (freeKilobytes >= 0) {
            result = writeReport(path, table);
        } else {
            struct rlimit limit;
            QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
            const rlim_t normal = limit.rlim_cur;
            limit.rlim_cur = rlim_t(sizeLimit);
            const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
            result = writeReport(path, table);
            limit.rlim_cur = normal;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
            ::signal(SIGXFSZ, previousHandler);
        }
        QVERIFY(!result.ok);
        QVERIFY2(result.errorMessage.contains(QStringLiteral("无法写入文件")),
                 qPrintable(result.errorMessage));
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), oldReport);
        QCOMPARE(entries(folder), before);
    }

    void extensionChoosesTheFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("expectedMagic"); // empty: refused
        QTest::newRow("xlsx") << QStringLiteral("r.xlsx") << m_zipMagic;
        QTest::newRow("upper case XLSX") << QStringLiteral("R.XLSX") << m_zipMagic;
        QTest::newRow("xls") << QStringLiteral("r.xls") << m_compoundMagic;
        QTest::newRow("mixed case Xls") << QStringLiteral("r.Xls") << m_compoundMagic;
        QTest::newRow("no extension") << QStringLiteral("report") << QByteArray();
        QTest::newRow("csv") << QStringLiteral("report.csv") << QByteArray();
        QTest::newRow("xls inside the name") << QStringLiteral("report.xls.bak") << QByteArray();
        QTest::newRow("xlsm") << QStringLiteral("report.xlsm") << QByteArray();
    }

    void extensionChoosesTheFormat()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, expectedMagic);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(name);
        const ReportWriteResult result = writeReport(path, smallTable());
        if (expectedMagic.isEmpty()) {
            QVERIFY(!result.ok);
            QVERIFY(!result.errorMessage.isEmpty());
            QVERIFY(entries(dir.path()).isEmpty());
            return;
        }
        QVERIFY2(result.ok, qPrintable(result.errorMessage));
        QCOMPARE(magic(path), expectedMagic);
        QCOMPARE(entries(dir.path()), QStringList{name});
    }

    // The new report takes the old one's place and keeps its permissions.
    void existingFileIsOverwritten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("xls") << QStringLiteral("r.xls");
        QTest::newRow("xlsx") << QStringLiteral("r.xlsx");
    }

    void existingFileIsOverwritten()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(name);
        QVERIFY(writeReport(path, smallTable()).ok);
        const auto readOnly = QFile::ReadOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, readOnly));
        ReportTable bigger = smallTable();
        bigger.rows.append(QStringList{QString(20000, QLatin1Char('y'))});
        const qint64 firstSize = QFileInfo(path).size();
        QVERIFY(writeReport(path, bigger).ok);
        QVERIFY(QFileInfo(path).size() > firstSize);
        // The "User" flags say what the running user may do, not the file's mode.
        const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                          QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                          QFile::ExeOther;
        QCOMPARE(QFile::permissions(path) & mode, readOnly);
        QCOMPARE(entries(dir.path()), QStringList{name});
    }

    void tableOutsideTheFormatIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("no columns xlsx") << QStringLiteral("r.xlsx") << 0 << 1 << false;
        QTest::newRow("no columns xls") << QStringLiteral("r.xls") << 0 << 1 << false;
        QTest::newRow("xls last row") << QStringLiteral("r.xls") << 1 << 65534 << true;
        QTest::newRow("xls one row too many") << QStringLiteral("r.xls") << 1 << 65535 << false;
        QTest::newRow("xls 257 columns") << QStringLiteral("r.xls") << 257 << 1 << false;
    }

    void tableOutsideTheFormatIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(bool, accepted);
        ReportTable table;
        table.title = QStringLiteral("t");
        for (int column = 0; column < columns; ++column)
            table.headings.append(QString::number(column));
        for (int row = 0; row < rows; ++row)
            table.rows.append(QStringList{QStringLiteral("x")});
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const ReportWriteResult result = writeReport(dir.filePath(name), table);
        QCOMPARE(result.ok, accepted);
        QCOMPARE(result.errorMessage.isEmpty(), accepted);
        QCOMPARE(entries(dir.path()).size(), accepted ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestReportFailures)
#include "tst_reportfailures.moc"
