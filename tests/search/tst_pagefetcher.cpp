#include "search/pagefetcher.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rawcaptureserver.h"

#include <QtTest>

#include <thread>
#include <vector>

using testsupport::LoopbackBaidu;
using testsupport::RawCaptureServer;
using testsupport::Reply;
using testsupport::Request;

Q_DECLARE_METATYPE(FetchProfile)
Q_DECLARE_METATYPE(FetchFailure)

namespace {
const QByteArray kDesktopAgent =
    "User-Agent: Mozilla/5.0 (Windows NT 6.3; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/43.0.2357.130 Safari/537.36";
const QByteArray kMobileAgent =
    "User-Agent: Mozilla/5.0 (Linux; U; Android 4.2.1; zh-cn; AMOI N828 Build/JOP40D) AppleWebKit/533.1 "
    "(KHTML, like Gecko)Version/4.0 MQQBrowser/4.4 Mobile Safari/533.1";

// Long enough to be a real page, short enough to keep the test quick.
constexpr FetchProfile kOneSecond{"Accept: */*", UserAgent::Desktop, 1, false, 0};

quint32 crc32Of(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray littleEndian(quint32 value)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes += char((value >> (8 * i)) & 0xffu);
    return bytes;
}

// qCompress gives a 4-byte length, then a zlib stream: what HTTP calls "deflate".
QByteArray deflated(const QByteArray &data)
{
    return qCompress(data).mid(4);
}

QByteArray gzipped(const QByteArray &data)
{
    const QByteArray zlib = deflated(data);
    return QByteArray("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10) + zlib.mid(2, zlib.size() - 6) +
           littleEndian(crc32Of(data)) + littleEndian(quint32(data.size()));
}
} // namespace

// fetchPage against real servers on 127.0.0.1: what goes out, what comes back.
class TestPageFetcher : public QObject
{
    Q_OBJECT

private slots:
    void profileConstants_data()
    {
        QTest::addColumn<FetchProfile>("profile");
        QTest::addColumn<QByteArray>("accept");
        QTest::addColumn<bool>("mobile");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("redirects");
        QTest::newRow("InclusionDesktop")
            << FetchProfile::InclusionDesktop << QByteArray("Accept: *") << false << 30 << 0;
        QTest::newRow("InclusionMobile")
            << FetchProfile::InclusionMobile << QByteArray("Accept: *") << true << 30 << 0;
        QTest::newRow("RankingDesktop")
            << FetchProfile::RankingDesktop << QByteArray("Accept: */*") << false << 30 << 0;
        QTest::newRow("RankingMobile")
            << FetchProfile::RankingMobile << QByteArray("Accept: */*") << true << 30 << 0;
        QTest::newRow("LinkResolve") << FetchProfile::LinkResolve << QByteArray("Accept: */*") << false << 15
                                     << 0;
    }

    void profileConstants()
    {
        QFETCH(FetchProfile, profile);
        QFETCH(QByteArray, accept);
        QFETCH(bool, mobile);
        QFETCH(int, timeout);
        QFETCH(int, redirects);
        QCOMPARE(QByteArray(profile.acceptLine), accept);
        QCOMPARE(profile.agent == UserAgent::Mobile, mobile);
        QCOMPARE(profile.timeoutSeconds, long(timeout));
        QCOMPARE(profile.followRedirects, redirects > 0);
        if (profile.followRedirects)
            QCOMPARE(profile.maxRedirects, long(redirects));
    }

    // The request head byte for byte: request line, Host, libcurl's
    // Accept-Encoding, then the four header lines in order with "Expect:"
    // suppressing the header entirely.
    void requestHeadAsSent_data()
    {
        QTest::addColumn<FetchProfile>("profile");
        QTest::addColumn<QByteArray>("accept");
        QTest::addColumn<QByteArray>("agent");
        QTest::addColumn<QByteArray>("givenAgent"); // the settings' desktop agent
        QTest::newRow("InclusionDesktop")
            << FetchProfile::InclusionDesktop << QByteArray("Accept: *") << kDesktopAgent << QByteArray();
        QTest::newRow("InclusionMobile")
            << FetchProfile::InclusionMobile << QByteArray("Accept: *") << kMobileAgent << QByteArray();
        QTest::newRow("RankingDesktop")
            << FetchProfile::RankingDesktop << QByteArray("Accept: */*") << kDesktopAgent << QByteArray();
        QTest::newRow("RankingMobile")
            << FetchProfile::RankingMobile << QByteArray("Accept: */*") << kMobileAgent << QByteArray();
        QTest::newRow("LinkResolve") << FetchProfile::LinkResolve << QByteArray("Accept: */*")
                                     << kDesktopAgent << QByteArray();
        QTest::newRow("agent with a line break: the default")
            << FetchProfile::RankingDesktop << QByteArray("Accept: */*") << kDesktopAgent
            << QByteArray("Q/1\r\nX-Injected: 1");
    }

    void requestHeadAsSent()
    {
        QFETCH(FetchProfile, profile);
        QFETCH(QByteArray, accept);
        QFETCH(QByteArray, agent);
        QFETCH(QByteArray, givenAgent);
        RawCaptureServer server;
        FetchOptions options;
        options.desktopAgent = givenAgent;
        const FetchResult result = fetchPage(server.url("/s?wd=%E4%B8%AD%20x"), profile, nullptr, options);
        QVERIFY(result.ok);
        const QList<QByteArray> heads = server.heads();
        QCOMPARE(heads.size(), 1);
        // Compression is asked for in every encoding this libcurl decodes; the list varies by build.
        const QByteArray encodings = "Accept-Encoding: ";
        const int at = heads.first().indexOf(encodings);
        const int end = heads.first().indexOf("\r\n", at) + 2;
        QVERIFY(at > 0 && heads.first().mid(at, end - at).contains("gzip"));
        const QByteArray expected = QByteArray("GET /s?wd=%E4%B8%AD%20x HTTP/1.1\r\n"
                                               "Host: 127.0.0.1:") +
                                    QByteArray::number(server.port()) + "\r\n" + accept +
                                    "\r\nCharset: utf-8\r\n" + agent + "\r\n\r\n";
        QCOMPARE(heads.first().left(at) + heads.first().mid(end), expected);
    }

    void unescapedBytesReachTheServer()
    {
        // fetchPage hands the address over as it is; encoding is the caller's job.
        RawCaptureServer server;
        QVERIFY(fetchPage(server.url(QByteArray("/s?wd=") + QStringLiteral("中文").toUtf8()),
                          FetchProfile::RankingDesktop)
                    .ok);
        QVERIFY(server.heads().value(0).startsWith(QByteArray("GET /s?wd=") +
                                                   QStringLiteral("中文").toUtf8() + " HTTP/1.1\r\n"));
    }

    void answersOfAnyStatusComplete_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("200") << 200 << QByteArray("<html>fine</html>");
        QTest::newRow("404") << 404 << QByteArray("<html>not here</html>");
        QTest::newRow("500") << 500 << QByteArray("<html>broken</html>");
        QTest::newRow("503 empty") << 503 << QByteArray();
    }

    void answersOfAnyStatusComplete()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &) { return Reply::withStatus(status, body); });
        const FetchResult result = fetchPage(baidu.httpsUrl("/s?wd=x"), FetchProfile::InclusionDesktop,
                                             nullptr, testsupport::loopbackFetchOptions());
        QVERIFY(result.ok);
        QCOMPARE(result.httpStatus, long(status));
        QCOMPARE(result.body, body);
    }

    void bodyProfilesDoNotFollowRedirects()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &request) {
            return request.path == "/s" ? Reply::redirect(baidu.httpUrl("/landing")) : Reply::page("landed");
        });
        const FetchResult result = fetchPage(baidu.httpUrl("/s?wd=x"), FetchProfile::RankingMobile);
        QVERIFY(result.ok);
        QCOMPARE(result.httpStatus, 302L);
        QCOMPARE(baidu.requestCount(), 1);
    }

    void linkResolveReadsTheRedirect_data()
    {
        QTest::addColumn<int>("hops");
        QTest::addColumn<QByteArray>("redirect");
        QTest::newRow("no redirect") << 0 << QByteArray();
        QTest::newRow("one redirect, not followed") << 1 << QByteArray("/hop1");
        QTest::newRow("two redirects, first one read") << 2 << QByteArray("/hop1");
    }

    void linkResolveReadsTheRedirect()
    {
        QFETCH(int, hops);
        QFETCH(QByteArray, redirect);
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &request) {
            const int hop = request.path.mid(4).toInt();
            if (hop < hops)
                return Reply::redirect(baidu.httpsUrl(QByteArray("/hop") + QByteArray::number(hop + 1)));
            return Reply::page("target page");
        });
        const FetchResult result = fetchPage(baidu.httpUrl("/hop0"), FetchProfile::LinkResolve);
        QVERIFY(result.ok);
        QCOMPARE(baidu.requestCount(), 1);
        QCOMPARE(result.redirectAddress,
                 redirect.isEmpty() ? QString() : QString::fromLatin1(baidu.httpsUrl(redirect)));
        if (redirect.isEmpty())
            QCOMPARE(result.body, QByteArray("target page"));
    }

    void compressedAnswersArriveDecoded_data()
    {
        QTest::addColumn<QByteArray>("encoding");
        QTest::newRow("gzip") << QByteArray("gzip");
        QTest::newRow("deflate") << QByteArray("deflate");
    }

    void compressedAnswersArriveDecoded()
    {
        QFETCH(QByteArray, encoding);
        const QByteArray page = QStringLiteral("<html><p>没有找到该URL</p></html>").toUtf8().repeated(50);
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &) {
            Reply reply = Reply::page(encoding == "gzip" ? gzipped(page) : deflated(page));
            reply.contentType = "text/html; charset=GBK";
            reply.headers.append({"Content-Encoding", encoding});
            return reply;
        });
        const FetchResult result = fetchPage(baidu.httpUrl("/s?wd=x"), FetchProfile::InclusionDesktop);
        QVERIFY(result.ok);
        QVERIFY(baidu.requests().value(0).header("Accept-Encoding").contains(encoding));
        QCOMPARE(result.body, page);
        QCOMPARE(result.contentType, QByteArray("text/html; charset=GBK"));
    }

    void failedTransfers_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<FetchFailure>("failure");
        // Worth asking again: the line is retried before it reads "异常".
        QTest::addColumn<bool>("transient");
        QTest::addColumn<QString>("reason"); // the line's 原因
        QTest::newRow("time-out") << 0 << FetchFailure::TimedOut << true << QStringLiteral("连接超时");
        QTest::newRow("dropped connection")
            << 1 << FetchFailure::Connection << true << QStringLiteral("连接失败");
        QTest::newRow("connection refused")
            << 2 << FetchFailure::Refused << true << QStringLiteral("连接被拒绝");
        QTest::newRow("body one byte over the limit")
            << 3 << FetchFailure::Other << false << QStringLiteral("请求失败");
    }

    void failedTransfers()
    {
        QFETCH(int, kind);
        QFETCH(FetchFailure, failure);
        QFETCH(bool, transient);
        QFETCH(QString, reason);
        if (kind == 2) {
            const QByteArray address = QByteArray("http://127.0.0.1:") +
                                       QByteArray::number(testsupport::closedLoopbackPort()) + "/s";
            const FetchResult refused = fetchPage(address, FetchProfile::RankingDesktop);
            QVERIFY(!refused.ok);
            QCOMPARE(refused.failure, failure);
            QCOMPARE(isTransientFailure(refused), transient);
            QCOMPARE(unusablePageReason(refused), reason);
            return;
        }
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &) {
            switch (kind) {
            case 0:
                return Reply::delayed("late", 4000);
            case 1:
                return Reply::dropped();
            default:
                return Reply::oversized(qint64(kMaxBodyBytes) + 1);
            }
        });
        const FetchResult result =
            fetchPage(baidu.httpUrl("/s?wd=x"), kind == 0 ? kOneSecond : FetchProfile::RankingDesktop);
        QVERIFY(!result.ok);
        QVERIFY(result.body.isEmpty());
        QCOMPARE(result.failure, failure);
        QCOMPARE(isTransientFailure(result), transient);
        QCOMPARE(unusablePageReason(result), reason);
    }

    void bodyAtTheLimitArrivesWhole()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::oversized(qint64(kMaxBodyBytes)); });
        const FetchResult result = fetchPage(baidu.httpUrl("/big"), FetchProfile::RankingDesktop);
        QVERIFY(result.ok);
        QCOMPARE(std::size_t(result.body.size()), kMaxBodyBytes);
    }

    void bodyKeepsNulBytes()
    {
        const QByteArray body("before\0after\0\xe4\xb8\xad", 15);
        LoopbackBaidu baidu;
        baidu.setHandler([&](const Request &) { return Reply::page(body); });
        const FetchResult result = fetchPage(baidu.httpsUrl("/s?word=x"), FetchProfile::InclusionMobile,
                                             nullptr, testsupport::loopbackFetchOptions());
        QVERIFY(result.ok);
        QCOMPARE(result.body, body);
    }

    // Baidu's certificate is checked: a server whose issuer is not trusted
    // gets no request, unless the user turned checking off.
    void certificatesAreVerified_data()
    {
        QTest::addColumn<bool>("trustTestCa");
        QTest::addColumn<bool>("verify");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("unknown issuer refused") << false << true << false;
        QTest::newRow("trusted issuer accepted") << true << true << true;
        QTest::newRow("not verified accepted") << false << false << true;
    }

    void certificatesAreVerified()
    {
        QFETCH(bool, trustTestCa);
        QFETCH(bool, verify);
        QFETCH(bool, accepted);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::page("answer"); });
        FetchOptions options = trustTestCa ? testsupport::loopbackFetchOptions() : FetchOptions();
        options.verifyCertificates = verify;
        const FetchResult result =
            fetchPage(baidu.httpsUrl("/s?wd=x"), FetchProfile::InclusionDesktop, nullptr, options);
        QCOMPARE(result.ok, accepted);
        QCOMPARE(baidu.requestCount(), accepted ? 1 : 0);
        if (!accepted) {
            QCOMPARE(result.failure, FetchFailure::Certificate);
            QVERIFY(!isTransientFailure(result));
            QCOMPARE(unusablePageReason(result), QStringLiteral("证书不受信任"));
            QVERIFY(failureDetail(result).startsWith(certificateFailureReason()));
        }
    }

    void writeBodyWithoutBufferAborts()
    {
        char data[] = "abc";
        QCOMPARE(writeBody(data, 1, 3, nullptr), std::size_t(0));
        QByteArray buffer("x");
        QCOMPARE(writeBody(data, 1, 3, &buffer), std::size_t(3));
        QCOMPARE(buffer, QByteArray("xabc"));
    }

    // Every call owns its handle and buffer: parallel fetches never mix bodies.
    void parallelFetchesKeepTheirOwnBodies()
    {
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &request) {
            return Reply::delayed(QByteArray("page ") + request.param("wd"), 20);
        });
        constexpr int kThreads = 6;
        std::vector<FetchResult> results(kThreads);
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&, i] {
                results[std::size_t(i)] =
                    fetchPage(baidu.httpsUrl(QByteArray("/s?wd=") + QByteArray::number(i)),
                              FetchProfile::RankingDesktop, nullptr, testsupport::loopbackFetchOptions());
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        for (int i = 0; i < kThreads; ++i) {
            QVERIFY(results[std::size_t(i)].ok);
            QCOMPARE(results[std::size_t(i)].body, QByteArray("page ") + QByteArray::number(i));
        }
    }

    void unusableSearchPages_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("unusable");
        const QByteArray page("<html><head><title>百度一下</title></head></html>");
        QTest::newRow("result page") << true << 200 << page << false;
        QTest::newRow("206 still an answer") << true << 206 << page << false;
        QTest::newRow("failed transfer") << false << 0 << QByteArray() << true;
        QTest::newRow("redirect to verification") << true << 302 << page << true;
        QTest::newRow("404") << true << 404 << page << true;
        QTest::newRow("500") << true << 500 << page << true;
        QTest::newRow("empty body") << true << 200 << QByteArray() << true;
        QTest::newRow("robot check title")
            << true << 200 << QByteArray("<html><head><title>百度安全验证</title></head></html>") << true;
        QTest::newRow("real robot check page")
            << true << 200 << testsupport::readTestData("real-pages/captcha_2022_DogInNoSense_agt1.html")
            << true;
        QTest::newRow("robot text outside the title")
            << true << 200 << QByteArray("<title>结果</title><p>百度安全验证</p>") << false;
    }

    void unusableSearchPages()
    {
        QFETCH(bool, ok);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, unusable);
        FetchResult result;
        result.ok = ok;
        result.httpStatus = status;
        result.body = body;
        QCOMPARE(isUnusableSearchPage(result), unusable);
    }
};

QTEST_GUILESS_MAIN(TestPageFetcher)
#include "tst_pagefetcher.moc"
