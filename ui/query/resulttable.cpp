#include "ui/query/resulttable.h"

#include "ui/query/resultrowheader.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

namespace {

const char kContext[] = "ResultTable";
const char kCopyRows[] = QT_TRANSLATE_NOOP("ResultTable", "复制选中行");
const char kCopyAll[] = QT_TRANSLATE_NOOP("ResultTable", "复制全部");
const char kCopyAddresses[] = QT_TRANSLATE_NOOP("ResultTable", "复制网址");
const char kShowSerp[] = QT_TRANSLATE_NOOP("ResultTable", "前30名");
const char kShowReasons[] = QT_TRANSLATE_NOOP("ResultTable", "显示异常原因");

// Room for a full snapshot date and "30+" beside the cell padding and the sort arrow.
const QString kWidestDate = QStringLiteral("2019年12月28日");
const QString kWidestPosition = QStringLiteral("30+");
constexpr int kCellPadding = 14;
constexpr int kNarrowestAddress = 100;
// Room for the usual reasons ("服务器错误 502", "第一条结果是其他网址").
constexpr int kReasonWidth = 140;
// The chosen filter looks pressed in: pale where the others are blue, sunken, its text pushed down.
const QString kFilterBarStyle = QStringLiteral(
    "QPushButton:checked,QPushButton:checked:hover{color:#0b2545;background:#dbe8f8;border:2px inset #2f6fc4;"
    "padding:5px 3px 3px 5px;}");
constexpr int kFilterButtonHeight = 22;
constexpr int kFilterButtonWidth = 64;

QString translated(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

// Tabs and line breaks would split a cell when pasted into a spreadsheet.
QString cellText(const QString &text)
{
    QString cell = text;
    for (QChar &c : cell) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return cell;
}

} // namespace

ResultTable::ResultTable(const QueryPageTraits &traits, QTableView *view, const QString &nameSuffix,
                         QObject *parent)
    : QObject(parent), m_traits(traits), m_nameSuffix(nameSuffix), m_view(view),
      m_model(new ResultTableModel(traits.columns, this)), m_shown(new ResultFilterModel(m_model, this)),
      m_addressColumn(traits.addressColumn)
{
    setUpView();
    buildFilterBar();
}

void ResultTable::applyColumnWidths()
{
    QTableView *table = m_view;
    QHeaderView *header = table->horizontalHeader();
    int narrowest = header->minimumSectionSize();
    QList<int> widths;
    int widened = 0;
    for (const ResultColumn &column : m_model->columns()) {
        int width = column.width;
        if (column.sort == SortKind::Date)
            width = qMax(width, table->fontMetrics().horizontalAdvance(kWidestDate) + kCellPadding);
        if (column.sort == SortKind::Position)
            width = qMax(width, table->fontMetrics().horizontalAdvance(kWidestPosition) + 2 * kCellPadding);
        widened += width - column.width;
        widths.append(width);
        narrowest = qMin(narrowest, width);
    }
    // The address column gives up what the others needed, so the table keeps its width.
    widths[m_addressColumn] = qMax(widths.at(m_addressColumn) - widened, kNarrowestAddress);
    // The style sheet's header padding would otherwise widen the narrowest columns.
    header->setMinimumSectionSize(narrowest);
    for (int column = 0; column < widths.size(); ++column)
        table->setColumnWidth(column, widths.at(column));
}

void ResultTable::setColumns(const QList<ResultColumn> &columns, int addressColumn)
{
    QStringList now, wanted;
    for (const ResultColumn &column : m_model->columns())
        now.append(column.heading);
    for (const ResultColumn &column : columns)
        wanted.append(column.heading);
    if (now == wanted)
        return;
    m_addressColumn = addressColumn;
    m_model->setColumns(columns);
    applyColumnWidths();
    if (m_model->reasonColumn() >= 0)
        m_view->setColumnWidth(m_model->reasonColumn(), kReasonWidth);
}

void ResultTable::setUpView()
{
    QTableView *table = m_view;
    table->setVerticalHeader(new ResultRowHeader(table));
    table->setModel(m_shown);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideRight);
    applyColumnWidths();
    // No sort until a heading is clicked: rows stay in line order.
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setSortingEnabled(true);
    table->viewport()->installEventFilter(this);
    table->hide();

    table->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto addAction = [&](const char *text, const QString &name, void (ResultTable::*slot)()) {
        auto *action = new QAction(translated(text), table);
        action->setObjectName(name + m_nameSuffix);
        connect(action, &QAction::triggered, this, slot);
        table->addAction(action);
        return action;
    };
    QAction *copyRows =
        addAction(kCopyRows, QStringLiteral("copyRowsAction"), &ResultTable::copySelectedRows);
    copyRows->setShortcut(QKeySequence::Copy);
    copyRows->setShortcutContext(Qt::WidgetShortcut);
    addAction(kCopyAll, QStringLiteral("copyAllAction"), &ResultTable::copyAllRows);
    QAction *copyColumn =
        addAction(kCopyAddresses, QStringLiteral("copyAddressesAction"), &ResultTable::copyAddresses);
    if (!m_traits.copyColumnLabel.isEmpty())
        copyColumn->setText(m_traits.copyColumnLabel);
    // What a ranking was judged on: from the menu, or a double click on its row.
    if (m_traits.tool == Tool::Ranking || m_traits.tool == Tool::SiteRanking) {
        addAction(kShowSerp, QStringLiteral("serpAction"), &ResultTable::requestSerp);
        connect(table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
            if (index.isValid())
                emit serpRequested(m_shown->mapToSource(index).row());
        });
    }
    if (!m_traits.reasonHeading.isEmpty())
        setUpReasonColumn();
}

void ResultTable::requestSerp()
{
    const QModelIndex current = m_view->currentIndex();
    const QList<int> rows = selectedSourceRows();
    if (current.isValid())
        emit serpRequested(m_shown->mapToSource(current).row());
    else if (!rows.isEmpty())
        emit serpRequested(rows.first());
}

void ResultTable::setUpReasonColumn()
{
    // Asked for from the table's menu and from its headings' menu.
    m_showReasons = new QAction(translated(kShowReasons), m_view);
    m_showReasons->setObjectName(QStringLiteral("showReasonsAction") + m_nameSuffix);
    m_showReasons->setCheckable(true);
    m_view->addAction(m_showReasons);
    QHeaderView *header = m_view->horizontalHeader();
    header->setContextMenuPolicy(Qt::ActionsContextMenu);
    header->addAction(m_showReasons);
    connect(m_showReasons, &QAction::toggled, this, &ResultTable::placeReasonColumn);
}

void ResultTable::showReasons(bool shown)
{
    if (m_showReasons)
        m_showReasons->setChecked(shown);
}

bool ResultTable::showsReasons() const
{
    return m_showReasons && m_showReasons->isChecked();
}

// The column is in the table only while shown, so that the table's columns
// stay the cells and 变化 otherwise; it comes before 变化.
void ResultTable::placeReasonColumn()
{
    const bool shown = showsReasons();
    if (shown == (m_model->reasonColumn() >= 0))
        return;
    const int change = m_model->changeColumn();
    const int changeWidth = change >= 0 ? m_view->columnWidth(change) : 0;
    // The headings keep the widths of the columns they had; the one after the cells is new.
    m_model->setReasonColumn(shown ? m_traits.reasonHeading : QString());
    if (shown)
        m_view->setColumnWidth(m_model->reasonColumn(), kReasonWidth);
    if (m_model->changeColumn() >= 0)
        m_view->setColumnWidth(m_model->changeColumn(), changeWidth);
}

void ResultTable::buildFilterBar()
{
    m_filterBar = new QWidget;
    m_filterBar->setObjectName(QStringLiteral("filterBar") + m_nameSuffix);
    m_filterBar->setStyleSheet(kFilterBarStyle);
    auto *filterLayout = new QHBoxLayout(m_filterBar);
    filterLayout->setContentsMargins(0, 2, 0, 2);
    filterLayout->setSpacing(4);
    m_filters = new QButtonGroup(this);
    m_filters->setExclusive(true);
    for (int i = 0; i < m_traits.filters.size(); ++i) {
        auto *button = new QPushButton(m_traits.filters.at(i).label);
        button->setObjectName(m_traits.filters.at(i).objectName + m_nameSuffix);
        button->setCheckable(true);
        button->setChecked(i == 0);
        // As wide as its text needs ("大家还在搜"), never narrower than the others.
        button->setMaximumHeight(kFilterButtonHeight);
        button->setMinimumWidth(kFilterButtonWidth);
        m_filters->addButton(button, i);
        filterLayout->addWidget(button);
    }
    filterLayout->addStretch();
    connect(m_filters, &QButtonGroup::idClicked, this,
            [this](int id) { m_shown->setRowFilter(m_traits.filters.value(id).accepts); });
    m_filterBar->hide();
}

bool ResultTable::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::Resize)
        fillViewport();
    return QObject::eventFilter(watched, event);
}

void ResultTable::fillViewport()
{
    const QHeaderView *header = m_view->horizontalHeader();
    const int address = m_traits.addressColumn;
    if (address < 0 || address >= header->count())
        return;
    int others = 0;
    for (int column = 0; column < header->count(); ++column) {
        if (column != address && !header->isSectionHidden(column))
            others += header->sectionSize(column);
    }
    m_view->setColumnWidth(address, qMax(m_view->viewport()->width() - others, kNarrowestAddress));
}

void ResultTable::resetView()
{
    m_filters->button(0)->setChecked(true);
    m_shown->setRowFilter({});
    m_view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void ResultTable::showNewRows()
{
    if (!m_model->hasPendingResults())
        return;
    // Follow new rows only while the reader is already at the bottom.
    const QScrollBar *bar = m_view->verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    m_model->flush();
    if (atBottom)
        m_view->scrollToBottom();
}

QString ResultTable::rowsText(const QList<int> &sourceRows, bool withHeadings) const
{
    // The cells, then why a row is 异常, as the command writes them.
    const bool reasons = !m_traits.reasonHeading.isEmpty();
    QStringList lines;
    if (withHeadings)
        lines.append((m_model->headings() + (reasons ? QStringList{m_traits.reasonHeading} : QStringList()))
                         .join(QLatin1Char('\t')));
    for (int r : sourceRows) {
        QStringList cells;
        for (const QString &cell : m_model->row(r).cells)
            cells.append(cellText(cell));
        if (reasons) {
            while (cells.size() < m_traits.columns.size())
                cells.append(QString());
            cells.append(cellText(m_model->row(r).failure));
        }
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QList<int> ResultTable::selectedSourceRows() const
{
    QList<int> shown;
    const QModelIndexList selected = m_view->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected)
        shown.append(index.row());
    // In the order the rows are shown, whatever order they were selected in.
    std::sort(shown.begin(), shown.end());
    QList<int> rows;
    for (int r : qAsConst(shown))
        rows.append(m_shown->mapToSource(m_shown->index(r, 0)).row());
    return rows;
}

void ResultTable::copySelectedRows()
{
    m_model->flush();
    const QList<int> rows = selectedSourceRows();
    if (!rows.isEmpty())
        QApplication::clipboard()->setText(rowsText(rows, true));
}

void ResultTable::copyAllRows()
{
    m_model->flush();
    QApplication::clipboard()->setText(rowsText(m_shown->shownRows(), true));
}

QList<int> ResultTable::chosenRows() const
{
    m_model->flush();
    const QList<int> rows = selectedSourceRows();
    return rows.isEmpty() ? m_shown->shownRows() : rows;
}

void ResultTable::copyAddresses()
{
    const QList<int> rows = chosenRows();
    QStringList addresses;
    for (int r : qAsConst(rows)) {
        const QString address = m_model->row(r).cells.value(m_addressColumn);
        if (!address.isEmpty())
            addresses.append(address);
    }
    QApplication::clipboard()->setText(addresses.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}
