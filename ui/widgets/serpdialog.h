#pragma once

#include "search/checkresult.h"

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QTableWidget;
class QWebEngineView;

// What the 前30名 dialog shows for one row: the list the row was judged on,
// or, for a row without one (异常), the answer page kept for it.
struct SerpView
{
    QString query;  // the keyword, with the address for a ranking line
    QString device; // 电脑端 or 移动端
    QDateTime readAt;
    QStringList sites; // a site ranking run's hosts, in its order; empty: ranking
    SerpList entries;
    QString savedPage; // the kept answer page of a 异常 row; empty: none
};

// "前30名": the first 30 results behind a ranking or site ranking row, the
// asked address's (or the sites') entries highlighted, with the keyword,
// device and time read above them. A 异常 row's kept answer page is shown
// in an embedded view instead, read from its file alone: scripts are off and
// nothing is fetched from the network.
class SerpDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SerpDialog(const SerpView &view, QWidget *parent = nullptr);

    // Opens a dialog for view, deleted when closed; says so when there is nothing to show.
    static SerpDialog *open(const SerpView &view, QWidget *parent);

private:
    void showList(const SerpView &view);
    void showPage(const QString &path);

    QLabel *m_info;
    QTableWidget *m_table = nullptr;
    QWebEngineView *m_page = nullptr;
};
