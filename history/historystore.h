#pragma once

#include "search/checkresult.h"
#include "workers/device.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSqlError;
class QSqlQuery;

// The tools whose runs are kept, by the keys stored in the database
// (history/tooldescriptor.h tells which key is which tool's).
namespace HistoryTool {
inline const QString kInclusion = QStringLiteral("inclusion");
inline const QString kRanking = QStringLiteral("ranking");
inline const QString kSiteRanking = QStringLiteral("site-ranking");
inline const QString kMining = QStringLiteral("mining");
} // namespace HistoryTool

// The devices a run asks Baidu for, by their stored keys: the only place
// where a Device turns into a stored word and back.
namespace HistoryDevice {
inline const QString kDesktop = QStringLiteral("pc");
inline const QString kMobile = QStringLiteral("mobile");

QString key(Device device);
// None for a run without a device (mining) or a key this version does not know.
std::optional<Device> deviceOf(const QString &key);
} // namespace HistoryDevice

// One run as the store keeps it. The counts are read from its stored lines.
struct StoredRun
{
    qint64 id = 0;
    QString tool;   // a HistoryTool key
    QString device; // "pc" or "mobile"; empty for tools without a device
    QDateTime startedAt;
    QDateTime endedAt; // invalid while the run goes on, or when it never ended
    int lineCount = 0; // lines the run was started with
    int intervalMs = 0;
    bool proxyUsed = false;
    // The hosts a site ranking run compared, in its order; empty for other
    // tools and for runs of one site kept before several could be compared.
    QStringList sites;
    // The folder that keeps the answer pages behind its 异常 lines; empty: none kept.
    QString pagesFolder;

    int stored = 0; // lines with a result
    int included = 0;
    int notIncluded = 0;
    int failed = 0; // status or position 异常
    int top10 = 0;
    int top30 = 0;
};

// One line's result as stored: the row's cells as the table shows them,
// and the two fields that changes are read from.
struct StoredLine
{
    int index = 0;
    QString key; // what identifies the line across runs of one tool
    QString status;
    QString position;
    QString failure;
    QStringList cells;
    // The first 30 entries the line was judged on, and when they were read;
    // stored beside the line, read on their own (serp()).
    // Initialised here so that callers listing only the fields above stay warning-free.
    SerpList serp{};
    QDateTime readAt{};
};

// A line's first-30 list as stored.
struct StoredSerp
{
    QDateTime readAt;
    SerpList entries;
};

// One place of a ranking line's position history.
struct PositionPoint
{
    qint64 runId = 0;
    QDateTime startedAt;
    QString position;
};

// The run history: one SQLite file (WAL, so a window can read while a
// command-line run writes), opened by the window and the command alike.
// Runs are stored as they progress, a batch of lines per transaction, so a
// crash or a stop keeps every line already added. Not thread-safe: one
// store per thread.
//
// A store that cannot be opened (locked, corrupt, written by a newer
// version, a full disk) says why in errorMessage(); every call then fails
// and the run it serves goes on without history.
class HistoryStore
{
public:
    static constexpr int kSchemaVersion = 5;
    // A site ranking run of several sites keeps, beside each keyword's line
    // (the first site's), one line per further site under that site's key, at
    // this index: changes and position histories then find every site's past
    // as they find a one-site run's. lines() leaves them out.
    static int siteLineIndex(int index, int site) { return -(index * 16 + site); }

    // quillane/history.sqlite in the platform's data location (XDG_DATA_HOME,
    // HOME), the same for every program of the project.
    static QString defaultPath();

    explicit HistoryStore(const QString &path = defaultPath());
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    bool isOpen() const { return m_open; }
    QString path() const { return m_path; }
    // The open connection, for the stores of other tables in the same file (history/liststore.h).
    QString connectionName() const { return m_connection; }
    // Why the last call failed, in Chinese for the window and the command.
    QString errorMessage() const { return m_error; }

    // Stores a new run (id, counts and end are ignored); its id, or 0.
    qint64 beginRun(const StoredRun &run);
    // Adds or replaces lines of a run in one transaction.
    bool addLines(qint64 runId, const QList<StoredLine> &lines);
    bool finishRun(qint64 runId, const QDateTime &endedAt);
    bool deleteRun(qint64 runId);

    // Newest first.
    QList<StoredRun> runs();
    std::optional<StoredRun> run(qint64 runId);
    // In line order.
    QList<StoredLine> lines(qint64 runId);
    // The further sites' lines of a site ranking run (siteLineIndex), in no order.
    QList<StoredLine> siteLines(qint64 runId);
    // A line's first-30 list; none when it was not kept.
    std::optional<StoredSerp> serp(qint64 runId, int lineIndex);
    // Every list of a run, by line index.
    QHash<int, StoredSerp> serps(qint64 runId);
    // For each key of the run's lines, its latest result in an earlier run of
    // the same tool and device (without its cells).
    QHash<QString, StoredLine> previousLines(qint64 runId);
    // For every key ever checked with a tool and device in a run before
    // beforeRunId (0: any), its latest result (without its cells): what a run
    // starting now compares its lines with.
    QHash<QString, StoredLine> latestLines(const QString &tool, const QString &device,
                                           qint64 beforeRunId = 0);
    // A line's positions over all runs of a tool and device, oldest first.
    QList<PositionPoint> positionHistory(const QString &tool, const QString &device, const QString &key);

private:
    bool openDatabase();
    // The file's schema version; false for one newer than this program's.
    bool schemaVersion(int *found);
    bool migrate();
    bool fail(const QString &what);
    // Says what went wrong, in the user's terms; always false.
    bool failWith(const QSqlError &error);
    bool exec(const QString &statement);
    // The run's lines that meet which (an SQL condition on the lines table, with its order).
    QList<StoredLine> linesOfRun(qint64 runId, const QString &which);

    QString m_path;
    QString m_connection;
    std::unique_ptr<QSqlQuery> m_insertLine; // prepared once: a run adds its lines one at a time
    std::unique_ptr<QSqlQuery> m_insertSerp;
    std::unique_ptr<QSqlQuery> m_dropSerp;
    QString m_error;
    bool m_busy = false; // the last failure was another program's lock
    bool m_open = false;
};

// They cross to the window's history writer thread.
Q_DECLARE_METATYPE(StoredRun)
Q_DECLARE_METATYPE(StoredLine)
