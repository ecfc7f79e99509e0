#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/savefiledialog.h"

#include <QtTest>

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>

using namespace testsupport;

namespace {

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

// Keyword "kwN" puts the site's page at position N (0: not in the first 30);
// "broken" answers with a server error (a robot check would slow the
// process's gate down for the tests after it); "hold" never answers.
Reply keywordPage(const QString &keyword)
{
    if (keyword == QStringLiteral("broken"))
        return Reply::withStatus(500, QByteArray());
    if (keyword == QStringLiteral("hold"))
        return Reply::silent();
    const int position = keyword.mid(2).toInt();
    QList<DesktopHeading> headings;
    for (int n = 1; n <= 30; ++n)
        headings.append({"结果" + QByteArray::number(n), n == position
                                                             ? QByteArray("https://www.qa-site.cn/p")
                                                             : "https://other.cn/" + QByteArray::number(n)});
    return Reply::page(desktopKeywordPage(headings));
}

QByteArray suggestions(const QString &seed)
{
    return "{\"g\":[{\"q\":\"" + seed.toUtf8() + "甲\"},{\"q\":\"" + seed.toUtf8() + "乙\"}]}";
}

} // namespace

// The 泛排名查询 and 关键词挖掘 pages of the real window: run, stop, totals,
// sending keywords on, and the report read back by an independent reader.
class TestToolPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LoopbackBaidu> m_baidu;
    std::unique_ptr<UIDemo08> m_window;
    QTemporaryDir m_dir;
    QString m_savePath;
    QDateTime m_started; // when the last run started
    QString m_site;      // the site of the last site ranking

    template <typename T> T *get(const QString &name) const
    {
        T *widget = m_window->findChild<T *>(name);
        if (!widget)
            qFatal("no widget %s", qPrintable(name));
        return widget;
    }
    QStringList row(const QString &table, int r) const
    {
        const QAbstractItemModel *shown = get<QTableView>(table)->model();
        QStringList cells;
        for (int c = 0; c < shown->columnCount(); ++c)
            cells << shown->index(r, c).data().toString();
        return cells;
    }
    bool finished(const QString &suffix) const
    {
        return get<QPushButton>(QStringLiteral("daochuBtn") + suffix)->isEnabled() &&
               get<QProgressBar>(QStringLiteral("progressBar") + suffix)->isHidden();
    }
    void run(const QString &suffix, const QString &lines)
    {
        m_started = QDateTime::currentDateTime();
        get<QPlainTextEdit>(QStringLiteral("urlsList") + suffix)->setPlainText(lines);
        QTest::mouseClick(get<QPushButton>(QStringLiteral("slcxBtn") + suffix), Qt::LeftButton);
    }
    // The exported report as checkreport.py reads it; empty when it matched.
    QString exported(const QString &suffix, const QJsonObject &expected, int laterSeconds = 0)
    {
        const QString check = suffix == QStringLiteral("_site")
                                  ? u("泛排名查询 · 网站 %1 · 电脑端 · ").arg(m_site)
                                  : u("关键词挖掘 · ");
        m_savePath = m_dir.filePath(suffix + QStringLiteral(".xlsx"));
        // The report ends with why lines are 异常, as the table shows it when asked.
        if (auto *reasons = m_window->findChild<QAction *>(QStringLiteral("showReasonsAction") + suffix))
            reasons->setChecked(true);
        QTest::mouseClick(get<QPushButton>(QStringLiteral("daochuBtn") + suffix), Qt::LeftButton);
        const QTableView *table = get<QTableView>(QStringLiteral("resultList") + suffix);
        QJsonObject want = expected;
        want.insert(
            QStringLiteral("subtitle"),
            QString(check + m_started.addSecs(laterSeconds).toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        // The report leaves the change column (变化, last) out.
        int columns = table->model()->columnCount();
        if (table->model()->headerData(columns - 1, Qt::Horizontal).toString() == u("变化"))
            --columns;
        QJsonArray widths;
        QJsonArray headings;
        for (int c = 0; c < columns; ++c) {
            widths.append(table->columnWidth(c) / 6); // report width units
            headings.append(table->model()->headerData(c, Qt::Horizontal).toString());
        }
        QJsonArray rows;
        for (int r = 0; r < table->model()->rowCount(); ++r)
            rows.append(
                QJsonArray::fromStringList(row(QStringLiteral("resultList") + suffix, r).mid(0, columns)));
        want.insert(QStringLiteral("widths"), widths);
        want.insert(QStringLiteral("headings"), headings);
        want.insert(QStringLiteral("rows"), rows);
        QTemporaryFile file;
        if (!file.open() || file.write(QJsonDocument(want).toJson()) < 0 || !file.flush())
            return QStringLiteral("cannot write the expectations");
        QProcess reader;
        reader.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(QUILLANE_TESTS_DIR "/report/checkreport.py"), m_savePath, file.fileName()});
        if (!reader.waitForFinished(120000))
            return QStringLiteral("reader did not finish");
        if (reader.exitCode() == 0)
            return QString();
        // The run may have started a minute later than the test noted.
        return laterSeconds == 0 ? exported(suffix, expected, 60)
                                 : QString::fromUtf8(reader.readAllStandardError());
    }
    static QJsonArray totals(const QList<QPair<const char *, int>> &figures)
    {
        QJsonArray list;
        for (const auto &figure : figures)
            list.append(QJsonArray{u(figure.first), QString::number(figure.second)});
        return list;
    }

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(QStringLiteral("/usr/bin/python3")))
            QSKIP("no /usr/bin/python3 to read the reports with");
        QuillaneMessageBox::setAnswererForTesting([](const QString &) { return true; });
        // The export's closing question: 关 闭.
        QuillaneMessageBox::setChooserForTesting([](const QString &, const QStringList &) { return 2; });
        SaveFileDialog::setAnswererForTesting([this](const SaveFileDialog::Request &) { return m_savePath; });
    }
    void init()
    {
        m_baidu = std::make_unique<LoopbackBaidu>();
        m_baidu->setHandler([](const Request &request) {
            const QString keyword = QString::fromUtf8(request.param("wd"));
            if (request.path == "/sugrec")
                return Reply::page(keyword.size() < 3 ? suggestions(keyword) : QByteArray("{}"));
            return keywordPage(keyword);
        });
        m_window = std::make_unique<UIDemo08>();
        m_window->setSearchEndpoints(m_baidu->endpoints());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_baidu.reset();
    }

    void ranksTheSiteAndExports_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<QStringList>("positions"); // best position per keyword kw3, kw12, kw0, broken
        QTest::newRow("bare domain") << u("qa-site.cn") << QStringList{u("3"), u("12"), u("30+"), u("异常")};
        QTest::newRow("another host")
            << u("m.qa-site.cn") << QStringList{u("30+"), u("30+"), u("30+"), u("异常")};
    }
    void ranksTheSiteAndExports()
    {
        QFETCH(QString, site);
        QFETCH(QStringList, positions);
        QTest::mouseClick(get<QToolButton>(QStringLiteral("btnData")), Qt::LeftButton);
        run(QStringLiteral("_site"), QStringLiteral("kw3"));
        QCOMPARE(get<QLabel>(QStringLiteral("zhuangTai_site"))->text(),
                 u("请先填写要查询的网站，例如 qa-site.cn"));
        get<QPlainTextEdit>(QStringLiteral("siteEdit"))->setPlainText(site);
        m_site = site;
        run(QStringLiteral("_site"), QStringLiteral("kw3\n kw12\nkw0\n\nkw3\nbroken"));
        QCOMPARE(get<QLabel>(QStringLiteral("tShuru_site"))->text(), u("总关键词：4个 "));
        QTRY_VERIFY(finished(QStringLiteral("_site")));
        for (int r = 0; r < positions.size(); ++r)
            QCOMPARE(row(QStringLiteral("resultList_site"), r).at(1), positions.at(r));
        const int top10 = positions.count(u("3"));
        const int top30 = top10 + positions.count(u("12"));
        const int beyond = positions.count(u("30+"));
        QCOMPARE(get<QLabel>(QStringLiteral("tTop10_site"))->text(), u("前10：%1个 ").arg(top10));
        QCOMPARE(get<QLabel>(QStringLiteral("tBeyond30_site"))->text(), u("30名外：%1个 ").arg(beyond));
        QCOMPARE(get<QLabel>(QStringLiteral("tYichang_site"))->text(), u("异常：1个 "));
        QJsonObject want{
            {QStringLiteral("title"),
             u("Quillane工具-泛排名查询报表（%1）-收录批量查询，排名批量查询，关键词挖掘，官方Q群：618273945")
                 .arg(site)},
            {QStringLiteral("numberColumns"), QJsonArray{1, 4}},
            {QStringLiteral("totals"),
             totals({{"总关键词", 4}, {"前10", top10}, {"前30", top30}, {"30名外", beyond}, {"异常", 1}})}};
        const QString problems = exported(QStringLiteral("_site"), want);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    void stopsARun()
    {
        QTest::mouseClick(get<QToolButton>(QStringLiteral("btnData")), Qt::LeftButton);
        get<QPlainTextEdit>(QStringLiteral("siteEdit"))->setPlainText(u("qa-site.cn"));
        run(QStringLiteral("_site"), QStringLiteral("kw1\nhold"));
        QTRY_COMPARE(row(QStringLiteral("resultList_site"), 0).value(1), u("1"));
        QTest::mouseClick(get<QPushButton>(QStringLiteral("stopBtn_site")), Qt::LeftButton);
        QTRY_VERIFY(finished(QStringLiteral("_site")));
        QVERIFY(get<QLabel>(QStringLiteral("zhuangTai_site"))
                    ->text()
                    .startsWith(u("查询已停止：1 条，异常 0 条")));
        QVERIFY(get<QWidget>(QStringLiteral("chongchaBtn_site"))->isVisible());
    }

    void minesSendsAndExports()
    {
        QTest::mouseClick(get<QToolButton>(QStringLiteral("btnConfig")), Qt::LeftButton);
        QVERIFY(get<QToolButton>(QStringLiteral("tbtnMining"))->isChecked());
        run(QStringLiteral("_mine"), QStringLiteral("甲\n乙"));
        QTRY_VERIFY(finished(QStringLiteral("_mine")));
        QCOMPARE(get<QTableView>(QStringLiteral("resultList_mine"))->model()->rowCount(), 4);
        QCOMPARE(row(QStringLiteral("resultList_mine"), 3),
                 (QStringList{u("乙乙"), u("下拉联想"), u("乙"), u("1")}));
        QCOMPARE(get<QLabel>(QStringLiteral("tFound_mine"))->text(), u("共挖掘：4个 "));
        QJsonObject want{
            {QStringLiteral("title"),
             u("Quillane工具-关键词挖掘报表-收录批量查询，排名批量查询，关键词挖掘，官方Q群：618273945")},
            {QStringLiteral("numberColumns"), QJsonArray{3}},
            {QStringLiteral("totals"), totals({{"种子词", 2}, {"共挖掘", 4}, {"失败", 0}})}};
        const QString problems = exported(QStringLiteral("_mine"), want);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));

        QTest::mouseClick(get<QPushButton>(QStringLiteral("toSiteRankingBtn")), Qt::LeftButton);
        QVERIFY(get<QWidget>(QStringLiteral("urlsList_site"))->isVisible());
        QCOMPARE(get<QPlainTextEdit>(QStringLiteral("urlsList_site"))->toPlainText(),
                 u("甲甲\n甲乙\n乙甲\n乙乙"));
        QTest::mouseClick(get<QToolButton>(QStringLiteral("btnConfig")), Qt::LeftButton);
        get<QTableView>(QStringLiteral("resultList_mine"))->selectRow(1);
        QTest::mouseClick(get<QPushButton>(QStringLiteral("toRankingBtn")), Qt::LeftButton);
        QVERIFY(get<QWidget>(QStringLiteral("urlsList_2"))->isVisible());
        QCOMPARE(get<QPlainTextEdit>(QStringLiteral("urlsList_2"))->toPlainText(), u("甲乙"));
        // A ranking line needs its address too: the page says so until the input changes.
        auto *status = get<QLabel>(QStringLiteral("zhuangTai_2"));
        QVERIFY(status->isVisible());
        QVERIFY2(status->text().startsWith(u("已加入 1 个关键词：请在每个关键词后加空格和要查排名的网址")),
                 qPrintable(status->text()));
        get<QPlainTextEdit>(QStringLiteral("urlsList_2"))->setPlainText(u("甲乙 http://a.cn/"));
        QVERIFY(status->isHidden());
    }
};

QUILLANE_WINDOW_TEST_MAIN(TestToolPages)
#include "tst_toolpages.moc"
