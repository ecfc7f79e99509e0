#pragma once

#include "ui/frame/toolpage.h"
#include <QStringList>

class QPlainTextEdit;
class QueryPanel;

namespace Ui {
class SiteRankingPage;
}

// 泛排名查询: for up to ten sites and a list of keywords, where the site's pages
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
    // The sites as typed, one per line (empty lines left out).
    QStringList typedSites() const;
    void setSites(const QStringList &typed);
    // Puts keywords after the editor's lines (from the mining page).
    void appendKeywords(const QStringList &keywords);
    // 重查异常 then asks again for the site the run was for.
    void showStoredRun(const StoredRun &run, const QList<StoredLine> &lines) override;

private:
    void showLocation();

    Ui::SiteRankingPage *ui;
    QueryPanel *m_panel = nullptr;
};
