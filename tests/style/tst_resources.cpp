#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QImageReader>
#include <QRawFont>
#include <QRegularExpression>
#include <QtTest>

// The compiled-in pictures, icon and font are present and readable at the
// sizes the window and the style sheet use.
class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void applicationIconIsOne32PixelImage();
    void pictureSizes_data();
    void pictureSizes();
    void everyPictureTheSheetNamesExists();
    void iconFontIsFontAwesome();
};

void TestResources::applicationIconIsOne32PixelImage()
{
    QImageReader reader(QStringLiteral(":/images/quillane.ico"));
    QCOMPARE(reader.format(), QByteArray("ico"));
    QCOMPARE(reader.imageCount(), 1);
    const QImage icon = reader.read();
    QVERIFY2(!icon.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(icon.size(), QSize(32, 32));
    // Rounded corners are transparent, the middle of the tile is not.
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(4, 16)), 255);
}

void TestResources::pictureSizes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");

    const QStringList navigation = {QStringLiteral("main"),    QStringLiteral("config"),
                                    QStringLiteral("data"),    QStringLiteral("help"),
                                    QStringLiteral("exit"),    QStringLiteral("about"),
                                    QStringLiteral("company"), QStringLiteral("person")};
    for (const QString &name : navigation) {
        const QString path = QStringLiteral(":/images/main_") + name + QStringLiteral(".png");
        QTest::newRow(qPrintable(path)) << path << QSize(256, 256);
    }

    const QStringList radios = {
        QStringLiteral("radiobutton_uncheck"),           QStringLiteral("radiobutton_check"),
        QStringLiteral("radiobutton_unchecked"),         QStringLiteral("radiobutton_checked"),
        QStringLiteral("radiobutton_unchecked_disable"), QStringLiteral("radiobutton_checked_disable")};
    const QStringList checks = {
        QStringLiteral("checkbox_unchecked"),       QStringLiteral("checkbox_checked"),
        QStringLiteral("checkbox_parcial"),         QStringLiteral("checkbox_unchecked_disable"),
        QStringLiteral("checkbox_checked_disable"), QStringLiteral("checkbox_parcial_disable")};
    const QStringList arrows = {QStringLiteral("add_top"),     QStringLiteral("add_bottom"),
                                QStringLiteral("add_left"),    QStringLiteral("add_right"),
                                QStringLiteral("branch_open"), QStringLiteral("branch_close")};
    const QStringList calendar = {QStringLiteral("calendar_prevmonth"), QStringLiteral("calendar_nextmonth")};

    const auto addBlue = [](const QStringList &names, QSize size) {
        for (const QString &name : names) {
            const QString path = QStringLiteral(":/qss/blue/") + name + QStringLiteral(".png");
            QTest::newRow(qPrintable(path)) << path << size;
        }
    };
    // Indicator pictures must match the indicator sizes the sheet sets.
    addBlue(radios, QSize(15, 15));
    addBlue(checks, QSize(13, 13));
    addBlue(arrows, QSize(10, 10));
    addBlue(calendar, QSize(16, 16));
}

void TestResources::pictureSizes()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);

    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
    QVERIFY(image.hasAlphaChannel());
}

void TestResources::everyPictureTheSheetNamesExists()
{
    QFile sheet(QStringLiteral(":/qss/blue.css"));
    QVERIFY(sheet.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(sheet.readAll());

    const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
    QSet<QString> named;
    for (auto it = url.globalMatch(text); it.hasNext();)
        named.insert(it.next().captured(1));

    QCOMPARE(named.size(), 16);
    for (const QString &path : qAsConst(named)) {
        QVERIFY2(path.startsWith(QLatin1String(":/qss/blue/")), qPrintable(path));
        QVERIFY2(!QImage(path).isNull(), qPrintable(path));
    }
}

void TestResources::iconFontIsFontAwesome()
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/images/fontawesome-webfont.ttf"));
    QVERIFY(id >= 0);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    QCOMPARE(families, QStringList{QStringLiteral("FontAwesome")});
    const QRawFont raw = QRawFont::fromFont(QFont(families.first(), 12));
    // The six glyphs the window draws.
    for (const uint code : {0xF068u, 0xF067u, 0xF00Du, 0xF002u, 0xF03Au, 0xF031u})
        QVERIFY2(raw.supportsCharacter(code), qPrintable(QString::number(code, 16)));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
