// The history's costs at 10,000 lines: storing a ranking run through the
// recorder as the command does (every line committed as it arrives, so a
// killed run keeps each printed row), beside the same lines in one
// transaction; the database's size per 10,000 lines; and opening a stored
// run in the 历史记录 page with every line's change since the previous run.
// Goal: opening under 1 s.
#include "history/historystore.h"
#include "history/runrecorder.h"
#include "ui/pages/historypage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int kLines = 10000;
constexpr int kGoalOpenMs = 1000;

StoredLine rankingLine(int index, int week)
{
    const QString keyword = QStringLiteral("关键词%1").arg(index);
    const QString address =
        QStringLiteral("http://www.example%1.com/page/%2.html").arg(index % 97).arg(index);
    const QString position =
        (index + week) % 11 == 0 ? QStringLiteral("30+") : QString::number((index * 7 + week * 3) % 30 + 1);
    const QString snapshot = QStringLiteral("2026年1月%1日").arg(index % 28 + 1);
    return {index,
            keyword + QLatin1Char('\t') + address,
            QStringLiteral("已收录"),
            position,
            QString(),
            {keyword, address, QStringLiteral("已收录"), position, snapshot}};
}

// Stores one run line by line, each committed as it is added; the time spent in the recorder, in ms.
double storeRun(HistoryStore &store, int week, qint64 *id)
{
    StoredRun run;
    run.tool = HistoryTool::kRanking;
    run.device = HistoryDevice::kDesktop;
    run.lineCount = kLines;
    QElapsedTimer clock;
    clock.start();
    RunRecorder recorder(&store, [](const QString &why) { std::fprintf(stderr, "%s\n", qPrintable(why)); });
    recorder.start(run);
    for (int i = 0; i < kLines; ++i)
        recorder.add(rankingLine(i, week));
    recorder.finish();
    *id = recorder.runId();
    return clock.nsecsElapsed() / 1e6;
}
// Stores one run's lines in a single transaction; the time it takes, in ms.
double storeRunAtOnce(HistoryStore &store, int week)
{
    StoredRun run;
    run.tool = HistoryTool::kRanking;
    run.device = HistoryDevice::kDesktop;
    run.lineCount = kLines;
    QList<StoredLine> lines;
    for (int i = 0; i < kLines; ++i)
        lines.append(rankingLine(i, week));
    QElapsedTimer clock;
    clock.start();
    store.addLines(store.beginRun(run), lines);
    return clock.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    qint64 first = 0;
    qint64 second = 0;
    double storeMs = 0;
    {
        HistoryStore store(path);
        storeRun(store, 0, &first);
        storeMs = storeRun(store, 1, &second);
    }
    const qint64 bytes = QFileInfo(path).size();
    std::printf("storing a %d-line run, each line committed as it arrives: %.1f ms in all, %.2f us per line\n",
                kLines, storeMs, storeMs * 1000.0 / kLines);
    {
        QTemporaryDir other;
        HistoryStore store(other.filePath(QStringLiteral("history.sqlite")));
        storeRunAtOnce(store, 0);
        const double atOnceMs = storeRunAtOnce(store, 1);
        std::printf("  the same lines in one transaction: %.1f ms, %.2f us per line\n", atOnceMs,
                    atOnceMs * 1000.0 / kLines);
    }
    std::printf("database size: %.2f MB per %d lines\n", bytes / 2.0 / 1e6, kLines);

    HistoryStore store(path);
    {
        QElapsedTimer part;
        part.start();
        const int lines = store.lines(second).size();
        const qint64 linesMs = part.restart();
        const int before = store.previousLines(second).size();
        std::printf("  reading the lines: %lld ms (%d), their previous results: %lld ms (%d)\n", linesMs,
                    lines, part.elapsed(), before);
    }
    HistoryPage page;
    page.resize(1000, 700);
    page.show();
    page.setStore(&store);
    QElapsedTimer clock;
    clock.start();
    page.showRun(second);
    QApplication::processEvents();
    const qint64 openMs = clock.elapsed();
    std::printf("opening a stored %d-line run with its changes: %lld ms (goal < %d ms)\n", kLines, openMs,
                kGoalOpenMs);
    return page.shownRun() == second && openMs < kGoalOpenMs ? 0 : 1;
}
