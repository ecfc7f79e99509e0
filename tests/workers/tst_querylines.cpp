#include "workers/querylines.h"

#include <QtTest>

// How editor text becomes the lines of a query, for both pages.
class TestQueryLines : public QObject
{
    Q_OBJECT

private slots:
    void prepare_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<QStringList>("expected");

        const QString mixed = QStringLiteral("no address here\nhttp://a.cn/1.html\nhttp://a.cn/1.html\n\n"
                                             "HTTPS://b.cn/2.html");
        QTest::newRow("inclusion drops lines without http, duplicates and blanks")
            << mixed << false
            << QStringList{QStringLiteral("http://a.cn/1.html"), QStringLiteral("HTTPS://b.cn/2.html")};
        QTest::newRow("ranking keeps upper-case HTTPS as typed")
            << mixed << true
            << QStringList{QStringLiteral("http://a.cn/1.html"), QStringLiteral("HTTPS://b.cn/2.html")};
        QTest::newRow("ranking keeps https and the address's own query whole")
            << QStringLiteral("词 https://c.cn/x?u=https%3A%2F%2Fd.cn&xthttps=0") << true
            << QStringList{QStringLiteral("词 https://c.cn/x?u=https%3A%2F%2Fd.cn&xthttps=0")};
        QTest::newRow("inclusion keeps https")
            << QStringLiteral("https://c.cn/x") << false << QStringList{QStringLiteral("https://c.cn/x")};
        QTest::newRow("lines differing in their scheme are both kept")
            << QStringLiteral("k https://e.cn\nk http://e.cn\nk https://e.cn") << true
            << QStringList{QStringLiteral("k https://e.cn"), QStringLiteral("k http://e.cn")};
        QTest::newRow("carriage returns stay part of the line")
            << QStringLiteral("http://f.cn\r\nhttp://f.cn") << false
            << QStringList{QStringLiteral("http://f.cn\r"), QStringLiteral("http://f.cn")};
        QTest::newRow("empty text") << QString() << false << QStringList();
    }

    void prepare()
    {
        QFETCH(QString, text);
        QFETCH(bool, ranking);
        QFETCH(QStringList, expected);
        QCOMPARE(prepareQueryLines(text, ranking ? QueryKind::Ranking : QueryKind::Inclusion), expected);
    }
};

QTEST_GUILESS_MAIN(TestQueryLines)
#include "tst_querylines.moc"
