#include "tests/support/loopbackbaidu.h"

#include <memory>

#include <httplib.h>

#include <QFile>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifndef QUILLANE_TEST_DATA_DIR
#error "QUILLANE_TEST_DATA_DIR must name tests/data"
#endif

namespace testsupport {

namespace {
QByteArray toBytes(const std::string &text)
{
    return QByteArray(text.data(), int(text.size()));
}

std::string toStd(const QByteArray &bytes)
{
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}
} // namespace

QByteArray Request::param(const QByteArray &key) const
{
    for (const auto &entry : params) {
        if (entry.first == key)
            return entry.second;
    }
    return QByteArray();
}

QByteArray Request::header(const QByteArray &name) const
{
    for (const auto &entry : headers) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return entry.second;
    }
    return QByteArray();
}

bool Request::hasHeader(const QByteArray &name) const
{
    for (const auto &entry : headers) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Reply Reply::page(const QByteArray &body)
{
    Reply reply;
    reply.body = body;
    return reply;
}

Reply Reply::withStatus(int status, const QByteArray &body)
{
    Reply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

Reply Reply::redirect(const QByteArray &location, int status)
{
    Reply reply;
    reply.status = status;
    reply.headers.append({"Location", location});
    return reply;
}

Reply Reply::delayed(const QByteArray &body, int delayMs)
{
    Reply reply = page(body);
    reply.delayMs = delayMs;
    return reply;
}

Reply Reply::silent()
{
    Reply reply;
    reply.neverAnswer = true;
    return reply;
}

Reply Reply::dropped()
{
    Reply reply;
    reply.dropConnection = true;
    return reply;
}

Reply Reply::oversized(qint64 bytes)
{
    Reply reply;
    reply.body = QByteArray(int(bytes), 'x');
    return reply;
}

struct LoopbackBaidu::State
{
    httplib::Server http;
    httplib::SSLServer https{QUILLANE_TEST_DATA_DIR "/loopback-cert.pem",
                             QUILLANE_TEST_DATA_DIR "/loopback-key.pem"};
    int httpPort = 0;
    int httpsPort = 0;
    std::thread httpThread;
    std::thread httpsThread;

    mutable std::mutex mutex;
    std::condition_variable stopped;
    bool stopping = false;
    Handler handler;
    QList<Request> log;

    void serve(const char *scheme, const httplib::Request &in, httplib::Response &out);
    // Sleeps up to delayMs, or until the server stops; false when stopping.
    bool waitFor(int delayMs);
};

bool LoopbackBaidu::State::waitFor(int delayMs)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (delayMs < 0) {
        stopped.wait(lock, [this] { return stopping; });
        return false;
    }
    return !stopped.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return stopping; });
}

void LoopbackBaidu::State::serve(const char *scheme, const httplib::Request &in, httplib::Response &out)
{
    Request request;
    request.scheme = scheme;
    request.method = toBytes(in.method);
    request.target = toBytes(in.target);
    request.path = toBytes(in.path);
    request.body = toBytes(in.body);
    for (const auto &header : in.headers) {
        // httplib adds these itself; they were not sent by the client.
        if (header.first == "REMOTE_ADDR" || header.first == "REMOTE_PORT" || header.first == "LOCAL_ADDR" ||
            header.first == "LOCAL_PORT")
            continue;
        request.headers.append({toBytes(header.first), toBytes(header.second)});
    }
    for (const auto &param : in.params)
        request.params.append({toBytes(param.first), toBytes(param.second)});

    Handler current;
    {
        std::lock_guard<std::mutex> lock(mutex);
        log.append(request);
        current = handler;
    }
    const Reply reply = current ? current(request) : Reply::withStatus(404, QByteArray());

    if (reply.neverAnswer) {
        waitFor(-1);
        out.status = 503;
        return;
    }
    if (reply.delayMs > 0 && !waitFor(reply.delayMs)) {
        out.status = 503;
        return;
    }
    out.status = reply.status;
    for (const auto &header : reply.headers)
        out.set_header(toStd(header.first), toStd(header.second));
    if (reply.dropConnection) {
        out.set_content_provider(4096, toStd(reply.contentType),
                                 [](std::size_t, std::size_t, httplib::DataSink &) { return false; });
        return;
    }
    if (reply.body.isEmpty()) {
        out.set_content(std::string(), toStd(reply.contentType).c_str());
        return;
    }
    // Served by length, so that the server never compresses on its own: a
    // compressed answer is one the reply asks for with its own Content-Encoding.
    auto body = std::make_shared<const std::string>(toStd(reply.body));
    out.set_content_provider(body->size(), toStd(reply.contentType),
                             [body](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
                                 return sink.write(body->data() + offset, length);
                             });
}

LoopbackBaidu::LoopbackBaidu() : m_state(std::make_unique<State>())
{
    State *state = m_state.get();
    auto route = [state](const char *scheme) {
        return [state, scheme](const httplib::Request &in, httplib::Response &out) {
            state->serve(scheme, in, out);
        };
    };
    // Enough workers that slow or silent replies never starve other requests.
    auto pool = [] { return new httplib::ThreadPool(48); };
    state->http.new_task_queue = pool;
    state->https.new_task_queue = pool;
    state->http.Get(".*", route("http"));
    state->https.Get(".*", route("https"));
    // Webhooks are posted to: the notification tests play the group robots with it.
    state->http.Post(".*", route("http"));
    state->https.Post(".*", route("https"));
    state->http.set_keep_alive_max_count(1);
    state->https.set_keep_alive_max_count(1);
    state->httpPort = state->http.bind_to_any_port("127.0.0.1");
    state->httpsPort = state->https.bind_to_any_port("127.0.0.1");
    state->httpThread = std::thread([state] { state->http.listen_after_bind(); });
    state->httpsThread = std::thread([state] { state->https.listen_after_bind(); });
    // httplib's stop() does nothing until the accept loop runs; a fixture
    // stopped at once (a test that makes no request) would never be joined.
    while (!state->http.is_running() || !state->https.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackBaidu::~LoopbackBaidu()
{
    stop();
}

void LoopbackBaidu::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->stopped.notify_all();
    m_state->http.stop();
    m_state->https.stop();
    if (m_state->httpThread.joinable())
        m_state->httpThread.join();
    if (m_state->httpsThread.joinable())
        m_state->httpsThread.join();
}

void LoopbackBaidu::setHandler(Handler handler)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->handler = std::move(handler);
}

int LoopbackBaidu::httpPort() const
{
    return m_state->httpPort;
}

int LoopbackBaidu::httpsPort() const
{
    return m_state->httpsPort;
}

QByteArray LoopbackBaidu::httpAuthority() const
{
    return "127.0.0.1:" + QByteArray::number(m_state->httpPort);
}

QByteArray LoopbackBaidu::httpsAuthority() const
{
    return "127.0.0.1:" + QByteArray::number(m_state->httpsPort);
}

QByteArray LoopbackBaidu::httpUrl(const QByteArray &pathAndQuery) const
{
    return "http://" + httpAuthority() + pathAndQuery;
}

QByteArray LoopbackBaidu::httpsUrl(const QByteArray &pathAndQuery) const
{
    return "https://" + httpsAuthority() + pathAndQuery;
}

SearchEndpoints LoopbackBaidu::endpoints() const
{
    return SearchEndpoints::at(httpsAuthority(), httpAuthority(), testCaFile());
}

QList<Request> LoopbackBaidu::requests() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->log;
}

int LoopbackBaidu::requestCount() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->log.size();
}

int LoopbackBaidu::requestCountBesidesHomePage() const
{
    int count = 0;
    for (const Request &request : requests())
        count += request.path == "/" ? 0 : 1;
    return count;
}

void LoopbackBaidu::clearRequests()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->log.clear();
}

QByteArray testCaFile()
{
    return testDataPath("test-ca.pem");
}

FetchOptions loopbackFetchOptions()
{
    FetchOptions options;
    options.caFile = testCaFile();
    return options;
}

QByteArray testDataPath(const char *name)
{
    return QByteArray(QUILLANE_TEST_DATA_DIR "/") + name;
}

QByteArray readTestData(const char *name)
{
    QFile file(QString::fromUtf8(testDataPath(name)));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace testsupport
