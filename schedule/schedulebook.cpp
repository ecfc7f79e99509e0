#include "schedule/schedulebook.h"

#include "history/runsummary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

namespace {
const QString kNoList = QStringLiteral("没有名为“%1”的列表");
const QString kNoSchedule = QStringLiteral("列表“%1”没有定时任务");
const QString kNoDays = QStringLiteral("每周的定时任务至少要选一天");
const QString kBadEvery = QStringLiteral("间隔天数须在 1 到 %1 之间");
const QString kBadTime = QStringLiteral("时间无效");
const QString kBadTool = QStringLiteral("列表只能用于收录、排名或泛排名");
const QString kAdopted = QStringLiteral("原每周定时任务 %1 已转为列表“%2”的定时任务（每周一 09:00）");
const QString kNotAdopted = QStringLiteral("原每周定时任务 %1 未能转为定时任务：%2");

// The instances of the weekly units earlier versions shipped, and the lists they become.
struct WeeklyTimer
{
    QString instance;
    QString tool;
    QString listName;
};

QStringList linesOfListFile(const QByteArray &bytes)
{
    // As the command reads its input: UTF-8 or UTF-16 by their marks, else GB18030 when not UTF-8.
    QTextCodec *codec = QTextCodec::codecForUtfText(bytes, nullptr);
    QString text;
    if (codec) {
        text = codec->toUnicode(bytes);
    } else {
        QTextCodec::ConverterState state;
        text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
        if (state.invalidChars > 0)
            text = QTextCodec::codecForName("GB18030")->toUnicode(bytes);
    }
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    return lines;
}

// A drop-in of `systemctl --user edit` that asked for Baidu's mobile pages.
bool asksMobile(const QString &unitFolder, const QString &service)
{
    for (const QString &name : {service, QStringLiteral("quillane-weekly@.service")}) {
        const QDir dropIns(QDir(unitFolder).filePath(name + QStringLiteral(".d")));
        for (const QString &file : dropIns.entryList({QStringLiteral("*.conf")}, QDir::Files)) {
            QFile conf(dropIns.filePath(file));
            if (!conf.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = conf.readAll();
            if (text.contains("--device mobile") || text.contains("--device=mobile"))
                return true;
        }
    }
    return false;
}
} // namespace

QString scheduleProblem(const Schedule &schedule)
{
    if (!schedule.time.isValid())
        return kBadTime;
    if (schedule.repeat == Repeat::Weekly && (schedule.weekdays & 0x7f) == 0)
        return kNoDays;
    if (schedule.repeat == Repeat::EveryNDays &&
        (schedule.everyDays < 1 || schedule.everyDays > Schedule::kMostEveryDays))
        return kBadEvery.arg(Schedule::kMostEveryDays);
    return QString();
}

ScheduleBook::ScheduleBook(HistoryStore &history, const SystemdUser &systemd)
    : m_history(history), m_lists(history), m_systemd(systemd)
{
}

QString ScheduleBook::saveList(const SavedList &list)
{
    const QString nameProblem = listNameProblem(list.name);
    if (!nameProblem.isEmpty())
        return nameProblem;
    if (list.tool != HistoryTool::kInclusion && list.tool != HistoryTool::kRanking &&
        list.tool != HistoryTool::kSiteRanking)
        return kBadTool;
    return m_lists.saveList(list) ? QString() : m_lists.errorMessage();
}

QString ScheduleBook::removeList(const QString &name)
{
    if (!m_lists.list(name))
        return m_lists.errorMessage().isEmpty() ? kNoList.arg(name) : m_lists.errorMessage();
    const QString units = m_systemd.uninstall(name);
    if (!m_lists.removeList(name))
        return m_lists.errorMessage();
    return units;
}

QString ScheduleBook::setSchedule(const Schedule &schedule)
{
    const QString problem = scheduleProblem(schedule);
    if (!problem.isEmpty())
        return problem;
    if (!m_lists.list(schedule.listName))
        return m_lists.errorMessage().isEmpty() ? kNoList.arg(schedule.listName) : m_lists.errorMessage();
    const QString units = m_systemd.install(schedule);
    if (!units.isEmpty())
        return units;
    if (m_lists.saveSchedule(schedule))
        return QString();
    const QString error = m_lists.errorMessage();
    m_systemd.uninstall(schedule.listName);
    return error;
}

QString ScheduleBook::setPaused(const QString &listName, bool paused)
{
    std::optional<Schedule> schedule = m_lists.schedule(listName);
    if (!schedule)
        return m_lists.errorMessage().isEmpty() ? kNoSchedule.arg(listName) : m_lists.errorMessage();
    schedule->paused = paused;
    return setSchedule(*schedule);
}

QString ScheduleBook::removeSchedule(const QString &listName)
{
    if (!m_lists.schedule(listName))
        return m_lists.errorMessage().isEmpty() ? kNoSchedule.arg(listName) : m_lists.errorMessage();
    const QString units = m_systemd.uninstall(listName);
    if (!m_lists.removeSchedule(listName))
        return m_lists.errorMessage();
    return units;
}

QList<ScheduleView> ScheduleBook::views(const QDateTime &now)
{
    QList<ScheduleView> views;
    for (const Schedule &schedule : m_lists.schedules()) {
        ScheduleView view;
        view.schedule = schedule;
        view.repeat = describeRepeat(schedule);
        view.nextRun = nextRunAfter(schedule, now);
        if (schedule.lastRunId > 0)
            view.lastRun = m_history.run(schedule.lastRunId);
        if (view.lastRun) {
            const RunSummary summary = summarizeRun(*view.lastRun);
            QStringList figures;
            for (const ReportTotal &figure : summary.briefFigures)
                figures << figure.label + QLatin1Char(' ') + figure.value;
            figures << QStringLiteral("异常 %1").arg(summary.failed);
            view.lastFigures = figures.join(QStringLiteral("  "));
        }
        views.append(view);
    }
    return views;
}

QStringList ScheduleBook::adoptWeeklyTimers(const QString &configFolder)
{
    const QList<WeeklyTimer> timers = {
        {QStringLiteral("ranking"), HistoryTool::kRanking, QStringLiteral("每周排名")},
        {QStringLiteral("inclusion"), HistoryTool::kInclusion, QStringLiteral("每周收录")}};
    QStringList said;
    const QDir wants(QDir(m_systemd.unitFolder).filePath(QStringLiteral("timers.target.wants")));
    for (const WeeklyTimer &weekly : timers) {
        const QString timer = QStringLiteral("quillane-weekly@%1.timer").arg(weekly.instance);
        const QFileInfo enabled(wants.filePath(timer));
        if (!enabled.isSymLink() && !enabled.exists())
            continue;
        QFile file(QDir(configFolder).filePath(QStringLiteral("quillane/%1.txt").arg(weekly.instance)));
        // Without its file the old timer checks nothing either; a list of that name is the user's own.
        if (!file.open(QIODevice::ReadOnly) || m_lists.list(weekly.listName))
            continue;
        // Where no user systemd answers, the old timer does not run either: it waits with it.
        if (!m_systemd.unavailableReason().isEmpty())
            break;
        SavedList list;
        list.name = weekly.listName;
        list.tool = weekly.tool;
        list.device = asksMobile(m_systemd.unitFolder,
                                 QStringLiteral("quillane-weekly@%1.service").arg(weekly.instance))
                          ? HistoryDevice::kMobile
                          : HistoryDevice::kDesktop;
        list.lines = linesOfListFile(file.readAll());
        list.savedAt = QDateTime::currentDateTimeUtc();
        Schedule schedule;
        schedule.listName = list.name;
        schedule.repeat = Repeat::Weekly;
        schedule.weekdays = 1; // Monday
        schedule.time = QTime(9, 0);
        schedule.createdAt = QDateTime::currentDateTimeUtc();
        QString problem = saveList(list);
        if (problem.isEmpty()) {
            problem = setSchedule(schedule);
            // Tried again next time rather than left as a list without its schedule.
            if (!problem.isEmpty())
                m_lists.removeList(list.name);
        }
        // Both timers would check the same lines twice a week.
        if (problem.isEmpty())
            problem = m_systemd.disable(timer);
        said.append(problem.isEmpty() ? kAdopted.arg(timer, list.name) : kNotAdopted.arg(timer, problem));
    }
    return said;
}
