// Times the inclusion checks' page judgement (everything after the fetch) on
// copies of real Baidu result pages and prints milliseconds per page.
#include "search/desktopinclusioncheck.h"
#include "search/mobileinclusioncheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

constexpr int kRounds = 30;
constexpr double kGoalMilliseconds = 8.0;
const QString kProbeAddress = QStringLiteral("https://www.example.com/index.html");
// Appended to a real page so that every pattern has to scan the whole body
// before it finds its match: the slowest path of each judgement.
const QByteArray kDesktopTail =
    QByteArrayLiteral("<span class=\" newTimeFactor_before_abs m\">2022年3月1日&nbsp;-&nbsp;</span>\n");
const QByteArray kMobileTail = QByteArrayLiteral(
    "<div class=\"c-result result\" data-log=\"{'order':'1','mu':'https://m.example.com/index.html'}\">"
    "<a href=\"https://m.baidu.com/from=0/tc?x\"><h3 class=\"c-title\"><span "
    "class=\"c-title-text\">示例<em>页</em>"
    "</span></h3></a><span data-a-09d7e76b>3天前</span></div>\n");

// Median of kRounds runs, in milliseconds.
template <typename Judge> double medianMilliseconds(Judge judge)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        judge();
        times.push_back(double(timer.nsecsElapsed()) / 1.0e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    QTextStream out(stdout);
    const QDir pages(QStringLiteral(QUILLANE_REAL_PAGES_DIR));
    const QStringList names = pages.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        out << "no pages in " << pages.path() << '\n';
        return 1;
    }
    out << "page judgement, median of " << kRounds << " runs (goal < " << kGoalMilliseconds << " ms)\n";
    bool withinGoal = true;
    for (const QString &name : names) {
        QFile file(pages.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray body = file.readAll();
        DesktopSiteVerdict desktop;
        MobileSiteVerdict mobile;
        const double desktopMs =
            medianMilliseconds([&] { desktop = judgeDesktopSitePage(readResultPage(body), kProbeAddress); });
        const double mobileMs =
            medianMilliseconds([&] { mobile = judgeMobileSitePage(readResultPage(body), kProbeAddress); });
        const QByteArray desktopWorst = body + kDesktopTail;
        const QByteArray mobileWorst = body + kMobileTail;
        const double desktopWorstMs = medianMilliseconds(
            [&] { desktop = judgeDesktopSitePage(readResultPage(desktopWorst), kProbeAddress); });
        const double mobileWorstMs = medianMilliseconds(
            [&] { mobile = judgeMobileSitePage(readResultPage(mobileWorst), kProbeAddress); });
        withinGoal =
            withinGoal && std::max({desktopMs, mobileMs, desktopWorstMs, mobileWorstMs}) < kGoalMilliseconds;
        out << name << " (" << body.size() / 1024 << " KB)\n"
            << "  desktop " << QString::number(desktopMs, 'f', 3) << " ms, with a date at the end "
            << QString::number(desktopWorstMs, 'f', 3) << " ms [" << desktop.status << "]\n"
            << "  mobile  " << QString::number(mobileMs, 'f', 3) << " ms, with a first result at the end "
            << QString::number(mobileWorstMs, 'f', 3) << " ms [" << mobile.status << "]\n";
    }
    out << (withinGoal ? "all pages within the goal\n" : "SLOWER THAN THE GOAL\n");
    return 0;
}
