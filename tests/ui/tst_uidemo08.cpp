// The main window's frame and navigation, driven by object name.
#include "startup.h"
#include "uidemo08.h"
#include "windowtestmain.h"

#include "iconhelper.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>

#include <memory>

namespace {

const QString kHomeLabel = QStringLiteral("当前位置：首页");
const QString kInclusionLabel = QStringLiteral("当前位置：百度收录查询");
const QString kRankingLabel = QStringLiteral("当前位置：百度排名查询");

bool sameImage(const QPixmap &a, const QPixmap &b)
{
    return !a.isNull() && a.toImage().convertToFormat(QImage::Format_ARGB32) ==
                              b.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TstUIDemo08 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsOnHomePage();
    void resultTablesAreReady();
    void topNavigation_data();
    void topNavigation();
    void topNavigationIconsAreCompiledIn();
    void leftNavigation_data();
    void leftNavigation();
    void deviceMode_data();
    void deviceMode();
    void deviceModeOutlivesPageSwitch();
    void maximiseAndRestore();
    void styleSheetAndPaletteInForce();

private:
    template <typename T> T *child(const char *name) const
    {
        T *found = m_window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    QTabWidget *tabs() const { return child<QTabWidget>("tabWidget"); }

    std::unique_ptr<UIDemo08> m_window;
};

void TstUIDemo08::initTestCase()
{
    UIDemo08::setAdvertisementAddressForTesting(QUrl(QStringLiteral("about:blank")));
}

void TstUIDemo08::init()
{
    m_window.reset(Startup::openMainWindow());
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TstUIDemo08::cleanup()
{
    m_window.reset();
}

void TstUIDemo08::startsOnHomePage()
{
    QCOMPARE(m_window->size(), QSize(946, 700));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Quillane工具    "));
    QVERIFY(m_window->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(m_window->property("canMove").toBool(), true);

    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentIndex(), 0);
    QCOMPARE(tabs()->count(), 1);
    QCOMPARE(tabs()->tabText(0), kHomeLabel);
    QCOMPARE(tabs()->currentWidget(), child<QWidget>("homeTab"));

    QVERIFY(child<QToolButton>("btnMain")->isChecked());
    for (const char *other : {"btnConfig", "btnData", "btnHelp", "btnExit"})
        QVERIFY2(!child<QToolButton>(other)->isChecked(), other);
    QVERIFY(child<QToolButton>("tbtnMain1")->isChecked());
    QVERIFY(!child<QToolButton>("tbtnMain2")->isChecked());
    QVERIFY(child<QRadioButton>("pcRbtn")->isChecked());
    QVERIFY(child<QRadioButton>("pcRbtn_2")->isChecked());
    QCOMPARE(m_window->currentDeviceMode(), QStringLiteral("dnd"));

    // The running view's widgets wait hidden on both pages.
    for (const char *hidden : {"progressBar", "daochuBtn", "fanhuiBtn", "stopBtn", "tShuru", "tShoulu",
                               "twuShoulu", "tShoululv", "resultList"}) {
        QVERIFY2(child<QWidget>(hidden)->isHidden(), hidden);
        const QByteArray twin = QByteArray(hidden) + "_2";
        QVERIFY2(child<QWidget>(twin.constData())->isHidden(), twin.constData());
    }
    QVERIFY(!child<QPushButton>("fanhuiBtn")->isEnabled());
    QVERIFY(!child<QPushButton>("daochuBtn_2")->isEnabled());

    // Title-bar glyphs are the icon font's minus, plus and cross.
    QCOMPARE(child<QPushButton>("btnMenu_Min")->text(), QString(QChar(0xF068)));
    QCOMPARE(child<QPushButton>("btnMenu_Max")->text(), QString(QChar(0xF067)));
    QCOMPARE(child<QPushButton>("btnMenu_Close")->text(), QString(QChar(0xF00D)));
    QVERIFY(!child<QLabel>("labIco")->pixmap(Qt::ReturnByValue).isNull());
}

void TstUIDemo08::resultTablesAreReady()
{
    const struct
    {
        const char *name;
        QList<int> widths;
        QStringList headers;
    } tables[] = {
        {"resultList",
         {270, 370, 60, 100},
         {QStringLiteral("标题"), QStringLiteral("网址"), QStringLiteral("收录"), QStringLiteral("快照")}},
        {"resultList_2",
         {265, 350, 60, 40, 85},
         {QStringLiteral("关键词"), QStringLiteral("网址"), QStringLiteral("收录"), QStringLiteral("排名"),
          QStringLiteral("快照")}},
    };
    for (const auto &expected : tables) {
        auto *table = child<QTableView>(expected.name);
        // No spare row waits below the results.
        QCOMPARE(table->model()->rowCount(), 0);
        QCOMPARE(table->model()->columnCount(), expected.widths.size());
        QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        int total = 0;
        int expectedTotal = 0;
        for (int column = 0; column < expected.widths.size(); ++column) {
            // The address column gives way to the date and position columns, which may grow to fit.
            if (column != 1)
                QVERIFY(table->columnWidth(column) >= expected.widths.at(column));
            total += table->columnWidth(column);
            expectedTotal += expected.widths.at(column);
            QCOMPARE(table->model()->headerData(column, Qt::Horizontal).toString(),
                     expected.headers.at(column));
        }
        QCOMPARE(total, expectedTotal);
    }
}

void TstUIDemo08::topNavigation_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("page");
    QTest::newRow("查收录排名") << QStringLiteral("btnMain") << 0;
    QTest::newRow("关键词挖掘") << QStringLiteral("btnConfig") << 1;
    // Leads to the placeholder page, which no other button reaches.
    QTest::newRow("泛排名查询") << QStringLiteral("btnData") << 2;
    QTest::newRow("帮助手册") << QStringLiteral("btnHelp") << 3;
}

void TstUIDemo08::topNavigation()
{
    QFETCH(QString, button);
    QFETCH(int, page);

    // Start away from the target so that the page really changes.
    QTest::mouseClick(child<QToolButton>(page == 3 ? "btnConfig" : "btnHelp"), Qt::LeftButton);
    QTest::mouseClick(m_window->findChild<QToolButton *>(button), Qt::LeftButton);

    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentIndex(), page);
    const QList<QToolButton *> top = child<QWidget>("widgetTop")->findChildren<QToolButton *>();
    QCOMPARE(top.size(), 5);
    for (QToolButton *other : top)
        QCOMPARE(other->isChecked(), other->objectName() == button);
    if (page == 1)
        QCOMPARE(child<QLabel>("lab2")->text(), QStringLiteral("正在开发中，敬请期待！"));
    if (page == 2)
        QCOMPARE(child<QLabel>("lab3")->text(), QStringLiteral("正在开发中，敬请期待！"));
}

void TstUIDemo08::topNavigationIconsAreCompiledIn()
{
    // Started from a folder without any pictures, the buttons still show theirs.
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    m_window.reset(Startup::openMainWindow());
    QDir::setCurrent(previous);

    const struct
    {
        const char *button;
        const char *picture;
    } icons[] = {{"btnMain", ":/images/main_main.png"},
                 {"btnConfig", ":/images/main_config.png"},
                 {"btnData", ":/images/main_data.png"},
                 {"btnHelp", ":/images/main_help.png"},
                 {"btnExit", ":/images/main_exit.png"}};
    for (const auto &expected : icons) {
        auto *button = child<QToolButton>(expected.button);
        QCOMPARE(button->iconSize(), QSize(32, 32));
        const QPixmap shown = button->icon().pixmap(QSize(32, 32));
        const QPixmap wanted = QIcon(QLatin1String(expected.picture)).pixmap(QSize(32, 32));
        QVERIFY2(sameImage(shown, wanted), expected.button);
    }
}

void TstUIDemo08::leftNavigation_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("label");
    QTest::newRow("inclusion") << QStringLiteral("tbtnMain1") << QStringLiteral("slcxTab") << kInclusionLabel;
    QTest::newRow("ranking") << QStringLiteral("tbtnMain2") << QStringLiteral("pmcxTab") << kRankingLabel;
}

void TstUIDemo08::leftNavigation()
{
    QFETCH(QString, button);
    QFETCH(QString, page);
    QFETCH(QString, label);

    auto *clicked = m_window->findChild<QToolButton *>(button);
    QTest::mouseClick(clicked, Qt::LeftButton);

    QCOMPARE(tabs()->count(), 1);
    QCOMPARE(tabs()->tabText(0), label);
    QCOMPARE(tabs()->widget(0)->objectName(), page);

    // The chosen entry wears its active picture, the other its idle one.
    IconHelper *icons = IconHelper::instance();
    for (const char *name : {"tbtnMain1", "tbtnMain2"}) {
        auto *entry = child<QToolButton>(name);
        const bool active = entry == clicked;
        QCOMPARE(entry->isChecked(), active);
        const QPixmap shown = entry->icon().pixmap(QSize(35, 25));
        QVERIFY2(sameImage(shown, icons->stateGlyph(entry, !active)), name);
    }
}

void TstUIDemo08::deviceMode_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("label");
    QTest::newRow("inclusion mobile")
        << QStringLiteral("tbtnMain1") << QStringLiteral("sjRbtn") << QStringLiteral("sjd")
        << QStringLiteral("slcxTab") << QStringLiteral("当前位置：百度收录查询-->>移动端收录查询");
    QTest::newRow("inclusion desktop")
        << QStringLiteral("tbtnMain1") << QStringLiteral("pcRbtn") << QStringLiteral("dnd")
        << QStringLiteral("slcxTab") << QStringLiteral("当前位置：百度收录查询-->>电脑端收录查询");
    QTest::newRow("ranking mobile") << QStringLiteral("tbtnMain2") << QStringLiteral("sjRbtn_2")
                                    << QStringLiteral("sjd") << QStringLiteral("pmcxTab")
                                    << QStringLiteral("当前位置：百度排名查询-->>移动端排名查询");
    QTest::newRow("ranking desktop") << QStringLiteral("tbtnMain2") << QStringLiteral("pcRbtn_2")
                                     << QStringLiteral("dnd") << QStringLiteral("pmcxTab")
                                     << QStringLiteral("当前位置：百度排名查询-->>电脑端排名查询");
}

void TstUIDemo08::deviceMode()
{
    QFETCH(QString, page);
    QFETCH(QString, radio);
    QFETCH(QString, mode);
    QFETCH(QString, tab);
    QFETCH(QString, label);

    QTest::mouseClick(m_window->findChild<QToolButton *>(page), Qt::LeftButton);
    // Leave the mode opposite to the expected one first, on the same page.
    const bool ranking = radio.endsWith(QLatin1String("_2"));
    const QString opposite =
        (mode == QLatin1String("dnd") ? QStringLiteral("sjRbtn") : QStringLiteral("pcRbtn")) +
        (ranking ? QStringLiteral("_2") : QString());
    auto *oppositeButton = m_window->findChild<QRadioButton *>(opposite);
    QTest::mouseClick(oppositeButton, Qt::LeftButton, {}, oppositeButton->rect().center());
    QVERIFY(m_window->currentDeviceMode() != mode);

    auto *button = m_window->findChild<QRadioButton *>(radio);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());

    QVERIFY(button->isChecked());
    QVERIFY(!oppositeButton->isChecked());
    QCOMPARE(m_window->currentDeviceMode(), mode);
    QCOMPARE(tabs()->count(), 1);
    QCOMPARE(tabs()->widget(0)->objectName(), tab);
    QCOMPARE(tabs()->tabText(0), label);
}

void TstUIDemo08::deviceModeOutlivesPageSwitch()
{
    QTest::mouseClick(child<QToolButton>("tbtnMain1"), Qt::LeftButton);
    auto *mobile = child<QRadioButton>("sjRbtn");
    QTest::mouseClick(mobile, Qt::LeftButton, {}, mobile->rect().center());
    QTest::mouseClick(child<QToolButton>("tbtnMain2"), Qt::LeftButton);

    QVERIFY(child<QRadioButton>("pcRbtn_2")->isChecked());
    QCOMPARE(tabs()->tabText(0), kRankingLabel);
    QCOMPARE(m_window->currentDeviceMode(), QStringLiteral("sjd"));

    // Back on the inclusion page its own choice is still shown.
    QTest::mouseClick(child<QToolButton>("tbtnMain1"), Qt::LeftButton);
    QVERIFY(mobile->isChecked());
    QCOMPARE(tabs()->tabText(0), kInclusionLabel);
}

void TstUIDemo08::maximiseAndRestore()
{
    QTest::mouseClick(child<QToolButton>("tbtnMain1"), Qt::LeftButton);
    m_window->move(120, 90);
    QTRY_COMPARE(m_window->pos(), QPoint(120, 90));
    const QRect normal = m_window->geometry();
    const QRect workArea = QGuiApplication::primaryScreen()->availableGeometry();
    auto *maximise = child<QPushButton>("btnMenu_Max");

    QTest::mouseClick(maximise, Qt::LeftButton);
    QTRY_COMPARE(m_window->geometry(), workArea);
    QCOMPARE(m_window->property("canMove").toBool(), false);
    QVERIFY(!m_window->isMaximized());
    // The query page keeps its fixed size in the larger window.
    QCOMPARE(child<QWidget>("layoutWidget")->size(), QSize(830, 580));
    // Dragging the title does nothing while the window fills the work area.
    auto *title = child<QLabel>("labTitle");
    const QPoint grab = title->mapToGlobal(title->rect().center());
    QMouseEvent press(QEvent::MouseButtonPress, title->rect().center(), grab, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(title, &press);
    QMouseEvent drag(QEvent::MouseMove, title->rect().center() + QPoint(50, 40), grab + QPoint(50, 40),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(title, &drag);
    QMouseEvent release(QEvent::MouseButtonRelease, title->rect().center() + QPoint(50, 40),
                        grab + QPoint(50, 40), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(title, &release);
    QCOMPARE(m_window->geometry(), workArea);

    QTest::mouseClick(maximise, Qt::LeftButton);
    QTRY_COMPARE(m_window->geometry(), normal);
    QCOMPARE(m_window->property("canMove").toBool(), true);

    // A second round saves the geometry anew.
    m_window->move(200, 150);
    QTRY_COMPARE(m_window->pos(), QPoint(200, 150));
    const QRect moved = m_window->geometry();
    QTest::mouseClick(maximise, Qt::LeftButton);
    QTRY_COMPARE(m_window->geometry(), workArea);
    QTest::mouseClick(maximise, Qt::LeftButton);
    QTRY_COMPARE(m_window->geometry(), moved);
}

void TstUIDemo08::styleSheetAndPaletteInForce()
{
    QFile sheet(QStringLiteral(":/qss/blue.css"));
    QVERIFY(sheet.open(QIODevice::ReadOnly));
    QCOMPARE(qApp->styleSheet(), QString::fromLatin1(sheet.readAll()));
    QCOMPARE(QApplication::palette().color(QPalette::Button), QColor(QStringLiteral("#c8def9")));

    // The form's and the navigation's own sheets sit on their widgets.
    QVERIFY(
        child<QWidget>("tabWidget")->styleSheet().startsWith(QLatin1String("QTabBar::tab{ height: 26px;")));
    QCOMPARE(
        child<QWidget>("page1")->styleSheet(),
        QStringLiteral("QWidget[flag=\"left\"] QAbstractButton{min-height:%1px;max-height:%1px;}").arg(60));
    QCOMPARE(
        child<QWidget>("page2")->styleSheet(),
        QStringLiteral("QWidget[flag=\"left\"] QAbstractButton{min-height:%1px;max-height:%1px;}").arg(20));
    // 60 pixels of content on the query page's bar, 20 on the configuration page's.
    QVERIFY(child<QToolButton>("tbtnMain1")->height() >= 60);
    QCOMPARE(child<QToolButton>("tbtnMain2")->height(), child<QToolButton>("tbtnMain1")->height());
    QVERIFY(child<QToolButton>("tbtnConfig1")->height() < 60);
    QCOMPARE(child<QWidget>("widgetTitle")->property("form").toString(), QStringLiteral("title"));
    QCOMPARE(child<QWidget>("widgetTop")->property("nav").toString(), QStringLiteral("top"));
}

QUILLANE_WINDOW_TEST_MAIN(TstUIDemo08)
#include "tst_uidemo08.moc"
