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

// Width of the widest of the numbers 1..last, as text of the given digits.
// Digits need not be equally wide, so the last number is not always the
// widest: the widest one keeps a leading part of last, has a smaller digit
// after it and the widest digit everywhere behind, or is last itself, or is
// the widest number one digit shorter.
qreal widestNumberWidth(const QFontMetricsF &metrics, const QString &last)
{
    qreal widest = metrics.horizontalAdvance(last);
    if (last.isEmpty())
        return widest;

    auto widerDigit = [&metrics](QChar from, QChar to) {
        QChar best = from;
        for (QChar digit = from; digit <= to; digit = QChar(digit.unicode() + 1)) {
            if (metrics.horizontalAdvance(digit) > metrics.horizontalAdvance(best))
                best = digit;
        }
        return best;
    };
    const QChar widestDigit = widerDigit(QLatin1Char('0'), QLatin1Char('9'));
    const int digits = last.size();
    if (digits > 1) {
        const QString shorter =
            widerDigit(QLatin1Char('1'), QLatin1Char('9')) + QString(digits - 2, widestDigit);
        widest = qMax(widest, metrics.horizontalAdvance(shorter));
    }
    for (int place = 0; place < digits; ++place) {
        const QChar lowest = QLatin1Char(place == 0 ? '1' : '0');
        if (last.at(place) <= lowest)
            continue;
        const QString candidate = last.left(place) + widerDigit(lowest, QChar(last.at(place).unicode() - 1)) +
                                  QString(digits - place - 1, widestDigit);
        widest = qMax(widest, metrics.horizontalAdvance(candidate));
    }
    return widest;
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

    // The gutter holds 1..n, n in its last line; the document needs the widest plus its margins.
    const QFontMetricsF metrics(numbers->defaultFont());
    const qreal contentWidth =
        widestNumberWidth(metrics, numbers->lastBlock().text()) + 2 * numbers->documentMargin();
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
