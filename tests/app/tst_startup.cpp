// Start-up as the application runs it: settings, the shown window, dragging
// it, its screenshot, and "用户退出" ending the process.
#include "app/startup.h"
#include "history/historystore.h"
#include "search/appsettings.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTextCodec>
#include <QUrl>

#include <algorithm>
#include <memory>

#include <unistd.h>

namespace {

// Counts the paint events a widget receives, so a screenshot waits for a drawn window.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void send(QWidget *target, QEvent::Type type, const QPoint &global, Qt::MouseButtons held)
{
    QMouseEvent event(type, target->mapFromGlobal(global), global,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

bool isCjkFamily(const QString &family)
{
    return QFontDatabase().writingSystems(family).contains(QFontDatabase::SimplifiedChinese);
}

} // namespace

class TstStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void applicationSettings();
    void qtTextsAreChinese_data();
    void qtTextsAreChinese();
    void windowsFontsMapToCjkFaces_data();
    void windowsFontsMapToCjkFaces();
    void browserRunsAsRoot();
    void windowIsShownAndScreenshotWritten();
    void dragByBackgroundNotByButton_data();
    void dragByBackgroundNotByButton();
    void exitEntryEndsProcess_data();
    void exitEntryEndsProcess();
    void killedWindowKeepsEveryShownRow();

private:
    std::unique_ptr<UIDemo08> m_window;
};

void TstStartup::initTestCase()
{
    UIDemo08::setAdvertisementAddressForTesting(QUrl(QStringLiteral("about:blank")));
    m_window.reset(Startup::openMainWindow());
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TstStartup::cleanupTestCase()
{
    m_window.reset();
}

void TstStartup::applicationSettings()
{
    QCOMPARE(QTextCodec::codecForLocale()->name(), QByteArray("UTF-8"));
    QCOMPARE(QApplication::font().family(), QStringLiteral("Microsoft Yahei"));
    QCOMPARE(QApplication::font().pointSize(), 9);
    QVERIFY(QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_window->parent(), nullptr);
    // One settings file for every part of the application.
    QCOMPARE(QSettings().fileName(),
             qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quillane/quillane.conf"));
    // The command finds the same file by the names, without start-up.
    QCOMPARE(openApplicationSettings()->fileName(), QSettings().fileName());
}

void TstStartup::qtTextsAreChinese_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel);
    QTest::newRow("Open") << int(QDialogButtonBox::Open);
    QTest::newRow("Save") << int(QDialogButtonBox::Save);
    QTest::newRow("Yes") << int(QDialogButtonBox::Yes);
}

void TstStartup::qtTextsAreChinese()
{
    QFETCH(int, button);
    QDialogButtonBox box;
    const QString text = box.addButton(QDialogButtonBox::StandardButton(button))->text();
    QVERIFY2(std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x4e00; }),
             qPrintable(text));
    // The file dialogs' own texts come from the same catalogue.
    QVERIFY(QCoreApplication::translate("QFileDialog", "File &name:") != QLatin1String("File &name:"));
}

void TstStartup::windowsFontsMapToCjkFaces_data()
{
    QTest::addColumn<QString>("family");
    QTest::newRow("Microsoft Yahei") << QStringLiteral("Microsoft Yahei");
    QTest::newRow("微软雅黑") << QStringLiteral("微软雅黑");
    QTest::newRow("宋体") << QStringLiteral("宋体");
}

void TstStartup::windowsFontsMapToCjkFaces()
{
    QFETCH(QString, family);
    const QString used = QFontInfo(QFont(family, 10)).family();
    QVERIFY2(isCjkFamily(used), qPrintable(used));

    // The widgets that name these fonts render with those faces too.
    const QString title =
        QFontInfo(m_window->findChild<QLabel *>(QStringLiteral("labTitle"))->font()).family();
    QVERIFY2(isCjkFamily(title), qPrintable(title));
}

void TstStartup::browserRunsAsRoot()
{
    if (::geteuid() != 0)
        QSKIP("the sandbox switch only matters for root");
    const QList<QByteArray> flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").split(' ');
    QCOMPARE(flags.count(QByteArrayLiteral("--no-sandbox")), 1);
    // Preparing again must not pile up the switch.
    Startup::prepareProcess();
    QCOMPARE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").split(' ').count(QByteArrayLiteral("--no-sandbox")), 1);
}

void TstStartup::windowIsShownAndScreenshotWritten()
{
    PaintCounter counter;
    m_window->installEventFilter(&counter);
    m_window->move(40, 30);
    m_window->update();
    QTRY_VERIFY(counter.paints > 0);
    QTRY_COMPARE(m_window->pos(), QPoint(40, 30));
    m_window->removeEventFilter(&counter);

    QString directory = qEnvironmentVariable("QUILLANE_SCREENSHOT_DIR");
    if (directory.isEmpty())
        directory = QDir::currentPath();
    const QString path = QDir(directory).filePath(QStringLiteral("quillane-window.png"));
    const QPixmap shot = m_window->screen()->grabWindow(0, m_window->x(), m_window->y(), m_window->width(),
                                                        m_window->height());
    QCOMPARE(shot.size(), QSize(946, 700));
    QVERIFY2(shot.save(path), qPrintable(path));
    qInfo("screenshot: %s", qPrintable(path));
}

void TstStartup::dragByBackgroundNotByButton_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("moves");
    QTest::newRow("title label") << QStringLiteral("labTitle") << true;
    QTest::newRow("title bar") << QStringLiteral("widgetTitle") << true;
    QTest::newRow("home page") << QStringLiteral("homeTab") << true;
    QTest::newRow("minimise button") << QStringLiteral("btnMenu_Min") << false;
    QTest::newRow("top navigation button") << QStringLiteral("btnHelp") << false;
}

void TstStartup::dragByBackgroundNotByButton()
{
    QFETCH(QString, target);
    QFETCH(bool, moves);
    auto *widget = m_window->findChild<QWidget *>(target);
    QVERIFY(widget);

    m_window->move(100, 80);
    QTRY_COMPARE(m_window->pos(), QPoint(100, 80));
    // A point of the widget that no child covers.
    QPoint local = widget->rect().center();
    if (target == QLatin1String("widgetTitle")) {
        const QRect navigation = m_window->findChild<QWidget *>(QStringLiteral("widgetTop"))->geometry();
        local = QPoint(navigation.right() + 20, navigation.center().y());
    }
    if (target == QLatin1String("homeTab"))
        local = QPoint(widget->width() - 3, widget->height() - 3);
    QCOMPARE(widget->childAt(local), nullptr);

    const QPoint start = widget->mapToGlobal(local);
    // The release lands off any button, so nothing is clicked.
    send(widget, QEvent::MouseButtonPress, start, Qt::LeftButton);
    send(widget, QEvent::MouseMove, start + QPoint(60, 45), Qt::LeftButton);
    send(widget, QEvent::MouseButtonRelease, start + QPoint(60, 45), Qt::NoButton);

    QTRY_COMPARE(m_window->pos(), moves ? QPoint(160, 125) : QPoint(100, 80));
}

void TstStartup::exitEntryEndsProcess_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("asked");
    QTest::newRow("idle") << QStringList() << false;
    QTest::newRow("both queries running") << QStringList{QStringLiteral("--queries-running")} << true;
}

void TstStartup::exitEntryEndsProcess()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, asked);
    QProcess probe;
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(QStringLiteral(QUILLANE_EXIT_PROBE), arguments);
    QVERIFY2(probe.waitForFinished(60000), "the probe did not end");
    const QByteArray output = probe.readAll();
    QVERIFY2(output.contains("clicking"), output.constData());
    QCOMPARE(output.contains("asked 查询尚未完成，确定退出吗？"), asked);
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
}

// Rows the window showed are in the history, however the process ends.
void TstStartup::killedWindowKeepsEveryShownRow()
{
    const QTemporaryDir dataHome;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(QStringLiteral(QUILLANE_EXIT_PROBE), {QStringLiteral("--killed-after-rows")});
    QVERIFY2(probe.waitForFinished(60000), "the probe did not end");
    const QByteArray output = probe.readAll();
    QVERIFY2(output.contains("shown 2"), output.constData());
    QCOMPARE(probe.exitStatus(), QProcess::CrashExit);
    HistoryStore store(dataHome.filePath(QStringLiteral("quillane/history.sqlite")));
    const QList<StoredRun> runs = store.runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(store.lines(runs.first().id).size(), 2);
    QVERIFY(!runs.first().endedAt.isValid());
}

QUILLANE_WINDOW_TEST_MAIN(TstStartup)
#include "tst_startup.moc"
