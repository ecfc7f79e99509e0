#include "ui/query/resultrowheader.h"

#include <QEvent>

namespace {
int digits(int number)
{
    int count = 1;
    while (number >= 10) {
        number /= 10;
        ++count;
    }
    return count;
}
} // namespace

ResultRowHeader::ResultRowHeader(QWidget *parent) : QHeaderView(Qt::Vertical, parent) {}

QSize ResultRowHeader::sizeHint() const
{
    const int rowDigits = digits(count());
    if (rowDigits != m_hintDigits || !m_hint.isValid()) {
        m_hint = QHeaderView::sizeHint();
        m_hintDigits = rowDigits;
    }
    return m_hint;
}

void ResultRowHeader::changeEvent(QEvent *event)
{
    // Font and style decide the width of a number: measure again.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_hintDigits = -1;
    QHeaderView::changeEvent(event);
}
