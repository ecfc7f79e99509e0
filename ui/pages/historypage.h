#pragma once

#include "history/historystore.h"

#include <QHash>
#include <QList>
#include <QWidget>

class HistoryLinesModel;
class QPushButton;
class QSortFilterProxyModel;

namespace Ui {
class HistoryPage;
}

// The 历史记录 page of the query pages: the stored runs (date, tool, device,
// lines, 收录率 or 前10/前30, 异常), the result table of the run chosen, each
// row with its change since the line's previous run of the same tool and
// device and a filter 只看变化, and the position chart of the ranking line
// chosen. Runs can be exported and deleted. The frame places the page and
// hands it the store it records into; 打开 (or a double click) asks the
// frame to show the run in its query page, with everything that page offers.
class HistoryPage : public QWidget
{
    Q_OBJECT

public:
    explicit HistoryPage(QWidget *parent = nullptr);
    ~HistoryPage() override;

    // Not owned; a store that is not open shows its message instead of runs.
    void setStore(HistoryStore *store);
    qint64 shownRun() const { return m_shownRun; }

public slots:
    // Reads the runs again, keeping the one shown if it still exists.
    void refresh();
    void showRun(qint64 runId);
    void deleteSelectedRuns();
    void exportShownRun();
    // Says what went wrong with the history, or clears the message.
    void showProblem(const QString &message);

signals:
    void openRequested(qint64 runId);

private:
    void fillRuns(const QList<StoredRun> &runs);
    void showLineHistory();
    // 前30名 of the chosen line: its list, or the answer page kept for a 异常 line.
    void showLineSerp();
    void copySelectedLines();
    QList<qint64> selectedRuns() const;
    int rowOfRun(qint64 runId) const;
    // Highlights the row (none: -1) and shows its run below.
    void highlightRow(int row);

    Ui::HistoryPage *ui;
    HistoryStore *m_store = nullptr;
    HistoryLinesModel *m_lines;
    QSortFilterProxyModel *m_shownLines;
    qint64 m_shownRun = 0;
    qint64 m_newestSeen = 0; // the newest run the page has listed
    StoredRun m_run;
    QPushButton *m_serpButton;
};
