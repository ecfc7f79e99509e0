#include "ui_uidemo08.h"
#include "uidemo08.h"

#include "messagebox.h"
#include "querylines.h"
#include "rankingrun.h"
#include "slcxthread.h"

#include <QFuture>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTableWidgetItem>

#include <utility>

namespace {

// Texts of the running view, in the window's translation context.
const char kProgressFormat[] = QT_TRANSLATE_NOOP("UIDemo08", "当前进度为：%1%");
const char kTotalInput[] = QT_TRANSLATE_NOOP("UIDemo08", "总输入：%1条 ");
const char kTotalIncluded[] = QT_TRANSLATE_NOOP("UIDemo08", "共收录：%1条 ");
const char kTotalNotIncluded[] = QT_TRANSLATE_NOOP("UIDemo08", "未收录：%1条 ");
const char kInclusionRate[] = QT_TRANSLATE_NOOP("UIDemo08", "收录率：%1%");
// The blanks keep the question clear of the box's buttons.
const char kStopQuestion[] = QT_TRANSLATE_NOOP("UIDemo08", "确定要停止查询吗？     ");

// Shared slots tell the pages apart by these senders; every other sender is the ranking page.
const QString kInclusionStartButton = QStringLiteral("slcxBtn");
const QString kInclusionBackButton = QStringLiteral("fanhuiBtn");
// ...except the stop button, where every other sender is the inclusion page.
const QString kRankingStopButton = QStringLiteral("stopBtn_2");

// Bound on waiting for an ended inclusion worker's thread to return.
const unsigned long kWorkerEndWaitMs = 1000;

// The widgets of one query page; the ranking page's twins carry "_2".
struct QueryPage
{
    QList<QWidget *> inputView;
    QList<QWidget *> runView;
    QList<QLabel *> totals; // included, not included, rate
    QPlainTextEdit *editor;
    QTableWidget *table;
    QProgressBar *progress;
    QLabel *totalInput;
    QPushButton *stop;
    QPushButton *back;
    QPushButton *exportButton;
};

QueryPage inclusionPage(Ui::UIDemo08 *ui)
{
    return QueryPage{
        {ui->slcxBtn, ui->clearBtn, ui->hangHao, ui->urlsList, ui->tiShi, ui->pcRbtn, ui->sjRbtn},
        {ui->tShuru, ui->tShoulu, ui->twuShoulu, ui->tShoululv, ui->resultList, ui->progressBar,
         ui->daochuBtn, ui->fanhuiBtn, ui->stopBtn},
        {ui->tShoulu, ui->twuShoulu, ui->tShoululv},
        ui->urlsList,
        ui->resultList,
        ui->progressBar,
        ui->tShuru,
        ui->stopBtn,
        ui->fanhuiBtn,
        ui->daochuBtn};
}

QueryPage rankingPage(Ui::UIDemo08 *ui)
{
    return QueryPage{{ui->slcxBtn_2, ui->clearBtn_2, ui->hangHao_2, ui->urlsList_2, ui->tiShi_2, ui->pcRbtn_2,
                      ui->sjRbtn_2},
                     {ui->tShuru_2, ui->tShoulu_2, ui->twuShoulu_2, ui->tShoululv_2, ui->resultList_2,
                      ui->progressBar_2, ui->daochuBtn_2, ui->fanhuiBtn_2, ui->stopBtn_2},
                     {ui->tShoulu_2, ui->twuShoulu_2, ui->tShoululv_2},
                     ui->urlsList_2,
                     ui->resultList_2,
                     ui->progressBar_2,
                     ui->tShuru_2,
                     ui->stopBtn_2,
                     ui->fanhuiBtn_2,
                     ui->daochuBtn_2};
}

void setAllVisible(const QList<QWidget *> &widgets, bool visible)
{
    for (QWidget *widget : widgets)
        widget->setVisible(visible);
}

QString translated(const char *text)
{
    return QCoreApplication::translate("UIDemo08", text);
}

QString progressText(const QProgressBar *bar)
{
    const int span = bar->maximum() - bar->minimum();
    // A reset bar sits below its minimum until the first value arrives.
    const int done = qMax(bar->value() - bar->minimum(), 0);
    const double percent = span > 0 ? done * 100.0 / span : 0.0;
    return translated(kProgressFormat).arg(percent, 0, 'f', 1);
}

// Counts over the results received in this run, so lines dropped by the
// filter or not yet checked never show as "not included".
void showTotals(const QueryPage &page, int hits, int received)
{
    page.totals.at(0)->setText(translated(kTotalIncluded).arg(hits));
    page.totals.at(1)->setText(translated(kTotalNotIncluded).arg(received - hits));
    page.totals.at(2)->setText(translated(kInclusionRate).arg(received > 0 ? hits * 100 / received : 0));
}

void fillRow(QTableWidget *table, int row, const QStringList &cells)
{
    for (int column = 0; column < cells.size(); ++column)
        table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
}

void showFinished(const QueryPage &page)
{
    page.stop->setEnabled(false);
    page.back->setEnabled(true);
    page.exportButton->setEnabled(true);
}

void showInput(const QueryPage &page)
{
    setAllVisible(page.inputView, true);
    page.stop->setEnabled(true);
    page.back->setEnabled(false);
    page.exportButton->setEnabled(false);
    setAllVisible(page.runView, false);
    for (QLabel *label : page.totals)
        label->clear();
}

} // namespace

void UIDemo08::showResult()
{
    const QObject *origin = sender();
    const bool ranking = !origin || origin->objectName() != kInclusionStartButton;
    const QueryPage page = ranking ? rankingPage(ui) : inclusionPage(ui);

    setAllVisible(page.inputView, false);
    setAllVisible(page.runView, true);

    const QStringList lines =
        prepareQueryLines(page.editor->toPlainText(), ranking ? QueryKind::Ranking : QueryKind::Inclusion);
    if (!ranking) {
        ui->progressBar->setMinimum(0);
        ui->progressBar->setMaximum(lines.size());
    }
    page.totalInput->setText(translated(kTotalInput).arg(lines.size()));

    if (!ranking) {
        inclusionResultsReceived = 0;
        inclusionWorker = new SlcxThread(lines, inclusionDeviceMode(), runContext());
        connect(inclusionWorker, &SlcxThread::send, this, &UIDemo08::receiveResult, Qt::QueuedConnection);
        connect(inclusionWorker, &SlcxThread::threadEnd, this, &UIDemo08::threadClose, Qt::QueuedConnection);
        inclusionWorker->start();
        return;
    }

    rankingResultsReceived = 0;
    rankingWatcher = new QFutureWatcher<RankingResult>(this);
    connect(this, &UIDemo08::pmcxCancel, this, &UIDemo08::pmthreadClose);
    connectRankingWatcher(rankingWatcher, this, ui->progressBar_2);
    rankingRun = RankingRun::start(lines, rankingDeviceMode(), runContext());
    rankingWatcher->setFuture(rankingRun.future());
}

void UIDemo08::receiveResult(InclusionResult theResult, int i)
{
    QTableWidget *table = ui->resultList;
    table->insertRow(table->rowCount());
    if (table->rowCount() <= i)
        table->setRowCount(i + 1);
    fillRow(table, i, theResult.cells());

    ++inclusionResultsReceived;
    if (theResult.isIncluded()) {
        ++inclusionHits;
        emit sendTotalShoulu(inclusionHits);
    } else {
        changeSate();
    }
    table->scrollToBottom();
    // setValue() alone would paint the bar at once; the new format repaints it
    // anyway, so one deferred paint does for both.
    ui->progressBar->setUpdatesEnabled(false);
    ui->progressBar->setValue(i + 1);
    ui->progressBar->setUpdatesEnabled(true);
    ui->progressBar->setFormat(progressText(ui->progressBar));
}

void UIDemo08::pmreceiveResult(int i)
{
    // A result still queued from a run that has since been replaced has no row here.
    const QObject *origin = sender();
    if (!rankingWatcher || (origin && origin != rankingWatcher))
        return;
    const QFuture<RankingResult> future = rankingWatcher->future();
    if (i < 0 || !future.isResultReadyAt(i))
        return;
    const RankingResult result = future.resultAt(i);

    // Lines finish in any order: grow so that row i exists with the spare row below it.
    QTableWidget *table = ui->resultList_2;
    table->setRowCount(qMax(table->rowCount(), i + 2));
    fillRow(table, i, result.cells());

    ++rankingResultsReceived;
    if (result.isIncluded()) {
        ++rankingHits;
        emit pmsendTotalShoulu(rankingHits);
    } else {
        pmchangeSate();
    }
    table->scrollToBottom();
    ui->progressBar_2->setFormat(progressText(ui->progressBar_2));
}

void UIDemo08::changeSate()
{
    showTotals(inclusionPage(ui), inclusionHits, inclusionResultsReceived);
}

void UIDemo08::pmchangeSate()
{
    showTotals(rankingPage(ui), rankingHits, rankingResultsReceived);
}

void UIDemo08::threadClose()
{
    ui->progressBar->close();
    showFinished(inclusionPage(ui));
    changeSate();

    // threadEnd() is the last thing the worker does, so its thread ends at once.
    if (SlcxThread *worker = std::exchange(inclusionWorker, nullptr)) {
        worker->quit();
        connect(worker, &QThread::finished, worker, &QObject::deleteLater);
        if (worker->wait(kWorkerEndWaitMs))
            delete worker;
    }
}

void UIDemo08::pmthreadClose()
{
    ui->progressBar_2->reset();
    ui->progressBar_2->hide();
    showFinished(rankingPage(ui));
    // Aborts the transfers in flight, so the wait is short even on a stalled server.
    rankingRun.cancelAndWait();
    pmchangeSate();
}

void UIDemo08::on_stopBtn_clicked()
{
    const QObject *origin = sender();
    const bool ranking = origin && origin->objectName() == kRankingStopButton;
    if (!QuillaneMessageBox::ask(translated(kStopQuestion)))
        return;
    if (ranking) {
        emit pmcxCancel();
        ui->stopBtn_2->setEnabled(false);
        return;
    }
    if (inclusionWorker)
        inclusionWorker->stop();
    ui->stopBtn->setEnabled(false);
}

void UIDemo08::on_fanhuiBtn_clicked()
{
    const QObject *origin = sender();
    const bool ranking = !origin || origin->objectName() != kInclusionBackButton;
    if (!ranking) {
        if (inclusionWorker)
            inclusionWorker->stop();
        showInput(inclusionPage(ui));
        ui->resultList->setRowCount(0);
        ui->resultList->clearContents();
        ui->progressBar->reset();
        inclusionHits = 0;
        inclusionResultsReceived = 0;
        return;
    }

    emit pmcxCancel();
    showInput(rankingPage(ui));
    rankingHits = 0;
    rankingResultsReceived = 0;
    // Only the last row, the spare one, stays; one call instead of a removal per row.
    QTableWidget *table = ui->resultList_2;
    if (table->rowCount() > 1)
        table->model()->removeRows(0, table->rowCount() - 1);
}
