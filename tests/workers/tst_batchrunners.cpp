#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "workers/batchrunner.h"

#include <QtTest>

#include <memory>

using namespace testsupport;

Q_DECLARE_METATYPE(Tool)

// The runners the window's pages and the command both drive, made by tool.
class TestBatchRunners : public QObject
{
    Q_OBJECT

private slots:
    // One decision for every tool: the device alone picks Baidu's desktop
    // ("wd") or mobile ("word") pages; each line reports as its row.
    void deviceDecidesThePages_data()
    {
        QTest::addColumn<Tool>("tool");
        QTest::addColumn<QString>("line");
        QTest::addColumn<Device>("device");
        for (const Device device : {Device::Desktop, Device::Mobile}) {
            const char *name = device == Device::Mobile ? "mobile" : "desktop";
            QTest::addRow("inclusion, %s", name)
                << Tool::Inclusion << QStringLiteral("http://www.a.cn/") << device;
            QTest::addRow("ranking, %s", name)
                << Tool::Ranking << QStringLiteral("词 http://www.a.cn/") << device;
            QTest::addRow("site ranking, %s", name) << Tool::SiteRanking << QStringLiteral("词") << device;
        }
    }

    void deviceDecidesThePages()
    {
        QFETCH(Tool, tool);
        QFETCH(QString, line);
        QFETCH(Device, device);
        LoopbackBaidu baidu;
        baidu.setHandler([](const Request &) { return Reply::page(desktopRankingNotFoundPage()); });
        RunOptions options;
        options.sites = {SiteRule::parse(QStringLiteral("a.cn"))};
        const std::unique_ptr<BatchRunner> runner(newBatchRunner(tool, options));
        QList<int> rows;
        bool finished = false;
        connect(runner.get(), &BatchRunner::resultReady, this,
                [&](int row, const ResultRow &) { rows << row; });
        connect(runner.get(), &BatchRunner::finished, this, [&] { finished = true; });
        runner->start({line}, {7}, device, baidu.endpoints());
        QTRY_VERIFY_WITH_TIMEOUT(finished, 30000);
        QCOMPARE(rows, QList<int>{7});
        const QByteArray asked = device == Device::Mobile ? "word" : "wd";
        const QByteArray other = device == Device::Mobile ? "wd" : "word";
        const QList<Request> log = baidu.requests();
        QVERIFY(!log.isEmpty());
        for (const Request &request : log) {
            QVERIFY2(!request.param(asked).isEmpty(), request.target.constData());
            QVERIFY2(request.param(other).isEmpty(), request.target.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestBatchRunners)
#include "tst_batchrunners.moc"
