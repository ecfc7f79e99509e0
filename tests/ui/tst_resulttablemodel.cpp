#include "ui/query/resulttablemodel.h"

#include <QtTest>

namespace {

// Rows whose snapshot (column 1) or position (column 2) are the given cells.
ResultTableModel *modelOf(const QStringList &cells, int column, QObject *parent)
{
    auto *model = new ResultTableModel({{QStringLiteral("网址"), 100, SortKind::Text},
                                        {QStringLiteral("快照"), 100, SortKind::Date},
                                        {QStringLiteral("排名"), 40, SortKind::Position}},
                                       parent);
    for (int line = 0; line < cells.size(); ++line) {
        ResultRow row{{QString::number(line), QString(), QString()}, RowVerdict::Included, 0, true};
        row.cells[column] = cells.at(line);
        bool number = false;
        row.position =
            cells.at(line) == QLatin1String("30+") ? ResultRow::kBeyond : cells.at(line).toInt(&number);
        if (cells.at(line) == QLatin1String("异常"))
            row.verdict = RowVerdict::Failed;
        model->setResult(line, row);
    }
    model->flush();
    return model;
}

} // namespace

class TestResultTableModel : public QObject
{
    Q_OBJECT

private slots:
    void sortsByValue_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QList<int>>("ascending");
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy年M月d日"));
        QTest::newRow("dates in every form Baidu writes")
            << 1 << QStringList{QStringLiteral("2019年3月28日"), QStringLiteral("3天前"),
                                QStringLiteral("无快照"),        QStringLiteral("2019-03-27"),
                                QStringLiteral("5小时前"),       QStringLiteral("2019年10月2日"),
                                QStringLiteral("昨天"),          today}
            << QList<int>{3, 0, 5, 1, 6, 4, 7, 2};
        QTest::newRow("positions, then 30+, --, 异常")
            << 2 << QStringList{QStringLiteral("异常"), QStringLiteral("10"),  QStringLiteral("--"),
                                QStringLiteral("2"),    QStringLiteral("30+"), QStringLiteral("1")}
            << QList<int>{5, 3, 1, 4, 2, 0};
    }
    void sortsByValue()
    {
        QFETCH(int, column);
        QFETCH(QStringList, cells);
        QFETCH(QList<int>, ascending);
        ResultTableModel *model = modelOf(cells, column, this);
        QSortFilterProxyModel sorted;
        sorted.setSourceModel(model);
        sorted.setSortRole(ResultTableModel::SortRole);
        sorted.sort(column);
        QList<int> lines;
        for (int r = 0; r < sorted.rowCount(); ++r)
            lines << sorted.index(r, 0).data().toInt();
        QCOMPARE(lines, ascending);
    }

    // A line checked again replaces its row and its share of the totals.
    void recountsAReplacedRow()
    {
        ResultTableModel model({{QStringLiteral("网址"), 100, SortKind::Text}});
        model.setResult(2, {{QStringLiteral("c")}, RowVerdict::Failed, 0, false});
        model.setResult(0, {{QStringLiteral("a")}, RowVerdict::NotIncluded, 0, false});
        model.flush();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.row(1).verdict, RowVerdict::Unchecked);
        model.setResult(2, {{QStringLiteral("c")}, RowVerdict::Included, 3, true});
        model.setResult(1, {{QStringLiteral("b")}, RowVerdict::Failed, 0, false});
        model.setResult(1, {{QStringLiteral("b")}, RowVerdict::Included, 31, true});
        QCOMPARE(model.tally().checked, 3);
        QCOMPARE(model.tally().included, 2);
        QCOMPARE(model.tally().failed, 0);
        QCOMPARE(model.tally().top10, 1);
        QCOMPARE(model.tally().beyond30, 1);
        model.flush();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("b"));
        QCOMPARE(model.index(2, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("c"));
    }
};

QTEST_GUILESS_MAIN(TestResultTableModel)
#include "tst_resulttablemodel.moc"
