// Writes a 10,000-row ranking report (a subtitle, positions as numbers, the
// totals) to each format and prints the time and the peak memory the write
// took, the .xlsx read-back and the sync to disk included. Goal: under 2 s
// each. Each format runs in a child process of its own so that one format's
// freed memory does not hide the other's peak.
#include "report/reportwriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int kRows = 10000;

// A value of /proc/self/status in kB, or -1.
long statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLong();
    return -1;
}

// Starts a new peak: the kernel resets VmHWM to the current size on "5".
bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}
} // namespace

int writeOne(const QString &name);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1)
        return writeOne(arguments.at(1));

    std::printf("report of %d ranking rows\n", kRows);
    std::fflush(stdout);
    int failures = 0;
    for (const QString &name : {QStringLiteral("report.xlsx"), QStringLiteral("report.xls")}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), {name});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            ++failures;
    }
    return failures;
}

int writeOne(const QString &name)
{
    ReportTable table{reportTitle(ReportKind::Ranking),
                      reportHeadings(ReportKind::Ranking),
                      initialColumnWidths(ReportKind::Ranking),
                      {}};
    for (int i = 0; i < kRows; ++i)
        table.rows.append(
            {QStringLiteral("关键词挖掘工具第%1个词").arg(i),
             QStringLiteral("https://www.example%1.com/news/2026/12/%2.html").arg(i % 97).arg(i),
             i % 4 ? QStringLiteral("已收录") : QStringLiteral("未收录"),
             i % 4 ? QString::number(i % 31) : QStringLiteral("--"),
             i % 4 ? QStringLiteral("2026年12月%1日").arg(i % 28 + 1) : QStringLiteral("无快照")});
    table.subtitle = QStringLiteral("百度排名查询　电脑端　2026-12-08 15:30");
    table.numberColumns = {3};
    table.totals = {{QStringLiteral("总输入"), QString::number(kRows)},
                    {QStringLiteral("共收录"), QString::number(kRows * 3 / 4)},
                    {QStringLiteral("未收录"), QString::number(kRows / 4)},
                    {QStringLiteral("异常"), QStringLiteral("0")},
                    {QStringLiteral("收录率"), QStringLiteral("75%")}};

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const bool peakReset = resetPeak();
    const long before = statusKilobytes("VmRSS");
    QElapsedTimer timer;
    timer.start();
    const ReportWriteResult result = writeReport(dir.filePath(name), table);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const long peak = statusKilobytes("VmHWM");
    if (!result.ok) {
        std::printf("%-12s failed: %s\n", qPrintable(name), qPrintable(result.errorMessage));
        return 1;
    }
    std::printf("%-12s %6.3f s  file %7.1f KiB  peak memory +%ld KiB over %ld KiB%s\n", qPrintable(name),
                seconds, QFileInfo(dir.filePath(name)).size() / 1024.0, peak - before, before,
                peakReset ? "" : " (peak not reset: whole process)");
    return 0;
}
