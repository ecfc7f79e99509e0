// The first-30 lists in the history at 10,000 lines: storing a ranking run
// with a list of 30 real entries per line through the recorder (every line
// committed as it arrives, as the command does), the database's growth, and
// opening one line's list as the 前30名 dialog does (a store opened, one list
// read). Goals: growth at most 20 MB, opening a list within 50 ms.
#include "history/historystore.h"
#include "history/linechange.h"
#include "history/runrecorder.h"
#include "search/resultpage.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int kLines = 10000;
constexpr int kEntries = 30;
constexpr double kGoalMegabytes = 20.0;
constexpr double kGoalOpenMs = 50.0;

// Thirty entries as Baidu lists them, taken from the real desktop pages.
SerpList realEntries()
{
    SerpList entries;
    const QDir pages(QStringLiteral(QUILLANE_REAL_PAGES_DIR));
    for (const QString &name : pages.entryList({QStringLiteral("desktop_*.html")}, QDir::Files, QDir::Name)) {
        QFile file(pages.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const ResultEntry &entry : readResultPage(file.readAll()).entries)
            entries.append(serpEntryOf(entry));
    }
    while (!entries.isEmpty() && entries.size() < kEntries)
        entries += entries;
    entries = entries.mid(0, kEntries);
    for (int i = 0; i < entries.size(); ++i)
        entries[i].position = i + 1;
    return entries;
}

qint64 databaseBytes(const QString &path)
{
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const SerpList entries = realEntries();
    if (entries.size() < kEntries) {
        std::fprintf(stderr, "the real pages give %d entries, not %d\n", int(entries.size()), kEntries);
        return 1;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    qint64 runId = 0;
    double storeMs = 0;
    qint64 before = 0;
    {
        HistoryStore store(path);
        before = databaseBytes(path);
        StoredRun run;
        run.tool = HistoryTool::kRanking;
        run.device = HistoryDevice::kDesktop;
        run.lineCount = kLines;
        RunRecorder recorder(&store,
                             [](const QString &why) { std::fprintf(stderr, "%s\n", qPrintable(why)); });
        QElapsedTimer clock;
        clock.start();
        recorder.start(run);
        for (int i = 0; i < kLines; ++i) {
            ResultRow row;
            const QString keyword = QStringLiteral("关键词%1").arg(i);
            const QString address =
                QStringLiteral("http://www.example%1.com/page/%2.html").arg(i % 97).arg(i);
            row.cells = QStringList{keyword, address, QStringLiteral("已收录"), QString::number(i % 30 + 1),
                                    QStringLiteral("2026年1月5日")};
            // Each line its own list: the entries' order turns with the line.
            row.serp = entries.mid(i % kEntries) + entries.mid(0, i % kEntries);
            for (int e = 0; e < row.serp.size(); ++e) {
                row.serp[e].position = e + 1;
                row.serp[e].matches = e == i % kEntries ? 1 : 0;
            }
            row.readAt = QDateTime::currentDateTimeUtc();
            recorder.add(storedLine(Tool::Ranking, i, row));
        }
        recorder.finish();
        storeMs = clock.nsecsElapsed() / 1e6;
        runId = recorder.runId();
    }
    const double megabytes = (databaseBytes(path) - before) / 1e6;

    double worstOpenMs = 0;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer clock;
        clock.start();
        HistoryStore store(path);
        const std::optional<StoredSerp> serp = store.serp(runId, (round * 2311) % kLines);
        const double ms = clock.nsecsElapsed() / 1e6;
        if (!serp || serp->entries.size() != kEntries) {
            std::fprintf(stderr, "a stored list came back wrong\n");
            return 1;
        }
        worstOpenMs = qMax(worstOpenMs, ms);
    }
    std::printf("storing %d ranking lines with their lists of %d: %.0f ms (%.2f ms per line)\n", kLines,
                kEntries, storeMs, storeMs / kLines);
    std::printf("database growth: %.1f MB (goal at most %.0f MB)\n", megabytes, kGoalMegabytes);
    std::printf("opening one line's list: %.1f ms at worst (goal at most %.0f ms)\n", worstOpenMs,
                kGoalOpenMs);
    return megabytes <= kGoalMegabytes && worstOpenMs <= kGoalOpenMs ? 0 : 1;
}
