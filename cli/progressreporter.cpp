#include "cli/progressreporter.h"

#include "workers/resultrow.h"

#include <QIODevice>

namespace {
const QLatin1String kClearLine("\r\x1b[K"); // carriage return, erase to end of line
const int kSteps = 20;                      // plain lines at every 5 %
const qint64 kPlainHeartbeatMs = 10000;
const qint64 kTerminalRedrawMs = 100;
const QString kProgress = QStringLiteral("进度 %1/%2 (%3%)  %7 %4  用时 %5  剩余 %6");
const QString kUnknownTimeLeft = QStringLiteral("--:--");
// The window's totals labels, joined; each "条 " ends in a blank.
const QString kTotals = QStringLiteral("总输入：%1条 共收录：%2条 未收录：%3条 异常：%4条 收录率：%5%");

QString duration(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    const qint64 hours = seconds / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + QLatin1Char(':') + minutesSeconds : minutesSeconds;
}
} // namespace

ProgressReporter::ProgressReporter(QIODevice *device, bool terminal, int total, bool outputOnTerminal)
    : m_device(device), m_terminal(terminal), m_outputOnTerminal(outputOnTerminal), m_total(total)
{
}

QString ProgressReporter::progressText(int done, int hits, qint64 elapsedMs) const
{
    const double percent = m_total > 0 ? done * 100.0 / m_total : 100.0;
    const QString left = done > 0 ? duration(elapsedMs * (m_total - done) / done) : kUnknownTimeLeft;
    return kProgress.arg(done)
        .arg(m_total)
        .arg(percent, 0, 'f', 1)
        .arg(hits)
        .arg(duration(elapsedMs), left, m_hitsLabel);
}

QString ProgressReporter::totalsText(int total, int included, int notIncluded, int failed)
{
    return kTotals.arg(total)
        .arg(included)
        .arg(notIncluded)
        .arg(failed)
        .arg(inclusionRate(included, notIncluded));
}

void ProgressReporter::write(const QString &text)
{
    m_device->write(text.toUtf8());
}

void ProgressReporter::update(int done, int hits, qint64 elapsedMs)
{
    m_done = done;
    m_hits = hits;
    const bool last = done >= m_total;
    if (m_terminal) {
        m_line = progressText(done, hits, elapsedMs);
        // While hidden for output, showLine() draws the fresh text.
        if (m_hidden || (!last && m_lineShown && elapsedMs - m_lastDrawMs < kTerminalRedrawMs))
            return;
        m_lastDrawMs = elapsedMs;
        write(kClearLine + m_line);
        m_lineShown = true;
        return;
    }
    const int step = m_total > 0 ? int(qint64(done) * kSteps / m_total) : kSteps;
    if (step <= m_lastStep && elapsedMs - m_lastDrawMs < kPlainHeartbeatMs)
        return;
    m_lastStep = qMax(step, m_lastStep);
    m_lastDrawMs = elapsedMs;
    write(progressText(done, hits, elapsedMs) + QLatin1Char('\n'));
}

void ProgressReporter::message(const QString &text)
{
    clearLine();
    write(text + QLatin1Char('\n'));
    redrawLine();
}

void ProgressReporter::hideLine()
{
    if (m_outputOnTerminal && m_terminal && m_lineShown) {
        write(kClearLine);
        m_hidden = true;
    }
}

void ProgressReporter::showLine()
{
    if (m_hidden) {
        write(QLatin1Char('\r') + m_line);
        m_hidden = false;
    }
}

void ProgressReporter::clearLine()
{
    if (m_terminal && m_lineShown && !m_hidden)
        write(kClearLine);
}

void ProgressReporter::redrawLine()
{
    if (m_terminal && m_lineShown && !m_hidden)
        write(QLatin1Char('\r') + m_line);
}

void ProgressReporter::finish(int included, int notIncluded, int failed, qint64 elapsedMs)
{
    finishWith(totalsText(m_total, included, notIncluded, failed), elapsedMs);
}

void ProgressReporter::finishWith(const QString &totals, qint64 elapsedMs, bool withProgress)
{
    if (m_terminal && withProgress) {
        m_line = progressText(m_done, m_hits, elapsedMs);
        write(kClearLine + m_line + QLatin1Char('\n'));
        m_lineShown = false;
    }
    write(totals + QLatin1Char('\n'));
}
