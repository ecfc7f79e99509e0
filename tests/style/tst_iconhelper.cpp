#include "style/iconhelper.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QString kBorder = QStringLiteral("#cccccc");
const QString kIdleBackground = QStringLiteral("#bbd7f7");
const QString kActiveBackground = QStringLiteral("#accdf2");
const QString kIdleText = QStringLiteral("#54626F");
const QString kActiveText = QStringLiteral("#FDFDFD");

QImage iconImage(const QAbstractButton *button)
{
    return button->icon().pixmap(button->iconSize()).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage plain(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// A left navigation bar like the window's: a container flagged "left" holding tool buttons.
struct NavigationBar
{
    QWidget window;
    QWidget *container = new QWidget(&window);
    QList<QToolButton *> buttons;

    explicit NavigationBar(int count, Qt::ToolButtonStyle style = Qt::ToolButtonTextUnderIcon)
    {
        container->setObjectName(QStringLiteral("widgetLeftMain"));
        container->setProperty("flag", QStringLiteral("left"));
        auto *layout = new QVBoxLayout(container);
        for (int i = 0; i < count; ++i) {
            auto *button = new QToolButton(container);
            button->setText(QStringLiteral("入口%1").arg(i));
            button->setCheckable(true);
            button->setToolButtonStyle(style);
            button->setMinimumSize(120, 60);
            layout->addWidget(button);
            buttons << button;
        }
        layout->addStretch();
        window.resize(200, 80 * count + 60);
    }
};

} // namespace

// The icon-font helper: glyph pictures, generated navigation style sheets
// and the hover pictures of styled buttons.
class TestIconHelper : public QObject
{
    Q_OBJECT

private slots:
    void singleInstanceOwnedByApplication();
    void sideFragment_data();
    void sideFragment();
    void navigationStyleSheet_data();
    void navigationStyleSheet();
    void unusableListsChangeNothing_data();
    void unusableListsChangeNothing();
    void renderedGlyphIsCentredOnTransparent_data();
    void renderedGlyphIsCentredOnTransparent();
    void buttonAndLabelGlyphs();
    void hoverAndLeaveSwapPictures();
    void firstRegistrationWins();
    void otherButtonClassesAreLeftAlone();
};

void TestIconHelper::singleInstanceOwnedByApplication()
{
    IconHelper *helper = IconHelper::instance();
    QVERIFY(helper);
    QCOMPARE(IconHelper::instance(), helper);
    QCOMPARE(helper->parent(), qApp);
    QCOMPARE(QByteArray(helper->metaObject()->className()), QByteArray("IconHelper"));
    QCOMPARE(helper->glyphFont().family(), QStringLiteral("FontAwesome"));
}

void TestIconHelper::sideFragment_data()
{
    QTest::addColumn<QString>("side");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("top 1") << QStringLiteral("top") << 1
                           << QStringLiteral("border-width:1px 0px 0px 0px;padding:1px 2px 2px 2px;");
    QTest::newRow("right 3") << QStringLiteral("right") << 3
                             << QStringLiteral("border-width:0px 3px 0px 0px;padding:6px 3px 6px 6px;");
    QTest::newRow("bottom 5") << QStringLiteral("bottom") << 5
                              << QStringLiteral("border-width:0px 0px 5px 0px;padding:10px 10px 5px 10px;");
    QTest::newRow("left 2") << QStringLiteral("left") << 2
                            << QStringLiteral("border-width:0px 0px 0px 2px;padding:4px 4px 4px 2px;");
    QTest::newRow("left 12") << QStringLiteral("left") << 12
                             << QStringLiteral("border-width:0px 0px 0px 12px;padding:24px 24px 24px 12px;");
    QTest::newRow("capitalised") << QStringLiteral("Left") << 2 << QString();
    QTest::newRow("empty") << QString() << 2 << QString();
}

void TestIconHelper::sideFragment()
{
    QFETCH(QString, side);
    QFETCH(int, width);
    QFETCH(QString, fragment);
    QCOMPARE(IconHelper::sideFragment(side, width), fragment);
}

void TestIconHelper::navigationStyleSheet_data()
{
    QTest::addColumn<QString>("side");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("sheet");

    const QString tail =
        QStringLiteral("QWidget#widgetLeftMain{background:#bbd7f7;}"
                       "QWidget>QToolButton{border-width:0px;}"
                       "QWidget>QToolButton{background-color:#bbd7f7;color:#54626F;}"
                       "QWidget>QToolButton:hover,QWidget>QToolButton:pressed,QWidget>QToolButton:checked{"
                       "background-color:#accdf2;color:#FDFDFD;}");

    QTest::newRow("left 2, text under icon")
        << QStringLiteral("left") << int(Qt::ToolButtonTextUnderIcon)
        << QStringLiteral(
               "QWidget[flag=\"left\"] QAbstractButton{border-style:none;border-radius:0px;padding:5px;"
               "color:#54626F;background:#bbd7f7;}"
               "QWidget[flag=\"left\"] QAbstractButton:hover,QWidget[flag=\"left\"] QAbstractButton:pressed,"
               "QWidget[flag=\"left\"] QAbstractButton:checked{border-style:solid;"
               "border-width:0px 0px 0px 2px;padding:4px 4px 4px 2px;border-color:#cccccc;color:#FDFDFD;"
               "background:#accdf2;}") +
               tail;
    // Beside the icon the idle rule carries the side border, coloured like the background.
    QTest::newRow("left 2, text beside icon")
        << QStringLiteral("left") << int(Qt::ToolButtonTextBesideIcon)
        << QStringLiteral(
               "QWidget[flag=\"left\"] QAbstractButton{border-style:solid;border-radius:0px;"
               "border-width:0px 0px 0px 2px;padding:4px 4px 4px 2px;border-color:#bbd7f7;color:#54626F;"
               "background:#bbd7f7;}"
               "QWidget[flag=\"left\"] QAbstractButton:hover,QWidget[flag=\"left\"] QAbstractButton:pressed,"
               "QWidget[flag=\"left\"] QAbstractButton:checked{border-style:solid;"
               "border-width:0px 0px 0px 2px;padding:4px 4px 4px 2px;border-color:#cccccc;color:#FDFDFD;"
               "background:#accdf2;}") +
               tail;
    QTest::newRow("capitalised side has no border width")
        << QStringLiteral("Left") << int(Qt::ToolButtonTextUnderIcon)
        << QStringLiteral(
               "QWidget[flag=\"Left\"] QAbstractButton{border-style:none;border-radius:0px;padding:5px;"
               "color:#54626F;background:#bbd7f7;}"
               "QWidget[flag=\"Left\"] QAbstractButton:hover,QWidget[flag=\"Left\"] QAbstractButton:pressed,"
               "QWidget[flag=\"Left\"] QAbstractButton:checked{border-style:solid;border-color:#cccccc;"
               "color:#FDFDFD;background:#accdf2;}") +
               tail;
}

void TestIconHelper::navigationStyleSheet()
{
    QFETCH(QString, side);
    QFETCH(int, style);
    QFETCH(QString, sheet);

    NavigationBar bar(2, Qt::ToolButtonStyle(style));
    bar.container->setStyleSheet(QStringLiteral("QWidget{color:red;}"));
    IconHelper::instance()->styleNavigationBar(bar.container, bar.buttons, {0xF002, 0xF03A}, 15, 35, 25, side,
                                               2, kBorder, kIdleBackground, kActiveBackground, kIdleText,
                                               kActiveText);
    QCOMPARE(bar.container->styleSheet(), sheet);
    for (QToolButton *button : qAsConst(bar.buttons))
        QCOMPARE(button->iconSize(), QSize(35, 25));
}

void TestIconHelper::unusableListsChangeNothing_data()
{
    QTest::addColumn<int>("buttonCount");
    QTest::addColumn<QList<int>>("glyphs");

    QTest::newRow("no buttons") << 0 << QList<int>{0xF002};
    QTest::newRow("no glyphs") << 2 << QList<int>{};
    QTest::newRow("fewer glyphs") << 2 << QList<int>{0xF002};
    QTest::newRow("more glyphs") << 1 << QList<int>{0xF002, 0xF03A};
}

void TestIconHelper::unusableListsChangeNothing()
{
    QFETCH(int, buttonCount);
    QFETCH(QList<int>, glyphs);

    IconHelper *helper = IconHelper::instance();
    NavigationBar bar(buttonCount);
    const QString before = QStringLiteral("QWidget{color:red;}");
    bar.container->setStyleSheet(before);
    helper->styleNavigationBar(bar.container, bar.buttons, glyphs, 15, 35, 25, QStringLiteral("left"), 2,
                               kBorder, kIdleBackground, kActiveBackground, kIdleText, kActiveText);
    QCOMPARE(bar.container->styleSheet(), before);

    QFrame frame;
    frame.setStyleSheet(before);
    helper->styleFrameButtons(&frame, bar.buttons, glyphs, 15, 35, 25, kIdleBackground, kActiveBackground,
                              kIdleText, kActiveText);
    QCOMPARE(frame.styleSheet(), before);

    for (QToolButton *button : qAsConst(bar.buttons)) {
        QVERIFY(button->icon().isNull());
        QVERIFY(helper->stateGlyph(button, true).isNull());
    }
}

void TestIconHelper::renderedGlyphIsCentredOnTransparent_data()
{
    QTest::addColumn<int>("glyph");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<QSize>("size");

    QTest::newRow("search 15 in 35x25") << 0xF002 << 15 << QSize(35, 25);
    QTest::newRow("list 15 in 35x25") << 0xF03A << 15 << QSize(35, 25);
    QTest::newRow("font 10 in 20x15") << 0xF031 << 10 << QSize(20, 15);
    QTest::newRow("minus 12 in 30x30") << 0xF068 << 12 << QSize(30, 30);
}

void TestIconHelper::renderedGlyphIsCentredOnTransparent()
{
    QFETCH(int, glyph);
    QFETCH(int, pixelSize);
    QFETCH(QSize, size);

    const QImage image = plain(
        IconHelper::instance()->renderGlyph(kIdleText, QChar(glyph), pixelSize, size.width(), size.height()));
    QCOMPARE(image.size(), size);

    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            ink |= QRect(x, y, 1, 1);
            // Antialiased edges blend only towards transparency, never another colour.
            if (qAlpha(pixel) == 255)
                QCOMPARE(QColor(pixel), QColor(kIdleText));
        }
    }
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.width() <= pixelSize + 2 && ink.height() <= pixelSize + 2,
             qPrintable(QString::number(ink.width())));
    // Centred: the untouched margins on opposite sides differ by at most a pixel or two.
    QVERIFY(qAbs(ink.left() - (size.width() - 1 - ink.right())) <= 2);
    QVERIFY(qAbs(ink.top() - (size.height() - 1 - ink.bottom())) <= 2);
}

void TestIconHelper::buttonAndLabelGlyphs()
{
    IconHelper *helper = IconHelper::instance();
    QPushButton button;
    QLabel label;
    helper->setButtonGlyph(&button, QChar(0xF068), 12);
    helper->setLabelGlyph(&label, QChar(0xF00D), 20);

    QCOMPARE(button.text(), QString(QChar(0xF068)));
    QCOMPARE(button.font().family(), QStringLiteral("FontAwesome"));
    QCOMPARE(button.font().pixelSize(), 12);
    QCOMPARE(label.text(), QString(QChar(0xF00D)));
    QCOMPARE(label.font().pixelSize(), 20);
}

void TestIconHelper::hoverAndLeaveSwapPictures()
{
    IconHelper *helper = IconHelper::instance();
    NavigationBar bar(2);
    helper->styleNavigationBar(bar.container, bar.buttons, {0xF002, 0xF03A}, 15, 35, 25,
                               QStringLiteral("left"), 2, kBorder, kIdleBackground, kActiveBackground,
                               kIdleText, kActiveText);
    QToolButton *checked = bar.buttons.at(0);
    QToolButton *unchecked = bar.buttons.at(1);
    checked->setChecked(true);
    const QImage checkedActive = plain(helper->stateGlyph(checked, false));
    const QImage uncheckedIdle = plain(helper->stateGlyph(unchecked, true));
    const QImage uncheckedActive = plain(helper->stateGlyph(unchecked, false));
    QVERIFY(uncheckedIdle != uncheckedActive);
    QCOMPARE(iconImage(unchecked), uncheckedIdle);

    bar.window.move(100, 100);
    bar.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar.window));
    QTest::mouseMove(&bar.window, QPoint(190, bar.window.height() - 5));

    // Into either button: the active picture, checked or not.
    QTest::mouseMove(unchecked, unchecked->rect().center());
    QTRY_COMPARE(iconImage(unchecked), uncheckedActive);
    QTest::mouseMove(checked, checked->rect().center());
    QTRY_COMPARE(iconImage(checked), checkedActive);
    // Out of the unchecked one it turns idle again; out of the checked one it stays active.
    QTRY_COMPARE(iconImage(unchecked), uncheckedIdle);
    QTest::mouseMove(&bar.window, QPoint(190, bar.window.height() - 5));
    QTRY_VERIFY(!checked->underMouse());
    QCOMPARE(iconImage(checked), checkedActive);
}

void TestIconHelper::firstRegistrationWins()
{
    IconHelper *helper = IconHelper::instance();
    NavigationBar bar(1);
    helper->styleNavigationBar(bar.container, bar.buttons, {0xF002}, 15, 35, 25, QStringLiteral("left"), 2,
                               kBorder, kIdleBackground, kActiveBackground, kIdleText, kActiveText);
    const QImage first = plain(helper->stateGlyph(bar.buttons.first(), true));

    helper->styleNavigationBar(bar.container, bar.buttons, {0xF031}, 10, 20, 15, QStringLiteral("left"), 5,
                               kBorder, kIdleBackground, kActiveBackground, kIdleText, kActiveText);
    QCOMPARE(plain(helper->stateGlyph(bar.buttons.first(), true)), first);

    QToolButton stranger;
    QVERIFY(helper->stateGlyph(&stranger, true).isNull());
    QVERIFY(helper->stateGlyph(&stranger, false).isNull());
}

void TestIconHelper::otherButtonClassesAreLeftAlone()
{
    IconHelper *helper = IconHelper::instance();
    const QIcon own(helper->renderGlyph(QStringLiteral("#000000"), QChar(0xF067), 12, 16, 16));
    QPushButton pushButton;
    QToolButton unregistered;
    for (QAbstractButton *button :
         {static_cast<QAbstractButton *>(&pushButton), static_cast<QAbstractButton *>(&unregistered)}) {
        button->setIcon(own);
        button->installEventFilter(helper);
        const qint64 before = button->icon().cacheKey();
        QEvent enter(QEvent::Enter);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &enter);
        QCoreApplication::sendEvent(button, &leave);
        QCOMPARE(button->icon().cacheKey(), before);
    }
}

QTEST_MAIN(TestIconHelper)
#include "tst_iconhelper.moc"
