// Saved lists and schedules: kept in the history's file, written as systemd
// user units that systemd itself accepts, and never left behind as stale units.
#include "history/historystore.h"
#include "history/liststore.h"
#include "schedule/schedulebook.h"
#include "schedule/scheduleunits.h"
#include "tests/support/oldhistory.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

namespace {
Schedule scheduleOf(const QString &name, Repeat repeat, int weekdays, int every, QTime time)
{
    Schedule schedule;
    schedule.listName = name;
    schedule.repeat = repeat;
    schedule.weekdays = weekdays;
    schedule.everyDays = every;
    schedule.time = time;
    return schedule;
}

SavedList listOf(const QString &name)
{
    return {name, HistoryTool::kRanking, HistoryDevice::kMobile, {}, {QStringLiteral("词 https://a.cn/")},
            {}};
}

// A systemctl that logs its arguments and answers show-environment as told.
QString fakeSystemctl(const QTemporaryDir &dir, bool available)
{
    const QString path = dir.filePath(QStringLiteral("systemctl"));
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\n[ \"$2\" = show-environment ] && exit %2\n"
                                "exit 0\n")
                     .arg(dir.filePath(QStringLiteral("calls")))
                     .arg(available ? 0 : 1)
                     .toUtf8());
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QString calls(const QTemporaryDir &dir)
{
    QFile log(dir.filePath(QStringLiteral("calls")));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}
} // namespace

class TestSchedules : public QObject
{
    Q_OBJECT

private slots:
    void escapesUnitNamesAsSystemdDoes_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"主站关键词", "a/b c", ".hidden", "x-y_z:1.2", "100% \"引号\" $HOME"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }
    void escapesUnitNamesAsSystemdDoes()
    {
        QFETCH(QString, name);
        const QString escape = QStandardPaths::findExecutable(QStringLiteral("systemd-escape"));
        if (escape.isEmpty())
            QSKIP("systemd-escape is not installed (scripts/install-deps)");
        QProcess process;
        process.start(escape, {name});
        QVERIFY(process.waitForFinished());
        QCOMPARE(systemdEscape(name), QString::fromUtf8(process.readAllStandardOutput()).trimmed());
    }

    void longNamesStayDistinctAndShort()
    {
        const QString a = QString(60, QChar(0x8bcd)) + QLatin1Char('a');
        const QString b = QString(60, QChar(0x8bcd)) + QLatin1Char('b');
        QVERIFY(scheduleUnitBase(a) != scheduleUnitBase(b));
        QVERIFY(scheduleUnitBase(a).size() + 8 <= 255);
    }

    void systemdAcceptsTheUnits_data()
    {
        QTest::addColumn<Schedule>("schedule");
        QTest::addColumn<QString>("calendar");
        const QTime at(9, 30);
        QTest::newRow("daily") << scheduleOf(QStringLiteral("主站"), Repeat::Daily, 0, 1, at)
                               << QStringLiteral("*-*-* 09:30:00");
        QTest::newRow("weekly") << scheduleOf(QStringLiteral("a \"b\" $c 100%"), Repeat::Weekly, 0b1001, 1,
                                              at)
                                << QStringLiteral("Mon,Thu *-*-* 09:30:00");
        QTest::newRow("every 3 days") << scheduleOf(QStringLiteral("x/y"), Repeat::EveryNDays, 0, 3, at)
                                      << QStringLiteral("*-*-* 09:30:00");
    }
    void systemdAcceptsTheUnits()
    {
        QFETCH(Schedule, schedule);
        QFETCH(QString, calendar);
        QCOMPARE(onCalendar(schedule), calendar);
        const QString timer = timerUnitText(schedule);
        QVERIFY(timer.contains(QLatin1String("Persistent=true")) &&
                timer.contains(QLatin1String("RandomizedDelaySec=")));
        const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
        if (analyze.isEmpty())
            QSKIP("systemd-analyze is not installed (scripts/install-deps)");
        QTemporaryDir dir;
        const QString base = dir.filePath(scheduleUnitBase(schedule.listName));
        for (const auto &[suffix, text] :
             {std::pair{QStringLiteral(".timer"), timer},
              std::pair{QStringLiteral(".service"),
                        serviceUnitText(schedule, QStringLiteral("/usr/bin/env x"))}}) {
            QFile file(base + suffix);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0);
        }
        QProcess verify;
        verify.setProcessChannelMode(QProcess::MergedChannels);
        // The man page is not installed where tests run.
        verify.start(analyze,
                     {QStringLiteral("verify"), QStringLiteral("--man=no"), base + QStringLiteral(".timer")});
        QVERIFY(verify.waitForFinished(60000));
        QVERIFY2(verify.exitCode() == 0, verify.readAll().constData());
    }

    void nextRunFollowsTheSchedule_data()
    {
        QTest::addColumn<Schedule>("schedule");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("next");
        const QDateTime wednesday10(QDate(2026, 12, 9), QTime(10, 0));
        QTest::newRow("daily, time passed") << scheduleOf({}, Repeat::Daily, 0, 1, QTime(9, 0)) << wednesday10
                                            << QDateTime(QDate(2026, 12, 10), QTime(9, 0));
        QTest::newRow("daily, later today") << scheduleOf({}, Repeat::Daily, 0, 1, QTime(11, 0))
                                            << wednesday10 << QDateTime(QDate(2026, 12, 9), QTime(11, 0));
        QTest::newRow("weekly mon") << scheduleOf({}, Repeat::Weekly, 0b1, 1, QTime(9, 0)) << wednesday10
                                    << QDateTime(QDate(2026, 12, 14), QTime(9, 0));
        Schedule every = scheduleOf({}, Repeat::EveryNDays, 0, 3, QTime(9, 0));
        every.lastRunAt = QDateTime(QDate(2026, 12, 8), QTime(9, 2));
        QTest::newRow("every 3 days") << every << wednesday10 << QDateTime(QDate(2026, 12, 11), QTime(9, 0));
        every.paused = true;
        QTest::newRow("paused") << every << wednesday10 << QDateTime();
    }
    void nextRunFollowsTheSchedule()
    {
        QFETCH(Schedule, schedule);
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, next);
        QCOMPARE(nextRunAfter(schedule, now), next);
        if (schedule.repeat == Repeat::EveryNDays)
            QCOMPARE(isDue(schedule, now), false);
    }

    void parsesWeekdays_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("days");
        QTest::newRow("names") << QStringLiteral("mon,Thu") << 0b1001;
        QTest::newRow("range") << QStringLiteral("1-5") << 0b11111;
        QTest::newRow("sunday") << QStringLiteral("7") << 0b1000000;
        QTest::newRow("no day") << QStringLiteral("8") << 0;
        QTest::newRow("backwards") << QStringLiteral("5-1") << 0;
        QTest::newRow("word") << QStringLiteral("monday") << 0;
    }
    void parsesWeekdays()
    {
        QFETCH(QString, text);
        QFETCH(int, days);
        QCOMPARE(parseWeekdays(text), days);
    }

    // A file the previous version wrote takes lists, and a list takes its schedule with it.
    void keepsListsInAVersionTwoHistory()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QCOMPARE(testsupport::writeOldHistory(
                     path, testsupport::versionTwoTables() +
                               QList<const char *>{"INSERT INTO runs VALUES (4, 'ranking', 'mobile', "
                                                   "'2026-01-05T08:00:00.000Z', NULL, 1, 0, "
                                                   "0)",
                                                   "PRAGMA user_version = 2"}),
                 QString());

        HistoryStore history(path);
        QVERIFY2(history.isOpen(), qPrintable(history.errorMessage()));
        ListStore lists(history);
        QVERIFY(lists.saveList(listOf(QStringLiteral("主站"))));
        QVERIFY(lists.saveSchedule(scheduleOf(QStringLiteral("主站"), Repeat::Daily, 0, 1, QTime(8, 0))));
        QVERIFY(
            lists.recordRun(QStringLiteral("主站"), 4, QDateTime::currentDateTimeUtc(), QStringLiteral("x")));
        // Saving the list again keeps its schedule and the schedule's last run.
        QVERIFY(lists.saveList(listOf(QStringLiteral("主站"))));
        QCOMPARE(lists.schedule(QStringLiteral("主站"))->lastRunId, qint64(4));
        QCOMPARE(lists.list(QStringLiteral("主站"))->lines, listOf({}).lines);
        QVERIFY(history.deleteRun(4));
        QCOMPARE(lists.schedule(QStringLiteral("主站"))->lastRunId, qint64(0));
        QVERIFY(lists.removeList(QStringLiteral("主站")));
        QVERIFY(lists.schedules().isEmpty());
    }

    void editedAndRemovedSchedulesLeaveNoStaleUnits()
    {
        QTemporaryDir dir;
        HistoryStore history(dir.filePath(QStringLiteral("history.sqlite")));
        SystemdUser systemd;
        systemd.unitFolder = dir.filePath(QStringLiteral("units"));
        systemd.systemctl = fakeSystemctl(dir, true);
        ScheduleBook book(history, systemd);
        const QString name = QStringLiteral("主站 关键词");
        QCOMPARE(book.setSchedule(scheduleOf(name, Repeat::Daily, 0, 1, QTime(8, 0))),
                 QStringLiteral("没有名为“主站 关键词”的列表"));
        QCOMPARE(book.saveList(listOf(name)), QString());
        QCOMPARE(book.setSchedule(scheduleOf(name, Repeat::Daily, 0, 1, QTime(8, 0))), QString());
        QCOMPARE(book.setSchedule(scheduleOf(name, Repeat::Weekly, 0b10, 1, QTime(7, 15))), QString());
        const QString base = scheduleUnitBase(name);
        QDir units(systemd.unitFolder);
        QCOMPARE(units.entryList(QDir::Files),
                 QStringList({base + QStringLiteral(".service"), base + QStringLiteral(".timer")}));
        QFile timer(units.filePath(base + QStringLiteral(".timer")));
        QVERIFY(timer.open(QIODevice::ReadOnly));
        QVERIFY(timer.readAll().contains("OnCalendar=Tue *-*-* 07:15:00"));
        QVERIFY(calls(dir).contains(QStringLiteral("--user enable ") + base + QStringLiteral(".timer")));
        QCOMPARE(book.setPaused(name, true), QString());
        QVERIFY(
            calls(dir).contains(QStringLiteral("--user disable --now ") + base + QStringLiteral(".timer")));
        QCOMPARE(book.views().value(0).nextRun, QDateTime());
        QCOMPARE(book.removeSchedule(name), QString());
        QVERIFY(units.entryList(QDir::Files).isEmpty());
        QVERIFY(book.lists().schedules().isEmpty());
        // Removing a list removes its schedule's units too.
        QCOMPARE(book.setSchedule(scheduleOf(name, Repeat::EveryNDays, 0, 2, QTime(6, 0))), QString());
        QCOMPARE(book.removeList(name), QString());
        QVERIFY(units.entryList(QDir::Files).isEmpty());
        QVERIFY(book.lists().lists().isEmpty());
    }

    // A weekly timer of an earlier version, enabled by hand, becomes a saved
    // list with its schedule once, and is disabled; others are left alone.
    void adoptsEnabledWeeklyTimers_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("mobileDropIn");
        QTest::addColumn<bool>("nameTaken");
        QTest::addColumn<QString>("device"); // of the list made; empty: none made
        QTest::newRow("enabled") << true << false << false << HistoryDevice::kDesktop;
        QTest::newRow("enabled, edited for mobile") << true << true << false << HistoryDevice::kMobile;
        QTest::newRow("not enabled") << false << false << false << QString();
        QTest::newRow("list name taken") << true << false << true << QString();
    }
    void adoptsEnabledWeeklyTimers()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, mobileDropIn);
        QFETCH(bool, nameTaken);
        QFETCH(QString, device);
        QTemporaryDir dir;
        HistoryStore history(dir.filePath(QStringLiteral("history.sqlite")));
        SystemdUser systemd;
        systemd.unitFolder = dir.filePath(QStringLiteral("config/systemd/user"));
        systemd.systemctl = fakeSystemctl(dir, true);
        QDir units(systemd.unitFolder);
        QVERIFY(units.mkpath(QStringLiteral("timers.target.wants")));
        if (enabled)
            QVERIFY(QFile::link(
                QStringLiteral("/usr/lib/systemd/user/quillane-weekly@.timer"),
                units.filePath(QStringLiteral("timers.target.wants/quillane-weekly@ranking.timer"))));
        if (mobileDropIn) {
            QVERIFY(units.mkpath(QStringLiteral("quillane-weekly@ranking.service.d")));
            QFile conf(units.filePath(QStringLiteral("quillane-weekly@ranking.service.d/override.conf")));
            QVERIFY(conf.open(QIODevice::WriteOnly));
            conf.write("[Service]\nExecStart=\nExecStart=/usr/bin/env quillane-cli ranking --device mobile "
                       "--save %E/quillane/ranking.txt\n");
        }
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("config/quillane")));
        QFile lines(dir.filePath(QStringLiteral("config/quillane/ranking.txt")));
        QVERIFY(lines.open(QIODevice::WriteOnly));
        lines.write(QTextCodec::codecForName("GB18030")->fromUnicode(
            QStringLiteral("网站建设 https://a.cn/\r\n\r\n词 https://a.cn/b\n")));
        lines.close();
        ScheduleBook book(history, systemd);
        if (nameTaken)
            QCOMPARE(book.saveList({QStringLiteral("每周排名"),
                                    HistoryTool::kInclusion,
                                    HistoryDevice::kDesktop,
                                    {},
                                    {QStringLiteral("https://b.cn/")},
                                    {}}),
                     QString());

        const QStringList said = book.adoptWeeklyTimers(dir.filePath(QStringLiteral("config")));
        const std::optional<Schedule> schedule = book.lists().schedule(QStringLiteral("每周排名"));
        QCOMPARE(bool(schedule), !device.isEmpty());
        QCOMPARE(calls(dir).contains(QStringLiteral("disable --now quillane-weekly@ranking.timer")),
                 !device.isEmpty());
        if (device.isEmpty()) {
            QVERIFY(said.isEmpty());
            return;
        }
        QCOMPARE(said, QStringList{QStringLiteral("原每周定时任务 quillane-weekly@ranking.timer "
                                                  "已转为列表“每周排名”的定时任务（每周一 09:00）")});
        const std::optional<SavedList> list = book.lists().list(QStringLiteral("每周排名"));
        QCOMPARE(list->device, device);
        QCOMPARE(list->tool, HistoryTool::kRanking);
        QCOMPARE(list->lines, QStringList({QStringLiteral("网站建设 https://a.cn/"),
                                           QStringLiteral("词 https://a.cn/b")}));
        QCOMPARE(onCalendar(*schedule), QStringLiteral("Mon *-*-* 09:00:00"));
        // Once: the old timer's link, which only the real systemctl removes, is no call for another list.
        QVERIFY(book.adoptWeeklyTimers(dir.filePath(QStringLiteral("config"))).isEmpty());
    }

    void saysSoWithoutAUserSystemd()
    {
        QTemporaryDir dir;
        HistoryStore history(dir.filePath(QStringLiteral("history.sqlite")));
        SystemdUser systemd;
        systemd.unitFolder = dir.filePath(QStringLiteral("units"));
        systemd.systemctl = fakeSystemctl(dir, false);
        ScheduleBook book(history, systemd);
        QCOMPARE(book.saveList(listOf(QStringLiteral("a"))), QString());
        const QString problem =
            book.setSchedule(scheduleOf(QStringLiteral("a"), Repeat::Daily, 0, 1, QTime(8, 0)));
        QVERIFY2(problem.contains(QStringLiteral("没有可用的用户 systemd")), qPrintable(problem));
        QVERIFY(book.lists().schedules().isEmpty());
        QVERIFY(!QDir(systemd.unitFolder).exists() || QDir(systemd.unitFolder).isEmpty());
        systemd.systemctl.clear();
        QVERIFY(!systemd.unavailableReason().isEmpty());
    }
};

Q_DECLARE_METATYPE(Schedule)
QTEST_GUILESS_MAIN(TestSchedules)
#include "tst_schedules.moc"
