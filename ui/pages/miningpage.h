#pragma once

#include "ui/frame/toolpage.h"
#include "workers/miningrun.h"

#include <QStringList>

class QueryPanel;

namespace Ui {
class MiningPage;
}

// 关键词挖掘: seed keywords expanded by Baidu's search-box suggestions and
// related searches, to a depth and up to a limit. Its run control, totals,
// result table and export are a QueryPanel; the keywords found can be sent
// to the ranking pages' editors.
class MiningPage : public ToolPage
{
    Q_OBJECT

public:
    explicit MiningPage(QWidget *parent = nullptr);
    ~MiningPage() override;

    QueryPanel *panel() const override { return m_panel; }
    MiningOptions options() const;

signals:
    // The chosen keywords (the selected rows, or all rows shown), for 排名查询
    // or, with toSiteRanking, for 泛排名查询.
    void keywordsSent(const QStringList &keywords, bool toSiteRanking);

private:
    void send(bool toSiteRanking);

    Ui::MiningPage *ui;
    QueryPanel *m_panel = nullptr;
};
