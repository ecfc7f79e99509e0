#include "style/iconhelper.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QtTest>

// Without the compiled-in icon font the helper still works, in the default
// font, after one debug line. Its own process: the helper exists once.
class TestIconFontMissing : public QObject
{
    Q_OBJECT

private slots:
    void fallsBackToDefaultFont();
};

void TestIconFontMissing::fallsBackToDefaultFont()
{
    Q_CLEANUP_RESOURCE(quillane);
    QVERIFY(!QFile::exists(QStringLiteral(":/images/fontawesome-webfont.ttf")));

    QTest::ignoreMessage(QtDebugMsg, "load fontawesome-webfont.ttf error");
    IconHelper *helper = IconHelper::instance();
    QCOMPARE(helper->glyphFont().family(), QFont().family());

    QPushButton button;
    helper->setButtonGlyph(&button, QChar(0xF068), 12);
    QCOMPARE(button.text(), QString(QChar(0xF068)));
    QCOMPARE(helper->renderGlyph(QStringLiteral("#54626F"), QChar(0xF002), 15, 35, 25).size(), QSize(35, 25));

    Q_INIT_RESOURCE(quillane);
}

QTEST_MAIN(TestIconFontMissing)
#include "tst_iconfontmissing.moc"
