// Times the result-page reader: real Baidu pages, desktop and mobile (median
// of many reads; the goal is set by the 1.6 MB mobile page), and 32 MiB
// hostile pages full of unclosed openings, the worst a server can send.
// Figures are the reading thread's CPU time, so that other work on a shared
// machine does not inflate them; wall time is printed beside it.
#include "search/pagefetcher.h"
#include "search/resultpage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

constexpr int kRounds = 50;
constexpr int kHostileRounds = 3;
constexpr double kRealGoalMs = 8.0;
constexpr double kHostileGoalMs = 100.0;

struct Hostile
{
    const char *name;
    QByteArray unit;
};

// Openings that never close, repeated to the fetcher's body limit.
const std::vector<Hostile> kHostilePages{
    {"unclosed heading class", QByteArrayLiteral("<h3 class=\"")},
    {"unterminated date spans", QByteArrayLiteral("<span class=\" newTimeFactor_before_abs m\">2天前")},
    {"unended mu values", QByteArrayLiteral(",'order':'1','mu':'http://a.cn/")},
    {"nested unclosed blocks",
     QByteArrayLiteral("<div class=\"c-container\" id=\"1\"><h3><a href=\"/link?url=x\">t")},
    {"headings by the thousand",
     QByteArrayLiteral("<h3 class=\"t\"><a href=\"http://www.baidu.com/link?url=x\">标题</a></h3>")},
    {"unclosed comments and quotes", QByteArrayLiteral("<!--s-text--><a href='<p data-tools=\"{'url':'")},
    {"unclosed mobile blocks",
     QByteArrayLiteral("<div class=\"c-result result\" data-log=\"{'order':'1','mu':'http://a.cn/'}\"><a "
                       "href=\"https://m.baidu.com/from=0/tc?x\"><h3 class=\"c-title\"><span "
                       "class=\"c-title-text\">t")},
    {"data-log values that never end",
     QByteArrayLiteral("<div class=\"c-result\" data-log=\"{'mu':[{'a':'{[")},
    {"hidden copies by the thousand",
     QByteArrayLiteral("<div class=\"result c-result wnor-honey-jar\" style=\"display:none\"><h3 "
                       "class=\"c-title\"><a href=\"x\">t</a></h3></div>")},
    {"related-search labels in unclosed boxes",
     QByteArrayLiteral("<div><span>相关搜索</span><p>其他人还在搜")},
    {"empty blocks left open", QByteArrayLiteral("<div class=\"c-container\" id=\"1\"><p>")},
    {"empty mobile blocks left open", QByteArrayLiteral("<div class=\"c-result result\"><p>")},
    {"card-wide links into Baidu",
     QByteArrayLiteral("<div class=\"c-container\" id=\"1\"><a href=\"/s?wd=x\"><div><h3>t</h3><div>")},
};

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1.0e3 + double(now.tv_nsec) / 1.0e6;
}

struct Timing
{
    double cpuMs;
    double wallMs;
};

// Medians of CPU and wall time over rounds.
template <typename Work> Timing medianMs(int rounds, Work work)
{
    std::vector<double> cpu;
    std::vector<double> wall;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const double start = threadCpuMs();
        work();
        cpu.push_back(threadCpuMs() - start);
        wall.push_back(double(timer.nsecsElapsed()) / 1.0e6);
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(wall.begin(), wall.end());
    return {cpu[cpu.size() / 2], wall[wall.size() / 2]};
}

QString figures(const Timing &timing)
{
    return QString::number(timing.cpuMs, 'f', 2) + QStringLiteral(" ms (wall ") +
           QString::number(timing.wallMs, 'f', 2) + QStringLiteral(" ms)");
}

} // namespace

int main()
{
    QTextStream out(stdout);
    const QDir pages(QStringLiteral(QUILLANE_REAL_PAGES_DIR));
    bool withinGoal = true;
    out << "real pages, median of " << kRounds << " reads (goal <= " << kRealGoalMs << " ms)\n";
    for (const QString &name : pages.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile file(pages.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray body = file.readAll();
        ResultPage page;
        const Timing timing = medianMs(kRounds, [&] { page = readResultPage(body); });
        withinGoal = withinGoal && timing.cpuMs <= kRealGoalMs;
        out << "  " << name << " (" << body.size() / 1024 << " KB): " << figures(timing) << ", "
            << page.entries.size() << " entries\n";
    }

    out << "hostile 32 MiB pages, median of " << kHostileRounds << " reads (goal <= " << kHostileGoalMs
        << " ms)\n";
    double worst = 0;
    for (const Hostile &hostile : kHostilePages) {
        QByteArray body = hostile.unit.repeated(int(kMaxBodyBytes / std::size_t(hostile.unit.size())));
        const Timing timing =
            medianMs(kHostileRounds, [&] { readResultPage(body, "text/html; charset=utf-8"); });
        worst = std::max(worst, timing.cpuMs);
        out << "  " << hostile.name << ": " << figures(timing) << "\n";
    }
    withinGoal = withinGoal && worst <= kHostileGoalMs;
    out << "  worst " << QString::number(worst, 'f', 1) << " ms\n";
    out << (withinGoal ? "all within the goals\n" : "SLOWER THAN A GOAL\n");
    return 0;
}
