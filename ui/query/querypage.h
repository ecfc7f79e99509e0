#pragma once

#include "ui/frame/toolpage.h"
#include "ui/frame/windowmemory.h"

#include <QString>
#include <QStringList>

class QPlainTextEdit;

namespace Ui {
class QueryPage;
}

// 收录查询 or 排名查询: the lines to check in an editor with line numbers,
// 导入 and 清空, the device (电脑端 or 移动端), and a QueryPanel for run
// control, totals, result table and export. The two are one form: the
// inclusion page keeps the form's object names (slcxBtn, urlsList, …), the
// ranking page has each with "_2" appended (slcxBtn_2, urlsList_2, …). The
// frame shows the page's location, which names the page and its device,
// in the tab that holds it.
class QueryPage : public ToolPage
{
    Q_OBJECT

public:
    enum Tool
    {
        Inclusion,
        Ranking
    };

    explicit QueryPage(Tool tool, QWidget *parent = nullptr);
    // A run still going is cut short and waited for.
    ~QueryPage() override;

    QueryPanel *panel() const override { return m_panel; }
    QPlainTextEdit *editor() const;
    // "dnd" (desktop) or "sjd" (mobile), as the device buttons show.
    QString deviceMode() const;
    // "当前位置：…" with the page and its device.
    QString location() const;
    // The device and the editor's text, as the window keeps them between starts.
    WindowMemory::Page memory() const;
    // Puts lines after the editor's own (keywords from the mining page).
    void appendLines(const QStringList &lines);

signals:
    // The device changed, and with it the page's location.
    void locationChanged(const QString &location);

private:
    const Tool m_tool;
    Ui::QueryPage *ui;
    QueryPanel *m_panel = nullptr;
};
