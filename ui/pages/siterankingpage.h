#pragma once

#include "search/siterule.h"
#include "ui/frame/toolpage.h"

class QPlainTextEdit;
class QueryPanel;

namespace Ui {
class SiteRankingPage;
}

// 泛排名查询: for one site and a list of keywords, where the site's pages
// stand among Baidu's first 30 results (desktop or mobile). Its run control,
// totals, result table and export are a QueryPanel.
class SiteRankingPage : public ToolPage
{
    Q_OBJECT

public:
    explicit SiteRankingPage(QWidget *parent = nullptr);
    // A run still going is cut short and waited for.
    ~SiteRankingPage() override;

    QueryPanel *panel() const override { return m_panel; }
    QPlainTextEdit *editor() const;
    SiteRule site() const;
    void setSite(const QString &typed);
    // Puts keywords after the editor's lines (from the mining page).
    void appendKeywords(const QStringList &keywords);
    // 重查异常 then asks again for the site the run was for.
    void showStoredRun(const StoredRun &run, const QList<StoredLine> &lines) override;

private:
    void showLocation();

    Ui::SiteRankingPage *ui;
    QueryPanel *m_panel = nullptr;
};
