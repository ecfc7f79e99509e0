#include "tests/support/loopbackbaidu.h"
#include "tests/support/rankingpages.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/savefiledialog.h"

#include <QtTest>

#include <QDesktopServices>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QToolButton>

#include <memory>

using namespace testsupport;

namespace {

// The box after an export shows the path and offers to open the file or its folder.
QString exportedText(const QString &path,
                     const QString &order = QStringLiteral("行的顺序：输入顺序，与屏幕上一致"))
{
    return QStringLiteral("报表已导出：") + QDir::toNativeSeparators(path) + QLatin1Char('\n') + order;
}
const QString kFailurePrefix = QStringLiteral("报表导出失败：");
const QString kInclusionTitle =
    QStringLiteral("Quillane工具-收录查询报表-收录批量查询，排名批量查询，关键词挖掘，官方Q群：618273945");
const QString kRankingTitle =
    QStringLiteral("Quillane工具-排名查询报表-收录批量查询，排名批量查询，关键词挖掘，官方Q群：618273945");
// Why a line is 异常 (原因) comes last, also while the table does not show it.
const QStringList kInclusionHeadings{QStringLiteral("标题"), QStringLiteral("网址"), QStringLiteral("收录"),
                                     QStringLiteral("快照"), QStringLiteral("原因")};
const QStringList kRankingHeadings{QStringLiteral("关键词"), QStringLiteral("网址"), QStringLiteral("收录"),
                                   QStringLiteral("排名"),   QStringLiteral("快照"), QStringLiteral("原因")};
// The address column gives way to a snapshot column that fits a full date, a position column that fits
// "30+" and the change column (变化), which the report leaves out.
const QList<int> kInclusionWidths{45, 44, 10, 19, 23};
const QList<int> kRankingWidths{44, 36, 10, 9, 19, 23};
// Magic bytes: a zip archive (.xlsx) and an OLE2 compound file (.xls).
const QByteArray kZipMagic("PK\x03\x04", 4);
const QByteArray kCompoundMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

QString address(int n)
{
    return QStringLiteral("http://www.site%1.example/p?a=1&b=2").arg(n);
}
QString keyword(int n)
{
    return QStringLiteral("关键词%1").arg(n);
}
// Line 3 carries a title that a spreadsheet would take for a formula. Titles
// reach the table as Baidu shows them, blanks collapsed: the one blank stays inside.
QString title(int n)
{
    return n == 3 ? QStringLiteral("=1+1") : QStringLiteral("第%1个页面的标题，中文“引号”与 空格").arg(n);
}
QString date(int n)
{
    return QStringLiteral("2026年12月%1日").arg(n % 28 + 1);
}

// Every address is included and ranks first for its keyword, under its own title.
void playIncludedEverywhere(LoopbackBaidu &baidu)
{
    baidu.setHandler([](const Request &request) {
        const QString query = QString::fromUtf8(request.param("wd"));
        for (int n = 0; n < 100; ++n) {
            if (query == address(n))
                return Reply::page(desktopRankingSitePage(title(n).toUtf8(), date(n).toUtf8()));
            if (query == keyword(n))
                return Reply::page(desktopKeywordPage({{title(n).toUtf8(), address(n).toUtf8()}}));
        }
        return Reply::withStatus(404, QByteArray());
    });
}

QStringList expectedRow(int n, bool ranking)
{
    if (ranking)
        return {keyword(n), address(n), QStringLiteral("已收录"), QStringLiteral("1"), date(n), QString()};
    return {title(n), address(n), QStringLiteral("已收录"), date(n), QString()};
}

// The URLs handed to the desktop instead of a real file handler.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    std::unique_ptr<LoopbackBaidu> m_adServer;
    std::unique_ptr<LoopbackBaidu> m_baidu;
    std::unique_ptr<UIDemo08> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
    OpenedUrls m_opened;
    bool m_answer = false;
    QString m_savePath;
    QList<SaveFileDialog::Request> m_dialogs;
    QDateTime m_started; // when the last run started

    template <typename T> T *widget(const QString &name, bool ranking) const
    {
        T *found = m_window->findChild<T *>(ranking ? name + QStringLiteral("_2") : name);
        if (!found)
            qFatal("no widget %s", qPrintable(name));
        return found;
    }
    QTableView *table(bool ranking) const
    {
        return widget<QTableView>(QStringLiteral("resultList"), ranking);
    }
    QPushButton *button(const char *name, bool ranking) const
    {
        return widget<QPushButton>(QLatin1String(name), ranking);
    }

    // Starts lines 0..count-1 on a page.
    void startLines(bool ranking, int count)
    {
        m_started = QDateTime::currentDateTime();
        QTest::mouseClick(m_window->findChild<QToolButton *>(ranking ? QStringLiteral("tbtnMain2")
                                                                     : QStringLiteral("tbtnMain1")),
                          Qt::LeftButton);
        QStringList lines;
        for (int n = 0; n < count; ++n)
            lines << (ranking ? keyword(n) + QLatin1Char(' ') + address(n) : address(n));
        widget<QPlainTextEdit>(QStringLiteral("urlsList"), ranking)
            ->setPlainText(lines.join(QLatin1Char('\n')));
        QTest::mouseClick(button("slcxBtn", ranking), Qt::LeftButton);
    }

    // Runs lines 0..count-1 on a page and waits for the finished view.
    bool runLines(bool ranking, int count)
    {
        startLines(ranking, count);
        // Ranking results may still be queued, in any order, when the run reports its end.
        return QTest::qWaitFor(
            [&] {
                const QAbstractItemModel *results = table(ranking)->model();
                if (!button("daochuBtn", ranking)->isEnabled() || results->rowCount() != count)
                    return false;
                for (int row = 0; row < count; ++row) {
                    if (results->index(row, 1).data().toString().isEmpty())
                        return false;
                }
                return true;
            },
            30000);
    }

    void exportFrom(bool ranking, const QString &typedPath)
    {
        m_savePath = typedPath;
        QTest::mouseClick(button("daochuBtn", ranking), Qt::LeftButton);
    }

    QStringList filesWritten() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    // Has the independent readers check every point of the sheet layout; empty when it matched.
    // run: the line under the title, number columns and totals, when the page has run.
    QString readerProblems(const QString &path, const QString &title, const QStringList &headings,
                           const QList<int> &widths, const QList<QStringList> &rows,
                           const QJsonObject &run = QJsonObject())
    {
        QJsonArray widthArray;
        for (int width : widths)
            widthArray.append(width);
        QJsonArray rowArray;
        for (const QStringList &row : rows)
            rowArray.append(QJsonArray::fromStringList(row));
        QJsonObject want = run;
        want.insert(QStringLiteral("title"), title);
        want.insert(QStringLiteral("headings"), QJsonArray::fromStringList(headings));
        want.insert(QStringLiteral("widths"), widthArray);
        want.insert(QStringLiteral("rows"), rowArray);
        QTemporaryFile expected;
        if (!expected.open() || expected.write(QJsonDocument(want).toJson()) < 0 || !expected.flush())
            return QStringLiteral("cannot write the expectations");
        QProcess reader;
        reader.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(QUILLANE_TESTS_DIR "/report/checkreport.py"), path, expected.fileName()});
        if (!reader.waitForFinished(120000))
            return QStringLiteral("reader did not finish");
        if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0) {
            // The run may have started a minute later than the test noted.
            if (run.contains(QStringLiteral("subtitle")) && !run.contains(QStringLiteral("later"))) {
                QJsonObject later = run;
                later.insert(QStringLiteral("subtitle"),
                             subtitle(run.value(QStringLiteral("ranking")).toBool(), 60));
                later.insert(QStringLiteral("later"), true);
                if (readerProblems(path, title, headings, widths, rows, later).isEmpty())
                    return QString();
            }
            return QString::fromUtf8(reader.readAllStandardError());
        }
        return QString();
    }

    QString subtitle(bool ranking, int laterSeconds = 0) const
    {
        return (ranking ? QStringLiteral("百度排名查询") : QStringLiteral("百度收录查询")) +
               QStringLiteral(" · 电脑端 · ") +
               m_started.addSecs(laterSeconds).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    }

    // What the report says of the last run: every line included, positions as numbers.
    QJsonObject runParts(bool ranking, int lines, int included) const
    {
        QJsonArray totals;
        for (const auto &total : QList<QPair<QString, QString>>{
                 {QStringLiteral("总输入"), QString::number(lines)},
                 {QStringLiteral("共收录"), QString::number(included)},
                 {QStringLiteral("未收录"), QStringLiteral("0")},
                 {QStringLiteral("异常"), QStringLiteral("0")},
                 {QStringLiteral("收录率"), included ? QStringLiteral("100%") : QStringLiteral("0%")}})
            totals.append(QJsonArray{total.first, total.second});
        return {{QStringLiteral("ranking"), ranking},
                {QStringLiteral("subtitle"), subtitle(ranking)},
                {QStringLiteral("numberColumns"), ranking ? QJsonArray{3} : QJsonArray()},
                {QStringLiteral("totals"), totals}};
    }

    static QByteArray magicOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.read(8) : QByteArray();
    }

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(QStringLiteral("/usr/bin/python3")))
            QSKIP("no /usr/bin/python3 to read the reports with");
        // A home of its own, with a documents folder for the save dialog to start in.
        QVERIFY(m_home.isValid());
        QVERIFY(QDir(m_home.path()).mkpath(QStringLiteral("Documents")));
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qunsetenv("XDG_CONFIG_HOME");
        QCoreApplication::setOrganizationName(QStringLiteral("quillane-tests"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_export"));
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                 m_home.filePath(QStringLiteral("Documents")));
        m_adServer = std::make_unique<LoopbackBaidu>();
        UIDemo08::setAdvertisementAddressForTesting(
            QUrl(QString::fromLatin1(m_adServer->httpUrl("/pcads/ad.html"))));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opened, "open");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QuillaneMessageBox::setAnswererForTesting({});
        QuillaneMessageBox::setChooserForTesting({});
        SaveFileDialog::setAnswererForTesting({});
    }

    void init()
    {
        m_answer = false;
        m_opened.urls.clear();
        m_dialogs.clear();
        QuillaneMessageBox::setAnswererForTesting([this](const QString &) { return m_answer; });
        SaveFileDialog::setAnswererForTesting([this](const SaveFileDialog::Request &request) {
            m_dialogs.append(request);
            return m_savePath;
        });
        QuillaneMessageBox::setChooserForTesting({});
        QSettings().clear();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_baidu = std::make_unique<LoopbackBaidu>();
        playIncludedEverywhere(*m_baidu);
        m_window = std::make_unique<UIDemo08>();
        m_window->setSearchEndpoints(m_baidu->endpoints());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_baidu.reset();
        m_dir.reset();
    }

    void writesTheTableAsShown_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("suffix");
        for (const QString &suffix : {QStringLiteral(".xlsx"), QStringLiteral(".xls")}) {
            for (bool ranking : {false, true}) {
                const QString page = ranking ? QStringLiteral("ranking ") : QStringLiteral("inclusion ");
                // Stopped before the first result: no rows, and no empty row either.
                QTest::newRow(qPrintable(page + QStringLiteral("empty") + suffix)) << ranking << 0 << suffix;
                QTest::newRow(qPrintable(page + QStringLiteral("one row") + suffix))
                    << ranking << 1 << suffix;
                QTest::newRow(qPrintable(page + QStringLiteral("many rows") + suffix))
                    << ranking << 40 << suffix;
            }
        }
    }
    void writesTheTableAsShown()
    {
        QFETCH(bool, ranking);
        QFETCH(int, lines);
        QFETCH(QString, suffix);
        QList<QStringList> rows;
        if (lines == 0) {
            m_baidu->setHandler([](const Request &) { return Reply::silent(); });
            m_answer = true;
            startLines(ranking, 2);
            QTRY_VERIFY(m_baidu->requestCount() > 0);
            QTest::mouseClick(button("stopBtn", ranking), Qt::LeftButton);
            QTRY_VERIFY(button("daochuBtn", ranking)->isEnabled());
            QCOMPARE(table(ranking)->model()->rowCount(), 0);
            QuillaneMessageBox::takeAskedTextsForTesting();
            m_answer = false;
        } else {
            QVERIFY(runLines(ranking, lines));
            for (int n = 0; n < lines; ++n)
                rows.append(expectedRow(n, ranking));
        }

        const QString path = m_dir->filePath(QStringLiteral("收录 报表") + suffix);
        exportFrom(ranking, path);
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_dialogs.at(0).parent, static_cast<QWidget *>(table(ranking)));
        QCOMPARE(m_dialogs.at(0).caption, QStringLiteral("保存"));
        QCOMPARE(QFileInfo(m_dialogs.at(0).directory).absolutePath(),
                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        QCOMPARE(m_dialogs.at(0).filter, QStringLiteral("Excel 文件(*.xls *.xlsx)"));
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(), QStringList{exportedText(path)});
        QCOMPARE(filesWritten(), QStringList{QFileInfo(path).fileName()});
        QCOMPARE(magicOf(path).left(4), suffix == QLatin1String(".xls") ? kCompoundMagic.left(4) : kZipMagic);

        // The address column fills what the others leave of the table, so its width is read from the screen.
        QList<int> widths = ranking ? kRankingWidths : kInclusionWidths;
        widths[1] = table(ranking)->columnWidth(1) / 6;
        const QString problems = readerProblems(path, ranking ? kRankingTitle : kInclusionTitle,
                                                ranking ? kRankingHeadings : kInclusionHeadings, widths, rows,
                                                runParts(ranking, lines == 0 ? 2 : lines, lines));
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
        // Cancel in the question box leaves the file on disk, unopened.
        QVERIFY(m_opened.urls.isEmpty());
        QVERIFY(QFileInfo::exists(path));
    }

    // Widths follow the columns as they are on screen, not as they started.
    void takesTheOnScreenWidths_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<QList<int>>("pixels");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("inclusion") << false << QList<int>{301, 147, 66, 99} << QList<int>{50, 24, 11, 16, 23};
        QTest::newRow("ranking") << true << QList<int>{120, 366, 61, 41, 90}
                                 << QList<int>{20, 61, 10, 6, 15, 23};
    }
    void takesTheOnScreenWidths()
    {
        QFETCH(bool, ranking);
        QFETCH(QList<int>, pixels);
        QFETCH(QList<int>, widths);
        QVERIFY(runLines(ranking, 2));
        for (int column = 0; column < pixels.size(); ++column) {
            table(ranking)->setColumnWidth(column, pixels.at(column));
            QCOMPARE(table(ranking)->columnWidth(column), pixels.at(column));
        }
        const QString path = m_dir->filePath(QStringLiteral("widths.xls"));
        exportFrom(ranking, path);
        const QString problems = readerProblems(
            path, ranking ? kRankingTitle : kInclusionTitle, ranking ? kRankingHeadings : kInclusionHeadings,
            widths, {expectedRow(0, ranking), expectedRow(1, ranking)}, runParts(ranking, 2, 2));
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    // Only "daochuBtn_2" means the ranking page; a call without a sender exports the inclusion table.
    void anyOtherSenderExportsTheInclusionTable()
    {
        QVERIFY(runLines(true, 1));
        const QString path = m_dir->filePath(QStringLiteral("direct.xlsx"));
        m_savePath = path;
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), "on_daochuBtn_clicked"));
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_dialogs.at(0).parent, static_cast<QWidget *>(table(false)));
        const QString problems =
            readerProblems(path, kInclusionTitle, kInclusionHeadings, kInclusionWidths, {});
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    // The report holds the rows in the order on screen, and the message says which order that is.
    void saysTheOrderOfTheRows_data()
    {
        QTest::addColumn<int>("column"); // -1: no heading clicked
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("said");
        QTest::newRow("input order") << -1 << int(Qt::AscendingOrder)
                                     << QStringLiteral("行的顺序：输入顺序，与屏幕上一致");
        QTest::newRow("by 排名, ascending")
            << 3 << int(Qt::AscendingOrder) << QStringLiteral("行的顺序：按“排名”升序，与屏幕上一致");
        QTest::newRow("by 关键词, descending")
            << 0 << int(Qt::DescendingOrder) << QStringLiteral("行的顺序：按“关键词”降序，与屏幕上一致");
    }
    void saysTheOrderOfTheRows()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QString, said);
        QVERIFY(runLines(true, 2));
        if (column >= 0)
            table(true)->sortByColumn(column, Qt::SortOrder(order));
        const QString path = m_dir->filePath(QStringLiteral("order.xlsx"));
        exportFrom(true, path);
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(), QStringList{exportedText(path, said)});
    }

    void keepsOrAppendsTheSuffix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("no suffix") << QStringLiteral("报表") << QStringLiteral("报表.xlsx") << kZipMagic;
        QTest::newRow("other suffix") << QStringLiteral("r.txt") << QStringLiteral("r.txt.xlsx") << kZipMagic;
        QTest::newRow("xls inside the name")
            << QStringLiteral("r.xls.bak") << QStringLiteral("r.xls.bak.xlsx") << kZipMagic;
        QTest::newRow("trailing dot") << QStringLiteral("r.") << QStringLiteral("r..xlsx") << kZipMagic;
        QTest::newRow("upper-case XLS")
            << QStringLiteral("r.XLS") << QStringLiteral("r.XLS") << kCompoundMagic.left(4);
        QTest::newRow("mixed-case xlsx") << QStringLiteral("r.XlSx") << QStringLiteral("r.XlSx") << kZipMagic;
        QTest::newRow("xls") << QStringLiteral("r.xls") << QStringLiteral("r.xls") << kCompoundMagic.left(4);
    }
    void keepsOrAppendsTheSuffix()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        QVERIFY(runLines(false, 1));
        m_answer = true;
        exportFrom(false, m_dir->filePath(typed));
        QCOMPARE(filesWritten(), QStringList{written});
        QCOMPARE(magicOf(m_dir->filePath(written)).left(4), magic);
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(),
                 QStringList{exportedText(m_dir->filePath(written))});
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(m_dir->filePath(written))});
    }

    void cancelledSaveDialogDoesNothing_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::newRow("inclusion") << false;
        QTest::newRow("ranking") << true;
    }
    void cancelledSaveDialogDoesNothing()
    {
        QFETCH(bool, ranking);
        QVERIFY(runLines(ranking, 1));
        m_answer = true;
        exportFrom(ranking, QString());
        QCOMPARE(m_dialogs.size(), 1);
        QVERIFY(filesWritten().isEmpty());
        QVERIFY(QuillaneMessageBox::takeAskedTextsForTesting().isEmpty());
        QVERIFY(m_opened.urls.isEmpty());
    }

    void opensTheFileByItsLocalAddress_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("report.xlsx");
        QTest::newRow("blanks, Chinese and a hash") << QStringLiteral("我的 报表 #1%20.xls");
    }
    void opensTheFileByItsLocalAddress()
    {
        QFETCH(QString, name);
        QVERIFY(runLines(true, 1));
        m_answer = true;
        const QString path = m_dir->filePath(name);
        exportFrom(true, path);
        QCOMPARE(m_opened.urls.size(), 1);
        const QUrl url = m_opened.urls.at(0);
        QCOMPARE(url, QUrl::fromLocalFile(path));
        QVERIFY(url.isLocalFile());
        QCOMPARE(url.toLocalFile(), path);
        QVERIFY2(url.toString().startsWith(QStringLiteral("file:///")) &&
                     !url.toString().startsWith(QStringLiteral("file:////")),
                 qPrintable(url.toString()));
        QVERIFY(QFileInfo::exists(url.toLocalFile()));
    }

    void failureSaysWhyAndLeavesNoFile_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<bool>("ranking");
        QTest::newRow("missing folder, xlsx") << QStringLiteral("no such folder/r.xlsx") << false;
        QTest::newRow("missing folder, xls") << QStringLiteral("no such folder/r.xls") << true;
        QTest::newRow("missing folder, suffix appended") << QStringLiteral("no such folder/r") << true;
    }
    void failureSaysWhyAndLeavesNoFile()
    {
        QFETCH(QString, relativePath);
        QFETCH(bool, ranking);
        QVERIFY(runLines(ranking, 3));
        m_answer = true;
        exportFrom(ranking, m_dir->filePath(relativePath));
        const QStringList asked = QuillaneMessageBox::takeAskedTextsForTesting();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked.at(0).startsWith(kFailurePrefix) && asked.at(0).size() > kFailurePrefix.size() + 4,
                 qPrintable(asked.at(0)));
        QVERIFY(asked.at(0).contains(QStringLiteral("文件夹不存在")));
        QVERIFY(filesWritten().isEmpty());
        QVERIFY(m_opened.urls.isEmpty());
    }

    // A report that cannot be put in place leaves what is at the path as it was, and no stray files.
    void failureKeepsWhatIsThere()
    {
        QVERIFY(runLines(false, 2));
        const QString path = m_dir->filePath(QStringLiteral("old.xlsx"));
        QVERIFY(QDir().mkpath(path));
        QFile kept(path + QStringLiteral("/kept"));
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("old content") == 11);
        kept.close();
        m_answer = true;
        exportFrom(false, path);
        const QStringList asked = QuillaneMessageBox::takeAskedTextsForTesting();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked.at(0).startsWith(kFailurePrefix), qPrintable(asked.at(0)));
        QCOMPARE(filesWritten(), QStringList{QStringLiteral("old.xlsx")});
        QCOMPARE(QDir(path).entryList(QDir::Files), QStringList{QStringLiteral("kept")});
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("old content"));
        QVERIFY(m_opened.urls.isEmpty());
    }

    void remembersTheFolderAndOffersToOpen_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("opener");
        QTest::newRow("打开文件") << 0 << true;
        QTest::newRow("打开所在文件夹") << 1 << true;
        QTest::newRow("closed") << 2 << true;
        QTest::newRow("no program to open it") << 1 << false;
    }
    void remembersTheFolderAndOffersToOpen()
    {
        QFETCH(int, choice);
        QFETCH(bool, opener);
        QVERIFY(runLines(true, 1));
        QStringList buttons;
        QuillaneMessageBox::setChooserForTesting([&](const QString &, const QStringList &offered) {
            buttons = offered;
            return choice;
        });
        QTemporaryDir noPrograms;
        const QByteArray path = qgetenv("PATH");
        if (!opener) {
            QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
            qputenv("PATH", QFile::encodeName(noPrograms.path()));
        }
        const QString report = m_dir->filePath(QStringLiteral("周报.xlsx"));
        exportFrom(true, report);
        qputenv("PATH", path);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opened, "open");

        QCOMPARE(buttons, QStringList({QStringLiteral("打开文件"), QStringLiteral("打开所在文件夹"),
                                       QStringLiteral("关 闭")}));
        const QList<QUrl> targets{QUrl::fromLocalFile(report), QUrl::fromLocalFile(m_dir->path())};
        QStringList asked{exportedText(report)};
        if (!opener)
            asked << QStringLiteral("系统没有能打开它的程序，请手动打开：") +
                         QDir::toNativeSeparators(targets.at(choice).toLocalFile());
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(), asked);
        QCOMPARE(m_opened.urls, opener && choice < 2 ? QList<QUrl>{targets.at(choice)} : QList<QUrl>());

        // The next window suggests a dated name in the folder used last.
        m_window = std::make_unique<UIDemo08>();
        m_window->setSearchEndpoints(m_baidu->endpoints());
        m_window->show();
        QVERIFY(runLines(false, 1));
        exportFrom(false, QString());
        const QFileInfo suggested(m_dialogs.last().directory);
        QCOMPARE(suggested.absolutePath(), m_dir->path());
        QVERIFY2(QRegularExpression(QStringLiteral("^收录查询-电脑-\\d{8}-\\d{4}\\.xlsx$"))
                     .match(suggested.fileName())
                     .hasMatch(),
                 qPrintable(suggested.fileName()));
    }

    // Without the seam the real dialog comes up as described and its answer is used.
    void showsTheRealSaveDialog()
    {
        QVERIFY(runLines(false, 1));
        SaveFileDialog::setAnswererForTesting({});
        const QString path = m_dir->filePath(QStringLiteral("typed"));
        QString caption;
        QStringList filters;
        QString directory;
        QWidget *parent = nullptr;
        QTimer answerer;
        answerer.setInterval(20);
        connect(&answerer, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            answerer.stop();
            caption = dialog->windowTitle();
            filters = dialog->nameFilters();
            directory = dialog->directory().absolutePath();
            parent = dialog->parentWidget();
            dialog->selectFile(path);
            static_cast<QDialog *>(dialog)->accept();
        });
        answerer.start();
        QTest::mouseClick(button("daochuBtn", false), Qt::LeftButton);
        answerer.stop();
        QCOMPARE(caption, QStringLiteral("保存"));
        QCOMPARE(filters, QStringList{QStringLiteral("Excel 文件(*.xls *.xlsx)")});
        QCOMPARE(directory,
                 QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).absolutePath());
        QCOMPARE(parent, static_cast<QWidget *>(table(false)));
        QCOMPARE(filesWritten(), QStringList{QStringLiteral("typed.xlsx")});
    }
};

QUILLANE_WINDOW_TEST_MAIN(TestExport)
#include "tst_export.moc"
