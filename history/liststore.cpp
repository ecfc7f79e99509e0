#include "history/liststore.h"

#include "history/historystore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {
const QString kError = QStringLiteral("历史记录数据库出错：%1");
const QString kEmptyName = QStringLiteral("列表名不能为空");
const QString kLongName = QStringLiteral("列表名最长 %1 个字");
const QString kControlInName = QStringLiteral("列表名不能含换行或控制字符");
constexpr int kLongestName = 60;

const char *const kRepeatWords[] = {"daily", "weekly", "every"};

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs) : QString(QLatin1String(""));
}

QDateTime timeFrom(const QVariant &value)
{
    if (value.isNull() || value.toString().isEmpty())
        return QDateTime();
    QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    time.setTimeSpec(Qt::UTC);
    return time;
}

QString jsonText(const QStringList &texts)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(texts)).toJson(QJsonDocument::Compact));
}

QStringList textsFrom(const QVariant &value)
{
    QStringList texts;
    const QJsonArray array = QJsonDocument::fromJson(value.toString().toUtf8()).array();
    for (const QJsonValue &text : array)
        texts.append(text.toString());
    return texts;
}

SavedList listFrom(const QSqlQuery &query)
{
    return {query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
            textsFrom(query.value(3)), textsFrom(query.value(4)), timeFrom(query.value(5))};
}

const QString kScheduleColumns =
    QStringLiteral("SELECT list_name, repeat, weekdays, every_days, at_time, paused, created_at, last_run_id,"
                   " last_run_at, notify_error FROM schedules");

Schedule scheduleFrom(const QSqlQuery &query)
{
    Schedule schedule;
    schedule.listName = query.value(0).toString();
    for (int i = 0; i < 3; ++i) {
        if (query.value(1).toString() == QLatin1String(kRepeatWords[i]))
            schedule.repeat = Repeat(i);
    }
    schedule.weekdays = query.value(2).toInt();
    schedule.everyDays = query.value(3).toInt();
    schedule.time = QTime::fromString(query.value(4).toString(), QStringLiteral("HH:mm"));
    schedule.paused = query.value(5).toBool();
    schedule.createdAt = timeFrom(query.value(6));
    schedule.lastRunId = query.value(7).toLongLong();
    schedule.lastRunAt = timeFrom(query.value(8));
    schedule.notifyError = query.value(9).toString();
    return schedule;
}
} // namespace

QString listNameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return kEmptyName;
    if (name.size() > kLongestName)
        return kLongName.arg(kLongestName);
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return kControlInName;
    }
    return QString();
}

ListStore::ListStore(HistoryStore &history) : m_history(history)
{
    if (!history.isOpen())
        m_error = history.errorMessage();
}

bool ListStore::isOpen() const
{
    return m_history.isOpen();
}

bool ListStore::failWith(const QString &detail)
{
    m_error = kError.arg(detail);
    return false;
}

bool ListStore::saveList(const SavedList &list)
{
    if (!isOpen())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_history.connectionName(), false));
    // An upsert, not "REPLACE": replacing would delete the row and its schedule with it.
    query.prepare(QStringLiteral("INSERT INTO saved_lists (name, tool, device, sites, lines, saved_at)"
                                 " VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT(name) DO UPDATE SET"
                                 " tool = excluded.tool, device = excluded.device, sites = excluded.sites,"
                                 " lines = excluded.lines, saved_at = excluded.saved_at"));
    query.addBindValue(list.name);
    query.addBindValue(list.tool);
    query.addBindValue(list.device.isNull() ? QString(QLatin1String("")) : list.device);
    query.addBindValue(jsonText(list.sites));
    query.addBindValue(jsonText(list.lines));
    query.addBindValue(timeText(list.savedAt.isValid() ? list.savedAt : QDateTime::currentDateTimeUtc()));
    return query.exec() || failWith(query.lastError().text());
}

QList<SavedList> ListStore::lists()
{
    QList<SavedList> found;
    if (!isOpen())
        return found;
    QSqlQuery query(QSqlDatabase::database(m_history.connectionName(), false));
    if (!query.exec(QStringLiteral("SELECT name, tool, device, sites, lines, saved_at FROM saved_lists"
                                   " ORDER BY name"))) {
        failWith(query.lastError().text());
        return found;
    }
    while (query.next())
        found.append(listFrom(query));
    return found;
}

std::optional<SavedList> ListStore::list(const QString &name)
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_history.connectionName(), false));
    query.prepare(QStringLiteral("SELECT name, tool, device, sites, lines, saved_at FROM saved_lists"
                                 " WHERE name = ?"));
    query.addBindValue(name);
    if (!query.exec()) {
        failWith(query.lastError().text());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return listFrom(query);
}

bool ListStore::removeList(const QString &name)
{
    if (!isOpen())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_history.connectionName(), false));
    query.prepare(QStringLiteral("DELETE FROM saved_lists WHERE name = ?"));
    query.addBindValue(name);
    return query.exec() || failWith(query.lastError().text());
}

bool ListStore::saveSchedule(const Schedule &schedule)
{
    if (!isOpen())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_history.connectionName(), false));
    query.prepare(QStringLiteral(
        "INSERT INTO schedules (list_name, repeat, weekdays, every_days, at_time, paused, created_at)"
        " VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT(list_name) DO UPDATE SET repeat = excluded.repeat,"
        " weekdays = excluded.weekdays, every_days = excluded.every_days, at_time = excluded.at_time,"
        " paused = excluded.paused"));
    query.addBindValue(schedule.listName);
    query.addBindValue(QString::fromLatin1(kRepeatWords[int(schedule.repeat)]));
    query.addBindValue(schedule.weekdays);
    query.addBindValue(schedule.everyDays);
    query.addBindValue(schedule.time.toString(QStringLiteral("HH:mm")));
    query.addBindValue(schedule.paused ? 1 : 0);
    query.addBindValue(
        timeText(schedule.createdAt.isValid() ? schedule.createdAt : QDateTime::currentDateTimeUtc()));
    return query.exec() || failWith(query.lastError().text());
}

QList<Schedule> ListStore::schedules()
{
    QList<Schedule> found;
    if (!isOpen())
        return found;
    QSqlQuery query(QSqlDatabase::database(m_history.connectionName(), false));
    if (!query.exec(kScheduleColumns + QStringLiteral(" ORDER BY list_name"))) {
        failWith(query.lastError().text());
        return found;
    }
    while (query.next())
        found.append(scheduleFrom(query));
    return found;
}

std::optional<Schedule> ListStore::schedule(const QString &listName)
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_history.connectionName(), false));
    query.prepare(kScheduleColumns + QStringLiteral(" WHERE list_name = ?"));
    query.addBindValue(listName);
    if (!query.exec()) {
        failWith(query.lastError().text());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return scheduleFrom(query);
}

bool ListStore::removeSchedule(const QString &listName)
{
    if (!isOpen())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_history.connectionName(), false));
    query.prepare(QStringLiteral("DELETE FROM schedules WHERE list_name = ?"));
    query.addBindValue(listName);
    return query.exec() || failWith(query.lastError().text());
}

bool ListStore::recordRun(const QString &listName, qint64 runId, const QDateTime &at,
                          const QString &notifyError)
{
    if (!isOpen())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_history.connectionName(), false));
    query.prepare(QStringLiteral("UPDATE schedules SET last_run_id = ?, last_run_at = ?, notify_error = ?"
                                 " WHERE list_name = ?"));
    query.addBindValue(runId > 0 ? QVariant(runId) : QVariant(QVariant::LongLong));
    query.addBindValue(timeText(at));
    query.addBindValue(notifyError.isNull() ? QString(QLatin1String("")) : notifyError);
    query.addBindValue(listName);
    return query.exec() || failWith(query.lastError().text());
}
