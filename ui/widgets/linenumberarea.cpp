#include "ui/widgets/linenumberarea.h"

#include "ui/widgets/queryeditor.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

namespace {

// Room left of the numbers and between them and the editor's text.
constexpr int kLeftPadding = 4;
constexpr int kRightPadding = 5;

const QColor kBackground(0xf2, 0xf6, 0xfc);
const QColor kEdge(0xc4, 0xd7, 0xef);
// Both at least 4.5:1 against the background.
const QColor kNumberColour(0x5a, 0x66, 0x73);
const QColor kCurrentColour(0x1d, 0x4e, 0x89);

int widestDigitAdvance(const QFontMetrics &metrics)
{
    int widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit)
        widest = qMax(widest, metrics.horizontalAdvance(QLatin1Char(digit)));
    return widest;
}

} // namespace

LineNumberArea::LineNumberArea(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void LineNumberArea::setEditor(QueryEditor *editor)
{
    if (m_editor)
        disconnect(m_editor, nullptr, this, nullptr);
    m_editor = editor;
    if (!editor)
        return;
    setFont(editor->font());
    connect(editor, &QPlainTextEdit::blockCountChanged, this, &LineNumberArea::updateWidth);
    connect(editor, &QPlainTextEdit::updateRequest, this, &LineNumberArea::followEditorUpdate);
    // Scroll bars that appear or go change the lines' wrap without an update request for us.
    connect(editor->verticalScrollBar(), &QScrollBar::valueChanged, this, QOverload<>::of(&QWidget::update));
    connect(editor, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        const int current = m_editor->textCursor().blockNumber();
        if (current != m_currentBlock) {
            m_currentBlock = current;
            update();
        }
    });
    m_digits = 0;
    updateWidth();
}

void LineNumberArea::updateWidth()
{
    const int digits = QString::number(qMax(1, m_editor->blockCount())).size();
    if (digits == m_digits)
        return;
    m_digits = digits;
    const QFontMetrics metrics(m_editor->font());
    setFixedWidth(kLeftPadding + digits * widestDigitAdvance(metrics) + kRightPadding);
}

void LineNumberArea::followEditorUpdate(const QRect &rect, int dy)
{
    if (dy != 0 || rect.height() >= m_editor->viewport()->height()) {
        update();
        return;
    }
    update(0, rect.y() + viewportOffset(), width(), rect.height());
}

int LineNumberArea::viewportOffset() const
{
    const QWidget *viewport = m_editor->viewport();
    return viewport->mapToGlobal(QPoint()).y() - mapToGlobal(QPoint()).y();
}

void LineNumberArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), kBackground);
    painter.setPen(kEdge);
    painter.drawLine(width() - 1, event->rect().top(), width() - 1, event->rect().bottom());
    m_painted.clear();
    if (!m_editor)
        return;

    const int offset = viewportOffset();
    // Numbers stay level with the viewport, never above or below it.
    const QRect shown = QRect(0, offset, width(), m_editor->viewport()->height()).intersected(event->rect());
    painter.setClipRect(shown);
    painter.setFont(m_editor->font());
    const int current = m_editor->textCursor().blockNumber();
    const int right = width() - kRightPadding;

    for (QTextBlock block = m_editor->firstShownBlock(); block.isValid(); block = block.next()) {
        const QRectF bounds = m_editor->blockRect(block);
        if (bounds.top() + offset > shown.bottom())
            break;
        const QTextLayout *layout = block.layout();
        if (!block.isVisible() || !layout || layout->lineCount() == 0)
            continue;
        // Level with the block's first screen line, on the text's own baseline.
        const QTextLine first = layout->lineAt(0);
        const qreal top = bounds.top() + offset + first.y();
        const QRect line(0, qRound(top), right, qRound(first.height()));
        if (!line.intersects(shown))
            continue;
        const QString number = QString::number(block.blockNumber() + 1);
        painter.setPen(block.blockNumber() == current ? kCurrentColour : kNumberColour);
        const int advance = painter.fontMetrics().horizontalAdvance(number);
        painter.drawText(QPointF(right - advance, top + first.ascent()), number);
        m_painted.append({block.blockNumber() + 1, line});
    }
}
