#include "schedule/schedulebook.h"

#include "history/runsummary.h"

namespace {
const QString kNoList = QStringLiteral("没有名为“%1”的列表");
const QString kNoSchedule = QStringLiteral("列表“%1”没有定时任务");
const QString kNoDays = QStringLiteral("每周的定时任务至少要选一天");
const QString kBadEvery = QStringLiteral("间隔天数须在 1 到 %1 之间");
const QString kBadTime = QStringLiteral("时间无效");
const QString kBadTool = QStringLiteral("列表只能用于收录、排名或泛排名");
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
