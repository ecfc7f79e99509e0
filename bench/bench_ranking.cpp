// Figures for the ranking checks and the ranking run, all against a loopback
// Baidu: the desktop keyword page (30 headings in 600 KB, scan and both
// passes), requests per line on Baidu's real keyword pages, a 200-line run
// against 50 ms answers as a ratio to the ideal, and how long a cancel takes
// with lines waiting on a silent server.

#include "search/desktoprankingcheck.h"
#include "search/resultstrings.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "workers/rankingrun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <vector>

using testsupport::DesktopHeading;
using testsupport::LoopbackBaidu;
using testsupport::Reply;
using testsupport::Request;

namespace {

constexpr int kHeadings = 30;
constexpr int kPageBytes = 600 * 1024;
constexpr int kRounds = 7;
constexpr int kRunLines = 200;
constexpr int kAnswerMs = 50;

const QByteArray kTitle = "Example Shop Home";

double medianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Times searchDesktopRank on one keyword page; near titles keep every link for pass 2.
void benchKeywordPage(bool nearTitles)
{
    LoopbackBaidu baidu;
    QList<DesktopHeading> headings;
    for (int i = 0; i < kHeadings; ++i) {
        const QByteArray prefix = nearTitles ? QByteArray("Example Shop Page ")
                                             : QByteArray("An unrelated heading far from the title, number ");
        const QByteArray text = prefix + QByteArray::number(i);
        headings.append({text, baidu.httpUrl("/link?url=t" + QByteArray::number(i))});
    }
    const QByteArray page = testsupport::desktopKeywordPage(headings, kPageBytes);
    baidu.setHandler([&](const Request &request) {
        if (request.path == "/link")
            return Reply::redirect(baidu.httpUrl("/" + request.param("url")));
        if (request.path == "/s")
            return Reply::page(page);
        return Reply::page("<html></html>");
    });
    const QString address = QString::fromUtf8(baidu.httpUrl("/t17"));

    std::vector<double> samples;
    QString position;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        position = searchDesktopRank(QStringLiteral("kw"), QString::fromUtf8(kTitle), address,
                                     ResultText::kIncluded, baidu.endpoints());
        samples.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf(
        "keyword page %d KB, %d headings, %s: median %.1f ms per line (position %s, %d requests per line)\n",
        page.size() / 1024, kHeadings, nearTitles ? "30 links resolved" : "all dropped by title",
        medianMs(samples), qPrintable(position), baidu.requestCount() / kRounds);
}

QByteArray readRealPage(const QString &name)
{
    QFile file(QDir(QStringLiteral(QUILLANE_REAL_PAGES_DIR)).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One line per counted entry of each real page: the address the page states,
// else the distinct target its redirect link answers with; the site query's
// title is the entry's heading plus one letter. Counts every request, all to
// the loopback Baidu (the target sites do not exist).
void benchRealPages()
{
    const QByteArray baiduRedirect = "http://www.baidu.com/link?url=";
    int lines = 0;
    int requests = 0;
    int found = 0;
    for (const char *name :
         {"desktop_2017_435236402_day01_baidu_nba.html", "desktop_2020_BaiduSpider_test_web_normal.html",
          "desktop_2022_DogInNoSense_agt_wodeip.html"}) {
        const QJsonArray entries =
            QJsonDocument::fromJson(
                readRealPage(QStringLiteral("truth/") + QLatin1String(name) + QStringLiteral(".truth.json")))
                .object()
                .value(QStringLiteral("entries"))
                .toArray();
        LoopbackBaidu baidu;
        QByteArray keywordPage = readRealPage(QLatin1String(name));
        keywordPage.replace(baiduRedirect, baidu.httpUrl("/link?url="));
        QByteArray title;
        baidu.setHandler([&](const Request &request) {
            if (request.path == "/link")
                return Reply::redirect("http://r" + request.param("url") + ".example.cn/");
            if (request.param("rn").isEmpty())
                return Reply::page(testsupport::desktopRankingSitePage(title, "2021-03-04"));
            return Reply::page(keywordPage);
        });
        int pageLines = 0;
        const int before = requests;
        for (const QJsonValue &value : entries) {
            const QJsonObject entry = value.toObject();
            if (!entry.value(QStringLiteral("counted")).toBool())
                continue;
            title = entry.value(QStringLiteral("heading_text")).toString().toUtf8() + "x";
            QString address = entry.value(QStringLiteral("real_target")).toString();
            if (address.isEmpty())
                address = QStringLiteral("http://r") +
                          entry.value(QStringLiteral("href")).toString().mid(baiduRedirect.size()) +
                          QStringLiteral(".example.cn/");
            baidu.clearRequests();
            const RankingResult result = rankDesktop(QStringLiteral("kw ") + address, baidu.endpoints());
            found +=
                result.position == QString::number(entry.value(QStringLiteral("position")).toInt()) ? 1 : 0;
            requests += baidu.requestCount();
            ++pageLines;
        }
        lines += pageLines;
        std::printf("real page %s: %d lines, %.2f requests per line\n", name, pageLines,
                    double(requests - before) / pageLines);
    }
    std::printf("real pages: %d of %d entries at their true position, mean %.2f requests per line "
                "(2 are the site query and the keyword page)\n",
                found, lines, double(requests) / lines);
}

// A run of kRunLines lines against a server answering every request after kAnswerMs.
void benchRun(Device device, int requestsPerLine)
{
    LoopbackBaidu baidu;
    const bool desktop = device == Device::Desktop;
    const QByteArray sitePage = desktop ? testsupport::desktopRankingSitePage(kTitle, "2021-03-04")
                                        : testsupport::mobileRankingSitePage("http://www.example.com/a", "x");
    const QByteArray keywordPage = desktop ? testsupport::desktopKeywordPage({})
                                           : testsupport::mobileKeywordPage({"http://www.other.com/"});
    baidu.setHandler([&](const Request &request) {
        const bool site = desktop ? request.param("rn").isEmpty() : request.param("word").startsWith("http");
        return Reply::delayed(site ? sitePage : keywordPage, kAnswerMs);
    });
    QStringList lines;
    for (int i = 0; i < kRunLines; ++i)
        lines.append(QStringLiteral("keyword%1 http://www.example.com/a").arg(i));

    const int pool = QThreadPool::globalInstance()->maxThreadCount();
    QElapsedTimer timer;
    timer.start();
    RankingRun run = RankingRun::start(lines, device, baidu.endpoints());
    run.future().waitForFinished();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    const double ideal = double(kRunLines) * requestsPerLine * kAnswerMs / pool;
    std::printf("%s run, %d lines x %d requests, %d ms answers, pool %d: %.0f ms, ideal %.0f ms, ratio %.3f "
                "(%d requests made)\n",
                desktop ? "desktop" : "mobile", kRunLines, requestsPerLine, kAnswerMs, pool, elapsed, ideal,
                elapsed / ideal, baidu.requestCount());
}

// Lines waiting on a server that never answers, then cancelled.
void benchCancel()
{
    LoopbackBaidu baidu;
    baidu.setHandler([](const Request &) { return Reply::silent(); });
    const int inFlight = qMin(2, QThreadPool::globalInstance()->maxThreadCount());
    std::vector<double> samples;
    for (int round = 0; round < kRounds; ++round) {
        baidu.clearRequests();
        RankingRun run = RankingRun::start(
            {QStringLiteral("a http://www.example.com/1"), QStringLiteral("b http://www.example.com/2")},
            Device::Desktop, baidu.endpoints());
        while (baidu.requestCount() < inFlight)
            QThread::msleep(5);
        QElapsedTimer timer;
        timer.start();
        run.cancelAndWait();
        samples.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf(
        "cancel with %d lines mid-transfer on a silent server: median %.1f ms, worst %.1f ms (goal < 1000)\n",
        inFlight, medianMs(samples), *std::max_element(samples.begin(), samples.end()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchKeywordPage(false);
    benchKeywordPage(true);
    benchRealPages();
    benchRun(Device::Desktop, 2);
    benchRun(Device::Mobile, 4);
    benchCancel();
    return 0;
}
