#pragma once

#include <QString>
#include <QtGlobal>

class QIODevice;

// Progress and totals on standard error. On a terminal one line is redrawn in
// place; otherwise plain lines are written, one per 5 % step (and at least
// every ten seconds while results arrive), so a log of a long run stays short.
class ProgressReporter
{
public:
    // outputOnTerminal: standard output shows on the same terminal, so result
    // rows must not be written over the progress line.
    ProgressReporter(QIODevice *device, bool terminal, int total, bool outputOnTerminal = false);

    // After each result received; elapsed is the run's time so far.
    void update(int done, int hits, qint64 elapsedMs);
    // A message line of its own, not overwritten by the progress line.
    void message(const QString &text);
    // Around writes to standard output.
    void hideLine();
    void showLine();
    // The last progress state and the totals as the window shows them.
    void finish(int included, int notIncluded, int failed, qint64 elapsedMs);
    // The last progress state (unless withProgress is false) and a totals line of the caller's.
    void finishWith(const QString &totals, qint64 elapsedMs, bool withProgress = true);
    // What the progress line calls the hits ("已收录" unless set).
    void setHitsLabel(const QString &label) { m_hitsLabel = label; }

    QString progressText(int done, int hits, qint64 elapsedMs) const;
    // "总输入：N条 共收录：H条 未收录：M条 异常：F条 收录率：R%"; the rate is
    // taken over the lines that got a yes or no, so failed fetches do not lower it.
    static QString totalsText(int total, int included, int notIncluded, int failed);

private:
    void write(const QString &text);
    void clearLine();
    void redrawLine();

    QIODevice *m_device;
    const bool m_terminal;
    const bool m_outputOnTerminal;
    const int m_total;
    QString m_line; // the progress line currently shown (terminal)
    bool m_lineShown = false;
    bool m_hidden = false; // cleared while rows are written
    qint64 m_lastDrawMs = 0;
    int m_lastStep = 0; // 5 % steps already written (plain)
    int m_done = 0;
    int m_hits = 0;
    QString m_hitsLabel = QStringLiteral("已收录");
};
