#pragma once

#include "workers/querylines.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// The lines of one command-line query, from a file or standard input: the
// window's preparation, after a trailing "\r" of each line is removed.
class QueryInput
{
public:
    // How many input lines did not become query lines, and why.
    struct Dropped
    {
        int empty = 0;
        int duplicate = 0;
        int withoutHttp = 0;
        int total() const { return empty + duplicate + withoutHttp; }
    };

    static QueryInput fromBytes(const QByteArray &bytes, QueryKind kind);

    QStringList lines() const { return m_lines; }
    Dropped dropped() const { return m_dropped; }
    // The encoding the bytes were read in: "UTF-8", "GB18030" (Windows' Chinese
    // code page), "UTF-16LE" or "UTF-16BE".
    QString encoding() const { return m_encoding; }

private:
    QStringList m_lines;
    Dropped m_dropped;
    QString m_encoding;
};
