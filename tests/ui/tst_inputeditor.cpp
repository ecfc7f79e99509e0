// The query pages' editors and their line-number gutters.
#include "startup.h"
#include "uidemo08.h"
#include "windowtestmain.h"

#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>
#include <QUrl>

#include <memory>

namespace {

QString numbersUpTo(int n)
{
    QStringList numbers;
    for (int i = 1; i <= n; ++i)
        numbers << QString::number(i);
    return numbers.join(QLatin1Char('\n'));
}

QString linesOf(int n, const QString &pattern = QStringLiteral("http://www.quillane.com/page-%1.html"))
{
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines << pattern.arg(i);
    return lines.join(QLatin1Char('\n'));
}

void placeCursor(QPlainTextEdit *editor, int block, int column = 0)
{
    QTextCursor cursor(editor->document()->findBlockByNumber(block));
    cursor.setPosition(cursor.block().position() + column);
    editor->setTextCursor(cursor);
}

bool showsCursorLine(QPlainTextEdit *gutter)
{
    return gutter->viewport()->rect().contains(gutter->cursorRect().center());
}

} // namespace

class TstInputEditor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void hintTexts();
    void gutterNumbersEveryLine_data();
    void gutterNumbersEveryLine();
    void pasteNumbersThreeLines();
    void widthFollowsWidestNumber();
    void widthFitsWidestNumber_data();
    void widthFitsWidestNumber();
    void wrappedLineGetsTwoNumbers();
    void gutterFollowsCursor();
    void eachPageMovesItsOwnGutter();
    void clearEmptiesOwnPageOnly_data();
    void clearEmptiesOwnPageOnly();

private:
    QPlainTextEdit *editor(bool ranking = false) const
    {
        return m_window->findChild<QPlainTextEdit *>(ranking ? QStringLiteral("urlsList_2")
                                                             : QStringLiteral("urlsList"));
    }
    QPlainTextEdit *gutter(bool ranking = false) const
    {
        return m_window->findChild<QPlainTextEdit *>(ranking ? QStringLiteral("hangHao_2")
                                                             : QStringLiteral("hangHao"));
    }
    void openPage(bool ranking)
    {
        QTest::mouseClick(m_window->findChild<QToolButton *>(ranking ? QStringLiteral("tbtnMain2")
                                                                     : QStringLiteral("tbtnMain1")),
                          Qt::LeftButton);
    }

    std::unique_ptr<UIDemo08> m_window;
};

void TstInputEditor::initTestCase()
{
    UIDemo08::setAdvertisementAddressForTesting(QUrl(QStringLiteral("about:blank")));
}

void TstInputEditor::init()
{
    m_window.reset(Startup::openMainWindow());
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    openPage(false);
    QTRY_VERIFY(editor()->isVisible());
}

void TstInputEditor::cleanup()
{
    m_window.reset();
}

void TstInputEditor::hintTexts()
{
    const QString inclusion = m_window->findChild<QLabel *>(QStringLiteral("tiShi"))->text();
    const QString ranking = m_window->findChild<QLabel *>(QStringLiteral("tiShi_2"))->text();
    QVERIFY(inclusion.startsWith(QStringLiteral("下方输入网址，一行一个，例如：http://")));
    QVERIFY(ranking.startsWith(
        QStringLiteral("下方输入关键词和网址，一行一组，关键词和网址用空格隔开，例如:Quillane工具 http://")));
}

void TstInputEditor::gutterNumbersEveryLine_data()
{
    // Successive texts of one editor; the gutter must read 1..n after each.
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("ranking");
    QTest::newRow("three lines") << QStringList{linesOf(3)} << false;
    QTest::newRow("trailing line break") << QStringList{linesOf(2) + QLatin1Char('\n')} << false;
    QTest::newRow("grow, shrink, grow")
        << QStringList{linesOf(20), linesOf(5), linesOf(12), linesOf(1)} << false;
    QTest::newRow("to empty and back") << QStringList{linesOf(7), QString(), linesOf(4)} << false;
    QTest::newRow("ranking page") << QStringList{linesOf(15), linesOf(9)} << true;
    QTest::newRow("ten thousand") << QStringList{linesOf(10000), linesOf(9999)} << false;
}

void TstInputEditor::gutterNumbersEveryLine()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, ranking);
    openPage(ranking);
    for (const QString &text : texts) {
        editor(ranking)->setPlainText(text);
        const int lines = editor(ranking)->document()->lineCount();
        QCOMPARE(gutter(ranking)->toPlainText(), numbersUpTo(lines));
    }
    QCOMPARE(gutter(!ranking)->toPlainText(), QString());
}

void TstInputEditor::pasteNumbersThreeLines()
{
    QApplication::clipboard()->setText(linesOf(3));
    editor()->setFocus();
    QTest::keyClick(editor(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(editor()->toPlainText(), linesOf(3));
    QCOMPARE(gutter()->toPlainText(), QStringLiteral("1\n2\n3"));
}

void TstInputEditor::widthFollowsWidestNumber()
{
    editor()->setFocus();
    QTest::keyClicks(editor(), QStringLiteral("a"));
    for (int line = 2; line <= 9; ++line) {
        QTest::keyClick(editor(), Qt::Key_Return);
        QTest::keyClicks(editor(), QStringLiteral("a"));
    }
    QCOMPARE(gutter()->document()->blockCount(), 9);
    const int oneDigit = gutter()->width();
    QCOMPARE(gutter()->minimumWidth(), oneDigit);
    QCOMPARE(gutter()->maximumWidth(), oneDigit);

    QTest::keyClick(editor(), Qt::Key_Return);
    QCOMPARE(gutter()->document()->blockCount(), 10);
    const int twoDigits = gutter()->width();
    const QFontMetricsF metrics(gutter()->font());
    QCOMPARE(twoDigits - oneDigit, int(metrics.horizontalAdvance(QStringLiteral("10")) +
                                       2 * gutter()->document()->documentMargin() + 13) -
                                       int(metrics.horizontalAdvance(QStringLiteral("9")) +
                                           2 * gutter()->document()->documentMargin() + 13));
    QVERIFY(twoDigits > oneDigit);
    // The widest number fits on one line: nothing in the gutter wraps.
    QTRY_COMPARE(gutter()->document()->lineCount(), 10);
    QVERIFY(gutter()->viewport()->width() >= metrics.horizontalAdvance(QStringLiteral("10")));

    QTest::keyClick(editor(), Qt::Key_Backspace);
    QCOMPARE(gutter()->toPlainText(), numbersUpTo(9));
    QCOMPARE(gutter()->width(), oneDigit);
}

void TstInputEditor::widthFitsWidestNumber_data()
{
    // Successive line counts. Digits differ in width, so the last number is
    // often narrower than an earlier one (11 after 10, 61 after 60).
    QTest::addColumn<QList<int>>("counts");
    QTest::newRow("11 lines") << QList<int>{11};
    QTest::newRow("61 lines") << QList<int>{61};
    QTest::newRow("111 lines") << QList<int>{111};
    QTest::newRow("1000 lines") << QList<int>{1000};
    QTest::newRow("130 then 21 lines") << QList<int>{130, 21};
}

void TstInputEditor::widthFitsWidestNumber()
{
    QFETCH(QList<int>, counts);
    for (int count : qAsConst(counts)) {
        editor()->setPlainText(linesOf(count));
        const QTextDocument *numbers = gutter()->document();
        const QFontMetricsF metrics(numbers->defaultFont());
        qreal widest = 0;
        for (int number = 1; number <= count; ++number)
            widest = qMax(widest, metrics.horizontalAdvance(QString::number(number)));
        const int expected = int(widest + 2 * numbers->documentMargin() + 13);
        QCOMPARE(gutter()->width(), expected);
        QCOMPARE(gutter()->maximumWidth(), expected);
    }
}

void TstInputEditor::wrappedLineGetsTwoNumbers()
{
    editor()->setPlainText(linesOf(2));
    placeCursor(editor(), 1);
    // Typed into a line, as a user would, so the line is laid out at once.
    const QString words = QStringLiteral("关键词 ").repeated(80);
    editor()->insertPlainText(words);

    QCOMPARE(editor()->document()->blockCount(), 2);
    const int lines = editor()->document()->lineCount();
    QVERIFY2(lines >= 3, qPrintable(QString::number(lines)));
    QCOMPARE(gutter()->toPlainText(), numbersUpTo(lines));

    // The cursor, after the typed words, is on a later screen line of the wrapped line.
    QVERIFY(gutter()->textCursor().blockNumber() > 1);
    QTest::keyClick(editor(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(gutter()->textCursor().blockNumber(), lines - 1);
}

void TstInputEditor::gutterFollowsCursor()
{
    editor()->setPlainText(linesOf(300));
    placeCursor(editor(), 299);
    QCOMPARE(gutter()->textCursor().blockNumber(), 299);
    QVERIFY(showsCursorLine(gutter()));
    QVERIFY(gutter()->verticalScrollBar()->value() > 0);

    // Back at the top of the editor, a click into the fifth line shows number 5.
    editor()->verticalScrollBar()->setValue(0);
    QTextCursor fifth(editor()->document()->findBlockByNumber(4));
    const QPoint inFifthLine = editor()->cursorRect(fifth).center() + QPoint(3, 0);
    QTest::mouseClick(editor()->viewport(), Qt::LeftButton, {}, inFifthLine);
    QCOMPARE(editor()->textCursor().blockNumber(), 4);
    QCOMPARE(gutter()->textCursor().blockNumber(), 4);
    QCOMPARE(gutter()->textCursor().block().text(), QStringLiteral("5"));
    QVERIFY(showsCursorLine(gutter()));
    QVERIFY(!gutter()->textCursor().hasSelection());
}

void TstInputEditor::eachPageMovesItsOwnGutter()
{
    editor(false)->setPlainText(linesOf(200));
    editor(true)->setPlainText(linesOf(200, QStringLiteral("关键词%1 http://www.quillane.com/")));
    placeCursor(editor(false), 10);
    QCOMPARE(gutter(false)->textCursor().blockNumber(), 10);

    openPage(true);
    placeCursor(editor(true), 150);
    QCOMPARE(gutter(true)->textCursor().blockNumber(), 150);
    QCOMPARE(gutter(false)->textCursor().blockNumber(), 10);
}

void TstInputEditor::clearEmptiesOwnPageOnly_data()
{
    QTest::addColumn<bool>("ranking");
    QTest::newRow("清空 inclusion") << false;
    QTest::newRow("清空 ranking") << true;
}

void TstInputEditor::clearEmptiesOwnPageOnly()
{
    QFETCH(bool, ranking);
    editor(false)->setPlainText(linesOf(12));
    editor(true)->setPlainText(linesOf(15));
    openPage(ranking);

    auto *clear = m_window->findChild<QPushButton *>(ranking ? QStringLiteral("clearBtn_2")
                                                             : QStringLiteral("clearBtn"));
    QTest::mouseClick(clear, Qt::LeftButton);

    QCOMPARE(editor(ranking)->toPlainText(), QString());
    QCOMPARE(gutter(ranking)->toPlainText(), QStringLiteral("1"));
    QCOMPARE(editor(!ranking)->toPlainText(), linesOf(ranking ? 12 : 15));
    QCOMPARE(gutter(!ranking)->toPlainText(), numbersUpTo(ranking ? 12 : 15));
}

QUILLANE_WINDOW_TEST_MAIN(TstInputEditor)
#include "tst_inputeditor.moc"
