#include "search/desktopinclusioncheck.h"
#include "search/proxyprobe.h"
#include "search/searchcontext.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/loopbackproxy.h"
#include "tests/support/rawcaptureserver.h"

#include <QtTest>

using namespace testsupport;

namespace {

using Kind = LoopbackProxy::Kind;

Reply included(const Request &request)
{
    return Reply::page(desktopPage(desktopHeading(request.param("wd"))));
}

QByteArray deadProxy()
{
    return "http://127.0.0.1:" + QByteArray::number(closedLoopbackPort());
}

SearchContext throughList(const LoopbackBaidu &baidu, const QList<QByteArray> &proxies)
{
    SearchContext context(baidu.endpoints());
    context.proxies = std::make_shared<ProxyRotation>(proxies);
    return context;
}

// Restores an environment variable when the test ends, however it ends.
class EnvironmentValue
{
public:
    EnvironmentValue(const char *name, const QByteArray &value) : m_name(name), m_old(qgetenv(name))
    {
        m_had = qEnvironmentVariableIsSet(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentValue()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_had = false;
};

} // namespace

Q_DECLARE_METATYPE(LoopbackProxy::Kind)

// Requests through real proxies on 127.0.0.1 (tinyproxy, microsocks): their
// logs show what they carried.
class TestProxies : public QObject
{
    Q_OBJECT

private slots:
    void requestsPassThroughTheProxy_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("HTTP proxy, HTTPS tunnelled") << Kind::Http;
        QTest::newRow("SOCKS5, name resolved by the proxy") << Kind::Socks;
    }

    void requestsPassThroughTheProxy()
    {
        QFETCH(Kind, kind);
        LoopbackProxy proxy(kind);
        if (!LoopbackProxy::available(kind))
            QSKIP("proxy program not installed (scripts/install-deps)");
        QVERIFY(proxy.start());
        LoopbackBaidu baidu;
        baidu.setHandler(included);
        const SearchContext context = throughList(baidu, {proxy.url()});
        for (const char *address : {"http://www.a.cn/", "http://www.b.cn/"})
            QCOMPARE(desktopInclusionCheck(QString::fromLatin1(address), context).status,
                     QStringLiteral("已收录"));
        QTRY_COMPARE(proxy.connectionsTo(baidu.httpsPort()), 2);
    }

    void deadProxyInTheListIsSkipped()
    {
        LoopbackProxy proxy(Kind::Socks);
        if (!LoopbackProxy::available(Kind::Socks))
            QSKIP("microsocks not installed (scripts/install-deps)");
        QVERIFY(proxy.start());
        LoopbackBaidu baidu;
        baidu.setHandler(included);
        const SearchContext context = throughList(baidu, {deadProxy(), proxy.url()});
        for (int i = 0; i < 4; ++i) {
            const InclusionResult result =
                desktopInclusionCheck(QStringLiteral("http://www.a.cn/%1").arg(i), context);
            QVERIFY2(!result.isFailed(), qPrintable(result.failure));
        }
        QCOMPARE(baidu.requestCount(), 4);
        QTRY_COMPARE(proxy.connectionsTo(baidu.httpsPort()), 4);
    }

    void systemProxyComesFromTheEnvironment_data()
    {
        QTest::addColumn<bool>("system");
        QTest::addColumn<QByteArray>("noProxy");
        QTest::addColumn<bool>("proxied");
        QTest::newRow("system's proxy") << true << QByteArray() << true;
        QTest::newRow("system's proxy, host exempt") << true << QByteArray("127.0.0.1") << false;
        QTest::newRow("no proxy despite the environment") << false << QByteArray() << false;
    }

    void systemProxyComesFromTheEnvironment()
    {
        QFETCH(bool, system);
        QFETCH(QByteArray, noProxy);
        QFETCH(bool, proxied);
        LoopbackProxy proxy(Kind::Http);
        if (!LoopbackProxy::available(Kind::Http))
            QSKIP("tinyproxy not installed (scripts/install-deps)");
        QVERIFY(proxy.start());
        const EnvironmentValue https("https_proxy", proxy.url());
        const EnvironmentValue exempt("no_proxy", noProxy);
        LoopbackBaidu baidu;
        baidu.setHandler(included);
        SearchContext context(baidu.endpoints());
        context.fetchOptions.systemProxy = system;
        QVERIFY(!desktopInclusionCheck(QStringLiteral("http://www.a.cn/"), context).isFailed());
        QCOMPARE(proxy.connectionsTo(baidu.httpsPort()), proxied ? 1 : 0);
    }

    void proxyTestShowsLatencyOrError_data()
    {
        QTest::addColumn<bool>("dead");
        QTest::newRow("working proxy") << false;
        QTest::newRow("nobody listening") << true;
    }

    void proxyTestShowsLatencyOrError()
    {
        QFETCH(bool, dead);
        LoopbackProxy proxy(Kind::Socks);
        if (!LoopbackProxy::available(Kind::Socks))
            QSKIP("microsocks not installed (scripts/install-deps)");
        QVERIFY(proxy.start());
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::page("<html>百度一下</html>"); });
        const ProxyProbe probe =
            probeProxy(dead ? deadProxy() : proxy.url(), baidu.endpoints(), FetchOptions());
        QCOMPARE(probe.ok, !dead);
        QCOMPARE(baidu.requestCount(), dead ? 0 : 1);
        QVERIFY2(probe.summary().endsWith(QLatin1String(" ms")) != dead, qPrintable(probe.summary()));
        if (!dead)
            QCOMPARE(baidu.requests().value(0).path, QByteArray("/"));
    }

    // A proxy that failed is passed over while others are ready, and used when none is.
    void restingProxiesArePassedOver()
    {
        ProxyRotation rotation({"a", "b", "c"}, 60000);
        QCOMPARE(rotation.next(), QByteArray("a"));
        rotation.rest("b");
        QCOMPARE(rotation.next(), QByteArray("c"));
        QCOMPARE(rotation.next(), QByteArray("a"));
        rotation.rest("a");
        rotation.rest("c");
        QCOMPARE(rotation.next(), QByteArray("b"));
    }
};

QTEST_GUILESS_MAIN(TestProxies)
#include "tst_proxies.moc"
