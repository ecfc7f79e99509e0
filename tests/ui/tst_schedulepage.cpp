// 保存为列表, the 定时任务 page and the digest of a window run, in the real
// window: schedules go to a stand-in systemctl on PATH (the user's systemd
// is never touched), robots are loopback servers.
#include "history/historystore.h"
#include "history/liststore.h"
#include "notify/notifysettings.h"
#include "schedule/scheduleunits.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/windowtestmain.h"
#include "ui/widgets/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTimeEdit>
#include <QToolButton>

using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {
const QByteArray kAlpha = "http://www.alpha.cn/a.html";
const QByteArray kBeta = "http://www.beta.cn/b";

QDir unitFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/systemd/user"));
}

void removeHistory()
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(HistoryStore::defaultPath() + suffix);
}
} // namespace

class TestSchedulePage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_bin;
    QByteArray m_path = qgetenv("PATH");

    // A systemctl first on PATH that answers show-environment as told and does the rest.
    void useSystemctl(bool available)
    {
        QFile script(m_bin.filePath(QStringLiteral("systemctl")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QByteArray("#!/bin/sh\n[ \"$2\" = show-environment ] && exit ") +
                     (available ? "0" : "1") + "\nexit 0\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(m_bin.path()) + ':' + m_path);
    }

private slots:
    void cleanup()
    {
        removeHistory();
        qputenv("PATH", m_path);
        unitFolder().removeRecursively();
        QuillaneMessageBox::setTellerForTesting({});
        QuillaneMessageBox::setAnswererForTesting({});
        saveNotifySettings(*openApplicationSettings(), NotifySettings());
    }

    void savedListIsScheduledPausedAndRemoved_data()
    {
        QTest::addColumn<QString>("pageButton");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("tool");
        QTest::newRow("收录") << QStringLiteral("tbtnMain1") << QString()
                              << QString::fromLatin1(kAlpha + "\n" + kBeta + "\n" + kAlpha)
                              << QStringLiteral("收录 电脑端");
        QTest::newRow("泛排名") << QStringLiteral("btnData") << QStringLiteral("_site")
                                << QStringLiteral("词\n其他") << QStringLiteral("泛排名 电脑端");
    }
    void savedListIsScheduledPausedAndRemoved()
    {
        QFETCH(QString, pageButton);
        QFETCH(QString, suffix);
        QFETCH(QString, lines);
        QFETCH(QString, tool);
        useSystemctl(true);
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(pageButton)->click();
        if (auto *site = window.findChild<QPlainTextEdit *>(QStringLiteral("siteEdit")))
            site->setPlainText(QStringLiteral("alpha.cn"));
        window.findChild<QPlainTextEdit *>(QStringLiteral("urlsList") + suffix)->setPlainText(lines);
        const QString name = QStringLiteral("周报 主站");
        QuillaneMessageBox::setTellerForTesting([&](const QString &) { return name; });
        window.findChild<QPushButton *>(QStringLiteral("saveListBtn") + suffix)->click();
        QTRY_COMPARE(window.findChild<QLabel *>(QStringLiteral("zhuangTai") + suffix)->text(),
                     QStringLiteral("已保存为列表“周报 主站”：2 行"));

        window.findChild<QToolButton *>(QStringLiteral("btnMain"))->click();
        window.findChild<QToolButton *>(QStringLiteral("tbtnSchedules"))->click();
        auto *page = window.findChild<QWidget *>(QStringLiteral("schedulePage"));
        QTRY_VERIFY(page && page->isVisible());
        QVERIFY(!page->findChild<QLabel *>(QStringLiteral("systemdStatus"))->isVisible());
        QCOMPARE(page->findChild<QComboBox *>(QStringLiteral("scheduleList"))->currentText(), name);
        page->findChild<QComboBox *>(QStringLiteral("scheduleRepeat"))->setCurrentIndex(1);
        page->findChild<QCheckBox *>(QStringLiteral("scheduleDay1"))->setChecked(true);
        page->findChild<QCheckBox *>(QStringLiteral("scheduleDay4"))->setChecked(true);
        page->findChild<QTimeEdit *>(QStringLiteral("scheduleTime"))->setTime(QTime(8, 30));
        page->findChild<QPushButton *>(QStringLiteral("scheduleSave"))->click();

        auto *table = page->findChild<QTableWidget *>(QStringLiteral("scheduleTable"));
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 1)->text(), tool);
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("每周一、四 08:30"));
        QFile timer(unitFolder().filePath(scheduleUnitBase(name) + QStringLiteral(".timer")));
        QVERIFY(timer.open(QIODevice::ReadOnly));
        QVERIFY(timer.readAll().contains("OnCalendar=Mon,Thu *-*-* 08:30:00"));

        table->selectRow(0);
        page->findChild<QPushButton *>(QStringLiteral("schedulePause"))->click();
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("已暂停"));
        QCOMPARE(table->item(0, 4)->text(), QStringLiteral("-"));
        page->findChild<QPushButton *>(QStringLiteral("scheduleRemove"))->click();
        QCOMPARE(table->rowCount(), 0);
        QVERIFY(unitFolder().entryList(QDir::Files).isEmpty());
    }

    void saysSoWithoutAUserSystemd()
    {
        useSystemctl(false);
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnSchedules"))->click();
        auto *page = window.findChild<QWidget *>(QStringLiteral("schedulePage"));
        QTRY_VERIFY(page && page->isVisible());
        auto *said = page->findChild<QLabel *>(QStringLiteral("systemdStatus"));
        QVERIFY(said->isVisible());
        QVERIFY2(said->text().contains(QStringLiteral("没有可用的用户 systemd")), qPrintable(said->text()));
        QVERIFY(!page->findChild<QPushButton *>(QStringLiteral("scheduleSave"))->isEnabled());
    }

    // A schedule's last run: its figures, a failed notification, and a way to it in 历史记录.
    void lastRunLeadsToTheHistory()
    {
        useSystemctl(true);
        qint64 id = 0;
        {
            HistoryStore store;
            StoredRun run;
            run.tool = HistoryTool::kInclusion;
            run.device = HistoryDevice::kDesktop;
            run.lineCount = 2;
            id = store.beginRun(run);
            store.addLines(id, {{0, QStringLiteral("a"), QStringLiteral("已收录"), {}, {}, {}},
                                {1, QStringLiteral("b"), QStringLiteral("异常"), {}, {}, {}}});
            store.finishRun(id, QDateTime::currentDateTimeUtc());
            ListStore lists(store);
            QVERIFY(lists.saveList({QStringLiteral("周报"),
                                    HistoryTool::kInclusion,
                                    HistoryDevice::kDesktop,
                                    {},
                                    {QStringLiteral("http://a.cn/")},
                                    {}}));
            Schedule schedule;
            schedule.listName = QStringLiteral("周报");
            QVERIFY(lists.saveSchedule(schedule));
            QVERIFY(lists.recordRun(schedule.listName, id, QDateTime::currentDateTimeUtc(),
                                    QStringLiteral("wecom:http://127.0.0.1:9/send：发送失败：无法连接")));
        }
        UIDemo08 window;
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnSchedules"))->click();
        auto *table = window.findChild<QTableWidget *>(QStringLiteral("scheduleTable"));
        QTRY_COMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 6)->text(), QStringLiteral("收录率 100%  异常 1"));
        QVERIFY(table->item(0, 7)->text().startsWith(QStringLiteral("通知失败：wecom:")));
        QVERIFY(table->item(0, 5)->text().startsWith(QStringLiteral("#%1 ").arg(id)));
        emit table->cellClicked(0, 5);
        auto *runs = window.findChild<QTableWidget *>(QStringLiteral("historyRuns"));
        QTRY_VERIFY(runs && runs->isVisible());
        QCOMPARE(runs->selectionModel()->selectedRows().value(0).data(Qt::UserRole).toLongLong(), id);
    }

    // Two window runs with a change between them: the second one's digest reaches the
    // robot once, within the minute; a dead robot is named in the status line.
    void windowRunSendsItsDigest_data()
    {
        QTest::addColumn<bool>("robotAnswers");
        QTest::newRow("robot answers") << true;
        QTest::newRow("robot is dead") << false;
    }
    void windowRunSendsItsDigest()
    {
        QFETCH(bool, robotAnswers);
        auto secondWeek = std::make_shared<std::atomic<bool>>(false);
        LoopbackBaidu baidu;
        baidu.setHandler([secondWeek](const Request &request) {
            const bool included =
                request.param("wd") == kAlpha || (*secondWeek && request.param("wd") == kBeta);
            return Reply::page(included ? testsupport::desktopRankingSitePage("标题", "2026年1月5日")
                                        : testsupport::desktopRankingNotFoundPage());
        });
        LoopbackBaidu robot;
        robot.setHandler([](const Request &) {
            Reply reply = Reply::page(R"({"errcode":0,"errmsg":"ok"})");
            reply.contentType = "application/json";
            return reply;
        });
        NotifySettings notify;
        notify.channels =
            QStringList{QStringLiteral("wecom:") + QString::fromUtf8(robot.httpUrl("/send?key=k"))};
        QVERIFY(saveNotifySettings(*openApplicationSettings(), notify));
        if (!robotAnswers)
            robot.stop();

        UIDemo08 window;
        window.setSearchEndpoints(baidu.endpoints());
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("tbtnMain1"))->click();
        auto *back = window.findChild<QPushButton *>(QStringLiteral("fanhuiBtn"));
        auto *status = window.findChild<QLabel *>(QStringLiteral("zhuangTai"));
        const auto check = [&] {
            window.findChild<QPlainTextEdit *>(QStringLiteral("urlsList"))
                ->setPlainText(QString::fromLatin1(kAlpha + "\n" + kBeta));
            window.findChild<QPushButton *>(QStringLiteral("slcxBtn"))->click();
            QTRY_VERIFY_WITH_TIMEOUT(back->isVisible() && back->isEnabled(), 20000);
        };
        check();
        back->click();
        *secondWeek = true;
        check();
        if (robotAnswers) {
            QTRY_COMPARE_WITH_TIMEOUT(robot.requestCount(), 1, 60000);
            const QString message = QString::fromUtf8(robot.requests().first().body);
            QVERIFY2(message.contains(QString::fromLatin1(kBeta)) &&
                         message.contains(QStringLiteral("新收录")),
                     qPrintable(message));
            QVERIFY(!message.contains(QString::fromLatin1(kAlpha)));
            QTRY_VERIFY(status->text().contains(QStringLiteral("已发送")));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(QStringLiteral("发送失败")), 60000);
        }
        QCOMPARE(HistoryStore().runs().size(), 2);
    }
};

QUILLANE_WINDOW_TEST_MAIN(TestSchedulePage)
#include "tst_schedulepage.moc"
