// The query pages' editors, their line numbers, keyboard and file import.
#include "app/startup.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"
#include "ui/widgets/linenumberarea.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/openfiledialog.h"
#include "ui/widgets/queryeditor.h"

#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCodec>
#include <QToolButton>
#include <QUrl>

#include <memory>

namespace {

QList<int> numbersFrom(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers << n;
    return numbers;
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

void wheel(QWidget *viewport, int notches)
{
    const QPoint inside = viewport->rect().center();
    QWheelEvent event(inside, viewport->mapToGlobal(inside), QPoint(), QPoint(0, -120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
}

// Paints the area and lists the numbers it drew.
QList<int> paintedNumbers(LineNumberArea *area)
{
    area->grab();
    QList<int> numbers;
    for (const LineNumberArea::PaintedNumber &painted : area->paintedNumbers())
        numbers << painted.number;
    return numbers;
}

// Every line whose first screen line shows must carry its number, level with
// that screen line, and no other number may be drawn.
void verifyNumbersLevelWithLines(LineNumberArea *area)
{
    QueryEditor *editor = area->editor();
    const int toArea = editor->viewport()->mapToGlobal(QPoint()).y() - area->mapToGlobal(QPoint()).y();
    QList<int> expected;
    QHash<int, QRect> lineOf;
    for (QTextBlock block = editor->document()->begin(); block.isValid(); block = block.next()) {
        const QRect line = editor->cursorRect(QTextCursor(block)).translated(0, toArea);
        if (line.bottom() >= toArea && line.top() < toArea + editor->viewport()->height()) {
            expected << block.blockNumber() + 1;
            lineOf.insert(block.blockNumber() + 1, line);
        }
    }
    QCOMPARE(paintedNumbers(area), expected);
    for (const LineNumberArea::PaintedNumber &painted : area->paintedNumbers()) {
        const QRect line = lineOf.value(painted.number);
        QVERIFY2(qAbs(painted.rect.center().y() - line.center().y()) <= 1,
                 qPrintable(QStringLiteral("number %1 at y %2, its line at %3")
                                .arg(painted.number)
                                .arg(painted.rect.center().y())
                                .arg(line.center().y())));
    }
}

QByteArray encoded(const QString &text, const char *codec)
{
    return QTextCodec::codecForName(codec)->fromUnicode(text);
}

// UTF-16 as Windows Notepad saves it: a byte-order mark, then the code units.
QByteArray utf16(const QString &text, bool littleEndian, bool mark = true)
{
    QByteArray bytes;
    for (const QChar unit : QString((mark ? QString(QChar(0xFEFF)) : QString()) + text)) {
        const char high = char(unit.unicode() >> 8);
        const char low = char(unit.unicode() & 0xff);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
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
    void numbersStayLevelWithTheirLines_data();
    void numbersStayLevelWithTheirLines();
    void scrollRepaintsNumbers();
    void pasteNumbersThreeLines();
    void widthFitsWidestNumber_data();
    void widthFitsWidestNumber();
    void wrappedLineGetsOneNumber();
    void gutterFollowsCursor();
    void eachPageMovesItsOwnGutter();
    void clearEmptiesOwnPageOnly_data();
    void clearEmptiesOwnPageOnly();
    void tabLeavesEditor_data();
    void tabLeavesEditor();
    void focusIsVisible_data();
    void focusIsVisible();
    void fileFillsEditor_data();
    void fileFillsEditor();
    void unreadableFileIsReported();

private:
    QueryEditor *editor(bool ranking = false) const
    {
        return m_window->findChild<QueryEditor *>(ranking ? QStringLiteral("urlsList_2")
                                                          : QStringLiteral("urlsList"));
    }
    LineNumberArea *gutter(bool ranking = false) const
    {
        return m_window->findChild<LineNumberArea *>(ranking ? QStringLiteral("hangHao_2")
                                                             : QStringLiteral("hangHao"));
    }
    void openPage(bool ranking)
    {
        QTest::mouseClick(m_window->findChild<QToolButton *>(ranking ? QStringLiteral("tbtnMain2")
                                                                     : QStringLiteral("tbtnMain1")),
                          Qt::LeftButton);
    }

    std::unique_ptr<UIDemo08> m_window;
    QTemporaryDir m_files;
};

void TstInputEditor::initTestCase()
{
    UIDemo08::setAdvertisementAddressForTesting(QUrl(QStringLiteral("about:blank")));
    QuillaneMessageBox::setAnswererForTesting([](const QString &) { return true; });
}

void TstInputEditor::init()
{
    m_window.reset(Startup::openMainWindow());
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    openPage(false);
    QTRY_VERIFY(editor()->isVisible());
    QuillaneMessageBox::takeAskedTextsForTesting();
}

void TstInputEditor::cleanup()
{
    m_window.reset();
    OpenFileDialog::setAnswererForTesting({});
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
    // Successive texts of one editor; the numbers in view must read 1..n after each.
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("ranking");
    QTest::addColumn<int>("lastShown");
    QTest::newRow("three lines") << QStringList{linesOf(3)} << false << 3;
    QTest::newRow("trailing line break") << QStringList{linesOf(2) + QLatin1Char('\n')} << false << 3;
    QTest::newRow("grow, shrink, grow")
        << QStringList{linesOf(20), linesOf(5), linesOf(12), linesOf(1)} << false << 1;
    QTest::newRow("to empty and back") << QStringList{linesOf(7), QString(), linesOf(4)} << false << 4;
    QTest::newRow("empty shows 1") << QStringList{linesOf(7), QString()} << false << 1;
    QTest::newRow("ranking page") << QStringList{linesOf(15), linesOf(9)} << true << 9;
}

void TstInputEditor::gutterNumbersEveryLine()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, ranking);
    QFETCH(int, lastShown);
    openPage(ranking);
    for (const QString &text : texts)
        editor(ranking)->setPlainText(text);
    QCOMPARE(paintedNumbers(gutter(ranking)), numbersFrom(1, lastShown));
    verifyNumbersLevelWithLines(gutter(ranking));
    QCOMPARE(paintedNumbers(gutter(!ranking)), QList<int>{1});
}

void TstInputEditor::numbersStayLevelWithTheirLines_data()
{
    // A text, then a way of moving through it; a long line wraps over several screen lines.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ranking");
    QTest::addColumn<int>("wheelNotches");
    QTest::addColumn<bool>("ctrlEnd");
    const QString wrapped =
        QStringLiteral("关键词 http://www.quillane.com/") + QStringLiteral("长地址").repeated(90);
    const QString withWraps = linesOf(40) + QLatin1Char('\n') + wrapped + QLatin1Char('\n') + linesOf(200) +
                              QLatin1Char('\n') + wrapped;
    QTest::newRow("wheel scroll") << linesOf(300) << false << 2 << false;
    QTest::newRow("wheel scroll back") << linesOf(300) << false << -1 << false;
    QTest::newRow("wrapped lines") << wrapped + QLatin1Char('\n') + linesOf(5) << false << 0 << false;
    QTest::newRow("wheel past a wrapped line") << withWraps << false << 15 << false;
    QTest::newRow("Ctrl+End, wrapped lines") << withWraps << false << 0 << true;
    QTest::newRow("Ctrl+End, ranking page") << withWraps << true << 0 << true;
    QTest::newRow("empty editor") << QString() << false << 1 << true;
}

void TstInputEditor::numbersStayLevelWithTheirLines()
{
    QFETCH(QString, text);
    QFETCH(bool, ranking);
    QFETCH(int, wheelNotches);
    QFETCH(bool, ctrlEnd);
    openPage(ranking);
    editor(ranking)->setPlainText(text);
    if (wheelNotches < 0)
        wheel(editor(ranking)->viewport(), 3);
    wheel(editor(ranking)->viewport(), wheelNotches);
    if (ctrlEnd) {
        editor(ranking)->setFocus();
        QTest::keyClick(editor(ranking), Qt::Key_End, Qt::ControlModifier);
    }
    QCoreApplication::processEvents();
    if (wheelNotches != 0 && !text.isEmpty())
        QVERIFY(editor(ranking)->verticalScrollBar()->value() > 0);
    verifyNumbersLevelWithLines(gutter(ranking));
}

void TstInputEditor::scrollRepaintsNumbers()
{
    editor()->setPlainText(linesOf(300));
    QTRY_VERIFY(!gutter()->paintedNumbers().isEmpty());
    const int firstBefore = gutter()->paintedNumbers().first().number;
    wheel(editor()->viewport(), 3);
    // Painted by the window itself, not by the test.
    QTRY_VERIFY(!gutter()->paintedNumbers().isEmpty() &&
                gutter()->paintedNumbers().first().number > firstBefore);
    verifyNumbersLevelWithLines(gutter());
}

void TstInputEditor::pasteNumbersThreeLines()
{
    QApplication::clipboard()->setText(linesOf(3));
    editor()->setFocus();
    QTest::keyClick(editor(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(editor()->toPlainText(), linesOf(3));
    QCOMPARE(paintedNumbers(gutter()), numbersFrom(1, 3));
}

void TstInputEditor::widthFitsWidestNumber_data()
{
    // Successive line counts: the area grows with the digits and shrinks back.
    QTest::addColumn<QList<int>>("counts");
    QTest::newRow("9 lines") << QList<int>{9};
    QTest::newRow("10 lines") << QList<int>{10};
    QTest::newRow("99 then 100 lines") << QList<int>{99, 100};
    QTest::newRow("10000 lines") << QList<int>{10000};
    QTest::newRow("1000 then 21 lines") << QList<int>{1000, 21};
}

void TstInputEditor::widthFitsWidestNumber()
{
    QFETCH(QList<int>, counts);
    const QFontMetrics metrics(editor()->font());
    int widest = 0;
    for (QChar digit = QLatin1Char('0'); digit <= QLatin1Char('9'); digit = QChar(digit.unicode() + 1))
        widest = qMax(widest, metrics.horizontalAdvance(digit));
    for (int count : qAsConst(counts)) {
        editor()->setPlainText(linesOf(count));
        const int digits = QString::number(count).size();
        QVERIFY(gutter()->width() >= digits * widest + 2);
        // No wider than a few pixels of margin beyond the widest number.
        QVERIFY2(gutter()->width() <= digits * widest + 12, qPrintable(QString::number(gutter()->width())));
        QCOMPARE(gutter()->minimumWidth(), gutter()->maximumWidth());
    }
    placeCursor(editor(), editor()->blockCount() - 1);
    for (const LineNumberArea::PaintedNumber &painted : (gutter()->grab(), gutter()->paintedNumbers()))
        QVERIFY(painted.rect.left() + metrics.horizontalAdvance(QString::number(painted.number)) <=
                gutter()->width());
}

void TstInputEditor::wrappedLineGetsOneNumber()
{
    editor()->setPlainText(linesOf(2));
    placeCursor(editor(), 1);
    // Typed into a line, as a user would, so the line is laid out at once.
    editor()->insertPlainText(QStringLiteral("关键词 ").repeated(80));

    QCOMPARE(editor()->document()->blockCount(), 2);
    QVERIFY(editor()->document()->lineCount() >= 3);
    QCOMPARE(paintedNumbers(gutter()), numbersFrom(1, 2));
    verifyNumbersLevelWithLines(gutter());
}

void TstInputEditor::gutterFollowsCursor()
{
    editor()->setPlainText(linesOf(300));
    placeCursor(editor(), 299);
    QVERIFY(editor()->verticalScrollBar()->value() > 0);
    QVERIFY(paintedNumbers(gutter()).contains(300));
    verifyNumbersLevelWithLines(gutter());

    // Back at the top of the editor, a click into the fifth line keeps the numbers at the top.
    editor()->verticalScrollBar()->setValue(0);
    QTextCursor fifth(editor()->document()->findBlockByNumber(4));
    const QPoint inFifthLine = editor()->cursorRect(fifth).center() + QPoint(3, 0);
    QTest::mouseClick(editor()->viewport(), Qt::LeftButton, {}, inFifthLine);
    QCOMPARE(editor()->textCursor().blockNumber(), 4);
    QCOMPARE(paintedNumbers(gutter()).first(), 1);
    verifyNumbersLevelWithLines(gutter());
}

void TstInputEditor::eachPageMovesItsOwnGutter()
{
    editor(false)->setPlainText(linesOf(200));
    editor(true)->setPlainText(linesOf(200, QStringLiteral("关键词%1 http://www.quillane.com/")));
    placeCursor(editor(false), 10);

    openPage(true);
    placeCursor(editor(true), 150);
    QVERIFY(paintedNumbers(gutter(true)).contains(151));
    verifyNumbersLevelWithLines(gutter(true));
    QCOMPARE(paintedNumbers(gutter(false)).first(), 1);
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
    QCOMPARE(paintedNumbers(gutter(ranking)), QList<int>{1});
    QCOMPARE(editor(!ranking)->toPlainText(), linesOf(ranking ? 12 : 15));
    // No question asked: Ctrl+Z brings the lines back.
    QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(), QStringList());
    QCOMPARE(QApplication::focusWidget(), editor(ranking));
    QTest::keyClick(editor(ranking), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor(ranking)->toPlainText(), linesOf(ranking ? 15 : 12));
}

void TstInputEditor::tabLeavesEditor_data()
{
    QTest::addColumn<bool>("ranking");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("inclusion, Tab") << false << Qt::KeyboardModifiers();
    QTest::newRow("inclusion, Shift+Tab") << false << Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("ranking, Tab") << true << Qt::KeyboardModifiers();
}

void TstInputEditor::tabLeavesEditor()
{
    QFETCH(bool, ranking);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    openPage(ranking);
    QueryEditor *edit = editor(ranking);
    edit->setPlainText(linesOf(2));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_Tab, modifiers);
    QCOMPARE(edit->toPlainText(), linesOf(2));
    QTRY_VERIFY(!edit->hasFocus());
}

void TstInputEditor::focusIsVisible_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("editor") << QStringLiteral("urlsList");
    QTest::newRow("查询") << QStringLiteral("slcxBtn");
    QTest::newRow("导入") << QStringLiteral("importBtn");
    QTest::newRow("电脑端") << QStringLiteral("pcRbtn");
}

void TstInputEditor::focusIsVisible()
{
    QFETCH(QString, name);
    auto *widget = m_window->findChild<QWidget *>(name);
    QVERIFY(widget);
    m_window->findChild<QWidget *>(QStringLiteral("clearBtn"))->setFocus(Qt::TabFocusReason);
    const QImage unfocused = widget->grab().toImage();
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());
    QVERIFY(widget->grab().toImage() != unfocused);
}

void TstInputEditor::fileFillsEditor_data()
{
    // The file's bytes, how it reaches the editor, what the editor held, and what it holds after.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    const QString lines =
        QStringLiteral("百度 http://www.quillane.com/a.html\nhttp://www.quillane.com/b.html");
    const QString crlf =
        QString(lines).replace(QLatin1Char('\n'), QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    QTest::newRow("UTF-16 LE, dropped")
        << utf16(crlf, true) << true << QString() << lines + QLatin1Char('\n');
    QTest::newRow("UTF-16 LE without a mark, dropped")
        << utf16(crlf, true, false) << true << QString() << lines + QLatin1Char('\n');
    QTest::newRow("UTF-16 BE, 导入") << utf16(crlf, false) << false << QString() << lines + QLatin1Char('\n');
    QTest::newRow("UTF-8, 导入 after lines")
        << encoded(lines, "UTF-8") << false << QStringLiteral("http://www.quillane.com/first.html")
        << QStringLiteral("http://www.quillane.com/first.html\n") + lines;
    QTest::newRow("GB18030, dropped") << encoded(lines, "GB18030") << true << QString() << lines;
}

void TstInputEditor::fileFillsEditor()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, dropped);
    QFETCH(QString, before);
    QFETCH(QString, after);
    const QString path = m_files.filePath(QStringLiteral("lines.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    editor()->setPlainText(before);

    if (dropped) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QWidget *viewport = editor()->viewport();
        const QPoint at = viewport->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
    } else {
        QString caption;
        OpenFileDialog::setAnswererForTesting([&](const QString &asked, const QString &) {
            caption = asked;
            return path;
        });
        QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("importBtn")), Qt::LeftButton);
        QCOMPARE(caption, QStringLiteral("导入文本文件"));
    }
    QCOMPARE(editor()->toPlainText(), after);
    // One step back undoes the whole import.
    editor()->undo();
    QCOMPARE(editor()->toPlainText(), before);
}

void TstInputEditor::unreadableFileIsReported()
{
    const QString path = m_files.filePath(QStringLiteral("picture.png"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    file.close();
    editor()->setPlainText(linesOf(2));
    OpenFileDialog::setAnswererForTesting([&](const QString &, const QString &) { return path; });
    QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("importBtn")), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), linesOf(2));
    QCOMPARE(QuillaneMessageBox::takeAskedTextsForTesting(),
             QStringList{QStringLiteral("无法读取文件：picture.png")});
}

QUILLANE_WINDOW_TEST_MAIN(TstInputEditor)
#include "tst_inputeditor.moc"
