#include "style/stylesheet.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QtTest>

// The application style sheet and the palette its leading rule names.
class TestStyleSheet : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void paletteFromLeadingRule_data();
    void paletteFromLeadingRule();
    void missingSheetKeepsDefaultLook();
    void blueSheetParsesAndStylesWidgets();
    void navigationHasBottomBorder_data();
    void navigationHasBottomBorder();

private:
    static QString sheetText(const QString &path);
    static void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message);
    static QStringList s_warnings;
};

QStringList TestStyleSheet::s_warnings;

void TestStyleSheet::collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        s_warnings << message;
}

QString TestStyleSheet::sheetText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

void TestStyleSheet::init()
{
    qApp->setStyleSheet(QString());
    QApplication::setPalette(QPalette(QColor(Qt::red)));
}

void TestStyleSheet::paletteFromLeadingRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("button");

    QTest::newRow("blue") << QStringLiteral("blue.css") << QColor(0xc8, 0xde, 0xf9);
    QTest::newRow("another colour") << QStringLiteral("test_other.css") << QColor(0x33, 0x66, 0x99);
    // Without the palette rule the seven characters make no colour.
    QTest::newRow("no palette rule") << QStringLiteral("test_noprefix.css") << QColor();
}

void TestStyleSheet::paletteFromLeadingRule()
{
    QFETCH(QString, name);
    QFETCH(QColor, button);

    loadStyleSheet(name);

    QCOMPARE(QApplication::palette().color(QPalette::Button), QPalette(button).color(QPalette::Button));
    const QString whole = sheetText(QStringLiteral(":/qss/") + name);
    QVERIFY(!whole.isEmpty());
    QCOMPARE(qApp->styleSheet(), whole);
}

void TestStyleSheet::missingSheetKeepsDefaultLook()
{
    loadStyleSheet(QStringLiteral("absent.css"));
    QCOMPARE(qApp->styleSheet(), QString());
    QCOMPARE(QApplication::palette().color(QPalette::Button), QColor(Qt::red));
}

void TestStyleSheet::blueSheetParsesAndStylesWidgets()
{
    const QString text = sheetText(QStringLiteral(":/qss/blue.css"));
    QVERIFY(text.startsWith(QLatin1String("QPalette{background:#c8def9;}")));
    // The comments are GBK, so at least one byte is outside ASCII; Latin-1 keeps it one character.
    QVERIFY(std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7f; }));

    // A sheet Qt cannot parse is dropped with a warning and leaves widgets unstyled.
    s_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    loadStyleSheet(QStringLiteral("blue.css"));

    QWidget window;
    auto *button = new QPushButton(QStringLiteral("查询"), &window);
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    qInstallMessageHandler(previous);
    QCOMPARE(s_warnings, QStringList());

    QTRY_VERIFY(button->font().bold());
    QCOMPARE(button->palette().color(QPalette::ButtonText), QColor(Qt::white));
}

void TestStyleSheet::navigationHasBottomBorder_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("value");
    QTest::newRow("title bar") << QByteArray("form") << QStringLiteral("title");
    QTest::newRow("left navigation") << QByteArray("nav") << QStringLiteral("left");
}

void TestStyleSheet::navigationHasBottomBorder()
{
    QFETCH(QByteArray, property);
    QFETCH(QString, value);
    loadStyleSheet(QStringLiteral("blue.css"));

    QWidget bar;
    bar.setProperty(property.constData(), value);
    bar.resize(120, 40);
    bar.ensurePolished();
    const QImage image = bar.grab().toImage();
    QCOMPARE(QColor(image.pixel(60, 39)), QColor(QStringLiteral("#7cb4fc")));
    QVERIFY(QColor(image.pixel(60, 37)) != QColor(QStringLiteral("#7cb4fc")));
}

QTEST_MAIN(TestStyleSheet)
#include "tst_stylesheet.moc"
