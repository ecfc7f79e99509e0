#include "history/runhistory.h"

#include "history/historywriter.h"
#include "history/linechange.h"
#include "history/tooldescriptor.h"

RunHistory::RunHistory(Tool tool, const QString &path, QObject *parent)
    : QObject(parent), m_tool(tool), m_toolKey(toolDescriptor(tool).historyKey),
      m_writer(new HistoryWriter(m_toolKey, path))
{
    qRegisterMetaType<StoredRun>();
    qRegisterMetaType<QList<StoredLine>>();
    qRegisterMetaType<QHash<QString, StoredLine>>();
    m_thread.setObjectName(QStringLiteral("history writer"));
    m_writer->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
    connect(m_writer, &HistoryWriter::failed, this, &RunHistory::failed);
    connect(m_writer, &HistoryWriter::finished, this, &RunHistory::ended);
    connect(m_writer, &HistoryWriter::opened, this, &RunHistory::opened);
    connect(m_writer, &HistoryWriter::wrote, this, [this] {
        --m_batchesInFlight;
        if (!isWriting())
            emit written();
    });
    m_thread.start();
    // The results of one burst go in one transaction, written before the page's next repaint.
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, &RunHistory::flush);
}

RunHistory::~RunHistory()
{
    flush();
    m_thread.quit();
    m_thread.wait();
}

void RunHistory::begin(Device device, int lineCount, const SearchContext &context, const QStringList &sites,
                       const QString &pagesFolder)
{
    // The previous run was ended when it finished; one that never ended stays so.
    flush();
    StoredRun run = runStarting(m_tool, device, lineCount, context);
    run.sites = sites;
    run.pagesFolder = pagesFolder;
    m_previousKnown = false;
    m_previous.clear();
    QMetaObject::invokeMethod(m_writer, "begin", Q_ARG(int, ++m_generation), Q_ARG(StoredRun, run));
}

void RunHistory::resume(const StoredRun &run)
{
    flush();
    m_previousKnown = false;
    m_previous.clear();
    QMetaObject::invokeMethod(m_writer, "resume", Q_ARG(int, ++m_generation), Q_ARG(StoredRun, run));
}

void RunHistory::opened(int generation, const QHash<QString, StoredLine> &previous)
{
    if (generation != m_generation)
        return; // a run the page has left already
    m_previous = previous;
    m_previousKnown = true;
    emit previousReady();
}

void RunHistory::record(const StoredLine &line)
{
    m_pending.append(line);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void RunHistory::flush()
{
    m_flushTimer.stop();
    if (m_pending.isEmpty())
        return;
    ++m_batchesInFlight;
    QMetaObject::invokeMethod(m_writer, "write", Q_ARG(QList<StoredLine>, m_pending));
    m_pending.clear();
}

void RunHistory::end()
{
    flush();
    // Now, not when the writer gets to it: the run ended when the page saw it end.
    QMetaObject::invokeMethod(m_writer, "finish", Q_ARG(QDateTime, QDateTime::currentDateTimeUtc()));
}

void RunHistory::sync()
{
    flush();
    QMetaObject::invokeMethod(
        m_writer, [] {}, Qt::BlockingQueuedConnection);
}

QString RunHistory::changeOf(const StoredLine &line) const
{
    return changeSince(m_toolKey, m_previous, line);
}
