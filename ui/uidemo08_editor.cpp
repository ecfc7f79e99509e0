// The query pages' input editors and their line-number gutters.
#include "ui_uidemo08.h"
#include "uidemo08.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {

const QString kInclusionEditor = QStringLiteral("urlsList");
const QString kRankingClearButton = QStringLiteral("clearBtn_2");
// Room around the numbers: frame, padding and scroll margin of the gutter.
constexpr qreal kGutterExtraWidth = 13;

// Lines of the gutter as it stands: an empty document holds no numbers yet.
int gutterLineCount(const QTextDocument *gutter)
{
    if (gutter->blockCount() == 1 && gutter->firstBlock().length() <= 1)
        return 0;
    return gutter->blockCount();
}

// Numbers first..last, one per line; a leading line break when the gutter is not empty.
QString numberLines(int first, int last, bool leadingBreak)
{
    QString text;
    const int digits = QString::number(last).size();
    text.reserve((last - first + 1) * (digits + 1));
    for (int number = first; number <= last; ++number) {
        if (leadingBreak || number != first)
            text += QLatin1Char('\n');
        text += QString::number(number);
    }
    return text;
}

// Puts the gutter's cursor on the number of the editor's current screen line,
// which scrolls that number into view.
void followCursor(const QPlainTextEdit *editor, QPlainTextEdit *gutter)
{
    const QTextCursor editorCursor = editor->textCursor();
    const QTextBlock block = editorCursor.block();
    int line = block.firstLineNumber();
    if (const QTextLayout *layout = block.layout()) {
        const QTextLine textLine = layout->lineForTextPosition(editorCursor.positionInBlock());
        if (textLine.isValid())
            line += textLine.lineNumber();
    }

    const QTextBlock number = gutter->document()->findBlockByNumber(line);
    if (!number.isValid())
        return;
    QTextCursor gutterCursor(gutter->document());
    gutterCursor.setPosition(number.position());
    gutter->setTextCursor(gutterCursor);
}

} // namespace

void UIDemo08::showHanghao()
{
    const bool inclusion = sender() && sender()->objectName() == kInclusionEditor;
    QPlainTextEdit *gutter = inclusion ? ui->hangHao : ui->hangHao_2;
    QPlainTextEdit *editor = inclusion ? ui->urlsList : ui->urlsList_2;

    // The gutter always reads 1..n; only the difference to what it holds is
    // written, in one edit, so a keystroke or a paste costs one layout pass
    // instead of one per line.
    const int wanted = editor->document()->lineCount();
    QTextDocument *numbers = gutter->document();
    const int shown = gutterLineCount(numbers);
    if (wanted != shown) {
        QTextCursor cursor(numbers);
        if (wanted > shown) {
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(numberLines(shown + 1, wanted, shown > 0));
        } else {
            const QTextBlock lastKept = numbers->findBlockByNumber(wanted - 1);
            cursor.setPosition(lastKept.position() + lastKept.length() - 1);
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        }
    }
    // The editor may report its new cursor line before its new text.
    followCursor(editor, gutter);
}

void UIDemo08::textAreaChanged()
{
    auto *numbers = qobject_cast<QTextDocument *>(sender());
    if (!numbers || !numbers->parent())
        return;
    auto *gutter = qobject_cast<QPlainTextEdit *>(numbers->parent()->parent());
    if (!gutter)
        return;

    // The widest number is the last one; the document needs it plus its margins.
    const QFontMetricsF metrics(numbers->defaultFont());
    const qreal contentWidth =
        metrics.horizontalAdvance(numbers->lastBlock().text()) + 2 * numbers->documentMargin();
    const int width = static_cast<int>(contentWidth + kGutterExtraWidth);
    if (width != gutter->width())
        gutter->setFixedWidth(width);
}

void UIDemo08::getCurrentHanghao()
{
    const bool inclusion = sender() && sender()->objectName() == kInclusionEditor;
    followCursor(inclusion ? ui->urlsList : ui->urlsList_2, inclusion ? ui->hangHao : ui->hangHao_2);
}

void UIDemo08::on_clearBtn_clicked()
{
    if (sender() && sender()->objectName() == kRankingClearButton)
        ui->urlsList_2->clear();
    else
        ui->urlsList->clear();
}
