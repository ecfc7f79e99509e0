#include "search/pagefetcher.h"
#include "tests/support/loopbackbaidu.h"

#include <QtTest>

#include <atomic>
#include <thread>

using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

// The fixture itself: later tests trust what it serves and records.
class TestLoopbackFixture : public QObject
{
    Q_OBJECT

private slots:
    void servesBothSchemesAndRecords()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &request) { return Reply::page("hello " + request.param("wd")); });
        const FetchResult plain = fetchPage(baidu.httpUrl("/s?wd=a%20b"), FetchProfile::RankingDesktop);
        const FetchResult secure = fetchPage(baidu.httpsUrl("/s?wd=c"), FetchProfile::RankingDesktop, nullptr,
                                             testsupport::loopbackFetchOptions());
        QVERIFY(plain.ok);
        QCOMPARE(plain.body, QByteArray("hello a b"));
        QCOMPARE(plain.httpStatus, 200L);
        QVERIFY(secure.ok);
        QCOMPARE(secure.body, QByteArray("hello c"));
        const auto log = baidu.requests();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log.at(0).scheme, QByteArray("http"));
        QCOMPARE(log.at(0).target, QByteArray("/s?wd=a%20b"));
        QCOMPARE(log.at(1).scheme, QByteArray("https"));
    }

    void silentReplyIsReleasedOnStop()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::silent(); });
        std::atomic<bool> abort{false};
        QElapsedTimer timer;
        timer.start();
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            abort = true;
        });
        const FetchResult result = fetchPage(baidu.httpUrl("/s"), FetchProfile::RankingDesktop, &abort);
        stopper.join();
        QVERIFY(!result.ok);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestLoopbackFixture)
#include "tst_loopbackfixture.moc"
