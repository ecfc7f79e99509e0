#pragma once

#include "history/runhistory.h"
#include "history/tooldescriptor.h"
#include "search/searchcontext.h"
#include "ui/query/querypagetraits.h"
#include "ui/query/resulttable.h"
#include "ui/query/resulttablemodel.h"
#include "workers/batchrunner.h"
#include "workers/device.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <memory>

class LayoutDriftGuard;

class QAbstractButton;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QWidget;

// The widgets of one query page that the panel drives; made by the page's form.
struct QueryPanelWidgets
{
    QWidget *page = nullptr; // Esc anywhere on it asks to stop the run
    QPlainTextEdit *editor = nullptr;
    QPushButton *start = nullptr;
    QPushButton *stop = nullptr;
    QPushButton *back = nullptr;
    QPushButton *exportButton = nullptr;
    QRadioButton *mobile = nullptr; // checked: the run checks Baidu's mobile pages
    QTableView *table = nullptr;
    QProgressBar *progress = nullptr;
    QLabel *totalInput = nullptr;
    QList<QWidget *> inputView; // shown while the lines are edited
    QList<QWidget *> runView;   // shown with the results
    QString nameSuffix;         // appended to the object names of the widgets the panel makes
};

// Run control, totals, progress and export of one query page, around its
// ResultTable: starts a batch of the editor's lines, shows results as they
// come (in batches, at most every 50 ms), stops, re-checks the 异常 and
// unchecked lines, and exports. Makes the widgets the form lacks (filter
// row, extra totals, 重查异常, status line) and puts them into the form's
// layouts. The page's traits say what differs between pages.
// With a history, every run is stored as it progresses and each row shows
// its change since the line's previous run (column 变化, filter 只看变化);
// a stored run can be shown again with all of the above.
class QueryPanel : public QObject
{
    Q_OBJECT

public:
    QueryPanel(const QueryPageTraits &traits, const QueryPanelWidgets &widgets, QObject *parent = nullptr);
    // A run still going is cut short and waited for.
    ~QueryPanel() override;

    // Where and how the next run's requests go: endpoints, gate, settings.
    void setSearchContext(const SearchContext &context) { m_context = context; }
    // Keeps the page's runs in the history file at path; an empty path keeps none.
    void setHistory(const QString &path);
    RunHistory *history() const { return m_history; }
    bool isRunning() const { return m_runner != nullptr; }
    BatchRunner *runner() const { return m_runner; }
    ResultTable *table() const { return m_table; }
    // A word about the input in the status line, until the input changes or a run starts.
    void showInputNotice(const QString &text) { showStatus(text); }
    // The key its runs are kept under in the history.
    QString historyTool() const { return toolDescriptor(m_traits.tool).historyKey; }

public slots:
    // Runs the editor's lines, or says why there is nothing to run.
    void start();
    // Asks, then stops the run; the page says "正在停止…" until it has.
    void requestStop();
    // Stops at once, without asking.
    void stopNow();
    // Back to the editor; the results are dropped.
    void back();
    // Runs again the lines that are 异常 or were never checked, filling their rows.
    void recheck();
    void exportReport();
    // Shows a result, from the runner or from the window's legacy slots.
    void addResult(int row, const ResultRow &result);
    void showTotals();
    // Shows the results received so far now instead of with the next batch.
    void flush();
    // A run from the history, as it was shown when it ended; 重查异常 goes on with it.
    void showStoredRun(const StoredRun &run, const QList<StoredLine> &lines);
    // Opens 前30名 for row line: the list it was judged on, or the answer page kept for a 异常 row.
    void showSerp(int line);

signals:
    // A list was saved from this page (the 定时任务 page shows it).
    void listSaved(const QString &name);

private:
    void buildWidgets();
    // 保存为列表: the editor's lines as a saved list, under a name asked for.
    void saveAsList();
    // Lines to run or save, and the page's own input is fine; else says why not in the status line.
    bool inputReady(const QStringList &lines);
    // The digest of a kept run, to the 通知 settings' channels.
    void sendDigest(qint64 runId);
    void runLines(const QVector<int> &rows);
    // Takes the sites of a site ranking run's options: its hosts, and its table's column groups.
    void takeRunOptions(const RunOptions &options);
    void sizeChangeColumn();
    // The history's lines for a row, and what changed since (each site's, for several).
    QList<StoredLine> storedLinesOf(int row, const ResultRow &result) const;
    QString changeOf(const QList<StoredLine> &lines) const;
    void runnerFinished();
    // Shows the rows received once the history holds them (at once without a history).
    void showWhenKept();
    bool historyStillWriting();
    void showRunView();
    void showPreviousChanges();
    void showHistoryProblem(const QString &message);
    void showFetchNotice(const FetchNotice &notice);
    void showStatus(const QString &text);
    void showGateState();
    void showRunningButtons(bool running);
    QVector<int> rowsToRecheck() const;
    Device device() const;
    ReportTable reportTable() const;
    // The cells of the rows that have a result.
    QList<QStringList> checkedRows() const;

    const QueryPageTraits m_traits;
    const ToolDescriptor &m_tool; // the tool's; a site ranking run of several sites has its own columns
    const QueryPanelWidgets m_widgets;
    ResultTable *m_table;
    ResultTableModel *m_model; // the table's
    SearchContext m_context;

    QList<QLabel *> m_totalLabels;
    QPushButton *m_recheck = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_siteTotals = nullptr; // a site ranking run of several sites: each site's figures
    QLabel *m_gateState = nullptr;
    QTimer m_gateTimer;

    RunHistory *m_history = nullptr;
    QString m_historyProblem; // why the current run is not kept
    QString m_historyPath;
    QPushButton *m_saveList = nullptr;
    QStringList m_runNotices; // failing proxies and certificates the current run met

    QPointer<BatchRunner> m_runner;
    // Stops the run when Baidu's pages can no longer be read; one per run.
    std::shared_ptr<LayoutDriftGuard> m_drift;
    QStringList m_lines; // the run's prepared lines; row r holds line r
    int m_runSize = 0;   // lines of the current run (all, or those re-checked)
    int m_runReceived = 0;
    bool m_stopping = false;
    bool m_showWhenKept = false;   // rows wait for the history's next commit
    bool m_finishWhenKept = false; // the run's end waits for it too
    Device m_runDevice = Device::Desktop;
    RunOptions m_runOptions;  // what the run (and 重查异常 with it) asks beside its lines
    QStringList m_runSites;   // the hosts a site ranking run's lines are kept under
    qint64 m_storedRunId = 0; // the run shown from the history; 0: a run of this window
    QString m_pagesFolder;    // where the run's 异常 answer pages are kept
    // Each row's list, deflated as the history keeps it: the table's rows stay small.
    struct KeptSerp
    {
        QDateTime readAt;
        QByteArray entries;
    };
    QHash<int, KeptSerp> m_serps;
    QDateTime m_runStarted;
    QElapsedTimer m_clock;
    QTimer m_flushTimer;
};
