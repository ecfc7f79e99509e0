#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

class HistoryStore;

// A list of lines kept under a name, to be checked again and again with one
// tool, device and site(s).
struct SavedList
{
    QString name;
    QString tool;      // a HistoryTool key: inclusion, ranking or site-ranking
    QString device;    // a HistoryDevice key
    QStringList sites; // site-ranking: the site(s) as typed
    QStringList lines;
    QDateTime savedAt;
};

enum class Repeat
{
    Daily,
    Weekly,    // on the days of Schedule::weekdays
    EveryNDays // every Schedule::everyDays days, counted from the last run
};

// When a saved list is checked by itself; one per list.
struct Schedule
{
    static constexpr int kMostEveryDays = 365;

    QString listName;
    Repeat repeat = Repeat::Daily;
    int weekdays = 0; // Weekly: bit 0 Monday … bit 6 Sunday
    int everyDays = 1;
    QTime time{9, 0};
    bool paused = false;
    QDateTime createdAt;

    qint64 lastRunId = 0; // 0: never ran, or its run was deleted
    QDateTime lastRunAt;
    // Why the last run's digest did not reach a channel; empty when it did or none was due.
    QString notifyError;
};

// Saved lists and schedules, in the history's file (so a run, its list and
// its schedule are kept and backed up together). Uses the store's
// connection: same thread as the store.
class ListStore
{
public:
    explicit ListStore(HistoryStore &history);

    bool isOpen() const;
    QString errorMessage() const { return m_error; }

    // Adds or replaces the list of that name.
    bool saveList(const SavedList &list);
    // Sorted by name, lines included.
    QList<SavedList> lists();
    std::optional<SavedList> list(const QString &name);
    // Its schedule goes with it.
    bool removeList(const QString &name);

    // Adds or replaces the schedule of its list (whose last run is kept).
    bool saveSchedule(const Schedule &schedule);
    QList<Schedule> schedules();
    std::optional<Schedule> schedule(const QString &listName);
    bool removeSchedule(const QString &listName);
    bool recordRun(const QString &listName, qint64 runId, const QDateTime &at, const QString &notifyError);

private:
    bool failWith(const QString &detail);

    HistoryStore &m_history;
    QString m_error;
};

// What a list's name may be: it names files and units too. Empty when fine,
// else why not, in Chinese.
QString listNameProblem(const QString &name);
