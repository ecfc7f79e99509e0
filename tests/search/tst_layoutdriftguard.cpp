#include "search/layoutdriftguard.h"

#include <QtTest>

#include <QDir>
#include <QTemporaryDir>

namespace {

// "R" a page read, "U" a result page of unknown layout, "N" Baidu's word
// that it has nothing, "B" a robot check, "X" no text at all.
ResultPage pageOf(QChar code)
{
    ResultPage page;
    switch (code.toLatin1()) {
    case 'R':
        page.kind = PageKind::Results;
        page.entries.append(ResultEntry());
        break;
    case 'U':
        page.kind = PageKind::Results;
        page.layoutUnknown = true;
        break;
    case 'N':
        page.kind = PageKind::NotFound;
        break;
    case 'B':
        page.kind = PageKind::Blocked;
        break;
    default:
        page.kind = PageKind::Unreadable;
        break;
    }
    return page;
}

} // namespace

// The drift guard counts result pages of unknown layout in a row; what breaks
// the row, what does not, and what it keeps when it trips.
class TestLayoutDriftGuard : public QObject
{
    Q_OBJECT

private slots:
    void tripsOnFiveInARow_data()
    {
        QTest::addColumn<QString>("pages");
        QTest::addColumn<bool>("tripped");
        QTest::newRow("five in a row") << QStringLiteral("RUUUUU") << true;
        QTest::newRow("four") << QStringLiteral("UUUU") << false;
        QTest::newRow("a page read starts the row again") << QStringLiteral("UUUURUUUU") << false;
        QTest::newRow("so does Baidu's nothing found") << QStringLiteral("UUUUNUUUU") << false;
        QTest::newRow("robot checks neither count nor break the row") << QStringLiteral("UUBBUXUU") << true;
        QTest::newRow("robot checks alone") << QStringLiteral("BBBBBBB") << false;
    }
    void tripsOnFiveInARow()
    {
        QFETCH(QString, pages);
        QFETCH(bool, tripped);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("layout"));
        LayoutDriftGuard guard(folder);
        int calls = 0;
        guard.addTripHandler([&calls] { ++calls; });
        for (int i = 0; i < pages.size(); ++i)
            guard.notePage(pageOf(pages.at(i)), "page " + QByteArray::number(i),
                           QStringLiteral("ranking-keyword"));
        QCOMPARE(guard.tripped(), tripped);
        QCOMPARE(calls, tripped ? 1 : 0);
        // The pages of the row are kept, in order; nothing is written before.
        const QStringList kept = QDir(folder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), tripped ? LayoutDriftGuard::kPagesInARow : 0);
        if (tripped) {
            QCOMPARE(kept.first(), QStringLiteral("1-ranking-keyword.html"));
            QFile last(QDir(folder).filePath(kept.last()));
            QVERIFY(last.open(QIODevice::ReadOnly));
            QCOMPARE(last.readAll(), "page " + QByteArray::number(pages.size() - 1));
        }
        // A handler added after the trip learns it at once.
        guard.addTripHandler([&calls] { ++calls; });
        QCOMPARE(calls, tripped ? 2 : 0);
        QVERIFY(guard.stopMessage().startsWith(QStringLiteral("百度页面结构可能已变化，已停止查询")));
        QVERIFY(guard.stopMessage().contains(QDir::toNativeSeparators(folder)));
    }

    // Two runs tripping within the same second (both query pages at once) keep their pages apart.
    void runsNamedAlikeKeepTheirOwnFolders()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("layout"));
        LayoutDriftGuard first(folder), second(folder);
        for (int i = 0; i < LayoutDriftGuard::kPagesInARow; ++i) {
            first.notePage(pageOf(QLatin1Char('U')), "first",
                           QStringLiteral("ranking-") + QString::number(i));
            second.notePage(pageOf(QLatin1Char('U')), "second",
                            QStringLiteral("inclusion-") + QString::number(i));
        }
        QCOMPARE(first.folder(), folder);
        QCOMPARE(second.folder(), folder + QStringLiteral("-2"));
        QVERIFY(second.stopMessage().contains(QDir::toNativeSeparators(second.folder())));
        for (const LayoutDriftGuard *guard : {&first, &second})
            QCOMPARE(QDir(guard->folder()).entryList(QDir::Files).size(), LayoutDriftGuard::kPagesInARow);
    }

    // The command with --save-pages keeps the pages itself.
    void keepsNothingWhenAskedNotTo()
    {
        QTemporaryDir dir;
        LayoutDriftGuard guard(dir.path(), false);
        for (int i = 0; i < LayoutDriftGuard::kPagesInARow; ++i)
            guard.notePage(pageOf(QLatin1Char('U')), "x", QStringLiteral("inclusion-site"));
        QVERIFY(guard.tripped());
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLayoutDriftGuard)
#include "tst_layoutdriftguard.moc"
