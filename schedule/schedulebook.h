#pragma once

#include "history/historystore.h"
#include "history/liststore.h"
#include "schedule/scheduleunits.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// A schedule as the 定时任务 page and `schedule list` show it.
struct ScheduleView
{
    Schedule schedule;
    QString repeat;                   // "每天 09:00"
    QDateTime nextRun;                // invalid when paused
    std::optional<StoredRun> lastRun; // with its figures
    QString lastFigures; // "收录率 80%  异常 1", "前10 3  前30 7  异常 0"; empty before the first run
};

// What the window and the command do with lists and schedules, once for both:
// the store keeps them, the user's systemd runs them.
class ScheduleBook
{
public:
    ScheduleBook(HistoryStore &history, const SystemdUser &systemd);

    ListStore &lists() { return m_lists; }
    const SystemdUser &systemd() const { return m_systemd; }

    // Each returns empty when done, else why not (in Chinese).
    QString saveList(const SavedList &list);
    // With its schedule and the schedule's units.
    QString removeList(const QString &name);
    // Adds or changes the schedule of a saved list: units first, so that a
    // schedule the user's systemd does not take is never shown as kept.
    QString setSchedule(const Schedule &schedule);
    QString setPaused(const QString &listName, bool paused);
    QString removeSchedule(const QString &listName);

    QList<ScheduleView> views(const QDateTime &now = QDateTime::currentDateTime());

    // The weekly timers of earlier versions, enabled by hand
    // (quillane-weekly@ranking.timer checks configFolder/quillane/ranking.txt
    // every Monday at 09:00): each becomes a saved list ("每周排名",
    // "每周收录") with that schedule, and the old timer is disabled, so the
    // same lines go on being checked and show on the 定时任务 page. One
    // sentence for each timer taken over or not.
    QStringList adoptWeeklyTimers(const QString &configFolder);

private:
    HistoryStore &m_history;
    ListStore m_lists;
    SystemdUser m_systemd;
};

// Why a schedule cannot be kept as it is (a weekly one without days, …); empty when fine.
QString scheduleProblem(const Schedule &schedule);
