#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"
#include "ui/widgets/messagebox.h"

#include <QtTest>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace testsupport;

namespace {

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

const QByteArray kBrokenPage = "<html><body>服务器出错了</body></html>";

// "kwN": qa-site.cn's page at position N, other.cn everywhere else; "broken": a server error page.
Reply keywordPage(const QString &keyword)
{
    if (keyword == QStringLiteral("broken"))
        return Reply::withStatus(500, kBrokenPage);
    const int position = keyword.mid(2).toInt();
    QList<DesktopHeading> headings;
    for (int n = 1; n <= 30; ++n)
        headings.append({"结果" + QByteArray::number(n), n == position
                                                             ? QByteArray("https://www.qa-site.cn/p")
                                                             : "https://other.cn/" + QByteArray::number(n)});
    return Reply::page(desktopKeywordPage(headings));
}

} // namespace

// 前30名 in the real window: three sites of one 泛排名 run read from one page
// each, the list behind a row with the sites' entries marked, a 异常 row's
// kept page in the embedded view, and the same list from 历史记录.
class TestSerpDialog : public QObject
{
    Q_OBJECT

private:
    template <typename T> T *get(QWidget *root, const QString &name) const
    {
        T *widget = root->findChild<T *>(name);
        if (!widget)
            qFatal("no widget %s", qPrintable(name));
        return widget;
    }
    static QWidget *dialog()
    {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String("serpDialog") && top->isVisible())
                return top;
        }
        return nullptr;
    }
    static QStringList hits(QTableWidget *table)
    {
        QStringList marked;
        for (int r = 0; r < table->rowCount(); ++r) {
            if (table->item(r, 0)->font().bold())
                marked.append(table->item(r, 0)->text() + QLatin1Char(':') + table->item(r, 4)->text());
        }
        return marked;
    }

private slots:
    void initTestCase()
    {
        QuillaneMessageBox::setAnswererForTesting([](const QString &) { return true; });
    }

    void showsWhatEachRowWasJudgedOn()
    {
        LoopbackBaidu baidu;
        baidu.setHandler(
            [](const Request &request) { return keywordPage(QString::fromUtf8(request.param("wd"))); });
        UIDemo08 window;
        window.setSearchEndpoints(baidu.endpoints());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(get<QToolButton>(&window, QStringLiteral("btnData")), Qt::LeftButton);
        get<QPlainTextEdit>(&window, QStringLiteral("siteEdit"))
            ->setPlainText(QStringLiteral("qa-site.cn\nother.cn\n\nnone.cn"));
        get<QPlainTextEdit>(&window, QStringLiteral("urlsList_site"))
            ->setPlainText(QStringLiteral("kw3\nbroken"));
        QTest::mouseClick(get<QPushButton>(&window, QStringLiteral("slcxBtn_site")), Qt::LeftButton);
        auto *table = get<QTableView>(&window, QStringLiteral("resultList_site"));
        QTRY_VERIFY_WITH_TIMEOUT(
            get<QPushButton>(&window, QStringLiteral("daochuBtn_site"))->isEnabled() &&
                get<QProgressBar>(&window, QStringLiteral("progressBar_site"))->isHidden(),
            30000);

        // One group of columns per site, from one request per keyword page.
        QCOMPARE(table->model()->headerData(4, Qt::Horizontal).toString(), u("other.cn 最佳排名"));
        QStringList first;
        for (int c = 0; c < 10; ++c)
            first.append(table->model()->index(0, c).data().toString());
        QCOMPARE(
            first,
            u("kw3|3|https://www.qa-site.cn/p|1|1|https://other.cn/1|29|30+||0").split(QLatin1Char('|')));
        int kw3Pages = 0;
        for (const Request &request : baidu.requests())
            kw3Pages += request.param("wd") == "kw3";
        QCOMPARE(kw3Pages, 1);
        const QString perSite = get<QLabel>(&window, QStringLiteral("tSites_site"))->text();
        QVERIFY2(perSite.contains(u("other.cn 前10：1")) && perSite.contains(u("none.cn 30名外：1")),
                 qPrintable(perSite));

        // A double click: the list, each site's entries marked.
        table->setCurrentIndex(table->model()->index(0, 0));
        emit table->doubleClicked(table->model()->index(0, 0));
        QTRY_VERIFY(dialog());
        QWidget *shown = dialog();
        QCOMPARE(shown->windowTitle(), u("前30名"));
        auto *list = get<QTableWidget>(shown, QStringLiteral("serpTable"));
        QCOMPARE(list->rowCount(), 30);
        QCOMPARE(hits(list).value(2), u("3:qa-site.cn"));
        QCOMPARE(hits(list).size(), 30);
        QVERIFY(!list->item(2, 4)->text().contains(u("other.cn")));
        const QString info = get<QLabel>(shown, QStringLiteral("serpInfo"))->text();
        QVERIFY2(info.contains(u("kw3")) && info.contains(u("电脑端")) &&
                     info.contains(QDate::currentDate().toString(Qt::ISODate)),
                 qPrintable(info));
        shown->close();
        QTRY_VERIFY(!dialog());

        // A 异常 row: the answer page kept for it, in the embedded view, read from its file.
        table->setCurrentIndex(table->model()->index(1, 0));
        get<QAction>(&window, QStringLiteral("serpAction_site"))->trigger();
        QTRY_VERIFY(dialog());
        auto *view = get<QWebEngineView>(dialog(), QStringLiteral("serpPageView"));
        QTRY_VERIFY(view->page()->requestedUrl().isLocalFile());
        QFile kept(view->page()->requestedUrl().toLocalFile());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), kBrokenPage);
        dialog()->close();

        // From 历史记录: the stored list of the chosen line.
        get<QToolButton>(&window, QStringLiteral("tbtnMain3"))->click();
        auto *runs = get<QTableWidget>(&window, QStringLiteral("historyRuns"));
        QTRY_COMPARE(runs->rowCount(), 1);
        runs->selectRow(0);
        auto *lines = get<QTableView>(&window, QStringLiteral("historyLines"));
        QTRY_COMPARE(lines->model()->rowCount(), 2);
        lines->setCurrentIndex(lines->model()->index(0, 0));
        QTRY_VERIFY(get<QPushButton>(&window, QStringLiteral("historySerpBtn"))->isEnabled());
        get<QPushButton>(&window, QStringLiteral("historySerpBtn"))->click();
        QTRY_VERIFY(dialog());
        QCOMPARE(hits(get<QTableWidget>(dialog(), QStringLiteral("serpTable"))).value(2), u("3:qa-site.cn"));
        dialog()->close();
    }
};

QUILLANE_WINDOW_TEST_MAIN(TestSerpDialog)
#include "tst_serpdialog.moc"
