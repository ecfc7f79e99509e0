#include "ui/pages/historypage.h"
#include "ui_historypage.h"

#include "history/linechange.h"
#include "history/runsummary.h"
#include "history/tooldescriptor.h"
#include "report/reportwriter.h"
#include "search/pagesaver.h"
#include "search/resultstrings.h"
#include "ui/pages/historylinesmodel.h"
#include "ui/pages/positionchart.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/savefiledialog.h"
#include "ui/widgets/serpdialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QSortFilterProxyModel>

#include <algorithm>
#include <optional>

namespace {
const QString kRunTitle = QStringLiteral("%1 %2 %3：%4 行");
const QString kChangedCount = QStringLiteral("，与上次相比变化 %1 行");
const QString kDeleteQuestion = QStringLiteral("删除选中的 %1 次查询记录？删除后无法恢复。");
const QString kExportFailed = QStringLiteral("报表导出失败：%1");
const QString kExported = QStringLiteral("报表已导出：%1");
const QString kSaveCaption = QStringLiteral("保存");
const QString kSaveFilter = QStringLiteral("Excel 文件(*.xls *.xlsx)");
const QString kDefaultSuffix = QStringLiteral(".xlsx");
const QString kChartTitle = QStringLiteral("%1  %2 的排名走势");
const QString kSerp = QStringLiteral("前30名");
const QString kChartHint = QStringLiteral("选中一行排名，查看它历次的排名走势");
// Runs, the chosen run's lines, the chart.
const QList<int> kPaneHeights = {160, 260, 220};
// The run's columns as the query page first shows them, the widest narrowed so that 变化 fits beside them.
const int kWidestColumn = 240;

const QStringList kRunHeadings = {QStringLiteral("日期"),
                                  QStringLiteral("工具"),
                                  QStringLiteral("设备"),
                                  QStringLiteral("行数"),
                                  QStringLiteral("收录率 / 前10 / 前30"),
                                  QStringLiteral("异常")};
const QList<int> kRunColumnWidths = {140, 70, 70, 80, 170, 60};

// The column of positions of a run's lines (排名, 最佳排名); -1: none.
int positionColumnOf(const QString &tool)
{
    const ToolDescriptor *descriptor = toolOfHistoryKey(tool);
    return descriptor ? descriptor->positionColumn : -1;
}

// What the column 收录率 / 前10 / 前30 shows, e.g. "前10 3 / 前30 5".
QString figuresText(const RunSummary &summary)
{
    QStringList figures;
    for (const ReportTotal &figure : summary.briefFigures)
        figures.append(figure.label + QLatin1Char(' ') + figure.value);
    return figures.join(QStringLiteral(" / "));
}

} // namespace

HistoryPage::HistoryPage(QWidget *parent)
    : QWidget(parent), ui(new Ui::HistoryPage), m_lines(new HistoryLinesModel(this)),
      m_shownLines(new QSortFilterProxyModel(this)), m_serpButton(new QPushButton(kSerp))
{
    ui->setupUi(this);
    ui->historyRuns->setColumnCount(kRunHeadings.size());
    ui->historyRuns->setHorizontalHeaderLabels(kRunHeadings);
    for (int column = 0; column < kRunColumnWidths.size(); ++column)
        ui->historyRuns->setColumnWidth(column, kRunColumnWidths.at(column));
    ui->historyRuns->verticalHeader()->hide();

    m_shownLines->setSourceModel(m_lines);
    m_shownLines->setSortRole(HistoryLinesModel::SortRole);
    m_shownLines->setFilterRole(HistoryLinesModel::ChangeRole);
    ui->historyLines->setModel(m_shownLines);
    ui->historyLines->sortByColumn(-1, Qt::AscendingOrder);
    ui->historyLines->horizontalHeader()->setStretchLastSection(true);
    ui->historySplitter->setSizes(kPaneHeights);
    // A long title wraps: the page never asks the window for more than its default size.
    ui->historyRunTitle->setWordWrap(true);

    auto *copy = new QAction(this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    ui->historyLines->addAction(copy);
    connect(copy, &QAction::triggered, this, &HistoryPage::copySelectedLines);

    connect(ui->historyRefresh, &QPushButton::clicked, this, &HistoryPage::refresh);
    connect(ui->historyDelete, &QPushButton::clicked, this, &HistoryPage::deleteSelectedRuns);
    connect(ui->historyExport, &QPushButton::clicked, this, &HistoryPage::exportShownRun);
    connect(ui->historyOpen, &QPushButton::clicked, this, [this] {
        if (m_shownRun > 0)
            emit openRequested(m_shownRun);
    });
    connect(ui->historyRuns, &QTableWidget::itemDoubleClicked, this, [this] {
        if (m_shownRun > 0)
            emit openRequested(m_shownRun);
    });
    connect(ui->historyRuns, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<qint64> chosen = selectedRuns();
        if (chosen.size() == 1 && chosen.first() != m_shownRun)
            showRun(chosen.first());
    });
    // A click on the row already highlighted shows it too, whatever was shown before.
    connect(ui->historyRuns, &QTableWidget::cellClicked, this, [this](int row) {
        const qint64 id = ui->historyRuns->item(row, 0)->data(Qt::UserRole).toLongLong();
        if (id != m_shownRun && selectedRuns().size() <= 1)
            showRun(id);
    });
    connect(ui->historyOnlyChanges, &QCheckBox::toggled, this, [this](bool only) {
        // Rows with a change hold it in the change role; the others hold nothing.
        m_shownLines->setFilterRegularExpression(only ? QStringLiteral(".") : QString());
    });
    connect(ui->historyLines->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &HistoryPage::showLineHistory);

    // What a ranking line was judged on: beside its chart, from its menu, or a double click.
    m_serpButton->setObjectName(QStringLiteral("historySerpBtn"));
    m_serpButton->setEnabled(false);
    ui->historyRunHeader->addWidget(m_serpButton);
    connect(m_serpButton, &QPushButton::clicked, this, &HistoryPage::showLineSerp);
    auto *serp = new QAction(kSerp, this);
    serp->setObjectName(QStringLiteral("historySerpAction"));
    ui->historyLines->addAction(serp);
    ui->historyLines->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(serp, &QAction::triggered, this, &HistoryPage::showLineSerp);
    connect(ui->historyLines, &QAbstractItemView::doubleClicked, this, &HistoryPage::showLineSerp);
}

HistoryPage::~HistoryPage()
{
    delete ui;
}

void HistoryPage::setStore(HistoryStore *store)
{
    m_store = store;
    refresh();
}

void HistoryPage::showProblem(const QString &message)
{
    ui->historyStatus->setText(message);
}

void HistoryPage::refresh()
{
    if (!m_store)
        return;
    if (!m_store->isOpen()) {
        showProblem(m_store->errorMessage());
        fillRuns({});
        showRun(0);
        return;
    }
    const QList<StoredRun> runs = m_store->runs();
    showProblem(m_store->errorMessage());
    const int shownRow = rowOfRun(m_shownRun);
    fillRuns(runs);
    // Runs come newest first. A run made since the page last looked is what
    // the user comes back for; otherwise the one shown stays, and when it
    // was deleted its neighbour takes its place.
    const qint64 newest = runs.isEmpty() ? 0 : runs.first().id;
    int row = rowOfRun(m_shownRun);
    if (newest > m_newestSeen || row < 0)
        row = newest > m_newestSeen ? 0 : qBound(0, shownRow, runs.size() - 1);
    m_newestSeen = qMax(m_newestSeen, newest);
    highlightRow(row);
}

int HistoryPage::rowOfRun(qint64 runId) const
{
    for (int row = 0; runId > 0 && row < ui->historyRuns->rowCount(); ++row) {
        if (ui->historyRuns->item(row, 0)->data(Qt::UserRole).toLongLong() == runId)
            return row;
    }
    return -1;
}

void HistoryPage::highlightRow(int row)
{
    // The highlighted row and the lines below it are always the same run.
    {
        const QSignalBlocker quiet(ui->historyRuns);
        ui->historyRuns->clearSelection();
        if (row >= 0 && row < ui->historyRuns->rowCount()) {
            ui->historyRuns->setCurrentCell(row, 0);
            ui->historyRuns->selectRow(row);
        } else {
            ui->historyRuns->setCurrentCell(-1, -1);
        }
    }
    ui->historyRuns->viewport()->update();
    const QTableWidgetItem *item = row >= 0 ? ui->historyRuns->item(row, 0) : nullptr;
    showRun(item ? item->data(Qt::UserRole).toLongLong() : 0);
}

void HistoryPage::fillRuns(const QList<StoredRun> &runs)
{
    const QSignalBlocker quiet(ui->historyRuns);
    ui->historyRuns->setRowCount(runs.size());
    for (int row = 0; row < runs.size(); ++row) {
        const StoredRun &run = runs.at(row);
        const RunSummary summary = summarizeRun(run);
        const QStringList cells{summary.started, summary.tool,         summary.device,
                                summary.lines,   figuresText(summary), QString::number(summary.failed)};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            item->setData(Qt::UserRole, run.id);
            ui->historyRuns->setItem(row, column, item);
        }
    }
}

QList<qint64> HistoryPage::selectedRuns() const
{
    QList<qint64> ids;
    const QModelIndexList rows = ui->historyRuns->selectionModel()->selectedRows();
    for (const QModelIndex &row : rows)
        ids.append(row.data(Qt::UserRole).toLongLong());
    return ids;
}

void HistoryPage::showRun(qint64 runId)
{
    m_shownRun = 0;
    m_lines->clear();
    ui->historyRunTitle->clear();
    ui->historyChart->setHistory(kChartHint, {});
    if (!m_store || runId <= 0)
        return;
    const std::optional<StoredRun> run = m_store->run(runId);
    if (!run) {
        showProblem(m_store->errorMessage());
        return;
    }
    m_run = *run;
    m_shownRun = runId;

    const QList<StoredLine> lines = m_store->lines(runId);
    const QHash<QString, StoredLine> before = m_store->previousLines(runId);
    const std::optional<ToolDescriptor> tool = descriptorOfRun(m_run);
    QStringList headings;
    if (tool)
        headings = tool->headings();
    else if (!lines.isEmpty())
        headings =
            QVector<QString>(lines.first().cells.size()).toList(); // a tool without a report: no headings
    QStringList changes;
    changes.reserve(lines.size());
    int changed = 0;
    for (const StoredLine &line : lines) {
        changes.append(changeSince(m_run.tool, before, line));
        if (!changes.constLast().isEmpty())
            ++changed;
    }
    m_lines->setLines(headings, lines, changes, positionColumnOf(m_run.tool));
    const RunSummary summary = summarizeRun(m_run);
    ui->historyRunTitle->setText(
        kRunTitle.arg(summary.started, summary.tool, summary.device).arg(lines.size()) +
        kChangedCount.arg(changed));
    if (tool) {
        const QList<int> widths = tool->widths();
        for (int column = 0; column < widths.size(); ++column)
            ui->historyLines->setColumnWidth(column, qMin(widths.at(column), kWidestColumn));
    }
}

void HistoryPage::showLineHistory()
{
    const QModelIndex current = ui->historyLines->currentIndex();
    const bool ranking = m_store && current.isValid() && positionColumnOf(m_run.tool) >= 0;
    m_serpButton->setEnabled(ranking);
    if (!ranking) {
        ui->historyChart->setHistory(kChartHint, {});
        return;
    }
    const QString key = current.data(HistoryLinesModel::KeyRole).toString();
    const QStringList fields = keyFields(key);
    ui->historyChart->setHistory(kChartTitle.arg(fields.value(0), fields.value(1)),
                                 m_store->positionHistory(m_run.tool, m_run.device, key));
}

void HistoryPage::copySelectedLines()
{
    QModelIndexList rows = ui->historyLines->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList text;
    for (const QModelIndex &row : qAsConst(rows)) {
        QStringList cells;
        for (int column = 0; column < m_shownLines->columnCount(); ++column)
            cells.append(m_shownLines->index(row.row(), column).data().toString());
        text.append(cells.join(QLatin1Char('\t')));
    }
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void HistoryPage::deleteSelectedRuns()
{
    const QList<qint64> chosen = selectedRuns();
    if (!m_store || chosen.isEmpty() || !QuillaneMessageBox::ask(kDeleteQuestion.arg(chosen.size())))
        return;
    for (qint64 id : chosen) {
        if (!m_store->deleteRun(id)) {
            showProblem(m_store->errorMessage());
            return;
        }
    }
    refresh();
}

void HistoryPage::exportShownRun()
{
    const ToolDescriptor *tool = toolOfHistoryKey(m_run.tool);
    if (!m_store || m_shownRun <= 0 || !tool)
        return;
    const std::optional<Device> device = HistoryDevice::deviceOf(m_run.device);
    const QString suggested =
        QDir(SaveFileDialog::startFolder())
            .filePath(SaveFileDialog::reportFileName(tool->name, device ? &*device : nullptr,
                                                     m_run.startedAt.toLocalTime()));
    QString path = SaveFileDialog::getSaveFileName(this, kSaveCaption, suggested, kSaveFilter);
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) &&
        !path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        path += kDefaultSuffix;
    QList<StoredLine> lines;
    for (int row = 0; row < m_lines->rowCount(); ++row)
        lines.append(m_lines->line(row));
    const ReportWriteResult written =
        writeReport(QFileInfo(path).absoluteFilePath(), storedRunReport(m_run, lines));
    QuillaneMessageBox::inform(written.ok ? kExported.arg(QDir::toNativeSeparators(path))
                                          : kExportFailed.arg(written.errorMessage));
}

void HistoryPage::showLineSerp()
{
    const QModelIndex current = ui->historyLines->currentIndex();
    if (!m_store || !current.isValid() || positionColumnOf(m_run.tool) < 0)
        return;
    const StoredLine &line = m_lines->line(m_shownLines->mapToSource(current).row());
    const std::optional<ToolDescriptor> tool = descriptorOfRun(m_run);
    SerpView view;
    view.query = tool ? queryLineOfStored(tool->tool, line) : line.key;
    view.device = summarizeRun(m_run).device;
    if (m_run.tool == HistoryTool::kSiteRanking)
        view.sites = m_run.sites.isEmpty() ? QStringList{siteRankingSite(line.key)} : m_run.sites;
    if (const std::optional<StoredSerp> serp = m_store->serp(m_run.id, line.index)) {
        view.readAt = serp->readAt;
        view.entries = serp->entries;
    } else if (line.status == ResultText::kFailed || line.position == ResultText::kFailed) {
        view.savedPage = PageSaver::lastPageOf(m_run.pagesFolder, line.index + 1);
    }
    SerpDialog::open(view, this);
}
