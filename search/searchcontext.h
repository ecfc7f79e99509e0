#pragma once

#include "searchendpoints.h"

#include <QByteArray>
#include <QString>

#include <functional>

// An answer page that led to "异常" or could not be read, handed out so that a
// user can show what Baidu served. The body is only borrowed for the call.
struct AnswerPage
{
    QString line;    // the check's input line
    QString check;   // "inclusion" or "ranking"
    QString request; // "site", "keyword", "keyword-2", "keyword-3"
    const QByteArray &body;
};

// Everything a check needs besides its input line and its abort flag: where
// its requests go, and who keeps failed answer pages. A value type, so a batch
// carries its own copy across threads.
struct SearchContext
{
    // Implicit: a context that only sets the endpoints reads as the endpoints.
    SearchContext(const SearchEndpoints &endpoints = SearchEndpoints()) : endpoints(endpoints) {}

    SearchEndpoints endpoints;
    // Called on the checking thread, once per failed answer page; empty keeps nothing
    // (the window), so that no result ever carries a page body.
    std::function<void(const AnswerPage &)> pageSink;

    void keepFailedPage(const QString &line, const QString &check, const QString &request,
                        const QByteArray &body) const
    {
        if (pageSink && !body.isEmpty())
            pageSink(AnswerPage{line, check, request, body});
    }
};
