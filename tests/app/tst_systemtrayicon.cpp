#include "app/systemtrayicon.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
const QStringList kMessages = {QStringLiteral("Quillane工具"), QStringLiteral("收录与排名查询")};

struct MenuTexts
{
    QString restore, minimise, quit, chinese, english, language;
};

const MenuTexts kChineseTexts = {QStringLiteral("还 原(&R)"), QStringLiteral("最小化(&M)"),
                                 QStringLiteral("退出(&Q)"),  QStringLiteral("简体中文(&C)"),
                                 QStringLiteral("英语(&E)"),  QStringLiteral("语言设置")};
const MenuTexts kEnglishTexts = {QStringLiteral("Restore(&R)"), QStringLiteral("Min(&M)"),
                                 QStringLiteral("Exit(&Q)"),    QStringLiteral("China(&C)"),
                                 QStringLiteral("English(&E)"), QStringLiteral("Language")};

// A stand-in for the main window with the tray object built the way start-up builds it.
struct TrayFixture
{
    TrayFixture()
    {
        window.resize(320, 200);
        window.show();
        QPixmap image(32, 32);
        image.fill(Qt::blue);
        tray = new SystemTrayIcon(kMessages, QIcon(image), &window);
    }
    QAction *action(const char *name) const { return tray->findChild<QAction *>(QLatin1String(name)); }
    QMenu *menu(const char *name) const { return tray->findChild<QMenu *>(QLatin1String(name)); }

    QWidget window;
    SystemTrayIcon *tray = nullptr;
};
} // namespace

Q_DECLARE_METATYPE(MenuTexts)

// The tray under a real notification area host (trayer), and without one.
class TstSystemTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    void withoutTrayHostStaysInert();
    void iconIsVisibleWithMenuInOrder();
    void languageSwitchRetranslatesMenu_data();
    void languageSwitchRetranslatesMenu();
    void menuHidesAndRestoresWindow_data();
    void menuHidesAndRestoresWindow();
    void activationRestoresOnlyOnDoubleClick_data();
    void activationRestoresOnlyOnDoubleClick();
    void quitEndsLoopWhileWindowHidden();
    void cleanupTestCase();

private:
    bool startTrayHost();

    std::unique_ptr<QProcess> m_trayHost;
};

bool TstSystemTrayIcon::startTrayHost()
{
    if (!m_trayHost) {
        m_trayHost = std::make_unique<QProcess>();
        m_trayHost->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_trayHost->start(QStringLiteral("trayer"),
                          {QStringLiteral("--SetDockType"), QStringLiteral("true")});
        if (!m_trayHost->waitForStarted(5000))
            return false;
    }
    // The host owns the tray selection only once it has mapped its panel.
    return QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000);
}

void TstSystemTrayIcon::cleanupTestCase()
{
    if (m_trayHost) {
        m_trayHost->terminate();
        if (!m_trayHost->waitForFinished(3000))
            m_trayHost->kill();
        m_trayHost->waitForFinished(3000);
    }
}

void TstSystemTrayIcon::withoutTrayHostStaysInert()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this display already has a notification area");

    TrayFixture fixture;
    QVERIFY(!fixture.window.findChild<QSystemTrayIcon *>());
    QVERIFY(!fixture.tray->isVisible());

    // The menu still exists and switches language without an icon to show it.
    QSignalSpy refreshed(fixture.tray, &SystemTrayIcon::signal_lang_refresh);
    fixture.action("englishAction")->trigger();
    QCOMPARE(refreshed.count(), 1);
    QCOMPARE(fixture.action("quitAction")->text(), kEnglishTexts.quit);
    QVERIFY(fixture.window.isVisible());
}

void TstSystemTrayIcon::iconIsVisibleWithMenuInOrder()
{
    QVERIFY2(startTrayHost(), "trayer did not provide a notification area");
    TrayFixture fixture;

    auto *icon = fixture.window.findChild<QSystemTrayIcon *>();
    QVERIFY(icon);
    QVERIFY(icon->isVisible());
    QCOMPARE(icon->toolTip(), kMessages.at(1));
    QCOMPARE(icon->contextMenu(), fixture.menu("trayMenu"));
    QVERIFY(!fixture.tray->isVisible());

    const QList<QAction *> entries = fixture.menu("trayMenu")->actions();
    QCOMPARE(entries.size(), 5);
    QCOMPARE(entries.at(0)->menu(), fixture.menu("languageMenu"));
    QCOMPARE(entries.at(1), fixture.action("restoreAction"));
    QCOMPARE(entries.at(2), fixture.action("minimiseAction"));
    QVERIFY(entries.at(3)->isSeparator());
    QCOMPARE(entries.at(4), fixture.action("quitAction"));
    const QList<QAction *> languages = fixture.menu("languageMenu")->actions();
    QCOMPARE(languages, (QList<QAction *>{fixture.action("chineseAction"), fixture.action("englishAction")}));
}

void TstSystemTrayIcon::languageSwitchRetranslatesMenu_data()
{
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<MenuTexts>("expected");

    QTest::newRow("english") << QStringList{QStringLiteral("englishAction")} << kEnglishTexts;
    QTest::newRow("english then chinese")
        << QStringList{QStringLiteral("englishAction"), QStringLiteral("chineseAction")} << kChineseTexts;
    QTest::newRow("english twice") << QStringList{QStringLiteral("englishAction"),
                                                  QStringLiteral("englishAction")}
                                   << kEnglishTexts;
    QTest::newRow("chinese, english, chinese")
        << QStringList{QStringLiteral("chineseAction"), QStringLiteral("englishAction"),
                       QStringLiteral("chineseAction")}
        << kChineseTexts;
}

void TstSystemTrayIcon::languageSwitchRetranslatesMenu()
{
    QFETCH(QStringList, choices);
    QFETCH(MenuTexts, expected);
    QVERIFY2(startTrayHost(), "trayer did not provide a notification area");
    TrayFixture fixture;
    QSignalSpy refreshed(fixture.tray, &SystemTrayIcon::signal_lang_refresh);

    for (const QString &choice : choices)
        fixture.action(choice.toLatin1().constData())->trigger();

    QCOMPARE(refreshed.count(), choices.size());
    QMenu *trayMenu = fixture.menu("trayMenu");
    const QList<QAction *> entries = trayMenu->actions();
    QCOMPARE(entries.at(0)->text(), expected.language);
    QCOMPARE(entries.at(1)->text(), expected.restore);
    QCOMPARE(entries.at(2)->text(), expected.minimise);
    QCOMPARE(entries.at(4)->text(), expected.quit);
    const QList<QAction *> languages = entries.at(0)->menu()->actions();
    QCOMPARE(languages.at(0)->text(), expected.chinese);
    QCOMPARE(languages.at(1)->text(), expected.english);
}

void TstSystemTrayIcon::menuHidesAndRestoresWindow_data()
{
    QTest::addColumn<Qt::WindowState>("before");
    QTest::newRow("normal window") << Qt::WindowNoState;
    QTest::newRow("minimised window") << Qt::WindowMinimized;
}

void TstSystemTrayIcon::menuHidesAndRestoresWindow()
{
    QFETCH(Qt::WindowState, before);
    QVERIFY2(startTrayHost(), "trayer did not provide a notification area");
    TrayFixture fixture;
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));
    fixture.window.setWindowState(before);

    fixture.action("minimiseAction")->trigger();
    QTRY_VERIFY(!fixture.window.isVisible());
    QVERIFY(fixture.window.findChild<QSystemTrayIcon *>()->isVisible());

    fixture.action("restoreAction")->trigger();
    QTRY_VERIFY(fixture.window.isVisible());
    QCOMPARE(fixture.window.windowState(), Qt::WindowNoState);
}

void TstSystemTrayIcon::activationRestoresOnlyOnDoubleClick_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("hideFirst");
    QTest::addColumn<bool>("restored");

    QTest::newRow("double click, hidden") << int(QSystemTrayIcon::DoubleClick) << true << true;
    QTest::newRow("double click, minimised") << int(QSystemTrayIcon::DoubleClick) << false << true;
    QTest::newRow("single click, hidden") << int(QSystemTrayIcon::Trigger) << true << false;
    QTest::newRow("middle click, hidden") << int(QSystemTrayIcon::MiddleClick) << true << false;
}

void TstSystemTrayIcon::activationRestoresOnlyOnDoubleClick()
{
    QFETCH(int, reason);
    QFETCH(bool, hideFirst);
    QFETCH(bool, restored);
    QVERIFY2(startTrayHost(), "trayer did not provide a notification area");
    TrayFixture fixture;
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));
    if (hideFirst)
        fixture.window.hide();
    else
        fixture.window.showMinimized();

    emit fixture.window.findChild<QSystemTrayIcon *>()->activated(QSystemTrayIcon::ActivationReason(reason));

    if (restored) {
        QTRY_VERIFY(fixture.window.isVisible());
        QVERIFY(!(fixture.window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
    } else {
        QVERIFY(!fixture.window.isVisible());
    }
}

void TstSystemTrayIcon::quitEndsLoopWhileWindowHidden()
{
    QVERIFY2(startTrayHost(), "trayer did not provide a notification area");
    TrayFixture fixture;
    fixture.action("minimiseAction")->trigger();
    QVERIFY(!fixture.window.isVisible());

    bool timedOut = false;
    QTimer::singleShot(0, fixture.action("quitAction"), &QAction::trigger);
    // Guard only: a quit entry that does nothing would otherwise hang the test.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!timedOut);
}

QTEST_MAIN(TstSystemTrayIcon)
#include "tst_systemtrayicon.moc"
