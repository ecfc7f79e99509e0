#include "tests/support/oldhistory.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace testsupport {

QList<const char *> versionTwoTables()
{
    return {"CREATE TABLE runs (id INTEGER PRIMARY KEY, tool TEXT NOT NULL, device TEXT NOT NULL,"
            " started_at TEXT NOT NULL, ended_at TEXT, line_count INTEGER NOT NULL,"
            " interval_ms INTEGER NOT NULL DEFAULT 0, proxy_used INTEGER NOT NULL DEFAULT 0)",
            "CREATE TABLE lines (run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
            " line_index INTEGER NOT NULL, line_key TEXT NOT NULL, status TEXT NOT NULL,"
            " position TEXT NOT NULL, cells TEXT NOT NULL, failure TEXT NOT NULL DEFAULT '',"
            " PRIMARY KEY (run_id, line_index))",
            "CREATE INDEX lines_by_key ON lines (line_key, run_id)"};
}

QString writeOldHistory(const QString &path, const QList<const char *> &statements)
{
    const QString connection = QStringLiteral("old history");
    QString failed;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        database.setDatabaseName(path);
        if (!database.open())
            return database.lastError().text();
        QSqlQuery query(database);
        for (const char *statement : statements) {
            if (!query.exec(QString::fromUtf8(statement))) {
                failed = QString::fromUtf8(statement) + QStringLiteral(": ") + query.lastError().text();
                break;
            }
        }
        query.finish();
        database.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return failed;
}

} // namespace testsupport
