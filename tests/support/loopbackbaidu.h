#pragma once

#include "search/pagefetcher.h"
#include "search/searchendpoints.h"

#include <QByteArray>
#include <QList>
#include <QPair>

#include <functional>
#include <memory>

namespace testsupport {

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// One request as the loopback server received it.
struct Request
{
    QByteArray scheme; // "http" or "https"
    QByteArray method;
    QByteArray target; // the raw request target, query included, as sent
    QByteArray path;
    HeaderList headers; // names as sent; order is the server's (sorted), see RawCaptureServer
    QList<QPair<QByteArray, QByteArray>> params; // decoded query parameters
    QByteArray body;                             // what a POST carried

    QByteArray param(const QByteArray &key) const;
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
};

// What the server answers to one request.
struct Reply
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/html; charset=utf-8";
    HeaderList headers;
    int delayMs = 0;             // wait before answering
    bool neverAnswer = false;    // hold the request until the server stops
    bool dropConnection = false; // announce a body, then close the connection

    static Reply page(const QByteArray &body);
    static Reply withStatus(int status, const QByteArray &body);
    static Reply redirect(const QByteArray &location, int status = 302);
    static Reply delayed(const QByteArray &body, int delayMs);
    static Reply silent();
    static Reply dropped();
    static Reply oversized(qint64 bytes);
};

using Handler = std::function<Reply(const Request &)>;

// Plays Baidu on 127.0.0.1: one plain HTTP and one HTTPS server (certificate
// for 127.0.0.1 from the test CA, tests/data/test-ca.pem) sharing one handler
// and one request log. Every test that
// fetches pages runs against this; nothing leaves the loopback interface.
class LoopbackBaidu
{
public:
    LoopbackBaidu();
    ~LoopbackBaidu();
    LoopbackBaidu(const LoopbackBaidu &) = delete;
    LoopbackBaidu &operator=(const LoopbackBaidu &) = delete;

    // Thread-safe; the default handler answers 404 with an empty page.
    void setHandler(Handler handler);

    int httpPort() const;
    int httpsPort() const;
    QByteArray httpAuthority() const; // "127.0.0.1:<port>"
    QByteArray httpsAuthority() const;
    QByteArray httpUrl(const QByteArray &pathAndQuery) const;
    QByteArray httpsUrl(const QByteArray &pathAndQuery) const;

    // Endpoints of every kind pointing at these two servers, trusting the test CA.
    SearchEndpoints endpoints() const;

    QList<Request> requests() const;
    int requestCount() const;
    // The requests other than visits of the home page ("/"), which a session makes before its first search.
    int requestCountBesidesHomePage() const;
    void clearRequests();

    // Stops both servers and releases requests held by silent replies.
    void stop();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The test CA that signed the loopback servers' certificate.
QByteArray testCaFile();
// Fetch options that trust the test CA, for tests that call fetchPage themselves.
FetchOptions loopbackFetchOptions();

// Path of a file in tests/data.
QByteArray testDataPath(const char *name);
QByteArray readTestData(const char *name);

} // namespace testsupport
