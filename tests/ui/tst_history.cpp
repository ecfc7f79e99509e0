#include "historystore.h"
#include "messagebox.h"
#include "positionchart.h"
#include "uidemo08.h"
#include "windowtestmain.h"

#include <QtTest>

#include <QAbstractItemModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

namespace {

const QString kKeyword = QStringLiteral("词");
const QString kAddress = QStringLiteral("http://a.cn/");

// A ranking run of one line, started at the given day of January 2026.
qint64 storeRankingRun(HistoryStore &store, const QString &device, int day, const QString &position,
                       const QString &address = kAddress)
{
    StoredRun run;
    run.tool = HistoryTool::kRanking;
    run.device = device;
    run.lineCount = 1;
    run.startedAt = QDateTime(QDate(2026, 1, day), QTime(9, 0), Qt::UTC);
    const qint64 id = store.beginRun(run);
    store.addLines(id, {{0,
                         kKeyword + QLatin1Char('\t') + address,
                         QStringLiteral("已收录"),
                         position,
                         QString(),
                         {kKeyword, address, QStringLiteral("已收录"), position, QString()}}});
    store.finishRun(id, run.startedAt.addSecs(60));
    return id;
}

void removeHistory()
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(HistoryStore::defaultPath() + suffix);
}

int rowOfRun(const QTableWidget *runs, qint64 id)
{
    for (int row = 0; row < runs->rowCount(); ++row) {
        if (runs->item(row, 0)->data(Qt::UserRole).toLongLong() == id)
            return row;
    }
    return -1;
}

} // namespace

// The 历史记录 page of the real window over a history stored beforehand.
class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { removeHistory(); }

    void deletesTheChosenRuns()
    {
        qint64 kept = 0;
        {
            HistoryStore store;
            kept = storeRankingRun(store, HistoryDevice::kDesktop, 5, QStringLiteral("9"));
            storeRankingRun(store, HistoryDevice::kDesktop, 12, QStringLiteral("4"));
            storeRankingRun(store, HistoryDevice::kMobile, 19, QStringLiteral("1"));
        }
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        auto *runs = window.findChild<QTableWidget *>(QStringLiteral("historyRuns"));
        runs->selectRow(0);
        runs->selectionModel()->select(runs->model()->index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QuillaneMessageBox::setAnswererForTesting([](const QString &) { return true; });
        window.findChild<QPushButton *>(QStringLiteral("historyDelete"))->click();
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting().size(), 1);
        QuillaneMessageBox::setAnswererForTesting({});
        QCOMPARE(runs->rowCount(), 1);
        QCOMPARE(rowOfRun(runs, kept), 0);
        QCOMPARE(HistoryStore().runs().size(), 1);
    }

    void unusableHistoryIsNamedOnThePage()
    {
        QDir().mkpath(QFileInfo(HistoryStore::defaultPath()).absolutePath());
        QFile file(HistoryStore::defaultPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'x')) == 8192);
        file.close();
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        QVERIFY(window.findChild<QLabel *>(QStringLiteral("historyStatus"))
                    ->text()
                    .contains(QStringLiteral("已损坏")));
        QCOMPARE(window.findChild<QTableWidget *>(QStringLiteral("historyRuns"))->rowCount(), 0);
    }

    void chartFollowsTheStoredRuns()
    {
        qint64 newest = 0;
        {
            HistoryStore store;
            storeRankingRun(store, HistoryDevice::kDesktop, 5, QStringLiteral("5"));
            storeRankingRun(store, HistoryDevice::kMobile, 6, QStringLiteral("1")); // another device
            storeRankingRun(store, HistoryDevice::kDesktop, 12, QStringLiteral("异常"));
            storeRankingRun(store, HistoryDevice::kDesktop, 19, QStringLiteral("2"));
            storeRankingRun(store, HistoryDevice::kDesktop, 20, QStringLiteral("7"),
                            QStringLiteral("http://b.cn/"));
            newest = storeRankingRun(store, HistoryDevice::kDesktop, 26, QStringLiteral("30+"));
        }
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        auto *runs = window.findChild<QTableWidget *>(QStringLiteral("historyRuns"));
        QVERIFY(runs && runs->isVisible());
        QCOMPARE(runs->rowCount(), 6);
        runs->selectRow(rowOfRun(runs, newest));

        auto *lines = window.findChild<QTableView *>(QStringLiteral("historyLines"));
        QCOMPARE(lines->model()->rowCount(), 1);
        const int changeColumn = lines->model()->columnCount() - 1;
        QCOMPARE(lines->model()->index(0, changeColumn).data().toString(), QStringLiteral("跌出前30"));
        lines->setCurrentIndex(lines->model()->index(0, 0));

        auto *chart = window.findChild<PositionChart *>(QStringLiteral("historyChart"));
        QVERIFY(chart->isVisible());
        const auto at = [](int day, int place) {
            return QPointF(qreal(QDateTime(QDate(2026, 1, day), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch()),
                           place);
        };
        QCOMPARE(chart->plottedPoints(),
                 (QList<QPointF>{at(5, 5), at(19, 2), at(26, PositionChart::kBottomEdge)}));
        QCOMPARE(chart->segmentCount(), 2); // broken by the 异常 run
    }
};

QUILLANE_WINDOW_TEST_MAIN(TestHistory)
#include "tst_history.moc"
