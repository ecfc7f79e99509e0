#pragma once

#include <QList>
#include <QString>

namespace testsupport {

// The tables of a history file as version 2 wrote them (runs, lines and its index).
QList<const char *> versionTwoTables();

// Writes a history file as an earlier version left it: the statements (UTF-8)
// in order, on a connection of their own that is gone afterwards. Empty when
// all went, else the statement that failed and why.
QString writeOldHistory(const QString &path, const QList<const char *> &statements);

} // namespace testsupport
