// The application-wide drag filter, on plain top-level widgets.
#include "app/appinit.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A top-level window that counts the mouse events its own handlers receive.
class DragProbe : public QWidget
{
public:
    DragProbe()
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setProperty("canMove", true);
        setMouseTracking(true);
        auto *layout = new QVBoxLayout(this);
        label = new QLabel(QStringLiteral("背景"), this);
        button = new QPushButton(QStringLiteral("按钮"), this);
        layout->addWidget(label);
        layout->addWidget(button);
        resize(300, 200);
    }

    int presses = 0, releases = 0, moves = 0, doubleClicks = 0;
    QLabel *label = nullptr;
    QPushButton *button = nullptr;

protected:
    void mousePressEvent(QMouseEvent *event) override { ++presses, event->ignore(); }
    void mouseReleaseEvent(QMouseEvent *event) override { ++releases, event->ignore(); }
    void mouseMoveEvent(QMouseEvent *event) override { ++moves, event->ignore(); }
    void mouseDoubleClickEvent(QMouseEvent *event) override { ++doubleClicks, event->ignore(); }
};

// Delivers a mouse event as the window system would, propagation included.
void send(QWidget *target, QEvent::Type type, const QPoint &global, Qt::MouseButton button,
          Qt::MouseButtons held)
{
    QMouseEvent event(type, target->mapFromGlobal(global), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TstAppInit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void singleInstance();
    void dragKeepsPointUnderCursor();
    void dragStartsOnlyOnBackground_data();
    void dragStartsOnlyOnBackground();
    void whichEventsAreConsumed_data();
    void whichEventsAreConsumed();
    void moveWithoutHeldButtonNeverMoves();
    void canMoveSwitchesAtOnce();

private:
    DragProbe *m_probe = nullptr;
};

void TstAppInit::initTestCase()
{
    AppInit::instance()->install();
}

void TstAppInit::init()
{
    m_probe = new DragProbe;
    m_probe->move(400, 250);
    m_probe->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_probe));
    QTRY_COMPARE(m_probe->pos(), QPoint(400, 250));
}

void TstAppInit::cleanup()
{
    // A release ends any drag a test left open.
    send(m_probe, QEvent::MouseButtonRelease, QPoint(0, 0), Qt::LeftButton, Qt::NoButton);
    delete m_probe;
    m_probe = nullptr;
}

void TstAppInit::singleInstance()
{
    AppInit *first = AppInit::instance();
    QCOMPARE(AppInit::instance(), first);
    QVERIFY(!first->parent());
    QCOMPARE(QLatin1String(first->metaObject()->className()), QLatin1String("AppInit"));
}

void TstAppInit::dragKeepsPointUnderCursor()
{
    send(m_probe, QEvent::MouseButtonPress, QPoint(500, 300), Qt::LeftButton, Qt::LeftButton);
    send(m_probe, QEvent::MouseMove, QPoint(520, 310), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(m_probe->pos(), QPoint(420, 260));
    send(m_probe, QEvent::MouseMove, QPoint(450, 280), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(m_probe->pos(), QPoint(350, 230));
    send(m_probe, QEvent::MouseButtonRelease, QPoint(450, 280), Qt::LeftButton, Qt::NoButton);
    send(m_probe, QEvent::MouseMove, QPoint(600, 600), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(m_probe->pos(), QPoint(350, 230));
}

void TstAppInit::dragStartsOnlyOnBackground_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("moves");
    QTest::newRow("window background") << QStringLiteral("window") << true;
    QTest::newRow("label") << QStringLiteral("label") << true;
    QTest::newRow("push button") << QStringLiteral("button") << false;
}

void TstAppInit::dragStartsOnlyOnBackground()
{
    QFETCH(QString, target);
    QFETCH(bool, moves);
    QWidget *widget = target == QLatin1String("label")    ? static_cast<QWidget *>(m_probe->label)
                      : target == QLatin1String("button") ? static_cast<QWidget *>(m_probe->button)
                                                          : static_cast<QWidget *>(m_probe);

    const QPoint start = widget->mapToGlobal(widget->rect().center());
    const QPoint before = m_probe->pos();
    // Moves go where the press went, as under an implicit mouse grab.
    send(widget, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    send(widget, QEvent::MouseMove, start + QPoint(35, -12), Qt::NoButton, Qt::LeftButton);

    QCOMPARE(m_probe->pos(), moves ? before + QPoint(35, -12) : before);
    if (!moves)
        QVERIFY(m_probe->button->isDown());
    send(widget, QEvent::MouseButtonRelease, start + QPoint(35, -12), Qt::LeftButton, Qt::NoButton);
}

void TstAppInit::whichEventsAreConsumed_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("reachesWindow");
    QTest::newRow("left press") << int(QEvent::MouseButtonPress) << int(Qt::LeftButton) << false;
    QTest::newRow("right press") << int(QEvent::MouseButtonPress) << int(Qt::RightButton) << true;
    QTest::newRow("middle press") << int(QEvent::MouseButtonPress) << int(Qt::MiddleButton) << true;
    QTest::newRow("left release") << int(QEvent::MouseButtonRelease) << int(Qt::LeftButton) << false;
    QTest::newRow("right release") << int(QEvent::MouseButtonRelease) << int(Qt::RightButton) << false;
    QTest::newRow("double click") << int(QEvent::MouseButtonDblClick) << int(Qt::LeftButton) << true;
}

void TstAppInit::whichEventsAreConsumed()
{
    QFETCH(int, type);
    QFETCH(int, button);
    QFETCH(bool, reachesWindow);

    const auto eventType = QEvent::Type(type);
    const auto mouseButton = Qt::MouseButton(button);
    const Qt::MouseButtons held = eventType == QEvent::MouseButtonRelease ? Qt::NoButton : mouseButton;
    send(m_probe, eventType, m_probe->mapToGlobal(QPoint(5, 5)), mouseButton, held);

    const int received = eventType == QEvent::MouseButtonPress     ? m_probe->presses
                         : eventType == QEvent::MouseButtonRelease ? m_probe->releases
                                                                   : m_probe->doubleClicks;
    QCOMPARE(received, reachesWindow ? 1 : 0);
}

void TstAppInit::moveWithoutHeldButtonNeverMoves()
{
    const QPoint before = m_probe->pos();
    send(m_probe, QEvent::MouseMove, QPoint(700, 700), Qt::NoButton, Qt::NoButton);
    QCOMPARE(m_probe->moves, 1);

    // Even mid-drag, a move without any held button is passed on untouched.
    send(m_probe, QEvent::MouseButtonPress, QPoint(500, 300), Qt::LeftButton, Qt::LeftButton);
    send(m_probe, QEvent::MouseMove, QPoint(700, 700), Qt::NoButton, Qt::NoButton);
    QCOMPARE(m_probe->pos(), before);
    QCOMPARE(m_probe->moves, 2);
}

void TstAppInit::canMoveSwitchesAtOnce()
{
    m_probe->setProperty("canMove", false);
    const QPoint before = m_probe->pos();
    send(m_probe, QEvent::MouseButtonPress, QPoint(500, 300), Qt::LeftButton, Qt::LeftButton);
    send(m_probe, QEvent::MouseMove, QPoint(540, 330), Qt::NoButton, Qt::LeftButton);
    send(m_probe, QEvent::MouseButtonRelease, QPoint(540, 330), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(m_probe->pos(), before);
    QCOMPARE(m_probe->presses, 1);
    QCOMPARE(m_probe->releases, 1);

    m_probe->setProperty("canMove", true);
    send(m_probe, QEvent::MouseButtonPress, QPoint(500, 300), Qt::LeftButton, Qt::LeftButton);
    send(m_probe, QEvent::MouseMove, QPoint(540, 330), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(m_probe->pos(), before + QPoint(40, 30));
    QCOMPARE(m_probe->presses, 1);
}

QTEST_MAIN(TstAppInit)
#include "tst_appinit.moc"
