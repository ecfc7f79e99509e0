#pragma once

#include "ui/query/querypagetraits.h"
#include "ui/query/resultfiltermodel.h"
#include "ui/query/resulttablemodel.h"

#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QButtonGroup;
class QEvent;
class QTableView;
class QWidget;

// A result table with what users do with one: rows in a model behind a sort
// and filter proxy, headings that sort (positions and dates by value), a row
// of filter toggles, 异常 rows tinted, cells on one line with the whole text
// as tooltip (a 异常 cell's says why), a 原因 column shown on demand, and
// copying rows as tab-separated text with a heading line, the reason last
// (Ctrl+C and the context menu). Binds a QTableView of a form; whoever has
// rows feeds the model and places filterBar() above the table. A query
// page's panel does, and a view of a stored run can.
class ResultTable : public QObject
{
    Q_OBJECT

public:
    // nameSuffix is appended to the object names of the widgets and actions made here.
    ResultTable(const QueryPageTraits &traits, QTableView *view, const QString &nameSuffix,
                QObject *parent = nullptr);

    QTableView *view() const { return m_view; }
    ResultTableModel *model() const { return m_model; }
    ResultFilterModel *shownModel() const { return m_shown; }
    QWidget *filterBar() const { return m_filterBar; }
    // Shows these columns from now on (none of the rows), the address column
    // being the one 复制网址 copies; nothing happens when they are shown already.
    void setColumns(const QList<ResultColumn> &columns, int addressColumn);

    // The 原因 column is shown (not at first; the table's and its headings' menus show it).
    bool showsReasons() const;

    // The selected rows, or every row shown when none is selected; source rows in view order.
    QList<int> chosenRows() const;

    // All rows shown again, in line order.
    void resetView();
    // Shows the results set since the last call; follows them down only
    // when the view was already at the bottom.
    void showNewRows();

    // The address column takes what the viewport gains or loses (a larger
    // window, a wider row-number column), so the columns fill it exactly.
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void showReasons(bool shown);
    void copySelectedRows();
    void copyAllRows();
    void copyAddresses();
    // Asks for the list behind the current row (serpRequested).
    void requestSerp();

signals:
    // The 前30名 of row line is asked for (its context menu, a double click).
    void serpRequested(int line);

private:
    void setUpView();
    void applyColumnWidths();
    void setUpReasonColumn();
    void placeReasonColumn();
    void buildFilterBar();
    QString rowsText(const QList<int> &sourceRows, bool withHeadings) const;
    QList<int> selectedSourceRows() const;
    void fillViewport();

    const QueryPageTraits m_traits;
    const QString m_nameSuffix;
    QTableView *m_view;
    ResultTableModel *m_model;
    ResultFilterModel *m_shown;
    QWidget *m_filterBar = nullptr;
    QButtonGroup *m_filters = nullptr;
    int m_addressColumn;
    QAction *m_showReasons = nullptr;
};
