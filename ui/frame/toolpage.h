#pragma once

#include "history/historystore.h"
#include "search/searchcontext.h"

#include <QList>
#include <QString>
#include <QWidget>

class QueryPanel;

// A page of the window that runs one tool through its QueryPanel (收录查询,
// 排名查询, 泛排名查询, 关键词挖掘). The frame keeps its tool pages in a list:
// it hands them the search context, asks whether one runs, and opens a
// stored run in the page whose tool kept it.
class ToolPage : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    virtual QueryPanel *panel() const = 0;
    void setSearchContext(const SearchContext &context);
    bool isRunning() const;
    // The tool the page's runs are kept under in the history.
    QString historyTool() const;
    // Shows a run its tool kept, as it was shown when it ended; nothing while a run is going.
    virtual void showStoredRun(const StoredRun &run, const QList<StoredLine> &lines);
};
