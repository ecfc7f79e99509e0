#include "history/historystore.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"
#include "ui/pages/historypage.h"
#include "ui/pages/positionchart.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/savefiledialog.h"

#include <QtCharts/QDateTimeAxis>
#include <QtTest>

#include <QAbstractItemModel>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {

const QByteArray kAlpha = "http://www.alpha.cn/a.html";
const QByteArray kBeta = "http://www.beta.cn/b";
const QByteArray kGamma = "http://www.gamma.cn/"; // never included

// Baidu in two weeks: in the first alpha is included and second for the
// keyword, beta is not included; in the second beta is included and third,
// alpha first; for inclusion alone, alpha is then gone.
Reply playWeek(const Request &request, bool second, bool inclusion)
{
    if (request.param("rn") == "30") {
        if (!second)
            return Reply::page(
                testsupport::desktopKeywordPage({{"别的站点", "http://www.other.cn/"}, {"Alpha", kAlpha}}));
        return Reply::page(testsupport::desktopKeywordPage(
            {{"Alpha", kAlpha}, {"别的站点", "http://www.other.cn/"}, {"Beta", kBeta}}));
    }
    const QByteArray address = request.param("wd");
    const bool included = address == kAlpha ? !(second && inclusion) : (address == kBeta && second);
    return Reply::page(included ? testsupport::desktopRankingSitePage("标题", "2026年1月5日")
                                : testsupport::desktopRankingNotFoundPage());
}

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

    // The same lines checked twice: the second run's rows show what moved.
    void secondRunShowsTheChanges_data()
    {
        QTest::addColumn<QString>("suffix"); // of the page's object names
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QStringList>("changes");
        QTest::newRow("收录") << QString() << QString::fromLatin1(kAlpha + "\n" + kBeta + "\n" + kGamma)
                              << QStringList{QStringLiteral("掉收录"), QStringLiteral("新收录"), QString()};
        QTest::newRow("排名") << QStringLiteral("_2")
                              << QString::fromUtf8("词 " + kAlpha + "\n词 " + kBeta + "\n词 " + kGamma)
                              << QStringList{QStringLiteral("↑1"), QStringLiteral("新进前30"), QString()};
        QTest::newRow("泛排名") << QStringLiteral("_site") << QStringLiteral("词\n其他")
                                << QStringList{QStringLiteral("↑1"), QString()};
    }

    void secondRunShowsTheChanges()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, lines);
        QFETCH(QStringList, changes);
        const bool inclusion = suffix.isEmpty();
        auto secondWeek = std::make_shared<std::atomic<bool>>(false);
        LoopbackBaidu baidu;
        baidu.setHandler([=](const Request &request) {
            // Another keyword finds no page of the site.
            if (request.param("wd") == "其他")
                return Reply::page(testsupport::desktopKeywordPage({{"别的站点", "http://www.other.cn/"}}));
            return playWeek(request, *secondWeek, inclusion);
        });
        UIDemo08 window;
        window.setSearchEndpoints(baidu.endpoints());
        window.show();
        const auto get = [&](const QString &name) { return window.findChild<QWidget *>(name + suffix); };
        const QString pageButton = inclusion                       ? QStringLiteral("tbtnMain1")
                                   : suffix == QLatin1String("_2") ? QStringLiteral("tbtnMain2")
                                                                   : QStringLiteral("btnData");
        window.findChild<QToolButton *>(pageButton)->click();
        if (auto *site = window.findChild<QPlainTextEdit *>(QStringLiteral("siteEdit")))
            site->setPlainText(QStringLiteral("alpha.cn"));
        auto *table = qobject_cast<QTableView *>(get(QStringLiteral("resultList")));
        auto *start = qobject_cast<QPushButton *>(get(QStringLiteral("slcxBtn")));
        auto *back = qobject_cast<QPushButton *>(get(QStringLiteral("fanhuiBtn")));
        const auto check = [&] {
            qobject_cast<QPlainTextEdit *>(get(QStringLiteral("urlsList")))->setPlainText(lines);
            start->click();
            QTRY_VERIFY_WITH_TIMEOUT(back->isEnabled() && table->model()->rowCount() == changes.size(),
                                     20000);
        };
        const int changeColumn = table->model()->columnCount() - 1;
        const auto changesShown = [&] {
            QStringList shown;
            for (int row = 0; row < changes.size(); ++row)
                shown.append(table->model()->index(row, changeColumn).data().toString());
            return shown;
        };
        check();
        QTRY_COMPARE(changesShown(), QVector<QString>(changes.size()).toList());
        back->click();
        *secondWeek = true;
        check();
        QTRY_COMPARE(changesShown(), changes);

        qobject_cast<QPushButton *>(get(QStringLiteral("filterChanged")))->click();
        QCOMPARE(table->model()->rowCount(), changes.size() - changes.count(QString()));
        window.findChild<QToolButton *>(QStringLiteral("btnMain"))->click();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        QTRY_COMPARE(window.findChild<QTableWidget *>(QStringLiteral("historyRuns"))->rowCount(), 2);
    }

    // Every page keeps why a line is 异常 with its run, as the command does.
    void keepsFailureReasons_data()
    {
        QTest::addColumn<QString>("suffix"); // of the page's object names
        QTest::addColumn<QString>("lines");  // the second one fails
        QTest::newRow("收录") << QString() << QString::fromLatin1(kAlpha + "\nhttp://www.fail.cn/");
        QTest::newRow("排名") << QStringLiteral("_2")
                              << QString::fromUtf8("词 " + kAlpha + "\n词 http://www.fail.cn/");
        QTest::newRow("泛排名") << QStringLiteral("_site") << QStringLiteral("词\nfail");
    }

    void keepsFailureReasons()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, lines);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &request) {
            if (request.param("wd").contains("fail"))
                return Reply::withStatus(500, QByteArray());
            return playWeek(request, false, false);
        });
        UIDemo08 window;
        window.setSearchEndpoints(baidu.endpoints());
        window.show();
        const auto get = [&](const QString &name) { return window.findChild<QWidget *>(name + suffix); };
        const QString pageButton = suffix.isEmpty()                ? QStringLiteral("tbtnMain1")
                                   : suffix == QLatin1String("_2") ? QStringLiteral("tbtnMain2")
                                                                   : QStringLiteral("btnData");
        window.findChild<QToolButton *>(pageButton)->click();
        window.findChild<QPlainTextEdit *>(QStringLiteral("siteEdit"))
            ->setPlainText(QStringLiteral("alpha.cn"));
        qobject_cast<QPlainTextEdit *>(get(QStringLiteral("urlsList")))->setPlainText(lines);
        qobject_cast<QPushButton *>(get(QStringLiteral("slcxBtn")))->click();
        QTRY_VERIFY_WITH_TIMEOUT(get(QStringLiteral("fanhuiBtn"))->isEnabled(), 20000);
        const auto kept = [] {
            HistoryStore store;
            const QList<StoredRun> runs = store.runs();
            return runs.isEmpty() ? QList<StoredLine>() : store.lines(runs.first().id);
        };
        QTRY_COMPARE(kept().size(), 2);
        QCOMPARE(kept().at(0).failure, QString());
        QVERIFY2(kept().at(1).failure.contains(QLatin1String("500")), qPrintable(kept().at(1).failure));
    }

    // Every page keeps its runs, mining too (it has no device), each with the
    // time it ended, not the time the next run on the page began.
    void keepsEachRunWithItsEnd_data()
    {
        QTest::addColumn<QString>("pageButton");
        QTest::addColumn<QString>("suffix"); // of the page's object names
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("lines");
        QTest::newRow("收录") << QStringLiteral("tbtnMain1") << QString() << HistoryTool::kInclusion
                              << QString::fromLatin1(kAlpha);
        QTest::newRow("挖掘") << QStringLiteral("btnConfig") << QStringLiteral("_mine")
                              << HistoryTool::kMining << QStringLiteral("词");
    }

    void keepsEachRunWithItsEnd()
    {
        QFETCH(QString, pageButton);
        QFETCH(QString, suffix);
        QFETCH(QString, tool);
        QFETCH(QString, lines);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &request) {
            if (request.path == "/sugrec")
                return Reply::page(request.param("wd") == "词" ? R"({"q":"词","g":[{"q":"词语"}]})"
                                                               : R"({"q":"x","g":[]})");
            return playWeek(request, false, true);
        });
        UIDemo08 window;
        window.setSearchEndpoints(baidu.endpoints());
        window.show();
        const auto get = [&](const QString &name) { return window.findChild<QWidget *>(name + suffix); };
        window.findChild<QToolButton *>(pageButton)->click();
        QList<QDateTime> seenEnded;
        for (int run = 0; run < 2; ++run) {
            qobject_cast<QPushButton *>(get(QStringLiteral("fanhuiBtn")))->click();
            qobject_cast<QPlainTextEdit *>(get(QStringLiteral("urlsList")))->setPlainText(lines);
            qobject_cast<QPushButton *>(get(QStringLiteral("slcxBtn")))->click();
            QTRY_VERIFY_WITH_TIMEOUT(get(QStringLiteral("fanhuiBtn"))->isEnabled(), 20000);
            seenEnded.append(QDateTime::currentDateTimeUtc());
            // The next run starts measurably later than this one ended.
            QTRY_VERIFY(QDateTime::currentDateTimeUtc() > seenEnded.last().addMSecs(100));
        }
        const QString status = qobject_cast<QLabel *>(get(QStringLiteral("zhuangTai")))->text();
        QVERIFY2(!status.contains(QStringLiteral("历史记录")), qPrintable(status));
        const auto kept = [] { return HistoryStore().runs(); };
        QTRY_VERIFY(kept().size() == 2 && kept().first().endedAt.isValid());
        const QList<StoredRun> runs = kept(); // newest first
        for (int run = 0; run < 2; ++run) {
            const StoredRun &stored = runs.at(1 - run);
            QCOMPARE(stored.tool, tool);
            QCOMPARE(stored.device.isEmpty(), tool == HistoryTool::kMining);
            QCOMPARE(stored.stored, 1);
            QVERIFY2(stored.endedAt <= seenEnded.at(run) && stored.endedAt >= stored.startedAt,
                     qPrintable(stored.endedAt.toString(Qt::ISODateWithMs)));
        }
        window.findChild<QToolButton *>(QStringLiteral("btnMain"))->click();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        QTRY_COMPARE(window.findChild<QTableWidget *>(QStringLiteral("historyRuns"))->rowCount(), 2);
    }

    // The 历史记录 page's export writes positions as numbers, as the query pages' export does.
    void exportsPositionsAsNumbers()
    {
        if (!QFileInfo::exists(QStringLiteral("/usr/bin/python3")))
            QSKIP("no /usr/bin/python3 to read the report with");
        qint64 id = 0;
        {
            HistoryStore store;
            id = storeRankingRun(store, HistoryDevice::kDesktop, 12, QStringLiteral("4"));
        }
        QTemporaryDir dir;
        const QString report = dir.filePath(QStringLiteral("历史.xlsx"));
        SaveFileDialog::setAnswererForTesting([&](const SaveFileDialog::Request &) { return report; });
        QuillaneMessageBox::setAnswererForTesting([](const QString &) { return true; });
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        auto *runs = window.findChild<QTableWidget *>(QStringLiteral("historyRuns"));
        runs->selectRow(rowOfRun(runs, id));
        window.findChild<QPushButton *>(QStringLiteral("historyExport"))->click();
        SaveFileDialog::setAnswererForTesting({});
        QuillaneMessageBox::setAnswererForTesting({});
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, json, openpyxl\n"
                                     "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                                     "print(json.dumps([ws.cell(row=4, column=4).value]))\n"),
                      report});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);
        const QJsonValue position = QJsonDocument::fromJson(python.readAllStandardOutput()).array().at(0);
        QVERIFY2(position.isDouble(), "the position is stored as text");
        QCOMPARE(position.toDouble(), 4.0);
    }

    // The run goes on and fills its rows; the page says why it is not kept.
    void unusableHistoryLeavesTheRunGoing_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("named");
        QTest::newRow("corrupt") << false << QStringLiteral("已损坏");
        QTest::newRow("locked by another writer") << true << QStringLiteral("占用");
    }

    void unusableHistoryLeavesTheRunGoing()
    {
        QFETCH(bool, locked);
        QFETCH(QString, named);
        const QString path = HistoryStore::defaultPath();
        if (locked) {
            HistoryStore{path};
        } else {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'x')) == 8192);
        }
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(path);
        QVERIFY(other.open());
        if (locked)
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("BEGIN EXCLUSIVE")));

        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &request) { return playWeek(request, false, true); });
        {
            UIDemo08 window;
            window.setSearchEndpoints(baidu.endpoints());
            window.show();
            window.findChild<QToolButton *>(QStringLiteral("tbtnMain1"))->click();
            window.findChild<QPlainTextEdit *>(QStringLiteral("urlsList"))
                ->setPlainText(QString::fromLatin1(kAlpha + "\n" + kBeta));
            window.findChild<QPushButton *>(QStringLiteral("slcxBtn"))->click();
            auto *table = window.findChild<QTableView *>(QStringLiteral("resultList"));
            QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 2, 20000);
            auto *status = window.findChild<QLabel *>(QStringLiteral("zhuangTai"));
            QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(named), 10000);
            QTRY_VERIFY(window.findChild<QPushButton *>(QStringLiteral("fanhuiBtn"))->isEnabled());
            QCOMPARE(table->model()->index(0, 2).data().toString(), QStringLiteral("已收录"));
        }
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }

    // A stored run opened from the 历史记录 page fills its query page again.
    void opensAStoredRunInItsPage()
    {
        qint64 id = 0;
        {
            HistoryStore store;
            storeRankingRun(store, HistoryDevice::kDesktop, 5, QStringLiteral("9"));
            id = storeRankingRun(store, HistoryDevice::kDesktop, 12, QStringLiteral("4"));
        }
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        auto *runs = window.findChild<QTableWidget *>(QStringLiteral("historyRuns"));
        runs->selectRow(rowOfRun(runs, id));
        window.findChild<QPushButton *>(QStringLiteral("historyOpen"))->click();
        auto *table = window.findChild<QTableView *>(QStringLiteral("resultList_2"));
        QTRY_VERIFY(table->isVisible());
        QCOMPARE(table->model()->rowCount(), 1);
        QCOMPARE(table->model()->index(0, 3).data().toString(), QStringLiteral("4"));
        QTRY_COMPARE(table->model()->index(0, table->model()->columnCount() - 1).data().toString(),
                     QStringLiteral("↑5"));
        QVERIFY(window.findChild<QPushButton *>(QStringLiteral("daochuBtn_2"))->isEnabled());
    }

    // A stored run opens in the page of its tool, whose tab then names the run's device;
    // mining runs hold the keywords found, not seeds, and stay on the history page.
    void opensAStoredRunInThePageOfItsTool_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("location");
        QTest::newRow("收录, mobile")
            << HistoryTool::kInclusion << HistoryDevice::kMobile << QStringLiteral("slcxTab")
            << QStringLiteral("当前位置：百度收录查询-->>移动端收录查询");
        QTest::newRow("排名, desktop")
            << HistoryTool::kRanking << HistoryDevice::kDesktop << QStringLiteral("pmcxTab")
            << QStringLiteral("当前位置：百度排名查询-->>电脑端排名查询");
        QTest::newRow("排名, mobile")
            << HistoryTool::kRanking << HistoryDevice::kMobile << QStringLiteral("pmcxTab")
            << QStringLiteral("当前位置：百度排名查询-->>移动端排名查询");
        QTest::newRow("挖掘") << HistoryTool::kMining << QString() << QStringLiteral("historyPage")
                              << QStringLiteral("当前位置：历史记录");
    }

    void opensAStoredRunInThePageOfItsTool()
    {
        QFETCH(QString, tool);
        QFETCH(QString, device);
        QFETCH(QString, page);
        QFETCH(QString, location);
        qint64 id = 0;
        {
            HistoryStore store;
            StoredRun run;
            run.tool = tool;
            run.device = device;
            run.lineCount = 1;
            run.startedAt = QDateTime::currentDateTimeUtc();
            id = store.beginRun(run);
            store.addLines(id, {{0, kAddress, QStringLiteral("已收录"), QString(), QString(),
                                 QStringList{kKeyword, kAddress, QStringLiteral("已收录"), QString()}}});
        }
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        auto *runs = window.findChild<QTableWidget *>(QStringLiteral("historyRuns"));
        runs->selectRow(rowOfRun(runs, id));
        window.findChild<QPushButton *>(QStringLiteral("historyOpen"))->click();
        auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        QTRY_COMPARE(tabs->currentWidget()->objectName(), page);
        QCOMPARE(tabs->tabText(0), location);
    }

    // A 泛排名 run opens with its site and keywords, so that 重查异常 asks for the same site.
    void opensAStoredSiteRankingRun()
    {
        qint64 id = 0;
        {
            HistoryStore store;
            StoredRun run;
            run.tool = HistoryTool::kSiteRanking;
            run.device = HistoryDevice::kDesktop;
            run.lineCount = 1;
            run.startedAt = QDateTime::currentDateTimeUtc();
            id = store.beginRun(run);
            store.addLines(id, {{0, QStringLiteral("www.alpha.cn\t词"), QString(), QStringLiteral("异常"),
                                 QString(), QStringList{kKeyword, QStringLiteral("异常")}}});
        }
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        auto *runs = window.findChild<QTableWidget *>(QStringLiteral("historyRuns"));
        runs->selectRow(rowOfRun(runs, id));
        window.findChild<QPushButton *>(QStringLiteral("historyOpen"))->click();
        auto *table = window.findChild<QTableView *>(QStringLiteral("resultList_site"));
        QTRY_VERIFY(table->isVisible());
        QCOMPARE(window.findChild<QPlainTextEdit *>(QStringLiteral("siteEdit"))->toPlainText(),
                 QStringLiteral("www.alpha.cn"));
        QCOMPARE(window.findChild<QPlainTextEdit *>(QStringLiteral("urlsList_site"))->toPlainText(),
                 kKeyword);
        QCOMPARE(table->model()->index(0, 1).data().toString(), QStringLiteral("异常"));
        QVERIFY(window.findChild<QWidget *>(QStringLiteral("chongchaBtn_site"))->isVisible());
    }

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

    // The highlighted run and the lines below it are always the same run.
    void detailShowsTheHighlightedRun_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("highlighted"); // day of the run expected highlighted; 0: none
        QTest::newRow("a new run made meanwhile") << QStringLiteral("new run") << 3 << 19;
        QTest::newRow("the shown run deleted") << QStringLiteral("delete shown") << 1 << 12;
        QTest::newRow("every run deleted") << QStringLiteral("delete all") << 0 << 0;
        QTest::newRow("the highlighted row clicked") << QStringLiteral("click") << 2 << 5;
    }
    void detailShowsTheHighlightedRun()
    {
        QFETCH(QString, step);
        QFETCH(int, rows);
        QFETCH(int, highlighted);
        QHash<qint64, int> days;
        qint64 first = 0;
        {
            HistoryStore store;
            first = storeRankingRun(store, HistoryDevice::kDesktop, 5, QStringLiteral("9"));
            days.insert(first, 5);
            days.insert(storeRankingRun(store, HistoryDevice::kDesktop, 12, QStringLiteral("4")), 12);
        }
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        auto *page = window.findChild<HistoryPage *>(QStringLiteral("historyPage"));
        auto *runs = window.findChild<QTableWidget *>(QStringLiteral("historyRuns"));
        auto *lines = window.findChild<QTableView *>(QStringLiteral("historyLines"));
        const auto highlightedDay = [&] {
            const QModelIndexList chosen = runs->selectionModel()->selectedRows();
            return chosen.size() == 1 ? days.value(chosen.first().data(Qt::UserRole).toLongLong()) : 0;
        };
        // The newest run first.
        QCOMPARE(highlightedDay(), 12);
        QCOMPARE(days.value(page->shownRun()), 12);
        const QRect firstRow = runs->visualRect(runs->model()->index(rowOfRun(runs, first), 0));
        QTest::mouseClick(runs->viewport(), Qt::LeftButton, {}, firstRow.center());
        QCOMPARE(days.value(page->shownRun()), 5);
        QuillaneMessageBox::setAnswererForTesting([](const QString &) { return true; });
        if (step == QLatin1String("new run")) {
            window.findChild<QToolButton *>(QStringLiteral("tbtnMain2"))->click();
            HistoryStore store;
            days.insert(storeRankingRun(store, HistoryDevice::kMobile, 19, QStringLiteral("1")), 19);
            window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        } else if (step == QLatin1String("delete shown")) {
            window.findChild<QPushButton *>(QStringLiteral("historyDelete"))->click();
        } else if (step == QLatin1String("delete all")) {
            runs->selectAll();
            window.findChild<QPushButton *>(QStringLiteral("historyDelete"))->click();
        } else {
            QTest::mouseClick(runs->viewport(), Qt::LeftButton, {}, firstRow.center());
        }
        QuillaneMessageBox::setAnswererForTesting({});
        QCOMPARE(runs->rowCount(), rows);
        QCOMPARE(highlightedDay(), highlighted);
        QCOMPARE(days.value(page->shownRun()), highlighted);
        QCOMPARE(lines->model()->rowCount(), highlighted ? 1 : 0);
        if (highlighted)
            QCOMPARE(lines->model()->index(0, 3).data().toString(), QString::number(highlighted == 5    ? 9
                                                                                    : highlighted == 12 ? 4
                                                                                                        : 1));
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

    // Runs of one day are told apart by their times on the chart's axis.
    void chartAxisShowsTimesWithinADay_data()
    {
        QTest::addColumn<int>("secondDay");
        QTest::addColumn<QString>("format");
        QTest::newRow("one day") << 5 << QStringLiteral("MM-dd HH:mm");
        QTest::newRow("several days") << 12 << QStringLiteral("MM-dd");
    }
    void chartAxisShowsTimesWithinADay()
    {
        QFETCH(int, secondDay);
        QFETCH(QString, format);
        {
            HistoryStore store;
            storeRankingRun(store, HistoryDevice::kDesktop, 5, QStringLiteral("5"));
            storeRankingRun(store, HistoryDevice::kDesktop, secondDay, QStringLiteral("2"));
        }
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain3"))->click();
        auto *lines = window.findChild<QTableView *>(QStringLiteral("historyLines"));
        lines->setCurrentIndex(lines->model()->index(0, 0));
        auto *chart = window.findChild<PositionChart *>(QStringLiteral("historyChart"));
        const QList<QtCharts::QAbstractAxis *> axes = chart->chart()->axes(Qt::Horizontal);
        QCOMPARE(axes.size(), 1);
        QCOMPARE(qobject_cast<QtCharts::QDateTimeAxis *>(axes.first())->format(), format);
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
