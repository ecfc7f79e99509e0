// The main window's frame and navigation, driven by object name.
#include "app/startup.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"

#include "style/iconhelper.h"
#include "tests/support/loopbackbaidu.h"
#include "ui/frame/windowresizer.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>

namespace {

const QString kHomeLabel = QStringLiteral("当前位置：首页");
const QString kInclusionLabel = QStringLiteral("当前位置：百度收录查询-->>电脑端收录查询");
const QString kRankingLabel = QStringLiteral("当前位置：百度排名查询-->>电脑端排名查询");
const QString kInclusionMobileLabel = QStringLiteral("当前位置：百度收录查询-->>移动端收录查询");
const QString kRankingMobileLabel = QStringLiteral("当前位置：百度排名查询-->>移动端排名查询");

// Contrast of two colours as WCAG defines it, from their relative luminance.
double luminance(QRgb rgb)
{
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The contrast of the text drawn in a rectangle of a picture: its most common
// colour is the background, the colour farthest from it the text.
double textContrast(const QImage &picture, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[picture.pixel(x, y) | 0xff000000];
    }
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = qMax(best, contrast(background, it.key()));
    return best;
}

// One text colour over one background, named after the rule that pairs them.
struct ColourPair
{
    QString rule;
    QColor text;
    QColor background;
};

// The colours a declaration's value names (gradient stops too), translucent
// ones laid over the backdrop; none for "none" or "transparent".
QList<QColor> coloursIn(const QString &value, const QColor &backdrop)
{
    static const QRegularExpression colour(
        QStringLiteral("#[0-9a-fA-F]{6}\\b|#[0-9a-fA-F]{3}\\b|rgba?\\(([^)]*)\\)"));
    QList<QColor> found;
    for (auto it = colour.globalMatch(value); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(0).startsWith(QLatin1Char('#'))) {
            found.append(QColor(match.captured(0)));
            continue;
        }
        const QStringList parts = match.captured(1).split(QLatin1Char(','));
        const QString a = parts.value(3, QStringLiteral("255")).trimmed();
        // As the sheet reads it: 0-255 or a percentage.
        const double alpha =
            a.endsWith(QLatin1Char('%')) ? a.chopped(1).toDouble() / 100 : a.toDouble() / 255;
        const auto mix = [&](int channel, int under) {
            return qRound(channel * alpha + under * (1 - alpha));
        };
        found.append(QColor(mix(parts.value(0).toInt(), backdrop.red()),
                            mix(parts.value(1).toInt(), backdrop.green()),
                            mix(parts.value(2).toInt(), backdrop.blue())));
    }
    return found;
}

// Every text/background pair a style sheet sets. A rule that sets only one
// of the two takes the other from its selector without states, then without
// sub-control, then from the sheet's "*" rule or the window's background.
// Sub-controls and widgets that paint no text are left out.
QList<ColourPair> colourPairsOf(QString sheet, const QColor &window, const QColor &windowText)
{
    sheet.remove(
        QRegularExpression(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));
    if (!sheet.contains(QLatin1Char('{')))
        sheet = QStringLiteral("*{") + sheet + QLatin1Char('}'); // a widget's own declarations
    struct Rule
    {
        QStringList selectors;
        QHash<QString, QString> values;
    };
    QList<Rule> rules;
    static const QRegularExpression ruleText(QStringLiteral("([^{}]*)\\{([^{}]*)\\}"));
    for (auto it = ruleText.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        Rule rule;
        for (const QString &selector : match.captured(1).split(QLatin1Char(',')))
            rule.selectors.append(selector.simplified());
        for (const QString &declaration : match.captured(2).split(QLatin1Char(';'))) {
            const int colon = declaration.indexOf(QLatin1Char(':'));
            if (colon > 0)
                rule.values.insert(declaration.left(colon).trimmed().toLower(),
                                   declaration.mid(colon + 1).trimmed());
        }
        rules.append(rule);
    }
    QColor backdrop = window;
    QColor universalText = windowText;
    QHash<QString, QList<QColor>> texts;
    QHash<QString, QList<QColor>> backgrounds;
    const auto backgroundOf = [&](const Rule &rule) {
        return coloursIn(rule.values.value(QStringLiteral("background-color"),
                                           rule.values.value(QStringLiteral("background"))),
                         backdrop);
    };
    for (const Rule &rule : qAsConst(rules)) {
        for (const QString &selector : rule.selectors) {
            const QList<QColor> text = coloursIn(rule.values.value(QStringLiteral("color")), backdrop);
            if (selector == QLatin1String("QPalette") && !backgroundOf(rule).isEmpty())
                backdrop = backgroundOf(rule).first();
            if (selector == QLatin1String("*") && !text.isEmpty())
                universalText = text.first();
            if (!text.isEmpty())
                texts.insert(selector, text);
            if (!backgroundOf(rule).isEmpty())
                backgrounds.insert(selector, backgroundOf(rule));
        }
    }
    static const QRegularExpression state(QStringLiteral("(?<!:):(?!:)[\\w-]+"));
    static const QRegularExpression subControl(QStringLiteral("::([\\w-]+)"));
    const QStringList textSubControls{QStringLiteral("item"), QStringLiteral("tab"),
                                      QStringLiteral("section")};
    const QStringList textless{QStringLiteral("QScrollBar"), QStringLiteral("QSlider"),
                               QStringLiteral("QPalette")};
    const auto inherited = [&](const QHash<QString, QList<QColor>> &found, const QString &selector,
                               const QColor &last) {
        QString plain = selector;
        plain.remove(state);
        if (found.contains(plain))
            return found.value(plain);
        plain.remove(subControl);
        return found.value(plain, {last});
    };
    QList<ColourPair> pairs;
    for (const Rule &rule : qAsConst(rules)) {
        for (const QString &selector : rule.selectors) {
            const QRegularExpressionMatch sub = subControl.match(selector);
            if ((sub.hasMatch() && !textSubControls.contains(sub.captured(1))) ||
                std::any_of(textless.cbegin(), textless.cend(),
                            [&](const QString &w) { return selector.startsWith(w); }))
                continue;
            QList<QColor> text = coloursIn(rule.values.value(QStringLiteral("color")), backdrop);
            QList<QColor> background = backgroundOf(rule);
            const QList<QColor> alternate =
                coloursIn(rule.values.value(QStringLiteral("alternate-background-color")), backdrop);
            const QList<QColor> chosen =
                coloursIn(rule.values.value(QStringLiteral("selection-background-color")), backdrop);
            if (text.isEmpty() && background.isEmpty() && alternate.isEmpty() && chosen.isEmpty())
                continue;
            if (text.isEmpty())
                text = inherited(texts, selector, universalText);
            if (background.isEmpty())
                background = inherited(backgrounds, selector, backdrop);
            for (const QColor &t : qAsConst(text)) {
                for (const QColor &b : background + alternate)
                    pairs.append({selector, t, b});
            }
            const QList<QColor> chosenText =
                coloursIn(rule.values.value(QStringLiteral("selection-color")), backdrop);
            for (const QColor &b : chosen) {
                for (const QColor &t : chosenText.isEmpty() ? text : chosenText)
                    pairs.append({selector + QStringLiteral(" (selected)"), t, b});
            }
        }
    }
    return pairs;
}

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
    void deviceShownMidRun_data();
    void deviceShownMidRun();
    void resizeFromEdges_data();
    void resizeFromEdges();
    void doubleClickOnTitleTogglesMaximise();
    void settingsRoundTrip_data();
    void settingsRoundTrip();
    void textIsReadable_data();
    void textIsReadable();
    void chosenDeviceIsTheFilledOne();
    void styleSheetAndPaletteInForce();
    void queryPagesNameTheirWidgetsApart();
    void pagesWearTheWindowBackground_data();
    void pagesWearTheWindowBackground();
    void styleSheetPairsAreReadable_data();
    void styleSheetPairsAreReadable();
    void everyPageFitsTheDefaultSize_data();
    void everyPageFitsTheDefaultSize();
    void activeFilterLooksPressed_data();
    void activeFilterLooksPressed();

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
    QSettings().clear();
    // Its rows compare colours read once: no window each.
    if (QByteArray(QTest::currentTestFunction()) == "styleSheetPairsAreReadable")
        return;
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
        // Then the change since the line's previous run.
        QCOMPARE(table->model()->columnCount(), expected.widths.size() + 1);
        QCOMPARE(table->model()->headerData(expected.widths.size(), Qt::Horizontal).toString(),
                 QStringLiteral("变化"));
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
        // The change column's room comes from the address column.
        QCOMPARE(total + table->columnWidth(expected.widths.size()), expectedTotal);
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
        QVERIFY(child<QWidget>("urlsList_mine")->isVisible());
    if (page == 2)
        QVERIFY(child<QWidget>("urlsList_site")->isVisible());
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

    // The ranking page keeps its own choice: the inclusion page's does not leak into it.
    QVERIFY(child<QRadioButton>("pcRbtn_2")->isChecked());
    QCOMPARE(tabs()->tabText(0), kRankingLabel);
    QCOMPARE(m_window->currentDeviceMode(), QStringLiteral("dnd"));
    QCOMPARE(m_window->rankingDeviceMode(), QStringLiteral("dnd"));
    QCOMPARE(m_window->inclusionDeviceMode(), QStringLiteral("sjd"));

    // Back on the inclusion page its own choice is still shown.
    QTest::mouseClick(child<QToolButton>("tbtnMain1"), Qt::LeftButton);
    QVERIFY(mobile->isChecked());
    QCOMPARE(tabs()->tabText(0), kInclusionMobileLabel);
    QCOMPARE(m_window->currentDeviceMode(), QStringLiteral("sjd"));
}

void TstUIDemo08::maximiseAndRestore()
{
    QTest::mouseClick(child<QToolButton>("tbtnMain1"), Qt::LeftButton);
    m_window->move(120, 90);
    QTRY_COMPARE(m_window->pos(), QPoint(120, 90));
    const QRect normal = m_window->geometry();
    const QRect workArea = QGuiApplication::primaryScreen()->availableGeometry();
    auto *maximise = child<QPushButton>("btnMenu_Max");
    // At the default size the query page stands where it always stood.
    QCOMPARE(child<QWidget>("layoutWidget")->geometry(), QRect(-6, 5, 830, 580));

    QTest::mouseClick(maximise, Qt::LeftButton);
    QTRY_COMPARE(m_window->geometry(), workArea);
    QCOMPARE(m_window->property("canMove").toBool(), false);
    QVERIFY(!m_window->isMaximized());
    // The query page's editor fills the larger window.
    QTRY_VERIFY(child<QWidget>("urlsList")->width() > normal.width() - 200);
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

void TstUIDemo08::deviceShownMidRun_data()
{
    QTest::addColumn<bool>("ranking");
    QTest::addColumn<bool>("mobile");
    QTest::addColumn<QString>("label");
    QTest::newRow("inclusion mobile, ranking desktop") << false << true << kInclusionMobileLabel;
    QTest::newRow("ranking mobile, inclusion desktop") << true << true << kRankingMobileLabel;
    QTest::newRow("ranking desktop, inclusion mobile") << true << false << kRankingLabel;
}

void TstUIDemo08::deviceShownMidRun()
{
    QFETCH(bool, ranking);
    QFETCH(bool, mobile);
    QFETCH(QString, label);
    testsupport::LoopbackBaidu baidu;
    // Held searches keep the run going while the test looks; the session's home-page visit is answered.
    baidu.setHandler([](const testsupport::Request &request) {
        return request.path == "/" ? testsupport::Reply::page(QByteArray("<html></html>"))
                                   : testsupport::Reply::silent();
    });
    m_window->setSearchEndpoints(baidu.endpoints());
    const QString suffix = ranking ? QStringLiteral("_2") : QString();
    auto radio = [&](const char *name, bool onThisPage) {
        return m_window->findChild<QRadioButton *>(
            QLatin1String(name) + (onThisPage == ranking ? QStringLiteral("_2") : QString()));
    };

    // The other page gets the other device first.
    QTest::mouseClick(child<QToolButton>(ranking ? "tbtnMain1" : "tbtnMain2"), Qt::LeftButton);
    QTest::mouseClick(radio(mobile ? "pcRbtn" : "sjRbtn", false), Qt::LeftButton, {}, QPoint(6, 10));
    QTest::mouseClick(child<QToolButton>(ranking ? "tbtnMain2" : "tbtnMain1"), Qt::LeftButton);
    QTest::mouseClick(radio(mobile ? "sjRbtn" : "pcRbtn", true), Qt::LeftButton, {}, QPoint(6, 10));
    QCOMPARE(tabs()->tabText(0), label);

    m_window->findChild<QPlainTextEdit *>(QStringLiteral("urlsList") + suffix)
        ->setPlainText(QStringLiteral("关键词 http://www.quillane.com/a.html"));
    QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("slcxBtn") + suffix), Qt::LeftButton);
    QTRY_VERIFY(baidu.requestCountBesidesHomePage() > 0);
    // Mobile searches ask with "word", desktop ones with "wd"; the session's home-page visit comes first.
    const QList<testsupport::Request> requests = baidu.requests();
    const testsupport::Request first = *std::find_if(
        requests.cbegin(), requests.cend(), [](const testsupport::Request &r) { return r.path != "/"; });
    QCOMPARE(first.param("word").isEmpty(), !mobile);
    QCOMPARE(first.param("wd").isEmpty(), mobile);
    QCOMPARE(tabs()->tabText(0), label);

    // Away and back mid-run, the label still names the device of the run.
    QTest::mouseClick(child<QToolButton>(ranking ? "tbtnMain1" : "tbtnMain2"), Qt::LeftButton);
    QCOMPARE(tabs()->tabText(0), mobile ? (ranking ? kInclusionLabel : kRankingLabel)
                                        : (ranking ? kInclusionMobileLabel : kRankingMobileLabel));
    QTest::mouseClick(child<QToolButton>(ranking ? "tbtnMain2" : "tbtnMain1"), Qt::LeftButton);
    QCOMPARE(tabs()->tabText(0), label);

    // The running page's table grows with the window.
    auto *table = m_window->findChild<QWidget *>(QStringLiteral("resultList") + suffix);
    QTRY_VERIFY(table->isVisible());
    const QSize before = table->size();
    QTest::mouseClick(child<QPushButton>("btnMenu_Max"), Qt::LeftButton);
    QTRY_VERIFY(table->width() > before.width() && table->height() > before.height());
    m_window.reset();
}

void TstUIDemo08::resizeFromEdges_data()
{
    // Where the press lands (relative to the window's corners), the drag, and the change of geometry.
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("drag");
    QTest::addColumn<QList<int>>("change"); // how far the left, top, right and bottom edges move
    QTest::newRow("right edge") << QPoint(-1, 300) << QPoint(60, 40) << QList<int>{0, 0, 60, 0};
    QTest::newRow("bottom edge") << QPoint(400, -2) << QPoint(30, 50) << QList<int>{0, 0, 0, 50};
    QTest::newRow("bottom right corner") << QPoint(-1, -1) << QPoint(70, 45) << QList<int>{0, 0, 70, 45};
    QTest::newRow("left edge") << QPoint(0, 300) << QPoint(-40, 10) << QList<int>{-40, 0, 0, 0};
    QTest::newRow("top left corner") << QPoint(1, 1) << QPoint(-20, -30) << QList<int>{-20, -30, 0, 0};
    QTest::newRow("inside, no resize") << QPoint(400, 300) << QPoint(50, 50) << QList<int>{0, 0, 0, 0};
    QTest::newRow("smaller than the minimum stops there")
        << QPoint(-1, 300) << QPoint(-2000, 0) << QList<int>{0, 0, 1, 0};
}

void TstUIDemo08::resizeFromEdges()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, drag);
    QFETCH(QList<int>, change);
    QTest::mouseClick(child<QToolButton>("tbtnMain1"), Qt::LeftButton);
    m_window->move(100, 80);
    QTRY_COMPARE(m_window->pos(), QPoint(100, 80));
    const QRect start = m_window->geometry();
    // Negative coordinates count from the right and bottom edges.
    const QPoint local(press.x() < 0 ? start.width() + press.x() : press.x(),
                       press.y() < 0 ? start.height() + press.y() : press.y());
    QWindow *window = m_window->windowHandle();
    auto send = [&](QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        // The pointer's place on the screen, whichever way the window has moved since the press.
        QMouseEvent event(type, at, start.topLeft() + at, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(window, &event);
    };
    send(QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, local + drag / 2, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, local + drag, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, local + drag, Qt::LeftButton, Qt::NoButton);

    if (change.at(2) == 1) {
        // Dragged far past it: the window stops at its smallest size and keeps its place.
        QTRY_COMPARE(m_window->width(), m_window->minimumSizeHint().width());
        QVERIFY(m_window->width() >= child<QWidget>("layoutWidget")->minimumSizeHint().width());
        QCOMPARE(m_window->pos(), start.topLeft());
        QVERIFY(m_window->width() < start.width());
        return;
    }
    const QRect expected = start.adjusted(change.at(0), change.at(1), change.at(2), change.at(3));
    if (expected == start) {
        QCOMPARE(m_window->size(), start.size());
        return;
    }
    QTRY_COMPARE(m_window->geometry(), expected);
}

void TstUIDemo08::doubleClickOnTitleTogglesMaximise()
{
    const QRect workArea = QGuiApplication::primaryScreen()->availableGeometry();
    m_window->move(60, 40);
    QTRY_COMPARE(m_window->pos(), QPoint(60, 40));
    const QRect normal = m_window->geometry();
    auto *title = child<QLabel>("labTitle");
    QTest::mouseDClick(title, Qt::LeftButton, {}, title->rect().center());
    QTRY_COMPARE(m_window->geometry(), workArea);
    // The border is no handle while the window fills the work area.
    QCOMPARE(m_window->findChild<WindowResizer *>()->edgesAt(QPoint(0, 300)), Qt::Edges());
    QTest::mouseDClick(title, Qt::LeftButton, {}, title->rect().center());
    QTRY_COMPARE(m_window->geometry(), normal);
    QCOMPARE(m_window->findChild<WindowResizer *>()->edgesAt(QPoint(0, 300)), Qt::Edges(Qt::LeftEdge));
    // A double click on a navigation button is no double click on the title.
    QTest::mouseDClick(child<QToolButton>("btnHelp"), Qt::LeftButton);
    QCOMPARE(m_window->geometry(), normal);
}

void TstUIDemo08::settingsRoundTrip_data()
{
    QTest::addColumn<bool>("inclusionMobile");
    QTest::addColumn<bool>("rankingMobile");
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<QString>("closeWith");
    QTest::newRow("mobile, desktop; ×") << true << false << false << QStringLiteral("btnMenu_Close");
    QTest::newRow("desktop, mobile, maximised; ×")
        << false << true << true << QStringLiteral("btnMenu_Close");
    QTest::newRow("both mobile; application quits") << true << true << false << QString();
}

void TstUIDemo08::settingsRoundTrip()
{
    QFETCH(bool, inclusionMobile);
    QFETCH(bool, rankingMobile);
    QFETCH(bool, maximised);
    QFETCH(QString, closeWith);
    const QString inclusionText =
        QStringLiteral("http://www.quillane.com/a.html\nhttp://www.quillane.com/b.html");
    const QString rankingText = QStringLiteral("关键词 http://www.quillane.com/c.html");
    const QRect geometry(70, 50, 1000, 720);

    m_window->setGeometry(geometry);
    QTRY_COMPARE(m_window->geometry(), geometry);
    QTest::mouseClick(child<QToolButton>("tbtnMain1"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>(inclusionMobile ? "sjRbtn" : "pcRbtn"), Qt::LeftButton, {},
                      QPoint(6, 10));
    child<QPlainTextEdit>("urlsList")->setPlainText(inclusionText);
    QTest::mouseClick(child<QToolButton>("tbtnMain2"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>(rankingMobile ? "sjRbtn_2" : "pcRbtn_2"), Qt::LeftButton, {},
                      QPoint(6, 10));
    child<QPlainTextEdit>("urlsList_2")->setPlainText(rankingText);
    if (maximised)
        QTest::mouseClick(child<QPushButton>("btnMenu_Max"), Qt::LeftButton);
    if (closeWith.isEmpty())
        QMetaObject::invokeMethod(qApp, "aboutToQuit");
    else
        QTest::mouseClick(m_window->findChild<QPushButton *>(closeWith), Qt::LeftButton);
    m_window.reset();

    m_window.reset(Startup::openMainWindow());
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_window->geometry(),
             maximised ? QGuiApplication::primaryScreen()->availableGeometry() : geometry);
    QCOMPARE(child<QRadioButton>("sjRbtn")->isChecked(), inclusionMobile);
    QCOMPARE(child<QRadioButton>("pcRbtn")->isChecked(), !inclusionMobile);
    QCOMPARE(child<QRadioButton>("sjRbtn_2")->isChecked(), rankingMobile);
    QCOMPARE(child<QPlainTextEdit>("urlsList")->toPlainText(), inclusionText);
    QCOMPARE(child<QPlainTextEdit>("urlsList_2")->toPlainText(), rankingText);
    QTest::mouseClick(child<QToolButton>("tbtnMain2"), Qt::LeftButton);
    QCOMPARE(tabs()->tabText(0), rankingMobile ? kRankingMobileLabel : kRankingLabel);
    if (maximised) {
        QTest::mouseClick(child<QPushButton>("btnMenu_Max"), Qt::LeftButton);
        QTRY_COMPARE(m_window->geometry(), geometry);
    }
}

void TstUIDemo08::textIsReadable_data()
{
    // A widget, the page it is on (top navigation button), and the contrast its text needs.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("page");
    QTest::addColumn<double>("needed");
    const double text = 4.5;
    QTest::newRow("基本设置 field") << QStringLiteral("intervalLabel")
                                    << QStringLiteral("btnConfig/tbtnConfig1") << text;
    QTest::newRow("基本设置 certificate warning")
        << QStringLiteral("insecureWarning") << QStringLiteral("btnConfig/tbtnConfig1") << text;
    QTest::newRow("关键词挖掘 hint") << QStringLiteral("tiShi_mine") << QStringLiteral("btnConfig/tbtnMining")
                                     << text;
    QTest::newRow("泛排名查询 hint") << QStringLiteral("tiShi_site") << QStringLiteral("btnData") << text;
    QTest::newRow("电脑端, chosen") << QStringLiteral("pcRbtn") << QStringLiteral("btnMain") << text;
    QTest::newRow("移动端, not chosen") << QStringLiteral("sjRbtn") << QStringLiteral("btnMain") << text;
    QTest::newRow("input hint") << QStringLiteral("tiShi") << QStringLiteral("btnMain") << text;
    QTest::newRow("left entry, chosen") << QStringLiteral("tbtnMain1") << QStringLiteral("btnMain") << text;
    QTest::newRow("left entry, not chosen")
        << QStringLiteral("tbtnMain2") << QStringLiteral("btnMain") << text;
    QTest::newRow("minimise") << QStringLiteral("btnMenu_Min") << QStringLiteral("btnMain") << text;
    QTest::newRow("maximise") << QStringLiteral("btnMenu_Max") << QStringLiteral("btnMain") << text;
    QTest::newRow("close") << QStringLiteral("btnMenu_Close") << QStringLiteral("btnMain") << text;
    // 19 points: large text.
    QTest::newRow("title") << QStringLiteral("labTitle") << QStringLiteral("btnMain") << 3.0;
}

void TstUIDemo08::textIsReadable()
{
    QFETCH(QString, name);
    QFETCH(QString, page);
    QFETCH(double, needed);
    // A top button, then the entry of its left bar when the row names one.
    for (const QString &button : page.split(QLatin1Char('/')))
        QTest::mouseClick(m_window->findChild<QToolButton *>(button), Qt::LeftButton);
    QTest::mouseClick(child<QToolButton>("tbtnMain1"), Qt::LeftButton);
    auto *widget = m_window->findChild<QWidget *>(name);
    QTRY_VERIFY(widget->isVisible());
    // The window's own picture, so that backgrounds painted by parents count.
    const QImage shot = m_window->grab().toImage();
    const QRect area(widget->mapTo(m_window.get(), QPoint()), widget->size());
    const double measured = textContrast(shot, area);
    QVERIFY2(measured >= needed, qPrintable(QStringLiteral("%1:1").arg(measured, 0, 'f', 2)));
    // A glyph too small to read is no control: the title bar's buttons show theirs at 16 pixels or more.
    if (name.startsWith(QLatin1String("btnMenu")))
        QVERIFY(widget->font().pixelSize() >= 16);
}

void TstUIDemo08::chosenDeviceIsTheFilledOne()
{
    QTest::mouseClick(child<QToolButton>("tbtnMain1"), Qt::LeftButton);
    const QImage shot = m_window->grab().toImage();
    // The indicator's centre against its rim and against the button around it.
    auto sample = [&](const char *name) {
        auto *button = child<QRadioButton>(name);
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect indicator = button->style()
                                    ->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button)
                                    .translated(button->mapTo(m_window.get(), QPoint()));
        return std::make_tuple(shot.pixel(indicator.center()),
                               shot.pixel(indicator.center().x(), indicator.top() + 1),
                               shot.pixel(indicator.right() + 2, indicator.center().y()));
    };
    QVERIFY(child<QRadioButton>("pcRbtn")->isChecked());
    const auto [chosenCentre, chosenRim, chosenAround] = sample("pcRbtn");
    const auto [otherCentre, otherRim, otherAround] = sample("sjRbtn");
    Q_UNUSED(chosenAround)
    Q_UNUSED(otherRim)
    // Chosen: filled, its centre like its rim. Not chosen: hollow, its centre like the button around it.
    QVERIFY(contrast(chosenCentre, chosenRim) < 1.5);
    QVERIFY(contrast(otherCentre, otherAround) < 1.5);
    QVERIFY(contrast(chosenCentre, otherCentre) >= 3);
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

// Both query pages are one form: the ranking page's widgets carry "_2", and no name is found twice.
void TstUIDemo08::queryPagesNameTheirWidgetsApart()
{
    const QList<QWidget *> named = child<QWidget>("slcxTab")->findChildren<QWidget *>();
    int checked = 0;
    for (const QWidget *widget : named) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        QCOMPARE(m_window->findChildren<QWidget *>(name).size(), 1);
        const QList<QWidget *> twins = m_window->findChildren<QWidget *>(name + QStringLiteral("_2"));
        QVERIFY2(twins.size() == 1, qPrintable(name));
        QVERIFY2(child<QWidget>("pmcxTab")->isAncestorOf(twins.first()), qPrintable(name));
        ++checked;
    }
    QVERIFY(checked >= 20);
}

void TstUIDemo08::pagesWearTheWindowBackground_data()
{
    // The page's place in the navigation, and a widget filling the page.
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("name");
    QTest::newRow("基本设置") << QStringLiteral("btnConfig/tbtnConfig1") << QStringLiteral("settingsScroll");
    QTest::newRow("关键词挖掘") << QStringLiteral("btnConfig/tbtnMining") << QStringLiteral("MiningPage");
    QTest::newRow("泛排名查询") << QStringLiteral("btnData") << QStringLiteral("SiteRankingPage");
}

void TstUIDemo08::pagesWearTheWindowBackground()
{
    QFETCH(QString, page);
    QFETCH(QString, name);
    for (const QString &button : page.split(QLatin1Char('/')))
        QTest::mouseClick(m_window->findChild<QToolButton *>(button), Qt::LeftButton);
    auto *widget = m_window->findChild<QWidget *>(name);
    QTRY_VERIFY(widget->isVisible());
    // The page's left margin, where no child paints.
    const QPoint margin = widget->mapTo(m_window.get(), QPoint(1, widget->height() / 2));
    QCOMPARE(QColor(m_window->grab().toImage().pixel(margin)), QColor(QStringLiteral("#c8def9")));
}

void TstUIDemo08::styleSheetPairsAreReadable_data()
{
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("background");
    // The application's sheet and every widget's own, as the window has them.
    QFile file(QStringLiteral(":/qss/blue.css"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QColor window(QStringLiteral("#c8def9"));
    const QString appSheet = QString::fromLatin1(file.readAll());
    QList<ColourPair> pairs = colourPairsOf(appSheet, window, Qt::black);
    UIDemo08 *built = Startup::openMainWindow();
    // The sheet's own "*" text colour is what a widget's rule without one shows.
    const QColor text(
        QRegularExpression(QStringLiteral("\\*\\{[^}]*color:(#[0-9a-fA-F]{6})")).match(appSheet).captured(1));
    QVERIFY(text.isValid());
    for (QWidget *widget : built->findChildren<QWidget *>()) {
        if (!widget->styleSheet().isEmpty()) {
            for (ColourPair pair : colourPairsOf(widget->styleSheet(), window, text)) {
                pair.rule.prepend(widget->objectName() + QLatin1Char(' '));
                pairs.append(pair);
            }
        }
    }
    delete built;
    QVERIFY(pairs.size() > 40);
    QSet<QString> named;
    for (const ColourPair &pair : qAsConst(pairs)) {
        const QString row =
            pair.rule + QLatin1Char(' ') + pair.text.name() + QLatin1Char('/') + pair.background.name();
        if (!named.contains(row)) {
            named.insert(row);
            QTest::newRow(qPrintable(row)) << pair.text << pair.background;
        }
    }
}

void TstUIDemo08::styleSheetPairsAreReadable()
{
    QFETCH(QColor, text);
    QFETCH(QColor, background);
    const double measured = contrast(text.rgb(), background.rgb());
    QVERIFY2(measured >= 4.5, qPrintable(QStringLiteral("%1:1").arg(measured, 0, 'f', 2)));
}

void TstUIDemo08::everyPageFitsTheDefaultSize_data()
{
    // The buttons that lead to the page; 历史记录 is visited first on some rows.
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<bool>("historyFirst");
    const QString main = QStringLiteral("btnMain");
    QTest::newRow("收录查询") << QStringList{main, QStringLiteral("tbtnMain1")} << false;
    QTest::newRow("排名查询") << QStringList{main, QStringLiteral("tbtnMain2")} << false;
    QTest::newRow("历史记录") << QStringList{main, QStringLiteral("tbtnMain3")} << false;
    for (bool history : {false, true}) {
        const QString after = history ? QStringLiteral(", after 历史记录") : QString();
        QTest::newRow(qPrintable(QStringLiteral("关键词挖掘") + after))
            << QStringList{QStringLiteral("btnConfig"), QStringLiteral("tbtnMining")} << history;
        QTest::newRow(qPrintable(QStringLiteral("基本设置") + after))
            << QStringList{QStringLiteral("btnConfig"), QStringLiteral("tbtnConfig1")} << history;
        QTest::newRow(qPrintable(QStringLiteral("泛排名查询") + after))
            << QStringList{QStringLiteral("btnData")} << history;
        QTest::newRow(qPrintable(QStringLiteral("帮助手册") + after))
            << QStringList{QStringLiteral("btnHelp")} << history;
    }
}

void TstUIDemo08::everyPageFitsTheDefaultSize()
{
    QFETCH(QStringList, path);
    QFETCH(bool, historyFirst);
    if (historyFirst) {
        QTest::mouseClick(child<QToolButton>("btnMain"), Qt::LeftButton);
        QTest::mouseClick(child<QToolButton>("tbtnMain3"), Qt::LeftButton);
    }
    for (const QString &button : qAsConst(path))
        QTest::mouseClick(m_window->findChild<QToolButton *>(button), Qt::LeftButton);
    QTRY_COMPARE(m_window->size(), QSize(946, 700));
    QVERIFY(m_window->minimumSizeHint().width() <= 946 && m_window->minimumSizeHint().height() <= 700);
    // No label or button of the top bar drawn narrower or lower than its text (and icon) needs.
    const QWidget *bar = child<QWidget>("widgetTitle");
    for (QWidget *widget : bar->findChildren<QWidget *>()) {
        auto *button = qobject_cast<QAbstractButton *>(widget);
        if (!widget->isVisible() || !(qobject_cast<QLabel *>(widget) || button))
            continue;
        const bool textUnderIcon = button && !button->text().isEmpty() && !button->icon().isNull();
        const int needed = widget->fontMetrics().height() + (textUnderIcon ? button->iconSize().height() : 0);
        QVERIFY2(widget->width() >= widget->sizeHint().width() && widget->height() >= needed,
                 qPrintable(QStringLiteral("%1 %2x%3, needs %4x%5")
                                .arg(widget->objectName())
                                .arg(widget->width())
                                .arg(widget->height())
                                .arg(widget->sizeHint().width())
                                .arg(needed)));
    }
    const QByteArray screens = qgetenv("QUILLANE_TEST_SCREENS");
    if (!screens.isEmpty())
        m_window->grab().save(
            QDir(QString::fromLocal8Bit(screens))
                .filePath(QString::fromUtf8(QTest::currentDataTag()) + QStringLiteral(".png")));
}

void TstUIDemo08::activeFilterLooksPressed_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<bool>("hovered"); // the other button under the mouse
    for (const char *bar : {"filterBar", "filterBar_2", "filterBar_site", "filterBar_mine"}) {
        QTest::newRow(bar) << QString::fromLatin1(bar) << false;
        QTest::newRow(qPrintable(QString::fromLatin1(bar) + QStringLiteral(", other hovered")))
            << QString::fromLatin1(bar) << true;
    }
}

void TstUIDemo08::activeFilterLooksPressed()
{
    QFETCH(QString, bar);
    QFETCH(bool, hovered);
    const QList<QPushButton *> buttons = child<QWidget>(qPrintable(bar))->findChildren<QPushButton *>();
    QVERIFY(buttons.size() >= 2);
    QVERIFY(buttons.at(0)->isChecked() && !buttons.at(1)->isChecked());
    buttons.at(1)->setAttribute(Qt::WA_UnderMouse, hovered);
    // A button's most common colour is its background.
    const auto background = [](QPushButton *button) {
        const QImage picture = button->grab().toImage();
        QHash<QRgb, int> counts;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x)
                ++counts[picture.pixel(x, y) | 0xff000000];
        }
        return std::max_element(counts.cbegin(), counts.cend()).key();
    };
    const double apart = contrast(background(buttons.at(0)), background(buttons.at(1)));
    QVERIFY2(apart >= 3, qPrintable(QStringLiteral("%1:1").arg(apart, 0, 'f', 2)));
    // Its whole text shows: "大家还在搜" included.
    for (QPushButton *button : buttons)
        QVERIFY2(button->sizeHint().width() <= button->maximumWidth(), qPrintable(button->text()));
}

QUILLANE_WINDOW_TEST_MAIN(TstUIDemo08)
#include "tst_uidemo08.moc"
