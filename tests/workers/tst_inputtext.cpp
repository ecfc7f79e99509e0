#include "workers/inputtext.h"

#include <QTextCodec>
#include <QtTest>

namespace {
// The text alone: Qt's UTF-16 encoders would put a byte-order mark first.
QByteArray encoded(const char *codec, const QString &text)
{
    QTextCodec::ConverterState withoutMark(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &withoutMark);
}
} // namespace

// Files of query lines as editors save them, read back to the same text.
class TestInputText : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoding");

        const QString lines = QStringLiteral("关键词 http://a.cn/\r\nhttp://b.cn/页\r\n");
        const QString ascii = QStringLiteral("http://a.cn/\r\nhttp://b.cn/\r\n");
        QTest::newRow("UTF-8") << lines.toUtf8() << lines << QStringLiteral("UTF-8");
        QTest::newRow("UTF-8 with a mark")
            << QByteArray("\xEF\xBB\xBF" + lines.toUtf8()) << lines << QStringLiteral("UTF-8");
        QTest::newRow("GB18030") << encoded("GB18030", lines) << lines << QStringLiteral("GB18030");
        // Notepad's "Unicode" and "Unicode big endian".
        QTest::newRow("UTF-16 LE with a mark")
            << QByteArray("\xFF\xFE" + encoded("UTF-16LE", lines)) << lines << QStringLiteral("UTF-16LE");
        QTest::newRow("UTF-16 BE with a mark")
            << QByteArray("\xFE\xFF" + encoded("UTF-16BE", lines)) << lines << QStringLiteral("UTF-16BE");
        QTest::newRow("UTF-16 LE without a mark")
            << encoded("UTF-16LE", lines) << lines << QStringLiteral("UTF-16LE");
        QTest::newRow("UTF-16 BE without a mark")
            << encoded("UTF-16BE", ascii) << ascii << QStringLiteral("UTF-16BE");
        QTest::newRow("UTF-16 LE, only Chinese, with a mark")
            << QByteArray("\xFF\xFE" + encoded("UTF-16LE", QStringLiteral("关键词")))
            << QStringLiteral("关键词") << QStringLiteral("UTF-16LE");
        QTest::newRow("UTF-16 LE cut inside a unit")
            << QByteArray("\xFF\xFE"
                          "h\0t\0t",
                          7)
            << QStringLiteral("ht\uFFFD") << QStringLiteral("UTF-16LE");
        QTest::newRow("a stray NUL is no UTF-16")
            << QByteArray("http://a.cn/\0\nhttp://b.cn/", 26)
            << QStringLiteral("http://a.cn/") + QChar(0) + QStringLiteral("\nhttp://b.cn/")
            << QStringLiteral("UTF-8");
        QTest::newRow("empty") << QByteArray() << QString() << QStringLiteral("UTF-8");
    }

    void decodes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, encoding);
        const InputText input = decodeInputText(bytes);
        QCOMPARE(input.text, text);
        QCOMPARE(input.encoding, encoding);
    }
};

QTEST_GUILESS_MAIN(TestInputText)
#include "tst_inputtext.moc"
