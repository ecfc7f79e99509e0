#include "ui/query/resulttable.h"

#include "ui/query/resultrowheader.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
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

// Room for a full snapshot date and "30+" beside the cell padding and the sort arrow.
const QString kWidestDate = QStringLiteral("2019年12月28日");
const QString kWidestPosition = QStringLiteral("30+");
constexpr int kCellPadding = 14;
constexpr int kNarrowestAddress = 100;
// The chosen filter stands out from the others: white on dark blue.
const QString kFilterBarStyle =
    QStringLiteral("QPushButton:checked{background:#2f6fc4;border-color:#2f6fc4;}");
const QSize kFilterButtonSize(64, 22);

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
        button->setMaximumSize(kFilterButtonSize);
        m_filters->addButton(button, i);
        filterLayout->addWidget(button);
    }
    filterLayout->addStretch();
    connect(m_filters, &QButtonGroup::idClicked, this,
            [this](int id) { m_shown->setRowFilter(m_traits.filters.value(id).accepts); });
    m_filterBar->hide();
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
    QStringList lines;
    if (withHeadings)
        lines.append(m_model->headings().join(QLatin1Char('\t')));
    for (int r : sourceRows) {
        QStringList cells;
        for (const QString &cell : m_model->row(r).cells)
            cells.append(cellText(cell));
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
