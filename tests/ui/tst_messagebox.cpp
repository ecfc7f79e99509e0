#include "ui/widgets/messagebox.h"

#include <QtTest>

#include <QAbstractButton>

// The boxes every question and notice of the window goes through.
class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void looksTheSameForEveryQuestion_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<bool>("withCancel");
        QTest::newRow("question") << int(QMessageBox::Ok | QMessageBox::Cancel) << true;
        QTest::newRow("notice") << int(QMessageBox::Ok) << false;
    }
    void looksTheSameForEveryQuestion()
    {
        QFETCH(int, buttons);
        QFETCH(bool, withCancel);
        const auto box = QuillaneMessageBox::create(QStringLiteral("确定要停止查询吗？     "),
                                                    QMessageBox::StandardButtons(buttons));
        QVERIFY(!box->parent());
        QCOMPARE(box->windowTitle(), QStringLiteral("Quillane工具"));
        QCOMPARE(box->text(),
                 QStringLiteral("<font size='4' color='#666666'>确定要停止查询吗？     </font>"));
        QCOMPARE(box->button(QMessageBox::Ok)->text(), QStringLiteral("确 定"));
        QCOMPARE(box->button(QMessageBox::Cancel) != nullptr, withCancel);
        if (withCancel)
            QCOMPARE(box->button(QMessageBox::Cancel)->text(), QStringLiteral("取 消"));
        QVERIFY(!box->windowIcon().isNull());
    }

    void answererStandsInForTheBox()
    {
        QList<bool> answers{false, true};
        QuillaneMessageBox::setAnswererForTesting([&](const QString &) { return answers.takeFirst(); });
        QVERIFY(!QuillaneMessageBox::ask(QStringLiteral("一")));
        QuillaneMessageBox::inform(QStringLiteral("二"));
        QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(),
                 QStringList({QStringLiteral("一"), QStringLiteral("二")}));
        QVERIFY(QuillaneMessageBox::takeAskedTextsForTesting().isEmpty());
        QuillaneMessageBox::setAnswererForTesting({});
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
