// Figures for the ranking checks and the ranking run, all against a loopback
// Baidu: the desktop keyword page (30 headings in 600 KB, scan and both
// passes), requests per line on Baidu's real keyword pages for ranking and
// 泛排名 (mean and worst, and how many lines came out right), a 200-line run
// against 50 ms answers as a ratio to the ideal, and how long a cancel takes
// with lines waiting on a silent server.

#include "search/desktoprankingcheck.h"
#include "search/resultstrings.h"
#include "search/siterankingcheck.h"
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

// Times searchDesktopRank on one keyword page of headings that show no host:
// far titles are never read, near ones are read nearest first until one leads to the address.
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
        page.size() / 1024, kHeadings,
        nearTitles ? "near the title, links read nearest first until one leads there"
                   : "all dropped by title",
        medianMs(samples), qPrintable(position), baidu.requestCount() / kRounds);
}

QByteArray readRealPage(const QString &name)
{
    QFile file(QDir(QStringLiteral(QUILLANE_REAL_PAGES_DIR)).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct RealPage
{
    const char *name;
    const char *truth; // the truth file's suffix
};
const RealPage kRealPages[] = {{"desktop_2017_435236402_day01_baidu_nba.html", ".truth.json"},
                               {"desktop_2020_BaiduSpider_test_web_normal.html", ".truth.json"},
                               {"desktop_2022_DogInNoSense_agt_wodeip.html", ".truth.json"},
                               {"siteq_2019_muyun001_capakj.html", ".siteq-truth.json"}};
const QByteArray kBaiduRedirect = "http://www.baidu.com/link?url=";

// The counted entries of a real page with the address each leads to: the one
// the page states, else the address its block shows (a part cut short made
// up), else a made-up one for a block that shows a site name or nothing.
struct RealEntry
{
    int position;
    QString heading;
    QString address;
    QByteArray link; // the redirect link's url value; empty when stated
};

QList<RealEntry> realEntries(const RealPage &page)
{
    const QJsonArray entries =
        QJsonDocument::fromJson(
            readRealPage(QStringLiteral("truth/") + QLatin1String(page.name) + QLatin1String(page.truth)))
            .object()
            .value(QStringLiteral("entries"))
            .toArray();
    QList<RealEntry> read;
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        if (!entry.value(QStringLiteral("counted")).toBool())
            continue;
        RealEntry real{entry.value(QStringLiteral("position")).toInt(),
                       entry.value(QStringLiteral("heading_text")).toString(),
                       entry.value(QStringLiteral("real_target")).toString(), QByteArray()};
        const QByteArray href = entry.value(QStringLiteral("href")).toString().toUtf8();
        if (real.address.isEmpty() && href.startsWith(kBaiduRedirect)) {
            real.link = href.mid(kBaiduRedirect.size());
            QString shown =
                entry.value(QStringLiteral("shown_url")).toString().section(QLatin1Char(' '), 0, 0);
            if (shown.contains(QLatin1Char('.')) && shown.at(0).unicode() < 0x80) {
                shown.replace(QLatin1String("..."), QLatin1String("zz"));
                real.address =
                    shown.contains(QLatin1String("://")) ? shown : QStringLiteral("http://") + shown;
            } else {
                real.address = QStringLiteral("http://r%1.example.cn/page").arg(qHash(real.link));
            }
        }
        read.append(real);
    }
    return read;
}

// Plays Baidu for one real page: its redirect links lead where realEntries says.
struct RealBaidu
{
    LoopbackBaidu baidu;
    QByteArray keywordPage;
    QHash<QByteArray, QByteArray> targets;
    QByteArray siteTitle;

    explicit RealBaidu(const RealPage &page)
    {
        keywordPage = readRealPage(QLatin1String(page.name));
        keywordPage.replace(kBaiduRedirect, baidu.httpUrl("/link?url="));
        for (const RealEntry &entry : realEntries(page)) {
            if (!entry.link.isEmpty())
                targets.insert(entry.link, entry.address.toUtf8());
        }
        baidu.setHandler([this](const Request &request) {
            if (request.path == "/link")
                return Reply::redirect(targets.value(request.param("url")));
            if (request.param("rn").isEmpty())
                return Reply::page(testsupport::desktopRankingSitePage(siteTitle, "2021-03-04"));
            return Reply::page(keywordPage);
        });
    }
};

struct Tally
{
    int lines = 0;
    int right = 0;
    int requests = 0;
    int worst = 0;

    void add(bool isRight, int lineRequests)
    {
        ++lines;
        right += isRight;
        requests += lineRequests;
        worst = std::max(worst, lineRequests);
    }
    void print(const char *what) const
    {
        std::printf("%s: %d of %d lines right, requests per line mean %.2f, worst %d\n", what, right, lines,
                    double(requests) / std::max(1, lines), worst);
    }
};

// Ranking: one line per counted entry of each real page, its address as
// realEntries says; the site query's title is the entry's heading plus one
// letter, so the title rule never decides. Every request goes to the loopback
// Baidu (the target sites do not exist). Goals: mean <= 2.2, worst <= 4.
void benchRealPages()
{
    Tally all;
    for (const RealPage &page : kRealPages) {
        RealBaidu played(page);
        Tally tally;
        for (const RealEntry &entry : realEntries(page)) {
            played.siteTitle = entry.heading.toUtf8() + "x";
            played.baidu.clearRequests();
            const RankingResult result =
                rankDesktop(QStringLiteral("kw ") + entry.address, played.baidu.endpoints());
            tally.add(result.position == QString::number(entry.position), played.baidu.requestCount());
            all.add(result.position == QString::number(entry.position), played.baidu.requestCount());
        }
        tally.print(page.name);
    }
    all.print("ranking on the real pages (goal: mean <= 2.2, worst <= 4)");
}

// 泛排名, desktop: one line for the host of every counted entry of each real
// page, checked against the truth: best position, number of the site's
// entries and their other positions. Goals: mean <= 2.5, worst <= 6.
void benchRealSiteRanking()
{
    Tally all;
    for (const RealPage &page : kRealPages) {
        RealBaidu played(page);
        const QList<RealEntry> entries = realEntries(page);
        QStringList hosts;
        for (const RealEntry &entry : entries) {
            const QString host = SiteRule::hostOf(entry.address);
            if (!hosts.contains(host))
                hosts.append(host);
        }
        Tally tally;
        for (const QString &host : qAsConst(hosts)) {
            const SiteRule site = SiteRule::parse(host);
            QList<int> positions;
            for (const RealEntry &entry : entries) {
                if (site.matchesAddress(entry.address))
                    positions.append(entry.position);
            }
            played.baidu.clearRequests();
            const SiteRankingResult result =
                rankSiteDesktop(QStringLiteral("kw"), site, played.baidu.endpoints());
            const bool right = result.bestPosition() == positions.value(0) &&
                               result.entries == positions.size() &&
                               result.otherPositions == positions.mid(1);
            tally.add(right, played.baidu.requestCount());
            all.add(right, played.baidu.requestCount());
        }
        tally.print(page.name);
    }
    all.print("泛排名 on the real pages (goal: mean <= 2.5, worst <= 6)");
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
    benchRealSiteRanking();
    benchRun(Device::Desktop, 2);
    benchRun(Device::Mobile, 4);
    benchCancel();
    return 0;
}
