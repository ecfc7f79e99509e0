#pragma once

#include <QByteArray>

// An answer body turned into UTF-8 before any reading: decoded by the charset
// its Content-Type header declares, else by its own <meta> declaration, else
// as UTF-8. Bytes that are no UTF-8, declared so or not, are read as GB18030
// (a proxy or mirror re-encoded the page). Pages larger than
// kMaxReadBytes are read only that far.
struct PageText
{
    // False for a body that is no text at all (still compressed, binary).
    bool readable = false;
    QByteArray utf8;
};

// Baidu's answer pages stay under 2 MiB; reading stops here so that a hostile
// page costs bounded time.
inline constexpr int kMaxReadBytes = 8 * 1024 * 1024;

PageText decodePageBody(const QByteArray &body, const QByteArray &contentType = QByteArray());

// The charset named in a Content-Type value or the first <meta> declaration
// of the page's head, lower case; empty when none is named.
QByteArray declaredCharset(const QByteArray &contentType, const QByteArray &body);
