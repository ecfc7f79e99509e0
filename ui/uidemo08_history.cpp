// The run history: its page among the query pages, read through the
// window's own connection, and a stored run opened again in its query page.
// The query pages write their runs through their RunHistory.
#include "ui/uidemo08.h"
#include "ui_uidemo08.h"

#include "history/historystore.h"
#include "history/linechange.h"
#include "ui/historypage.h"
#include "ui/querypanel.h"
#include "ui/siterankingpage.h"

namespace {
const char kHistoryTab[] = QT_TRANSLATE_NOOP("UIDemo08", "当前位置：历史记录");
} // namespace

HistoryStore *UIDemo08::history()
{
    // Opened at first use, so that a window whose history is never shown
    // starts without touching it; a store that could not be opened says why.
    if (!m_history)
        m_history = std::make_unique<HistoryStore>();
    return m_history.get();
}

void UIDemo08::showHistoryPage()
{
    if (!m_historyPage) {
        m_historyPage = new HistoryPage(this);
        m_historyPage->setObjectName(QStringLiteral("historyPage"));
        m_historyPage->setStore(history());
        connect(m_historyPage, &HistoryPage::openRequested, this, &UIDemo08::openStoredRun);
    } else {
        m_historyPage->refresh();
    }
    ui->tabWidget->clear();
    ui->tabWidget->addTab(m_historyPage, tr(kHistoryTab));
}

void UIDemo08::openStoredRun(qint64 runId)
{
    const std::optional<StoredRun> run = history()->run(runId);
    if (!run)
        return;
    QueryPanel *panel = nullptr;
    QAbstractButton *pageButton = nullptr;
    if (run->tool == HistoryTool::kInclusion) {
        panel = inclusionPanel;
        pageButton = ui->tbtnMain1;
    } else if (run->tool == HistoryTool::kRanking) {
        panel = rankingPanel;
        pageButton = ui->tbtnMain2;
    } else if (run->tool == HistoryTool::kSiteRanking) {
        panel = siteRankingPage->panel();
        pageButton = ui->btnData;
    }
    // Mining runs hold found keywords, not the seeds the page starts from.
    if (!panel || panel->isRunning())
        return;
    const QList<StoredLine> lines = history()->lines(runId);
    // 重查异常 asks again for the site the run was for.
    if (run->tool == HistoryTool::kSiteRanking && !lines.isEmpty())
        siteRankingPage->setSite(siteRankingSite(lines.first().key));
    pageButton->click();
    panel->showStoredRun(*run, lines);
}
