#include "history/historystore.h"

#include "history/serpcodec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <QThread>

#include <atomic>

namespace {

const QString kDriver = QStringLiteral("QSQLITE");
// The window and the command are programs of different names; the folder is
// named here so that both find the one file.
const QString kFolderName = QStringLiteral("quillane");
const QString kFileName = QStringLiteral("history.sqlite");

// SQLite's primary result codes, as Qt's driver reports them.
const QString kBusy = QStringLiteral("5");
const QString kLocked = QStringLiteral("6");
const QString kCorrupt = QStringLiteral("11");
const QString kFull = QStringLiteral("13");
const QString kNotADatabase = QStringLiteral("26");

const QString kLockedMessage = QStringLiteral("历史记录数据库正被另一个程序占用：%1");
const QString kCorruptMessage = QStringLiteral("历史记录数据库已损坏：%1");
const QString kNewerMessage = QStringLiteral("历史记录数据库由更新版本的 Quillane工具 写入（版本 %1）：%2");
const QString kFullMessage = QStringLiteral("磁盘已满，历史记录无法写入：%1");
const QString kOtherMessage = QStringLiteral("历史记录数据库出错（%1）：%2");
const QString kNotOpenMessage = QStringLiteral("历史记录数据库无法打开：%1");

// How long a program waits for another one that holds the file: every lock
// wait, and opening while a second program creates or migrates the file.
constexpr int kBusyTimeoutMs = 3000;
constexpr int kOpenRetryPauseMs = 20;

// Version 1 kept runs and their lines; version 2 added the settings that
// matter for a run's figures, a line's failure reason and the lookup of a
// line's earlier results.
// "IF NOT EXISTS" throughout: a second program may have created them already.
const char *const kVersion1[] = {
    "CREATE TABLE IF NOT EXISTS runs (id INTEGER PRIMARY KEY, tool TEXT NOT NULL, device TEXT NOT NULL,"
    " started_at TEXT NOT NULL, ended_at TEXT, line_count INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS lines (run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
    " line_index INTEGER NOT NULL, line_key TEXT NOT NULL, status TEXT NOT NULL, position TEXT NOT NULL,"
    " cells TEXT NOT NULL, PRIMARY KEY (run_id, line_index))",
};
const char *const kVersion2[] = {
    "ALTER TABLE runs ADD COLUMN interval_ms INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE runs ADD COLUMN proxy_used INTEGER NOT NULL DEFAULT 0",
    "ALTER TABLE lines ADD COLUMN failure TEXT NOT NULL DEFAULT ''",
    "CREATE INDEX IF NOT EXISTS lines_by_key ON lines (line_key, run_id)",
};
// Version 3 lets a run have no device (mining asks no device's pages): the
// runs table is made again without NOT NULL on device, SQLite's way of
// dropping a constraint. Foreign keys are off meanwhile, so that the lines
// stay where they are.
const char *const kVersion3[] = {
    "CREATE TABLE runs_v3 (id INTEGER PRIMARY KEY, tool TEXT NOT NULL, device TEXT,"
    " started_at TEXT NOT NULL, ended_at TEXT, line_count INTEGER NOT NULL,"
    " interval_ms INTEGER NOT NULL DEFAULT 0, proxy_used INTEGER NOT NULL DEFAULT 0)",
    "INSERT INTO runs_v3 (id, tool, device, started_at, ended_at, line_count, interval_ms, proxy_used)"
    " SELECT id, tool, NULLIF(device, ''), started_at, ended_at, line_count, interval_ms, proxy_used FROM "
    "runs",
    "DROP TABLE runs",
    "ALTER TABLE runs_v3 RENAME TO runs",
};
// Version 5 keeps saved lists and the schedule of each (history/liststore.h).
const char *const kVersion5[] = {
    "CREATE TABLE IF NOT EXISTS saved_lists (name TEXT PRIMARY KEY, tool TEXT NOT NULL, device TEXT NOT NULL,"
    " sites TEXT NOT NULL, lines TEXT NOT NULL, saved_at TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS schedules (list_name TEXT PRIMARY KEY"
    " REFERENCES saved_lists(name) ON DELETE CASCADE ON UPDATE CASCADE, repeat TEXT NOT NULL,"
    " weekdays INTEGER NOT NULL DEFAULT 0, every_days INTEGER NOT NULL DEFAULT 1, at_time TEXT NOT NULL,"
    " paused INTEGER NOT NULL DEFAULT 0, created_at TEXT NOT NULL,"
    " last_run_id INTEGER REFERENCES runs(id) ON DELETE SET NULL, last_run_at TEXT,"
    " notify_error TEXT NOT NULL DEFAULT '')",
};

// Version 4 keeps the first-30 list each ranking line was judged on, the
// sites a site ranking run compared and where a run's 异常 pages are kept.
// The lists (a deflated kilobyte or two each) live in a rowid table: keyed
// by their primary key alone, rows that large would leave most of each page empty.
const char *const kVersion4[] = {
    "CREATE TABLE IF NOT EXISTS serps (run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
    " line_index INTEGER NOT NULL, read_at INTEGER NOT NULL, entries BLOB NOT NULL,"
    " PRIMARY KEY (run_id, line_index))",
    "ALTER TABLE runs ADD COLUMN sites TEXT NOT NULL DEFAULT ''",
    "ALTER TABLE runs ADD COLUMN pages TEXT NOT NULL DEFAULT ''",
};

// A whole number from 1 to the bound, as positions are written.
const char kPositionUpTo[] =
    "(l.position <> '' AND l.position NOT GLOB '*[^0-9]*' AND CAST(l.position AS INTEGER) BETWEEN 1 AND %1)";

const QString kRunColumns = QStringLiteral(
    "SELECT r.id, r.tool, r.device, r.started_at, r.ended_at, r.line_count, r.interval_ms, r.proxy_used,"
    " COUNT(l.line_index), SUM(l.status = '已收录'), SUM(l.status = '未收录'),"
    " SUM(l.status = '异常' OR l.position = '异常'), SUM(%1), SUM(%2), r.sites, r.pages"
    " FROM runs r LEFT JOIN lines l ON l.run_id = r.id AND l.line_index >= 0");

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime timeFrom(const QVariant &value)
{
    QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    time.setTimeSpec(Qt::UTC);
    return time;
}

// Qt binds a null QString as SQL NULL; the columns hold texts.
QString notNull(const QString &text)
{
    return text.isNull() ? QString(QLatin1String("")) : text;
}

// A run without a device stores none: NULL, matched with IS.
QVariant deviceValue(const QString &device)
{
    return device.isEmpty() ? QVariant(QVariant::String) : QVariant(device);
}

QString cellsText(const QStringList &cells)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(cells)).toJson(QJsonDocument::Compact));
}

QStringList cellsFrom(const QVariant &value)
{
    QStringList cells;
    const QJsonArray array = QJsonDocument::fromJson(value.toString().toUtf8()).array();
    for (const QJsonValue &cell : array)
        cells.append(cell.toString());
    return cells;
}

StoredRun runFrom(const QSqlQuery &query)
{
    StoredRun run;
    run.id = query.value(0).toLongLong();
    run.tool = query.value(1).toString();
    run.device = query.value(2).toString();
    run.startedAt = timeFrom(query.value(3));
    if (!query.value(4).isNull())
        run.endedAt = timeFrom(query.value(4));
    run.lineCount = query.value(5).toInt();
    run.intervalMs = query.value(6).toInt();
    run.proxyUsed = query.value(7).toBool();
    run.stored = query.value(8).toInt();
    run.included = query.value(9).toInt();
    run.notIncluded = query.value(10).toInt();
    run.failed = query.value(11).toInt();
    run.top10 = query.value(12).toInt();
    run.top30 = query.value(13).toInt();
    run.sites = query.value(14).toString().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.pagesFolder = query.value(15).toString();
    return run;
}

StoredLine lineFrom(const QSqlQuery &query)
{
    StoredLine line;
    line.index = query.value(0).toInt();
    line.key = query.value(1).toString();
    line.status = query.value(2).toString();
    line.position = query.value(3).toString();
    line.failure = query.value(4).toString();
    line.cells = cellsFrom(query.value(5));
    return line;
}

QString runQuery(const QString &tail)
{
    return kRunColumns.arg(QString::fromLatin1(kPositionUpTo).arg(10),
                           QString::fromLatin1(kPositionUpTo).arg(30)) +
           tail;
}

} // namespace

QString HistoryDevice::key(Device device)
{
    return device == Device::Mobile ? kMobile : kDesktop;
}

std::optional<Device> HistoryDevice::deviceOf(const QString &key)
{
    if (key == kDesktop)
        return Device::Desktop;
    if (key == kMobile)
        return Device::Mobile;
    return std::nullopt;
}

QString HistoryStore::defaultPath()
{
    const QDir data(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return data.filePath(kFolderName + QLatin1Char('/') + kFileName);
}

HistoryStore::HistoryStore(const QString &path) : m_path(path)
{
    static std::atomic<int> stores{0};
    m_connection = QStringLiteral("quillane-history-%1").arg(++stores);
    // Some of what opening does (entering WAL mode, recovering another
    // program's log) can meet a lock that SQLite's own wait does not cover.
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        m_open = openDatabase() && migrate();
        if (m_open || !m_busy || clock.elapsed() > kBusyTimeoutMs)
            break;
        QSqlDatabase::database(m_connection, false).close();
        QThread::msleep(kOpenRetryPauseMs);
    }
}

HistoryStore::~HistoryStore()
{
    m_insertLine.reset();
    m_insertSerp.reset();
    m_dropSerp.reset();
    {
        QSqlDatabase database = QSqlDatabase::database(m_connection, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool HistoryStore::fail(const QString &what)
{
    m_error = what;
    return false;
}

bool HistoryStore::openDatabase()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSqlDatabase database = QSqlDatabase::contains(m_connection)
                                ? QSqlDatabase::database(m_connection, false)
                                : QSqlDatabase::addDatabase(kDriver, m_connection);
    database.setDatabaseName(m_path);
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!database.open())
        return fail(kNotOpenMessage.arg(database.lastError().text()));
    return exec(QStringLiteral("PRAGMA journal_mode = WAL")) &&
           exec(QStringLiteral("PRAGMA synchronous = NORMAL")) &&
           exec(QStringLiteral("PRAGMA foreign_keys = ON"));
}

bool HistoryStore::exec(const QString &statement)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    return query.exec(statement) || failWith(query.lastError());
}

bool HistoryStore::failWith(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    const QString detail = QDir::toNativeSeparators(m_path);
    m_busy = code == kBusy || code == kLocked;
    if (m_busy)
        return fail(kLockedMessage.arg(detail));
    if (code == kCorrupt || code == kNotADatabase)
        return fail(kCorruptMessage.arg(detail));
    if (code == kFull)
        return fail(kFullMessage.arg(detail));
    return fail(kOtherMessage.arg(error.text(), detail));
}

bool HistoryStore::schemaVersion(int *found)
{
    QSqlQuery version(QSqlDatabase::database(m_connection, false));
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next())
        return failWith(version.lastError());
    *found = version.value(0).toInt();
    if (*found > kSchemaVersion)
        return fail(kNewerMessage.arg(*found).arg(QDir::toNativeSeparators(m_path)));
    return true;
}

bool HistoryStore::migrate()
{
    int found = 0;
    if (!schemaVersion(&found))
        return false;
    if (found == kSchemaVersion)
        return true;
    // Making a table again must not cascade to the lines; the pragma does nothing inside a transaction.
    if (!exec(QStringLiteral("PRAGMA foreign_keys = OFF")))
        return false;
    // Alone in the file while the schema changes: another program that starts
    // at the same moment waits here, then finds the schema made.
    bool ok = exec(QStringLiteral("BEGIN EXCLUSIVE")) && schemaVersion(&found);
    if (ok && found < 1) {
        for (const char *statement : kVersion1)
            ok = ok && exec(QString::fromLatin1(statement));
    }
    if (ok && found < 2) {
        for (const char *statement : kVersion2)
            ok = ok && exec(QString::fromLatin1(statement));
    }
    if (ok && found < 3) {
        for (const char *statement : kVersion3)
            ok = ok && exec(QString::fromLatin1(statement));
    }
    if (ok && found < 4) {
        for (const char *statement : kVersion4)
            ok = ok && exec(QString::fromLatin1(statement));
    }
    if (ok && found < 5) {
        for (const char *statement : kVersion5)
            ok = ok && exec(QString::fromLatin1(statement));
    }
    ok = ok && exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    if (ok && exec(QStringLiteral("COMMIT")))
        return exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    const QString error = m_error;
    const bool busy = m_busy;
    QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QStringLiteral("ROLLBACK"));
    QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    m_error = error;
    m_busy = busy;
    return false;
}

qint64 HistoryStore::beginRun(const StoredRun &run)
{
    if (!m_open)
        return 0;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral(
        "INSERT INTO runs (tool, device, started_at, line_count, interval_ms, proxy_used, sites, pages)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(run.tool);
    query.addBindValue(deviceValue(run.device));
    query.addBindValue(timeText(run.startedAt.isValid() ? run.startedAt : QDateTime::currentDateTimeUtc()));
    query.addBindValue(run.lineCount);
    query.addBindValue(run.intervalMs);
    query.addBindValue(run.proxyUsed ? 1 : 0);
    query.addBindValue(notNull(run.sites.join(QLatin1Char('\n'))));
    query.addBindValue(notNull(run.pagesFolder));
    if (!query.exec()) {
        failWith(query.lastError());
        return 0;
    }
    return query.lastInsertId().toLongLong();
}

bool HistoryStore::addLines(qint64 runId, const QList<StoredLine> &lines)
{
    if (!m_open)
        return false;
    QSqlDatabase database = QSqlDatabase::database(m_connection, false);
    if (!m_insertLine) {
        m_insertLine = std::make_unique<QSqlQuery>(database);
        m_insertLine->prepare(
            QStringLiteral("INSERT OR REPLACE INTO lines"
                           " (run_id, line_index, line_key, status, position, failure, cells)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?)"));
        m_insertSerp = std::make_unique<QSqlQuery>(database);
        m_insertSerp->prepare(QStringLiteral(
            "INSERT OR REPLACE INTO serps (run_id, line_index, read_at, entries) VALUES (?, ?, ?, ?)"));
        m_dropSerp = std::make_unique<QSqlQuery>(database);
        m_dropSerp->prepare(QStringLiteral("DELETE FROM serps WHERE run_id = ? AND line_index = ?"));
    }
    // One line is a transaction of its own; more take the write lock at once,
    // waiting for another program's write to end.
    const bool batch = lines.size() > 1;
    if (batch && !exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    QSqlQuery &query = *m_insertLine;
    for (const StoredLine &line : lines) {
        query.bindValue(0, runId);
        query.bindValue(1, line.index);
        query.bindValue(2, line.key);
        query.bindValue(3, notNull(line.status));
        query.bindValue(4, notNull(line.position));
        query.bindValue(5, notNull(line.failure));
        query.bindValue(6, cellsText(line.cells));
        // A line checked again keeps the list of its new answer, or none.
        QSqlQuery &list = line.serp.isEmpty() ? *m_dropSerp : *m_insertSerp;
        list.bindValue(0, runId);
        list.bindValue(1, line.index);
        if (!line.serp.isEmpty()) {
            list.bindValue(
                2,
                (line.readAt.isValid() ? line.readAt : QDateTime::currentDateTimeUtc()).toMSecsSinceEpoch());
            list.bindValue(3, encodeSerp(line.serp));
        }
        const bool stored = query.exec() && list.exec();
        list.finish();
        if (!stored) {
            const QSqlError error = query.lastError().isValid() ? query.lastError() : list.lastError();
            query.finish();
            if (batch)
                database.rollback();
            return failWith(error);
        }
    }
    query.finish();
    if (!batch || database.commit())
        return true;
    const QSqlError error = database.lastError();
    database.rollback();
    return failWith(error);
}

bool HistoryStore::finishRun(qint64 runId, const QDateTime &endedAt)
{
    if (!m_open)
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE runs SET ended_at = ? WHERE id = ?"));
    query.addBindValue(timeText(endedAt));
    query.addBindValue(runId);
    return query.exec() || failWith(query.lastError());
}

bool HistoryStore::deleteRun(qint64 runId)
{
    if (!m_open)
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("DELETE FROM runs WHERE id = ?"));
    query.addBindValue(runId);
    return query.exec() || failWith(query.lastError());
}

QList<StoredRun> HistoryStore::runs()
{
    QList<StoredRun> found;
    if (!m_open)
        return found;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    if (!query.exec(runQuery(QStringLiteral(" GROUP BY r.id ORDER BY r.id DESC")))) {
        failWith(query.lastError());
        return found;
    }
    while (query.next())
        found.append(runFrom(query));
    return found;
}

std::optional<StoredRun> HistoryStore::run(qint64 runId)
{
    if (!m_open)
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(runQuery(QStringLiteral(" WHERE r.id = ? GROUP BY r.id")));
    query.addBindValue(runId);
    if (!query.exec()) {
        failWith(query.lastError());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return runFrom(query);
}

QList<StoredLine> HistoryStore::lines(qint64 runId)
{
    return linesOfRun(runId, QStringLiteral("line_index >= 0 ORDER BY line_index"));
}

QList<StoredLine> HistoryStore::siteLines(qint64 runId)
{
    return linesOfRun(runId, QStringLiteral("line_index < 0"));
}

QList<StoredLine> HistoryStore::linesOfRun(qint64 runId, const QString &which)
{
    QList<StoredLine> found;
    if (!m_open)
        return found;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT line_index, line_key, status, position, failure, cells FROM lines"
                                 " WHERE run_id = ? AND ") +
                  which);
    query.addBindValue(runId);
    if (!query.exec()) {
        failWith(query.lastError());
        return found;
    }
    while (query.next())
        found.append(lineFrom(query));
    return found;
}

std::optional<StoredSerp> HistoryStore::serp(qint64 runId, int lineIndex)
{
    if (!m_open)
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT read_at, entries FROM serps WHERE run_id = ? AND line_index = ?"));
    query.addBindValue(runId);
    query.addBindValue(lineIndex);
    if (!query.exec()) {
        failWith(query.lastError());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return StoredSerp{QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong(), Qt::UTC),
                      decodeSerp(query.value(1).toByteArray())};
}

QHash<int, StoredSerp> HistoryStore::serps(qint64 runId)
{
    QHash<int, StoredSerp> found;
    if (!m_open)
        return found;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT line_index, read_at, entries FROM serps WHERE run_id = ?"));
    query.addBindValue(runId);
    if (!query.exec()) {
        failWith(query.lastError());
        return found;
    }
    while (query.next())
        found.insert(query.value(0).toInt(),
                     {QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC),
                      decodeSerp(query.value(2).toByteArray())});
    return found;
}

QHash<QString, StoredLine> HistoryStore::previousLines(qint64 runId)
{
    QHash<QString, StoredLine> found;
    if (!m_open)
        return found;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    // For every key of this run: its line in the newest earlier run of the same tool and device.
    // Cells are left out: changes are read from status and position, and
    // decoding every cell of a long run would double the time it takes to open.
    query.prepare(QStringLiteral("SELECT o.line_index, o.line_key, o.status, o.position, o.failure, '[]'"
                                 " FROM runs cur JOIN lines l ON l.run_id = cur.id"
                                 " JOIN lines o ON o.line_key = l.line_key AND o.run_id = ("
                                 "   SELECT MAX(e.run_id) FROM lines e JOIN runs er ON er.id = e.run_id"
                                 "   WHERE e.line_key = l.line_key AND e.run_id < cur.id AND er.tool = "
                                 "cur.tool AND er.device IS cur.device)"
                                 " WHERE cur.id = ?"));
    query.addBindValue(runId);
    if (!query.exec()) {
        failWith(query.lastError());
        return found;
    }
    while (query.next()) {
        const StoredLine line = lineFrom(query);
        found.insert(line.key, line);
    }
    return found;
}

QHash<QString, StoredLine> HistoryStore::latestLines(const QString &tool, const QString &device,
                                                     qint64 beforeRunId)
{
    QHash<QString, StoredLine> found;
    if (!m_open)
        return found;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT l.line_index, l.line_key, l.status, l.position, l.failure, '[]'"
                                 " FROM lines l JOIN ("
                                 "   SELECT e.line_key AS k, MAX(e.run_id) AS newest FROM lines e"
                                 "   JOIN runs r ON r.id = e.run_id"
                                 "   WHERE r.tool = ? AND r.device IS ? AND (? = 0 OR e.run_id < ?)"
                                 "   GROUP BY e.line_key) latest"
                                 " ON l.line_key = latest.k AND l.run_id = latest.newest"));
    query.addBindValue(tool);
    query.addBindValue(deviceValue(device));
    query.addBindValue(beforeRunId);
    query.addBindValue(beforeRunId);
    if (!query.exec()) {
        failWith(query.lastError());
        return found;
    }
    while (query.next()) {
        const StoredLine line = lineFrom(query);
        found.insert(line.key, line);
    }
    return found;
}

QList<PositionPoint> HistoryStore::positionHistory(const QString &tool, const QString &device,
                                                   const QString &key)
{
    QList<PositionPoint> points;
    if (!m_open)
        return points;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT r.id, r.started_at, l.position FROM lines l JOIN runs r ON r.id = l.run_id"
                       " WHERE l.line_key = ? AND r.tool = ? AND r.device IS ? ORDER BY r.id"));
    query.addBindValue(key);
    query.addBindValue(tool);
    query.addBindValue(deviceValue(device));
    if (!query.exec()) {
        failWith(query.lastError());
        return points;
    }
    while (query.next())
        points.append({query.value(0).toLongLong(), timeFrom(query.value(1)), query.value(2).toString()});
    return points;
}
