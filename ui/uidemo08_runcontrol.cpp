// Run control of the query pages: the window's slots forward to each page's QueryPanel.
#include "ui/uidemo08.h"
#include "ui_uidemo08.h"

#include "history/historystore.h"
#include "ui/messagebox.h"
#include "ui/miningpage.h"
#include "ui/querypanel.h"
#include "ui/siterankingpage.h"
#include "workers/batchrunner.h"
#include "workers/mappedbatch.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

namespace {

const char kQuitQuestion[] = QT_TRANSLATE_NOOP("UIDemo08", "查询尚未完成，确定退出吗？");

// Shared slots tell the pages apart by these senders.
const QString kInclusionStartButton = QStringLiteral("slcxBtn");
const QString kInclusionBackButton = QStringLiteral("fanhuiBtn");
const QString kRankingStopButton = QStringLiteral("stopBtn_2");
const QString kRankingExportButton = QStringLiteral("daochuBtn_2");

} // namespace

void UIDemo08::initQueryPanels()
{
    QueryPanelWidgets inclusion;
    inclusion.page = ui->slcxTab;
    inclusion.editor = ui->urlsList;
    inclusion.start = ui->slcxBtn;
    inclusion.stop = ui->stopBtn;
    inclusion.back = ui->fanhuiBtn;
    inclusion.exportButton = ui->daochuBtn;
    inclusion.mobile = ui->sjRbtn;
    inclusion.table = ui->resultList;
    inclusion.progress = ui->progressBar;
    inclusion.totalInput = ui->tShuru;
    inclusion.inputView = {ui->slcxBtn, ui->clearBtn, ui->hangHao, ui->urlsList,
                           ui->tiShi,   ui->pcRbtn,   ui->sjRbtn};
    inclusion.runView = {ui->tShuru,    ui->resultList, ui->progressBar,
                         ui->daochuBtn, ui->fanhuiBtn,  ui->stopBtn};
    inclusionPanel = new QueryPanel(inclusionPageTraits(), inclusion, this);
    inclusionPanel->setObjectName(QStringLiteral("inclusionPanel"));
    inclusionPanel->setHistory(HistoryStore::defaultPath());

    QueryPanelWidgets ranking;
    ranking.page = ui->pmcxTab;
    ranking.editor = ui->urlsList_2;
    ranking.start = ui->slcxBtn_2;
    ranking.stop = ui->stopBtn_2;
    ranking.back = ui->fanhuiBtn_2;
    ranking.exportButton = ui->daochuBtn_2;
    ranking.mobile = ui->sjRbtn_2;
    ranking.table = ui->resultList_2;
    ranking.progress = ui->progressBar_2;
    ranking.totalInput = ui->tShuru_2;
    ranking.inputView = {ui->slcxBtn_2, ui->clearBtn_2, ui->hangHao_2, ui->urlsList_2,
                         ui->tiShi_2,   ui->pcRbtn_2,   ui->sjRbtn_2};
    ranking.runView = {ui->tShuru_2,    ui->resultList_2, ui->progressBar_2,
                       ui->daochuBtn_2, ui->fanhuiBtn_2,  ui->stopBtn_2};
    ranking.nameSuffix = QStringLiteral("_2");
    rankingPanel = new QueryPanel(rankingPageTraits(), ranking, this);
    rankingPanel->setObjectName(QStringLiteral("rankingPanel"));
    rankingPanel->setHistory(HistoryStore::defaultPath());
}

QueryPanel *UIDemo08::panelFor(const QObject *origin, const QString &name, bool namedIsRanking) const
{
    const bool named = origin && origin->objectName() == name;
    return named == namedIsRanking ? rankingPanel : inclusionPanel;
}

bool UIDemo08::isQueryRunning() const
{
    return inclusionPanel->isRunning() || rankingPanel->isRunning() ||
           siteRankingPage->panel()->isRunning() || miningPage->panel()->isRunning();
}

bool UIDemo08::confirmQuit()
{
    return !isQueryRunning() || QuillaneMessageBox::ask(tr(kQuitQuestion));
}

void UIDemo08::closeEvent(QCloseEvent *event)
{
    if (confirmQuit())
        event->accept();
    else
        event->ignore();
}

// Only slcxBtn starts the inclusion page; any other caller starts the ranking page.
void UIDemo08::showResult()
{
    panelFor(sender(), kInclusionStartButton, false)->start();
}

void UIDemo08::receiveResult(InclusionResult theResult, int i)
{
    inclusionPanel->addResult(i, rowOf(theResult));
}

void UIDemo08::pmreceiveResult(int i)
{
    if (auto *batch = dynamic_cast<RankingBatch *>(rankingPanel->runner()))
        batch->deliver(i);
}

void UIDemo08::changeSate()
{
    inclusionPanel->showTotals();
}

void UIDemo08::pmchangeSate()
{
    rankingPanel->showTotals();
}

void UIDemo08::threadClose()
{
    inclusionPanel->stopNow();
}

void UIDemo08::pmthreadClose()
{
    rankingPanel->stopNow();
}

// Only stopBtn_2 stops the ranking page; any other caller stops the inclusion page.
void UIDemo08::on_stopBtn_clicked()
{
    panelFor(sender(), kRankingStopButton, true)->requestStop();
}

// Only fanhuiBtn serves the inclusion page; any other caller the ranking page.
void UIDemo08::on_fanhuiBtn_clicked()
{
    panelFor(sender(), kInclusionBackButton, false)->back();
}

// Only daochuBtn_2 exports the ranking page; any other caller the inclusion page.
void UIDemo08::on_daochuBtn_clicked()
{
    panelFor(sender(), kRankingExportButton, true)->exportReport();
}
