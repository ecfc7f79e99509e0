#include "ui/query/querypanel.h"

#include "history/linechange.h"
#include "history/runsummary.h"
#include "history/serpcodec.h"
#include "notify/keptrunnotice.h"
#include "report/runreport.h"
#include "schedule/schedulebook.h"
#include "search/appsettings.h"
#include "search/fetchsettings.h"
#include "search/layoutdriftguard.h"
#include "search/pagesaver.h"
#include "search/resultcolumns.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/savefiledialog.h"
#include "ui/widgets/serpdialog.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QShortcut>
#include <QTableView>
#include <QUrl>
#include <QtConcurrent>

#include <numeric>

namespace {

const char kContext[] = "QueryPanel";
const char kProgressFormat[] = QT_TRANSLATE_NOOP("QueryPanel", "当前进度为：%1%");
// The blanks keep the question clear of the box's buttons.
const char kStopQuestion[] = QT_TRANSLATE_NOOP("QueryPanel", "确定要停止查询吗？     ");
const char kNothingToRun[] = QT_TRANSLATE_NOOP("QueryPanel", "没有可查询的行");
const char kDropped[] = QT_TRANSLATE_NOOP("QueryPanel", "已忽略 %1 行");
const char kStopping[] = QT_TRANSLATE_NOOP("QueryPanel", "正在停止…");
const char kFinished[] = QT_TRANSLATE_NOOP("QueryPanel", "查询完成：%1 条，异常 %2 条，用时 %3");
constexpr int kGateStateIntervalMs = 500;
const char kStopped[] = QT_TRANSLATE_NOOP("QueryPanel", "查询已停止：%1 条，异常 %2 条，用时 %3");
const char kSeconds[] = QT_TRANSLATE_NOOP("QueryPanel", "%1 秒");
const char kMinutes[] = QT_TRANSLATE_NOOP("QueryPanel", "%1 分 %2 秒");
const char kRecheck[] = QT_TRANSLATE_NOOP("QueryPanel", "重查异常");
const char kSaveList[] = QT_TRANSLATE_NOOP("QueryPanel", "保存为列表");
const char kListName[] = QT_TRANSLATE_NOOP("QueryPanel", "列表名（定时任务按此名运行）：");
const char kReplaceList[] = QT_TRANSLATE_NOOP("QueryPanel", "已有名为“%1”的列表，要替换它的行吗？");
const char kListSaved[] = QT_TRANSLATE_NOOP("QueryPanel", "已保存为列表“%1”：%2 行");
const char kListNotSaved[] = QT_TRANSLATE_NOOP("QueryPanel", "列表未保存：%1");
const char kSaveCaption[] = QT_TRANSLATE_NOOP("QueryPanel", "保存");
const char kSaveFilter[] = QT_TRANSLATE_NOOP("QueryPanel", "Excel 文件(*.xls *.xlsx)");
const char kExported[] = QT_TRANSLATE_NOOP("QueryPanel", "报表已导出：%1");
// The report holds the rows as the table shows them; the message says in which order.
const char kInputOrder[] = QT_TRANSLATE_NOOP("QueryPanel", "行的顺序：输入顺序，与屏幕上一致");
const char kSortedOrder[] = QT_TRANSLATE_NOOP("QueryPanel", "行的顺序：按“%1”%2，与屏幕上一致");
const char kAscending[] = QT_TRANSLATE_NOOP("QueryPanel", "升序");
const char kDescending[] = QT_TRANSLATE_NOOP("QueryPanel", "降序");
const char kOpenFile[] = QT_TRANSLATE_NOOP("QueryPanel", "打开文件");
const char kOpenFolder[] = QT_TRANSLATE_NOOP("QueryPanel", "打开所在文件夹");
const char kClose[] = QT_TRANSLATE_NOOP("QueryPanel", "关 闭");
const char kNoOpener[] = QT_TRANSLATE_NOOP("QueryPanel", "系统没有能打开它的程序，请手动打开：%1");
const char kExportFailed[] = QT_TRANSLATE_NOOP("QueryPanel", "报表导出失败：%1");
const char kChange[] = QT_TRANSLATE_NOOP("QueryPanel", "变化");
const char kNotKept[] = QT_TRANSLATE_NOOP("QueryPanel", "%1；查询继续，本次不保存历史记录");
const char kStoredRun[] = QT_TRANSLATE_NOOP("QueryPanel", "历史记录：%1 的查询，%2 条，异常 %3 条");
const char kCertificateFailed[] = QT_TRANSLATE_NOOP(
    "QueryPanel",
    "百度的证书未通过验证，相关行记为“异常”（证书不受信任）：%1。公司代理拦截 HTTPS 时，可在基本设置中勾选"
    "“不验证证书”；但勾选后无法识别冒充百度的服务器，网络路径上的任何人都能伪造查询结果。");

// The two suffixes the report writer knows; any other name gets the first.
const QString kDefaultSuffix = QStringLiteral(".xlsx");
const QString kOtherSuffix = QStringLiteral(".xls");

// Results are shown in batches: one insertion and one repaint per burst.
constexpr int kFlushIntervalMs = 50;
// Room for the widest change beside the cell padding and the sort arrow.
const QString kWidestChange = QStringLiteral("新进前30");
constexpr int kChangePadding = 28;
constexpr int kNarrowestAddress = 100;
const QString kStoredRunTime = QStringLiteral("yyyy-MM-dd HH:mm");
// Where a run of the window keeps the answer pages behind its 异常 rows.
const QString kPagesFolder = QStringLiteral("quillane/answer-pages/%1");
const QString kPagesStamp = QStringLiteral("yyyyMMdd-HHmmss-zzz");

QString translated(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

// The box layout under root that holds target (a widget or a layout) directly.
QBoxLayout *holdingLayout(QLayout *root, const QObject *target, int *index)
{
    if (!root)
        return nullptr;
    for (int i = 0; i < root->count(); ++i) {
        QLayoutItem *item = root->itemAt(i);
        if (item->widget() == target || item->layout() == target) {
            *index = i;
            return qobject_cast<QBoxLayout *>(root);
        }
        if (QBoxLayout *found = holdingLayout(item->layout(), target, index))
            return found;
    }
    return nullptr;
}

// Puts widget into the form's layouts next to target: after it, or before the layout holding it.
void placeNear(QWidget *target, QWidget *widget, bool beforeItsRow)
{
    QLayout *root = target->parentWidget() ? target->parentWidget()->layout() : nullptr;
    int index = 0;
    QBoxLayout *layout = holdingLayout(root, target, &index);
    if (layout && beforeItsRow)
        layout = holdingLayout(root, layout, &index);
    if (!layout) {
        widget->setParent(target->parentWidget());
        return;
    }
    layout->insertWidget(beforeItsRow ? index : index + 1, widget);
}

QString duration(qint64 ms)
{
    if (ms < 60000)
        return translated(kSeconds).arg(ms / 1000.0, 0, 'f', 1);
    const qint64 seconds = ms / 1000;
    return translated(kMinutes).arg(seconds / 60).arg(seconds % 60);
}

QString withReportSuffix(const QString &path)
{
    if (path.endsWith(kDefaultSuffix, Qt::CaseInsensitive) ||
        path.endsWith(kOtherSuffix, Qt::CaseInsensitive))
        return path;
    return path + kDefaultSuffix;
}

void setAllVisible(const QList<QWidget *> &widgets, bool visible)
{
    for (QWidget *widget : widgets)
        widget->setVisible(visible);
}

} // namespace

QueryPanel::QueryPanel(const QueryPageTraits &traits, const QueryPanelWidgets &widgets, QObject *parent)
    : QObject(parent), m_traits(traits), m_tool(toolDescriptor(traits.tool)), m_widgets(widgets),
      m_table(new ResultTable(traits, widgets.table, widgets.nameSuffix, this)), m_model(m_table->model())
{
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &QueryPanel::showWhenKept);
    connect(m_table, &ResultTable::serpRequested, this, &QueryPanel::showSerp);
    buildWidgets();
}

QueryPanel::~QueryPanel()
{
    // The runner's destructor cuts its transfers short and waits for its threads.
    delete m_runner.data();
}

void QueryPanel::buildWidgets()
{
    // Totals: the form's labels, and new ones after the previous total.
    QLabel *previous = m_widgets.totalInput;
    for (const ResultTotalLabel &total : m_traits.totals) {
        const QString name = total.labelName + m_widgets.nameSuffix;
        auto *label = m_widgets.page->findChild<QLabel *>(name);
        if (!label) {
            label = new QLabel;
            label->setObjectName(name);
            label->setFont(previous->font());
            label->setMaximumSize(previous->maximumSize());
            label->setStyleSheet(total.labelStyle);
            placeNear(previous, label, false);
            label->hide();
        }
        m_totalLabels.append(label);
        previous = label;
    }

    // The filter row sits above the table, with the results.
    placeNear(m_widgets.table, m_table->filterBar(), true);
    m_table->filterBar()->hide();

    m_recheck = new QPushButton(translated(kRecheck));
    m_recheck->setObjectName(QStringLiteral("chongchaBtn") + m_widgets.nameSuffix);
    m_recheck->setMaximumSize(m_widgets.exportButton->maximumSize());
    connect(m_recheck, &QPushButton::clicked, this, &QueryPanel::recheck);
    placeNear(m_widgets.exportButton, m_recheck, false);
    m_recheck->hide();

    if (m_traits.tool != Tool::Mining) {
        m_saveList = new QPushButton(translated(kSaveList));
        m_saveList->setObjectName(QStringLiteral("saveListBtn") + m_widgets.nameSuffix);
        m_saveList->setMaximumSize(m_widgets.start->maximumSize());
        connect(m_saveList, &QPushButton::clicked, this, &QueryPanel::saveAsList);
        placeNear(m_widgets.start, m_saveList, false);
    }
    if (m_traits.tool == Tool::SiteRanking) {
        m_siteTotals = new QLabel;
        m_siteTotals->setObjectName(QStringLiteral("tSites") + m_widgets.nameSuffix);
        m_siteTotals->setFont(m_widgets.totalInput->font());
        m_siteTotals->setWordWrap(true);
        placeNear(m_widgets.progress, m_siteTotals, false);
        m_siteTotals->hide();
    }

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("zhuangTai") + m_widgets.nameSuffix);
    m_status->setFont(m_widgets.totalInput->font());
    // Long notices wrap rather than widen the window.
    m_status->setWordWrap(true);
    placeNear(m_widgets.progress, m_status, false);
    m_status->hide();

    // What the gate does while it slows down or a line waits, shown beside the status while the run goes.
    m_gateState = new QLabel;
    m_gateState->setObjectName(QStringLiteral("gateState") + m_widgets.nameSuffix);
    m_gateState->setFont(m_widgets.totalInput->font());
    m_gateState->setWordWrap(true);
    placeNear(m_status, m_gateState, false);
    m_gateState->hide();
    m_gateTimer.setInterval(kGateStateIntervalMs);
    connect(&m_gateTimer, &QTimer::timeout, this, &QueryPanel::showGateState);

    // Wherever the focus is in the window (a hidden start button, the left
    // bar after a page switch): only the page shown has a live shortcut.
    auto *escape =
        new QShortcut(QKeySequence(Qt::Key_Escape), m_widgets.page, nullptr, nullptr, Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (m_widgets.page->isVisible() && isRunning() && !m_stopping)
            requestStop();
    });
    // What the status line said of the last input or run is stale once the input changes.
    connect(m_widgets.editor, &QPlainTextEdit::textChanged, this, [this] {
        if (!isRunning() && !m_widgets.editor->isHidden())
            showStatus(QString());
    });
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto *run = new QShortcut(keys, m_widgets.editor, nullptr, nullptr, Qt::WidgetShortcut);
        // Through the button, so the run starts exactly as a click starts it.
        connect(run, &QShortcut::activated, this, [this] {
            if (m_widgets.start->isVisible() && m_widgets.start->isEnabled())
                m_widgets.start->click();
        });
    }
}

Device QueryPanel::device() const
{
    return m_widgets.mobile && m_widgets.mobile->isChecked() ? Device::Mobile : Device::Desktop;
}

void QueryPanel::showGateState()
{
    const QString text = isRunning() && m_context.gate ? gateStateText(m_context.gate->state()) : QString();
    m_gateState->setText(text);
    m_gateState->setVisible(!text.isEmpty());
    if (!isRunning())
        m_gateTimer.stop();
}

void QueryPanel::showStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

void QueryPanel::start()
{
    if (isRunning())
        return;
    const QString text = m_widgets.editor->toPlainText();
    int typed = text.isEmpty() ? 0 : text.count(QLatin1Char('\n')) + 1;
    // The line feed that ends the last line does not start another one.
    if (text.endsWith(QLatin1Char('\n')))
        --typed;
    const QStringList lines = prepareQueryLines(text, m_tool.lineKind);
    const int dropped = qMax(typed - lines.size(), 0);
    if (!inputReady(lines))
        return;

    showRunView();
    takeRunOptions(m_traits.runOptions ? m_traits.runOptions() : RunOptions());
    m_lines = lines;
    m_runStarted = QDateTime::currentDateTime();
    m_storedRunId = 0;
    m_serps.clear();
    m_pagesFolder = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                        .filePath(kPagesFolder.arg(m_runStarted.toString(kPagesStamp)));
    m_widgets.totalInput->setText(m_traits.totalInputText.arg(lines.size()));
    showStatus(dropped > 0 ? translated(kDropped).arg(dropped) : QString());
    m_historyProblem.clear();
    if (m_history)
        m_history->begin(device(), lines.size(), m_context, m_runSites, m_pagesFolder);
    QVector<int> rows(lines.size());
    std::iota(rows.begin(), rows.end(), 0);
    runLines(rows);
}

void QueryPanel::showRunView()
{
    setAllVisible(m_widgets.inputView, false);
    setAllVisible(m_widgets.runView, true);
    setAllVisible(QList<QWidget *>(m_totalLabels.cbegin(), m_totalLabels.cend()), true);
    m_table->filterBar()->show();
    m_table->resetView();
    m_model->clear();
    for (QLabel *label : qAsConst(m_totalLabels))
        label->clear();
}

void QueryPanel::setHistory(const QString &path)
{
    delete m_history;
    m_history = nullptr;
    m_historyPath.clear();
    if (path.isEmpty()) {
        m_model->setChangeColumn(QString());
        return;
    }
    m_history = new RunHistory(m_traits.tool, path, this);
    m_historyPath = path;
    connect(m_history, &RunHistory::ended, this, &QueryPanel::sendDigest);
    connect(m_history, &RunHistory::failed, this, &QueryPanel::showHistoryProblem);
    connect(m_history, &RunHistory::previousReady, this, &QueryPanel::showPreviousChanges);
    connect(m_history, &RunHistory::written, this, [this] {
        if (m_finishWhenKept) {
            m_finishWhenKept = false;
            m_showWhenKept = false;
            runnerFinished();
        } else if (m_showWhenKept) {
            m_showWhenKept = false;
            flush();
        }
    });
    if (!m_traits.showsChanges)
        return;
    if (m_model->changeColumn() >= 0)
        return; // the column is there already
    m_model->setChangeColumn(translated(kChange));
    sizeChangeColumn();
}

void QueryPanel::sizeChangeColumn()
{
    if (m_model->changeColumn() < 0)
        return;
    QTableView *table = m_widgets.table;
    const int width = table->fontMetrics().horizontalAdvance(kWidestChange) + kChangePadding;
    table->setColumnWidth(m_model->changeColumn(), width);
    // The address column makes room for it, so the table keeps its width.
    const int address = m_traits.addressColumn;
    table->setColumnWidth(address, qMax(table->columnWidth(address) - width, kNarrowestAddress));
}

void QueryPanel::takeRunOptions(const RunOptions &options)
{
    m_runOptions = options;
    m_runSites.clear();
    for (const SiteRule &site : options.sites)
        m_runSites.append(site.host());
    if (m_traits.tool != Tool::SiteRanking)
        return;
    QList<ResultColumn> columns;
    for (const ToolColumn &column : siteRankingDescriptor(m_runSites).columns)
        columns.append({column.heading, column.width, column.kind});
    const int address =
        m_runSites.size() < 2 ? m_traits.addressColumn : siteGroupColumn(0, SiteGroupColumn::Address);
    const int before = m_model->columnCount();
    m_table->setColumns(columns, address);
    if (m_model->columnCount() != before || m_runSites.size() >= 2)
        sizeChangeColumn();
}

QList<StoredLine> QueryPanel::storedLinesOf(int row, const ResultRow &result) const
{
    return storedLines(m_traits.tool, row, result, m_runSites);
}

QString QueryPanel::changeOf(const QList<StoredLine> &lines) const
{
    if (lines.size() < 2)
        return lines.isEmpty() ? QString() : m_history->changeOf(lines.first());
    // Several sites: each site's change, named.
    QStringList changes;
    for (int site = 0; site < lines.size(); ++site) {
        const QString change = m_history->changeOf(lines.at(site));
        if (!change.isEmpty())
            changes.append(m_runSites.value(site) + QLatin1Char(' ') + change);
    }
    return changes.join(QStringLiteral("；"));
}

void QueryPanel::showHistoryProblem(const QString &message)
{
    m_historyProblem = translated(kNotKept).arg(message);
    showStatus(m_historyProblem);
}

// Rows shown before the line's previous results were known get their change now.
void QueryPanel::showPreviousChanges()
{
    flush();
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const ResultRow &row = m_model->row(r);
        if (row.verdict != RowVerdict::Unchecked)
            m_model->setChange(r, changeOf(storedLinesOf(r, row)));
    }
}

void QueryPanel::showStoredRun(const StoredRun &run, const QList<StoredLine> &lines)
{
    if (isRunning() || m_tool.rowsFound)
        return;
    m_runDevice = HistoryDevice::deviceOf(run.device).value_or(Device::Desktop);
    if (m_widgets.mobile)
        m_widgets.mobile->setChecked(m_runDevice == Device::Mobile);
    showRunView();
    m_storedRunId = run.id;
    m_serps.clear();
    m_pagesFolder = run.pagesFolder;
    // The frame has put the run's sites on the page; 重查异常 asks for them again.
    takeRunOptions(m_traits.runOptions ? m_traits.runOptions() : RunOptions());
    m_lines.clear();
    for (const StoredLine &line : lines) {
        while (m_lines.size() <= line.index)
            m_lines.append(QString());
        m_lines[line.index] = queryLineOfStored(m_traits.tool, line);
        m_model->setResult(line.index, rowOfStored(m_traits.tool, line));
    }
    m_widgets.editor->setPlainText(m_lines.join(QLatin1Char('\n')));
    m_model->flush();
    m_runStarted = run.startedAt.toLocalTime();
    m_runSize = 0;
    m_widgets.totalInput->setText(m_traits.totalInputText.arg(run.lineCount));
    showTotals();
    showRunningButtons(false);
    m_widgets.progress->hide();
    m_historyProblem.clear();
    showStatus(translated(kStoredRun)
                   .arg(m_runStarted.toString(kStoredRunTime))
                   .arg(m_model->tally().checked)
                   .arg(m_model->tally().failed));
    if (m_history)
        m_history->resume(run);
}

void QueryPanel::runLines(const QVector<int> &rows)
{
    QStringList lines;
    lines.reserve(rows.size());
    for (int row : rows)
        lines.append(m_lines.at(row));
    m_runSize = rows.size();
    m_runReceived = 0;
    m_stopping = false;
    m_runDevice = device();
    const RunOptions options = m_runOptions;
    m_clock.start();

    QProgressBar *progress = m_widgets.progress;
    progress->setRange(0, m_runSize);
    progress->setValue(0);
    progress->setFormat(translated(kProgressFormat).arg(0.0, 0, 'f', 1));
    progress->show();
    showRunningButtons(true);

    m_runNotices.clear();
    if (m_context.handOff)
        m_context.handOff->newRun();
    m_gateTimer.start();
    // What the checking threads meet that concerns the whole run is said in the status line, once each.
    SearchContext context = m_context;
    context.notices = std::make_shared<FetchNotices>([this](const FetchNotice &notice) {
        QMetaObject::invokeMethod(
            this, [this, notice] { showFetchNotice(notice); }, Qt::QueuedConnection);
    });

    m_runner = newBatchRunner(m_traits.tool, options, this);
    connect(m_runner, &BatchRunner::resultReady, this, &QueryPanel::addResult);
    connect(m_runner, &BatchRunner::progressed, this, [this](int done, int total) {
        m_runReceived = done;
        m_runSize = total;
        if (!m_flushTimer.isActive())
            m_flushTimer.start(kFlushIntervalMs);
    });
    connect(m_runner, &BatchRunner::requestFailed, this, [this] {
        m_model->countFailedRequests(1);
        if (!m_flushTimer.isActive())
            m_flushTimer.start(kFlushIntervalMs);
    });
    connect(m_runner, &BatchRunner::finished, this, &QueryPanel::runnerFinished);
    m_drift = std::make_shared<LayoutDriftGuard>(LayoutDriftGuard::defaultFolder());
    context.driftGuard = m_drift;
    // The answer page behind each 异常 row is kept for its 前30名.
    if (!m_pagesFolder.isEmpty()) {
        const auto saver = std::make_shared<const PageSaver>(m_pagesFolder, m_lines);
        context.pageSink = [saver](const AnswerPage &page) { saver->save(page); };
    }
    m_runner->start(lines, rows, m_runDevice, context);
}

void QueryPanel::showFetchNotice(const FetchNotice &notice)
{
    // The robot check has its own hand-off.
    if (!isRunning() || notice.kind == FetchNotice::Kind::RobotCheck)
        return;
    m_runNotices.append(notice.kind == FetchNotice::Kind::Certificate
                            ? translated(kCertificateFailed).arg(notice.reason)
                            : notice.reason);
    showStatus(m_runNotices.join(QLatin1Char('\n')));
}

void QueryPanel::showRunningButtons(bool running)
{
    m_widgets.stop->setEnabled(running);
    m_widgets.back->setEnabled(!running);
    m_widgets.exportButton->setEnabled(!running);
    m_recheck->setVisible(!running && !rowsToRecheck().isEmpty());
}

void QueryPanel::addResult(int row, const ResultRow &result)
{
    if (row < 0 || (!m_tool.rowsFound && row >= m_lines.size()))
        return;
    // The history takes the list as it comes; the table keeps it deflated beside its rows.
    ResultRow light = result;
    if (light.serp.isEmpty())
        m_serps.remove(row);
    else
        m_serps.insert(row, {light.readAt, encodeSerp(light.serp)});
    light.serp.clear();
    if (m_history) {
        const QList<StoredLine> stored = storedLinesOf(row, result);
        for (const StoredLine &line : stored)
            m_history->record(line);
        if (m_history->knowsPrevious())
            light.change = changeOf(stored);
    }
    m_model->setResult(row, light);
    // A finding run counts its progress itself.
    if (!m_tool.rowsFound)
        ++m_runReceived;
    if (!m_flushTimer.isActive())
        m_flushTimer.start(kFlushIntervalMs);
}

// A row is shown once the history holds it: a window that dies, however it
// dies, has kept every row it showed.
bool QueryPanel::historyStillWriting()
{
    if (!m_history || !m_history->isWriting())
        return false;
    m_history->flush();
    return true;
}

void QueryPanel::showWhenKept()
{
    if (historyStillWriting())
        m_showWhenKept = true;
    else
        flush();
}

void QueryPanel::flush()
{
    m_flushTimer.stop();
    m_table->showNewRows();
    showTotals();
    QProgressBar *progress = m_widgets.progress;
    if (m_runSize > 0 && isRunning()) {
        const int done = qMin(m_runReceived, m_runSize);
        if (progress->maximum() != m_runSize)
            progress->setMaximum(m_runSize);
        progress->setValue(done);
        progress->setFormat(translated(kProgressFormat).arg(done * 100.0 / m_runSize, 0, 'f', 1));
    }
}

void QueryPanel::showTotals()
{
    const ResultTally &tally = m_model->tally();
    for (int i = 0; i < m_totalLabels.size(); ++i)
        m_totalLabels.at(i)->setText(m_traits.totals.at(i).text(tally));
    // Several sites: each site's figures on a line of their own (the totals above are the first site's).
    if (!m_siteTotals)
        return;
    QStringList figures;
    for (const ReportTotal &total : siteTotals(m_runSites, checkedRows()))
        figures.append(total.label + QStringLiteral("：") + total.value);
    m_siteTotals->setText(figures.join(QStringLiteral("  ")));
    m_siteTotals->setVisible(!figures.isEmpty() && !m_widgets.totalInput->isHidden());
}

QList<QStringList> QueryPanel::checkedRows() const
{
    QList<QStringList> rows;
    for (int r = 0; r < m_model->rowCount(); ++r) {
        if (m_model->row(r).verdict != RowVerdict::Unchecked)
            rows.append(m_model->row(r).cells);
    }
    return rows;
}

void QueryPanel::runnerFinished()
{
    if (historyStillWriting()) {
        m_finishWhenKept = true;
        return;
    }
    flush();
    if (m_history)
        m_history->end();
    if (m_runner)
        m_runner->deleteLater();
    m_runner = nullptr;
    m_widgets.progress->reset();
    m_widgets.progress->hide();
    showRunningButtons(false);
    showGateState();
    // The next run, also of the next start of the program, begins from what this one learned.
    if (m_context.gate)
        saveLearnedInterval(*openApplicationSettings(), m_context.gate->learnedMs());
    const ResultTally &tally = m_model->tally();
    QStringList status = m_runNotices;
    // A run that Baidu's changed pages stopped says so, and where those pages are.
    status.prepend(m_drift && m_drift->tripped() ? m_drift->stopMessage()
                                                 : translated(m_stopping ? kStopped : kFinished)
                                                       .arg(tally.checked)
                                                       .arg(tally.failed + tally.failedRequests)
                                                       .arg(duration(m_clock.elapsed())));
    if (!m_historyProblem.isEmpty())
        status.append(m_historyProblem);
    showStatus(status.join(QLatin1Char('\n')));
    m_stopping = false;
}

bool QueryPanel::inputReady(const QStringList &lines)
{
    const QString problem = lines.isEmpty()         ? translated(kNothingToRun)
                            : m_traits.inputProblem ? m_traits.inputProblem()
                                                    : QString();
    if (!problem.isEmpty())
        showStatus(problem);
    return problem.isEmpty();
}

void QueryPanel::saveAsList()
{
    const QStringList lines = prepareQueryLines(m_widgets.editor->toPlainText(), m_tool.lineKind);
    if (!inputReady(lines))
        return;
    const QString name = QuillaneMessageBox::askText(translated(kListName));
    if (name.isEmpty())
        return;
    HistoryStore store(m_historyPath.isEmpty() ? HistoryStore::defaultPath() : m_historyPath);
    ScheduleBook book(store, SystemdUser());
    if (book.lists().list(name) && !QuillaneMessageBox::ask(translated(kReplaceList).arg(name)))
        return;
    SavedList list;
    list.name = name;
    list.tool = m_tool.historyKey;
    list.device = HistoryDevice::key(device());
    if (m_traits.tool == Tool::SiteRanking && m_traits.runOptions) {
        for (const SiteRule &site : m_traits.runOptions().sites)
            list.sites << site.host();
    }
    list.lines = lines;
    const QString failed = store.isOpen() ? book.saveList(list) : store.errorMessage();
    showStatus(failed.isEmpty() ? translated(kListSaved).arg(name).arg(lines.size())
                                : translated(kListNotSaved).arg(failed));
    if (failed.isEmpty())
        emit listSaved(name);
}

// Off the window's thread: the channels may take their time to answer.
void QueryPanel::sendDigest(qint64 runId)
{
    auto *watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher] {
        const QString said = watcher->result();
        watcher->deleteLater();
        if (said.isEmpty())
            return;
        const QString shown = m_status->text();
        showStatus(shown.isEmpty() ? said : shown + QLatin1Char('\n') + said);
    });
    watcher->setFuture(
        QtConcurrent::run([path = m_historyPath, runId] { return notifyKeptRun(path, runId); }));
}

void QueryPanel::requestStop()
{
    if (!isRunning() || m_stopping)
        return;
    if (!QuillaneMessageBox::ask(translated(kStopQuestion)))
        return;
    stopNow();
}

void QueryPanel::stopNow()
{
    if (!m_runner || m_stopping)
        return;
    m_stopping = true;
    m_widgets.stop->setEnabled(false);
    showStatus(translated(kStopping));
    m_runner->stop();
}

void QueryPanel::back()
{
    if (BatchRunner *runner = m_runner.data()) {
        runner->disconnect(this);
        m_runner = nullptr;
        delete runner;
    }
    m_flushTimer.stop();
    setAllVisible(m_widgets.inputView, true);
    setAllVisible(m_widgets.runView, false);
    if (m_siteTotals)
        m_siteTotals->hide();
    setAllVisible(QList<QWidget *>(m_totalLabels.cbegin(), m_totalLabels.cend()), false);
    m_table->filterBar()->hide();
    m_recheck->hide();
    m_widgets.stop->setEnabled(true);
    m_widgets.back->setEnabled(false);
    m_widgets.exportButton->setEnabled(false);
    m_widgets.progress->reset();
    for (QLabel *label : qAsConst(m_totalLabels))
        label->clear();
    m_model->clear();
    m_lines.clear();
    m_serps.clear();
    m_storedRunId = 0;
    m_runStarted = QDateTime();
    m_stopping = false;
    showStatus(QString());
}

QVector<int> QueryPanel::rowsToRecheck() const
{
    QVector<int> rows;
    if (m_tool.rowsFound)
        return rows;
    for (int r = 0; r < m_lines.size(); ++r) {
        if (r >= m_model->rowCount()) {
            rows.append(r);
            continue;
        }
        const RowVerdict verdict = m_model->row(r).verdict;
        if (verdict == RowVerdict::Unchecked || verdict == RowVerdict::Failed)
            rows.append(r);
    }
    return rows;
}

void QueryPanel::recheck()
{
    if (isRunning())
        return;
    flush();
    const QVector<int> rows = rowsToRecheck();
    if (rows.isEmpty())
        return;
    showStatus(QString());
    runLines(rows);
}

ReportTable QueryPanel::reportTable() const
{
    ReportTable report;
    report.title = reportTitle(m_tool.reportKind, m_runSites.join(QStringLiteral("、")));
    report.headings = m_model->headings();
    const QList<ResultColumn> &columns = m_model->columns();
    for (int column = 0; column < columns.size(); ++column)
        report.columnPixelWidths.append(m_widgets.table->columnWidth(column));
    // Why a line is 异常 comes last, shown in the table or not, as the command writes it.
    if (!m_tool.reasonHeading.isEmpty()) {
        report.headings.append(m_tool.reasonHeading);
        report.columnPixelWidths.append(m_model->reasonColumn() >= 0
                                            ? m_widgets.table->columnWidth(m_model->reasonColumn())
                                            : m_tool.writtenWidths().constLast());
    }
    // The rows as the table shows them, sorted and filtered; lines never checked have none.
    const QList<int> rows = m_table->shownModel()->shownRows();
    for (int r : rows) {
        const ResultRow &row = m_model->row(r);
        if (row.verdict != RowVerdict::Unchecked)
            report.rows.append(m_tool.writtenCells(row.cells, row.failure));
    }
    for (int column = 0; column < columns.size(); ++column) {
        const SortKind sort = columns.at(column).sort;
        if (sort == SortKind::Position || sort == SortKind::Number)
            report.numberColumns.append(column);
    }
    if (m_runStarted.isValid()) {
        report.subtitle = reportSubtitle(m_tool.reportKind, m_runDevice, m_runStarted,
                                         m_runSites.join(QStringLiteral("、")));
        // The run's totals, whatever the filter shows.
        report.totals = runTotals(m_tool.reportKind, m_lines.size(), m_model->tally()) +
                        siteTotals(m_runSites, checkedRows());
    }
    return report;
}

void QueryPanel::exportReport()
{
    flush();
    QSettings settings;
    QString folder = settings.value(AppSettings::kExportFolder).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = SaveFileDialog::startFolder();
    const QDateTime at = m_runStarted.isValid() ? m_runStarted : QDateTime::currentDateTime();
    const QString suggested = QDir(folder).filePath(
        SaveFileDialog::reportFileName(m_tool.name, m_tool.hasDevice ? &m_runDevice : nullptr, at));

    const QString chosen = SaveFileDialog::getSaveFileName(m_widgets.table, translated(kSaveCaption),
                                                           suggested, translated(kSaveFilter));
    if (chosen.isEmpty())
        return;
    const QString path = QFileInfo(withReportSuffix(chosen)).absoluteFilePath();
    const ReportWriteResult written = writeReport(path, reportTable());
    if (!written.ok) {
        QuillaneMessageBox::inform(translated(kExportFailed).arg(written.errorMessage));
        return;
    }
    settings.setValue(AppSettings::kExportFolder, QFileInfo(path).absolutePath());

    const QString shownPath = QDir::toNativeSeparators(path);
    const QHeaderView *header = m_widgets.table->horizontalHeader();
    const int sorted = header->sortIndicatorSection();
    const QString order =
        sorted < 0 || sorted >= m_model->headings().size()
            ? translated(kInputOrder)
            : translated(kSortedOrder)
                  .arg(m_model->headings().at(sorted),
                       translated(header->sortIndicatorOrder() == Qt::AscendingOrder ? kAscending
                                                                                     : kDescending));
    const int choice =
        QuillaneMessageBox::choose(translated(kExported).arg(shownPath) + QLatin1Char('\n') + order,
                                   {translated(kOpenFile), translated(kOpenFolder), translated(kClose)});
    if (choice != 0 && choice != 1)
        return;
    const QString target = choice == 0 ? path : QFileInfo(path).absolutePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(target)))
        QuillaneMessageBox::inform(translated(kNoOpener).arg(QDir::toNativeSeparators(target)));
}

void QueryPanel::showSerp(int line)
{
    if (line < 0 || line >= m_model->rowCount())
        return;
    SerpView view;
    view.query = m_lines.value(line);
    view.device = deviceName(m_runDevice);
    if (m_traits.tool == Tool::SiteRanking)
        view.sites = m_runSites;
    const auto kept = m_serps.constFind(line);
    if (kept != m_serps.cend()) {
        view.readAt = kept->readAt;
        view.entries = decodeSerp(kept->entries);
    } else if (m_storedRunId > 0 && !m_historyPath.isEmpty()) {
        // A row shown from the history: its list is read from there when asked for.
        HistoryStore store(m_historyPath);
        if (const std::optional<StoredSerp> stored = store.serp(m_storedRunId, line)) {
            view.readAt = stored->readAt;
            view.entries = stored->entries;
        }
    }
    if (view.entries.isEmpty() && m_model->row(line).verdict == RowVerdict::Failed)
        view.savedPage = PageSaver::lastPageOf(m_pagesFolder, line + 1);
    SerpDialog::open(view, m_widgets.page);
}
